// The console's command line: `--connect SITE`, `--demo`, `--desktop`, `--snapshot DIR`,
// `--help`, `--version`. Parsed before anything else starts, so that help and errors need no
// display.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    enum class Action { Run, Help, Version, Fail };

    Action action = Action::Run;
    // After start-up, connect to the phone-book site with exactly this name.
    std::optional<std::string> connectSite;
    // Run against the built-in simulated unit, in a scratch folder of its own.
    bool demo = false;
    // Started from the desktop: the start folder is the console's own (desktop_start_folder.h),
    // not the current directory.
    bool desktop = false;
    // Once logged in, save a picture of each page into this folder, then end.
    std::optional<std::string> snapshotDir;
    // Why the command line was refused (Action::Fail).
    std::string error;
};

// `args` excludes the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
CommandLine ParseCommandLine(int argc, char** argv);

std::string UsageText();
std::string VersionText();

// Exit status for a refused command line or an unknown site.
constexpr int kExitUsage = 2;
