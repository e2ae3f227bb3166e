#include "controls/sort_compare.h"

#include <QString>
#include <algorithm>
#include <climits>
#include <cstddef>

namespace sortlist {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), IsDigit);
}

// "dd/mm/yyyy": ten characters, digits everywhere but the two slashes.
bool IsDate(const std::string& text) {
    if (text.size() != 10) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool slash = (i == 2 || i == 5);
        if (slash ? text[i] != '/' : !IsDigit(text[i])) {
            return false;
        }
    }
    return true;
}

int Sign(long long difference) {
    return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}

// The number in `length` characters from `pos`; a shorter text gives what is there (or 0).
long long Field(const std::string& text, std::size_t pos, std::size_t length) {
    return pos < text.size() ? CellNumber(text.substr(pos, length)) : 0;
}

int CompareDates(const std::string& a, const std::string& b) {
    const std::size_t fields[3][2] = {{6, 4}, {3, 2}, {0, 2}};  // year, month, day
    for (const auto& f : fields) {
        int result = Sign(Field(a, f[0], f[1]) - Field(b, f[0], f[1]));
        if (result != 0) {
            return result;
        }
    }
    return 0;
}

int CompareTexts(const std::string& a, const std::string& b) {
    int result = QString::localeAwareCompare(QString::fromLatin1(a.data(), qsizetype(a.size())),
                                             QString::fromLatin1(b.data(), qsizetype(b.size())));
    return Sign(result);
}

}  // namespace

long long CellNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        int digit = text[i] - '0';
        if (value > (LLONG_MAX - digit) / 10) {
            value = LLONG_MAX;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

int CompareCells(const std::string& a, const std::string& b) {
    if (AllDigits(a)) {
        long long x = CellNumber(a);
        long long y = CellNumber(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (IsDate(a)) {
        return CompareDates(a, b);
    }
    return CompareTexts(a, b);
}

std::vector<int> SortedOrder(int count, const std::function<int(int, int)>& compare) {
    std::vector<int> order(std::max(count, 0));
    for (int i = 0; i < count; ++i) {
        order[i] = i;
    }
    std::vector<int> merged(order.size());
    for (std::size_t width = 1; width < order.size(); width *= 2) {
        for (std::size_t left = 0; left < order.size(); left += 2 * width) {
            std::size_t mid = std::min(left + width, order.size());
            std::size_t right = std::min(left + 2 * width, order.size());
            std::size_t i = left, j = mid, k = left;
            while (i < mid && j < right) {
                // Take from the right run only when the left one sorts strictly after it: equal
                // rows keep their order.
                merged[k++] = compare(order[i], order[j]) > 0 ? order[j++] : order[i++];
            }
            while (i < mid) {
                merged[k++] = order[i++];
            }
            while (j < right) {
                merged[k++] = order[j++];
            }
        }
        order.swap(merged);
    }
    return order;
}

}  // namespace sortlist
