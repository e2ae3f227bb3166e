// The text of an operating-system error number, for the debug log: "No such file or directory".
// Any thread.
#pragma once

#include <string>

std::string OsErrorText(int err);
