// Line rates outside the POSIX list (14400, 56000, 128000, 256000) are set through the kernel's
// termios2 interface with an arbitrary rate. Kept apart because its header clashes with
// <termios.h>.
//
// Any thread, on a descriptor the caller owns.
#pragma once

// Sets input and output rate of the line to `baud`. False with errno set when the line refuses.
bool SetCustomBaud(int fd, int baud);
// The line's output rate as the kernel reports it; -1 with errno set when it cannot be read.
int ReadLineBaud(int fd);
