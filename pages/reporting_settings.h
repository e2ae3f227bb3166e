// The Reporting Set Up page's pager styles, on top of the page 55 record.
#pragma once

#include <string>

#include "protocol/reporting_record.h"

// The "Style" link of each pager steps its script through: 1 the script last read from the unit,
// 2 the default script, 3 empty, and round again. The states live as long as the program.
// UI thread only.
int NextPagerStyle(int pager);
// The script a Style state puts into the box.
std::string PagerScriptForStyle(int style, const std::string& lastRead);
// Tests: back to state 1 for every pager.
void ResetPagerStyles();
