#include "pages/reporting_settings.h"

#include <array>

namespace {
std::array<int, kPagerCount> g_pagerStyles = {1, 1, 1};
}  // namespace

int NextPagerStyle(int pager) {
    int& style = g_pagerStyles.at(pager);
    style = style % 3 + 1;
    return style;
}

std::string PagerScriptForStyle(int style, const std::string& lastRead) {
    switch (style) {
        case 1:
            return lastRead;
        case 2:
            return kDefaultPagerScript;
        default:
            return {};
    }
}

void ResetPagerStyles() {
    g_pagerStyles = {1, 1, 1};
}
