// The unit writes its texts in Latin-1; files and documents written for people (the history, CSV
// exports, the monitor's JSON and metrics) are UTF-8.
#pragma once

#include <string>

// Every byte as the Latin-1 letter it stands for, in UTF-8.
std::string Latin1ToUtf8(const std::string& latin1);
