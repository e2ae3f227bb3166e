// The corvantis program.
#include <QApplication>
#include <cstdio>

#include "app/command_line.h"
#include "app/startup.h"
#include "app/termination_signals.h"

int main(int argc, char** argv) {
    const CommandLine line = ParseCommandLine(argc, argv);
    switch (line.action) {
        case CommandLine::Action::Help:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case CommandLine::Action::Version:
            std::fputs(VersionText().c_str(), stdout);
            return 0;
        case CommandLine::Action::Fail:
            std::fprintf(stderr, "corvantis: %s\n%s", line.error.c_str(), UsageText().c_str());
            return kExitUsage;
        case CommandLine::Action::Run:
            break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvantis"));
    QApplication::setApplicationVersion(QStringLiteral("1.8.1.2"));

    CTerminationSignals terminationSignals;
    CConsole console;
    StartupOptions options;
    options.commandLine = line;
    if (!console.Start(options)) {
        return console.ExitStatus();
    }
    // A signal handled during start-up (inside a message box) ends the program here.
    const int status = terminationSignals.Received() ? 0 : QApplication::exec();
    console.Shutdown();
    return status;
}
