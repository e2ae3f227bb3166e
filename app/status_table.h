// The Status page's values as a small text table, read from the page's own controls (what the
// operator sees): one line per dryer that shows anything (lamp, status, model, alarm time), then
// the cycle values below them.
//
// UI thread only.
#pragma once

#include <string>

class CWebPage_Status;

std::string StatusTableText(const CWebPage_Status& page);
