// The page requests the console sends to a unit: "/NN.htm?val=A-B\r", where NN is the unit page
// (two digits), a read being "/NN.htm?val=0-0\r" and a write
// "/NN.htm?val=1-0," + password + ";" + fields + "\r".
#pragma once

#include <string>

// The unit pages the console reads and writes.
constexpr int kUnitPageReset = 51;
constexpr int kUnitPageCycleMode = 52;
constexpr int kUnitPageCycleDryers = 53;
constexpr int kUnitPageReporting = 55;
constexpr int kUnitPageStatus = 60;
constexpr int kUnitPageEvents = 61;

std::string BuildPageRequest(int unitPage, int a, int b);
std::string BuildPageRead(int unitPage);
std::string BuildPageWrite(int unitPage, const std::string& password, const std::string& fields);
