// The text of an ini file as its lines, and the private-profile rules over them: "[name]" starts
// a section; "key=value" is an entry (key and value trimmed of blanks); lines starting with ';'
// or '#', blank lines and any other line are kept as they stand but are never entries. Sections
// and keys compare without regard to ASCII case; the first section and the first key of a name
// win, as they do on Windows. A value enclosed in one pair of matching quotes (" or ') is read
// without them; a value that begins and ends with the same quote is written with one more pair.
// Values are 8-bit bytes.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

class IniText {
public:
    // Splits `contents` into lines at "\r\n", "\n" or a lone "\r". A UTF-8 byte order mark at
    // the start is remembered and written back.
    void Parse(const std::string& contents);
    // Every line followed by "\r\n".
    std::string Render() const;

    bool HasSection(const std::string& section) const;
    // True when the entry exists; its value goes to `value` when given.
    bool Find(const std::string& section, const std::string& key, std::string* value) const;
    std::vector<std::string> Keys(const std::string& section) const;
    // Every entry of the section (the first section of that name), in file order, as key and
    // value; a key that is repeated is listed each time (the first one is the one Find reads).
    // One pass over the file, however long the section.
    std::vector<std::pair<std::string, std::string>> Entries(const std::string& section) const;

    // Replaces the value of an existing entry (keeping the key's spelling), or adds the entry
    // after the last entry of the section, or adds the section at the end. Line breaks in the key
    // or value are turned into blanks so that no value can make lines of its own; '=' in a key is
    // likewise replaced.
    void Set(const std::string& section, const std::string& key, const std::string& value);
    void DeleteKey(const std::string& section, const std::string& key);
    // Removes the section's header and every line up to the next section (every section of that
    // name, when it is repeated).
    void DeleteSection(const std::string& section);
    // The same as DeleteSection and then Set for each entry in order, in one pass: the section
    // comes back at the end of the file holding exactly these entries. Keys are distinct.
    void ReplaceSection(const std::string& section,
                        const std::vector<std::pair<std::string, std::string>>& entries);

private:
    int FindSection(const std::string& section) const;  // header line, or -1
    int SectionEnd(int header) const;                   // first line after the section
    int FindKey(int header, const std::string& key) const;

    std::vector<std::string> m_lines;
    bool m_bom = false;
};

// An integer as GetPrivateProfileInt reads it: leading blanks, an optional sign, decimal digits
// up to the first other character (wrapping like a 32-bit unsigned value); no digits gives 0.
int ProfileInt(const std::string& text);

}  // namespace platform
