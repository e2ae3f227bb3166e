// How the sortable list orders two cells, and the sort that applies that order.
//
// The kind of comparison is chosen by the first text of the pair alone: all digits (an empty text
// counts) compares as whole numbers, "dd/mm/yyyy" as a date (year, then month, then day), anything
// else as text in the user's locale. So a column that mixes numbers and names orders by whatever
// kind each compared pair starts with: such an order need not be consistent, and the sort below is
// written to stay within its rows and to finish whatever the comparison answers.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sortlist {

// -1, 0 or 1 as `a` sorts before, with, or after `b` (ascending).
int CompareCells(const std::string& a, const std::string& b);

// The value of a cell read as a whole number: leading blanks, an optional sign, then decimal digits
// up to the first other character; 0 when there are none. Saturates instead of overflowing.
long long CellNumber(const std::string& text);

// Returns the positions 0..count-1 ordered by `compare` (negative: the first belongs before the
// second), stable for equal rows. A merge sort: it touches only the given positions and always
// ends, even when `compare` contradicts itself.
std::vector<int> SortedOrder(int count, const std::function<int(int, int)>& compare);

}  // namespace sortlist
