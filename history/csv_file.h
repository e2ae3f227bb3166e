// CSV as RFC 4180 has it: fields separated by ",", lines ended by CRLF, a field quoted when it
// holds a comma, a quote, a CR or an LF (quotes inside doubled), one header line first. The texts
// are UTF-8 and are written as they are.
#pragma once

#include <string>
#include <vector>

namespace history {

using CsvRow = std::vector<std::string>;

// One line with its CRLF.
std::string CsvLine(const CsvRow& fields);
// The header and the rows.
std::string CsvText(const CsvRow& header, const std::vector<CsvRow>& rows);
// Reads CSV text back into rows (the header is the first row). A quote left open ends the last
// field at the end of the text.
std::vector<CsvRow> ParseCsv(const std::string& text);

// Writes `text` to `path` whole or not at all: a temporary file beside it, flushed to disk, then
// renamed over it. False with the reason (the system's words) in `error`.
bool WriteFileWhole(const std::string& path, const std::string& text, std::string* error);

}  // namespace history
