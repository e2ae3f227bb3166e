#include "platform/ini_text.h"

#include <cstdint>

namespace platform {
namespace {

const char kBom[] = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && IsBlank(s[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(s[end - 1])) {
        --end;
    }
    return s.substr(begin, end - begin);
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// "[name]" (blanks allowed around): the section name, trimmed. A header without its closing
// bracket names the rest of the line.
bool ParseHeader(const std::string& line, std::string* name) {
    size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) {
        ++at;
    }
    if (at >= line.size() || line[at] != '[') {
        return false;
    }
    size_t close = line.find(']', at + 1);
    if (name) {
        *name = Trim(
            line.substr(at + 1, close == std::string::npos ? std::string::npos : close - at - 1));
    }
    return true;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool Enclosed(const std::string& text) {
    return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
}

// A value enclosed in one pair of matching quotes, as Windows tools write them, is read without
// them.
std::string Unquoted(std::string value) {
    return Enclosed(value) ? value.substr(1, value.size() - 2) : value;
}

// The value as written to the file: one that the reader would take for quoted (it begins and
// ends with the same quote, blanks aside) is quoted once more, so that it reads back whole.
std::string Quoted(const std::string& value) {
    const std::string trimmed = Trim(value);
    if (Enclosed(trimmed)) {
        return trimmed.front() + value + trimmed.front();
    }
    return value;
}

bool ParseEntry(const std::string& line, std::string* key, std::string* value) {
    size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) {
        ++at;
    }
    if (at >= line.size() || line[at] == ';' || line[at] == '#' || line[at] == '[') {
        return false;
    }
    size_t eq = line.find('=', at);
    if (eq == std::string::npos) {
        return false;
    }
    std::string k = Trim(line.substr(at, eq - at));
    if (k.empty()) {
        return false;
    }
    if (key) {
        *key = k;
    }
    if (value) {
        *value = Unquoted(Trim(line.substr(eq + 1)));
    }
    return true;
}

std::string OneLine(const std::string& text, bool isKey) {
    std::string out = text;
    for (char& c : out) {
        if (c == '\r' || c == '\n' || (isKey && c == '=')) {
            c = ' ';
        }
    }
    return out;
}

// A value as its entry line holds it.
std::string ValueText(const std::string& value) {
    return Quoted(OneLine(value, false));
}

// "[section]". Built by appending: GCC 12 at -O3 warns falsely on "[" + a temporary string.
std::string HeaderLine(const std::string& section) {
    std::string line = "[";
    line += OneLine(section, false);
    line += ']';
    return line;
}

}  // namespace

void IniText::Parse(const std::string& contents) {
    m_lines.clear();
    size_t at = 0;
    m_bom = contents.compare(0, 3, kBom) == 0;
    if (m_bom) {
        at = 3;
    }
    while (at < contents.size()) {
        size_t end = contents.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            m_lines.push_back(contents.substr(at));
            break;
        }
        m_lines.push_back(contents.substr(at, end - at));
        at = end + 1;
        if (contents[end] == '\r' && at < contents.size() && contents[at] == '\n') {
            ++at;
        }
    }
}

std::string IniText::Render() const {
    std::string out = m_bom ? kBom : "";
    for (const std::string& line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

int IniText::FindSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (ParseHeader(m_lines[i], &name) && SameName(name, section)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int IniText::SectionEnd(int header) const {
    size_t i = static_cast<size_t>(header) + 1;
    while (i < m_lines.size() && !ParseHeader(m_lines[i], nullptr)) {
        ++i;
    }
    return static_cast<int>(i);
}

int IniText::FindKey(int header, const std::string& key) const {
    if (header < 0) {
        return -1;
    }
    std::string name;
    for (int i = header + 1, end = SectionEnd(header); i < end; ++i) {
        if (ParseEntry(m_lines[i], &name, nullptr) && SameName(name, key)) {
            return i;
        }
    }
    return -1;
}

bool IniText::HasSection(const std::string& section) const {
    return FindSection(section) >= 0;
}

bool IniText::Find(const std::string& section, const std::string& key, std::string* value) const {
    int line = FindKey(FindSection(section), key);
    if (line < 0) {
        return false;
    }
    return ParseEntry(m_lines[line], nullptr, value);
}

std::vector<std::string> IniText::Keys(const std::string& section) const {
    std::vector<std::string> keys;
    int header = FindSection(section);
    if (header < 0) {
        return keys;
    }
    std::string name;
    for (int i = header + 1, end = SectionEnd(header); i < end; ++i) {
        if (!ParseEntry(m_lines[i], &name, nullptr)) {
            continue;
        }
        bool seen = false;
        for (const std::string& k : keys) {
            seen = seen || SameName(k, name);
        }
        if (!seen) {
            keys.push_back(name);
        }
    }
    return keys;
}

std::vector<std::pair<std::string, std::string>> IniText::Entries(
    const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    int header = FindSection(section);
    if (header < 0) {
        return entries;
    }
    std::string key;
    std::string value;
    for (int i = header + 1, end = SectionEnd(header); i < end; ++i) {
        if (ParseEntry(m_lines[i], &key, &value)) {
            entries.emplace_back(key, value);
        }
    }
    return entries;
}

void IniText::ReplaceSection(const std::string& section,
                             const std::vector<std::pair<std::string, std::string>>& entries) {
    DeleteSection(section);
    bool headerWritten = false;
    for (const auto& [key, value] : entries) {
        const std::string cleanKey = Trim(OneLine(key, true));
        if (cleanKey.empty()) {
            continue;
        }
        if (!headerWritten) {
            m_lines.push_back(HeaderLine(section));
            headerWritten = true;
        }
        m_lines.push_back(cleanKey + "=" + ValueText(value));
    }
}

void IniText::Set(const std::string& section, const std::string& key, const std::string& value) {
    const std::string cleanKey = Trim(OneLine(key, true));
    const std::string cleanValue = ValueText(value);
    if (cleanKey.empty()) {
        return;
    }
    int header = FindSection(section);
    if (header < 0) {
        m_lines.push_back(HeaderLine(section));
        m_lines.push_back(cleanKey + "=" + cleanValue);
        return;
    }
    int line = FindKey(header, cleanKey);
    if (line >= 0) {
        std::string existing;
        ParseEntry(m_lines[line], &existing, nullptr);
        m_lines[line] = existing + "=" + cleanValue;
        return;
    }
    // After the section's last non-blank line, so that a blank line before the next section
    // stays where it is.
    int at = SectionEnd(header);
    while (at > header + 1 && Trim(m_lines[at - 1]).empty()) {
        --at;
    }
    m_lines.insert(m_lines.begin() + at, cleanKey + "=" + cleanValue);
}

void IniText::DeleteKey(const std::string& section, const std::string& key) {
    int line = FindKey(FindSection(section), key);
    if (line >= 0) {
        m_lines.erase(m_lines.begin() + line);
    }
}

void IniText::DeleteSection(const std::string& section) {
    // Every section of that name: a repeated one left behind would come forward as the section.
    for (int header = FindSection(section); header >= 0; header = FindSection(section)) {
        m_lines.erase(m_lines.begin() + header, m_lines.begin() + SectionEnd(header));
    }
}

int ProfileInt(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && (IsBlank(text[at]) || text[at] == '\r' || text[at] == '\n')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    uint32_t result = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        result = result * 10u + static_cast<uint32_t>(text[at] - '0');
        ++at;
    }
    if (negative) {
        result = 0u - result;
    }
    return static_cast<int>(result);
}

}  // namespace platform
