#include "app/command_line.h"

#include <algorithm>
#include <functional>

namespace {

struct OptionSpec {
    const char* name;
    bool takesValue;
    const char* valueName;
    const char* help;
    std::function<void(CommandLine&, const std::string&)> apply;
};

const std::vector<OptionSpec>& Options() {
    static const std::vector<OptionSpec> options = {
        {"--connect", true, "SITE", "after start-up, connect to the phone-book site named SITE",
         [](CommandLine& line, const std::string& value) { line.connectSite = value; }},
        {"--demo", false, nullptr,
         "run against a built-in simulated unit (site \"Demo unit\"); settings and logs go to a "
         "scratch folder, never to ./Corvantis.ini",
         [](CommandLine& line, const std::string&) { line.demo = true; }},
        {"--desktop", false, nullptr,
         "as the desktop entry starts it: settings and logs in $XDG_DATA_HOME/Corvantis "
         "(~/.local/share/Corvantis), created on first start, or in the home folder when "
         "~/Corvantis.ini exists",
         [](CommandLine& line, const std::string&) { line.desktop = true; }},
        {"--snapshot", true, "DIR",
         "with --connect or --demo: once logged in, save each page as DIR/status.png, "
         "DIR/cycle.png, DIR/reporting.png, DIR/event.png, print the Status values and exit "
         "(status 0 when every page was filled from the unit)",
         [](CommandLine& line, const std::string& value) { line.snapshotDir = value; }},
        {"--help", false, nullptr, "show this help and exit",
         [](CommandLine& line, const std::string&) { line.action = CommandLine::Action::Help; }},
        {"--version", false, nullptr, "show the version and exit",
         [](CommandLine& line, const std::string&) {
             if (line.action != CommandLine::Action::Help) {
                 line.action = CommandLine::Action::Version;
             }
         }},
    };
    return options;
}

const OptionSpec* FindOption(const std::string& name) {
    for (const OptionSpec& spec : Options()) {
        if (name == spec.name) {
            return &spec;
        }
    }
    return nullptr;
}

CommandLine Refuse(const std::string& why) {
    CommandLine line;
    line.action = CommandLine::Action::Fail;
    line.error = why;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        const OptionSpec* spec = FindOption(name);
        if (!spec) {
            return Refuse(arg.rfind("-", 0) == 0 ? "unknown option '" + arg + "'"
                                                 : "unexpected argument '" + arg + "'");
        }
        std::string value;
        if (spec->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return Refuse("option '" + name + "' needs " + spec->valueName);
            }
        } else if (inlineValue) {
            return Refuse("option '" + name + "' takes no value");
        }
        spec->apply(line, value);
    }
    if (line.action == CommandLine::Action::Run && line.snapshotDir) {
        if (line.snapshotDir->empty()) {
            return Refuse("option '--snapshot' needs a folder name");
        }
        if (!line.connectSite && !line.demo) {
            return Refuse("option '--snapshot' needs --connect SITE or --demo");
        }
    }
    return line;
}

CommandLine ParseCommandLine(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    return ParseCommandLine(args);
}

namespace {

// `words` broken into lines of at most `width` characters, every line after the first indented
// by `indent` blanks.
std::string Wrap(const std::string& words, size_t indent, size_t width) {
    std::string text;
    size_t lineLength = indent;
    size_t start = 0;
    while (start < words.size()) {
        size_t end = words.find(' ', start);
        if (end == std::string::npos) {
            end = words.size();
        }
        const std::string word = words.substr(start, end - start);
        if (lineLength > indent && lineLength + 1 + word.size() > width) {
            text += "\n" + std::string(indent, ' ');
            lineLength = indent;
        } else if (lineLength > indent) {
            text += ' ';
            ++lineLength;
        }
        text += word;
        lineLength += word.size();
        start = end + 1;
    }
    return text;
}

}  // namespace

std::string UsageText() {
    constexpr size_t kHelpColumn = 20;
    constexpr size_t kWidth = 79;
    std::string text =
        "Usage: corvantis [OPTION]...\n"
        "Operator console for remote dryer units.\n\nOptions:\n";
    for (const OptionSpec& spec : Options()) {
        std::string left = std::string("  ") + spec.name;
        if (spec.takesValue) {
            left += std::string(" ") + spec.valueName;
        }
        left.resize(std::max<size_t>(left.size() + 2, kHelpColumn), ' ');
        text += left + Wrap(spec.help, left.size(), kWidth) + "\n";
    }
    text +=
        "\nWithout --demo or --desktop, Corvantis.ini and the Log folder are those of the\n"
        "current directory.\n"
        "corvantis-unit --help describes the simulated unit.\n";
    return text;
}

std::string VersionText() {
    return "Corvantis Version 1.8.1.2\n";
}
