// The corvantis program.
#include <QApplication>
#include <cstdio>
#include <memory>

#include "app/command_line.h"
#include "app/core/desktop_start_folder.h"
#include "app/demo_unit.h"
#include "app/main_frame.h"
#include "app/snapshot_tour.h"
#include "app/startup.h"
#include "app/termination_signals.h"

namespace {

// --demo: the simulated unit and its scratch folder take the place of the operator's settings.
// Null (with the reason on stderr) when the demo cannot start.
std::unique_ptr<CDemoUnit> StartDemo(StartupOptions& options) {
    auto demo = std::make_unique<CDemoUnit>();
    std::string error;
    if (!demo->Start(&error)) {
        std::fprintf(stderr, "corvantis: %s\n", error.c_str());
        return nullptr;
    }
    std::fputs(demo->Banner().c_str(), stdout);
    options.appDir = demo->Folder();
    // The demo shares neither the operator's settings file nor a line with another copy.
    options.singleInstance = false;
    CommandLine& line = options.commandLine;
    if (!line.connectSite && line.snapshotDir) {
        line.connectSite = CDemoUnit::kSiteName;
    } else if (!line.connectSite) {
        std::printf("Choose Connect, pick \"%s\" in the Phone Book and press Select.\n",
                    CDemoUnit::kSiteName);
    }
    std::fflush(stdout);
    return demo;
}

}  // namespace

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

    constexpr int kExitFailed = 1;
    if (line.snapshotDir) {
        std::string error;
        if (!CSnapshotTour::MakeFolder(*line.snapshotDir, &error)) {
            std::fprintf(stderr, "corvantis: %s\n", error.c_str());
            return kExitFailed;
        }
    }
    CTerminationSignals terminationSignals;
    StartupOptions options;
    options.commandLine = line;
    std::unique_ptr<CDemoUnit> demo;
    if (line.demo && !(demo = StartDemo(options))) {
        return kExitFailed;
    }
    if (line.desktop && !line.demo) {
        const DesktopStartFolder start = PrepareDesktopStartFolder(DesktopEnvironmentOfProcess());
        options.appDir = start.folder;
        options.startFolderProblem = start.problem;
    }
    CConsole console;
    if (!console.Start(options)) {
        return console.ExitStatus();
    }
    std::unique_ptr<CSnapshotTour> tour;
    if (line.snapshotDir) {
        CSnapshotTour::Options tourOptions;
        tourOptions.dir = *line.snapshotDir;
        tour = std::make_unique<CSnapshotTour>(*console.Frame(), tourOptions);
        QObject::connect(tour.get(), &CSnapshotTour::Finished, &application,
                         [](int status) { QCoreApplication::exit(status); });
        tour->Begin();
    }
    // A signal handled during start-up (inside a message box) ends the program here.
    int status = terminationSignals.Received() ? 0 : QApplication::exec();
    if (tour) {
        status = tour->Finish();
    }
    tour.reset();
    console.Shutdown();
    if (demo) {
        std::printf("The demo's settings and logs stay in %s\n", demo->Folder().c_str());
    }
    return status;
}
