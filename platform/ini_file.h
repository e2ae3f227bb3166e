// An ini file with the Windows private-profile behaviour: sections and keys compare without
// regard to case; integers are read as GetPrivateProfileInt reads them (leading blanks, optional
// sign, decimal digits up to the first other character; no digits gives 0; missing gives the
// default); unknown sections, comments, blank lines and key order are kept as they stand; CRLF or
// LF is read; a save writes a temporary file beside it and renames it over the old one, so a
// crash during a save leaves the old file or the new one, never a torn one.
//
// Not thread safe: the owner serialises access (the console touches its settings on the UI thread
// only).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class IniFile {
public:
    IniFile();
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Reads the file. A missing file is an empty ini and returns true; a file that exists but
    // cannot be read returns false with the system's reason in LastError(). A file that holds
    // bytes no text file has (0x00 and the other control bytes but tab and line ends, as after a
    // power loss) is damaged: the lines holding them are left out, the rest is read, Load returns
    // true and Damaged() tells.
    bool Load(const std::string& path);
    bool Damaged() const;
    // Takes `contents` as if Load had read them from the file (the path stays as it is): for
    // callers that hold the text already, and for fuzzing the reader.
    void ParseText(const std::string& contents);
    const std::string& Path() const;

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) const;
    int GetInt(const std::string& section, const std::string& key, int defaultValue) const;
    bool HasKey(const std::string& section, const std::string& key) const;
    bool HasSection(const std::string& section) const;
    std::vector<std::string> Keys(const std::string& section) const;
    // Every entry of the section in file order (see IniText::Entries); one pass.
    std::vector<std::pair<std::string, std::string>> Entries(const std::string& section) const;

    // Changes in memory; Save() writes them.
    void SetString(const std::string& section, const std::string& key, const std::string& value);
    void SetInt(const std::string& section, const std::string& key, int value);
    void DeleteKey(const std::string& section, const std::string& key);
    void DeleteSection(const std::string& section);
    // DeleteSection, then SetString for each (distinct) key in order, in one pass.
    void ReplaceSection(const std::string& section,
                        const std::vector<std::pair<std::string, std::string>>& entries);

    // Writes the whole file atomically; false with LastError() when it cannot. A file that could
    // not be read, or was damaged, is first kept aside under a new name ("<name>.unreadable-<date>"
    // or "<name>.damaged-<date>", see KeptAsidePath()), so that a save never replaces settings
    // that were not read with fewer. A file that was read but may not be written (read-only) is
    // left as it is: the save is refused and RefusedReadOnly() tells; the text in memory keeps
    // the change.
    bool Save();
    bool RefusedReadOnly() const;

    // Re-reads the file as it is on disk now, so that what was changed there meanwhile (by hand,
    // or by another program) is not undone by the next save. A missing file reads as empty, a
    // damaged one as far as it goes; one that cannot be read leaves the text in memory as it was
    // (false, with LastError()). Either way the next save keeps aside what was not read.
    bool Reread();
    // What the profile functions do: re-read the file, make `change` on it, and save (the result
    // of the save). Only the keys and sections that `change` touches differ from the file.
    bool Update(const std::function<void(IniFile&)>& change);
    // Where the last save kept the old file; empty when it kept none.
    const std::string& KeptAsidePath() const;
    const std::string& LastError() const;

    // The file's text as Save() would write it.
    std::string Text() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
