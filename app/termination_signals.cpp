#include "app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "app/state/app_state.h"

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};

// Signal context: only write() to the pipe.
void OnSignalArrived(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] ssize_t written = write(g_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

CTerminationSignals::CTerminationSignals(QObject* parent) : QObject(parent) {
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        DebugLog(std::string("Signal handling fail! reason: ") + std::strerror(errno));
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CTerminationSignals::OnSignal);

    struct sigaction action = {};
    action.sa_handler = OnSignalArrived;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) {
        if (sigaction(signal, &action, nullptr) != 0) {
            DebugLog(std::string("Signal handling fail! reason: ") + std::strerror(errno));
        }
    }
}

CTerminationSignals::~CTerminationSignals() {
    if (!m_notifier) {
        return;
    }
    for (int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    delete m_notifier;
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void CTerminationSignals::OnSignal() {
    unsigned char byte = 0;
    while (read(g_pipe[0], &byte, 1) == 1) {
    }
    m_received = true;
    DebugLog("Program ended by signal " + std::to_string(byte) + ".");
    // Leaves every running event loop, the modal ones too.
    QCoreApplication::exit(0);
}
