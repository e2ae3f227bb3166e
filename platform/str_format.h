// printf-style formatting into a std::string, for the fixed message lines of the console
// ("System%03d Log file: %s create fail!").
#pragma once

#include <string>

namespace platform {

std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
