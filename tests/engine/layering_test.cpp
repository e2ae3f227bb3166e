// The engine, the platform layer, the unit protocol and the monitor stand without Qt: no source
// of theirs includes a Qt header, and their libraries build into test programs that do not link
// Qt (this one among them).
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// "#include <QWidget>", "# include <QtCore/qobject.h>", "#include \"QString\"" and the like.
bool IsQtInclude(const std::string& line) {
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#') {
        return false;
    }
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || line.compare(at, 7, "include") != 0) {
        return false;
    }
    at = line.find_first_not_of(" \t", at + 7);
    if (at == std::string::npos || at + 2 >= line.size() || (line[at] != '<' && line[at] != '"') ||
        line[at + 1] != 'Q') {
        return false;
    }
    // QWidget, QString ...; QtCore/..., QtWidgets
    const char next = line[at + 2];
    return next == 't' || std::isupper(static_cast<unsigned char>(next)) != 0;
}

std::vector<std::string> QtIncludesIn(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             std::string(CORVANTIS_SOURCE_DIR) + "/" + folder)) {
        const auto extension = entry.path().extension();
        if (extension != ".h" && extension != ".cpp") {
            continue;
        }
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            if (IsQtInclude(line)) {
                found.push_back(entry.path().string() + ": " + line);
            }
        }
    }
    return found;
}

TEST(LayeringTest, EngineAndPlatformIncludeNoQt) {
    for (const char* folder :
         {"engine", "platform", "app/state", "app/core", "protocol", "monitor", "history"}) {
        EXPECT_EQ(QtIncludesIn(folder), std::vector<std::string>{}) << folder;
    }
}

TEST(LayeringTest, TheCheckSeesAQtInclude) {
    EXPECT_TRUE(IsQtInclude("#include <QWidget>"));
    EXPECT_TRUE(IsQtInclude("  #  include \"QString\""));
    EXPECT_TRUE(IsQtInclude("#include <QtCore/qobject.h>"));
    EXPECT_FALSE(IsQtInclude("#include <queue>"));
    EXPECT_FALSE(IsQtInclude("// #include <QWidget>"));
}

}  // namespace
