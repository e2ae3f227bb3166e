// The engine and the platform layer stand without Qt: no source of theirs includes a Qt header,
// and their libraries build into test programs that do not link Qt (this one among them).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace {

std::vector<std::string> QtIncludesIn(const std::string& folder) {
    const std::regex qtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/))");
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
            if (std::regex_search(line, qtInclude)) {
                found.push_back(entry.path().string() + ": " + line);
            }
        }
    }
    return found;
}

TEST(LayeringTest, EngineAndPlatformIncludeNoQt) {
    for (const char* folder : {"engine", "platform", "app/state"}) {
        EXPECT_EQ(QtIncludesIn(folder), std::vector<std::string>{}) << folder;
    }
}

TEST(LayeringTest, TheCheckSeesAQtInclude) {
    const std::regex qtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/))");
    EXPECT_TRUE(std::regex_search("#include <QWidget>", qtInclude));
    EXPECT_TRUE(std::regex_search("#include <QtCore/qobject.h>", qtInclude));
    EXPECT_FALSE(std::regex_search("#include <queue>", qtInclude));
}

}  // namespace
