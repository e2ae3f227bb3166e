// The unit's texts are Latin-1 bytes; the history file and the CSV files hold UTF-8.
#pragma once

#include <string>

namespace history {

std::string Latin1ToUtf8(const std::string& latin1);

}  // namespace history
