// Runs a piece of a test in a child process, for what must not touch the test process itself: a
// process killed at a random moment, a file size limit, or a user without root's rights (root
// reads and writes any file whatever its permissions, so "cannot read" and "read-only folder"
// need a plain user). The child's exit status is the body's result.
#pragma once

#include <functional>

// Forks, runs `body` in the child and returns its result as the child's exit status (0..255);
// -1 when the child could not be made or ended by a signal. With `asPlainUser`, a child running
// as root first becomes the user "nobody" (65534).
int RunInChild(const std::function<int()>& body, bool asPlainUser = false);

// Whether the test process runs as root.
bool RunningAsRoot();
