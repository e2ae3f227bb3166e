#include "history/csv_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace history {

namespace {

bool NeedsQuotes(const std::string& field) {
    return field.find_first_of(",\"\r\n") != std::string::npos;
}

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::string CsvLine(const CsvRow& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        const std::string& field = fields[i];
        if (!NeedsQuotes(field)) {
            line += field;
            continue;
        }
        line += '"';
        for (char c : field) {
            if (c == '"') {
                line += '"';
            }
            line += c;
        }
        line += '"';
    }
    return line + "\r\n";
}

std::string CsvText(const CsvRow& header, const std::vector<CsvRow>& rows) {
    std::string text = CsvLine(header);
    for (const CsvRow& row : rows) {
        text += CsvLine(row);
    }
    return text;
}

std::vector<CsvRow> ParseCsv(const std::string& text) {
    std::vector<CsvRow> rows;
    CsvRow row;
    std::string field;
    bool quoted = false;
    bool any = false;  // the line holds something (a field or a separator)
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            any = false;
            ++i;
        } else {
            field += c;
            any = true;
        }
    }
    if (any) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

bool WriteFileWhole(const std::string& path, const std::string& text, std::string* error) {
    const std::string temporary = path + ".part";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error) {
            *error = SystemError("cannot create", temporary);
        }
        return false;
    }
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (error) {
                *error = SystemError("cannot write", temporary);
            }
            ::close(fd);
            ::unlink(temporary.c_str());
            return false;
        }
        written += static_cast<size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!synced || !closed) {
        if (error) {
            *error = SystemError("cannot write", temporary);
        }
        ::unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        if (error) {
            *error = SystemError("cannot replace", path);
        }
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace history
