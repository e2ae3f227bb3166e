// The start folder of the console when a desktop starts it (`corvantis --desktop`, the desktop
// entry's command). Desktops start programs in the home folder, where Corvantis.ini and the Log
// folder would land among the user's own files; so the console keeps them in a folder of its
// own, "Corvantis" under the XDG data home ($XDG_DATA_HOME, else ~/.local/share), created with
// its Log folder (mode 0700, as the XDG base directories are) on first start. A Corvantis.ini
// already in the home folder is used where it stands, with the home folder as the start folder:
// what an operator set up before keeps working, and nothing is moved or created there.
//
// Started from a shell, the console does not use this: its start folder is the current directory.
//
// No Qt, no shared state: any thread may call these, though only start-up does.
#pragma once

#include <string>

struct DesktopEnvironment {
    std::string home;         // $HOME, else the home folder of the user's account
    std::string xdgDataHome;  // $XDG_DATA_HOME as set (empty or relative means unset)
};

struct DesktopStartFolder {
    // The application folder (settings file and Log folder); empty means the current directory.
    std::string folder;
    bool created = false;  // the folder did not exist before
    // Empty, or what went wrong creating the folder, in words for the operator. The folder is
    // still the one to use: settings saves and logs then say for themselves that they fail,
    // and nothing falls back into the home folder.
    std::string problem;
};

// The home folder and the XDG data home of this process.
DesktopEnvironment DesktopEnvironmentOfProcess();

// Decides the start folder for `env` and creates it (with Log) when it is the console's own.
DesktopStartFolder PrepareDesktopStartFolder(const DesktopEnvironment& env);
