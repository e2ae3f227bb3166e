#include "tests/support/session_bus.h"

#include <csignal>
#include <fstream>

namespace {

constexpr int kStartLimitMs = 20000;
const char kDaemon[] = "/usr/bin/dbus-daemon";

std::string Config(const std::string& socketDir) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir=" +
           socketDir +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

}  // namespace

PrivateSessionBus::PrivateSessionBus() {
    const std::string config = m_dir.Path() + "/session.conf";
    std::ofstream(config) << Config(m_dir.Path());
    m_daemon = std::make_unique<ChildProgram>(
        kDaemon, std::vector<std::string>{"--config-file=" + config, "--nofork", "--print-address"},
        m_dir.Path(), Environment{});
    if (!m_daemon->Started()) {
        m_error = std::string("cannot start ") + kDaemon;
        return;
    }
    if (!m_daemon->WaitForOutput("\n", kStartLimitMs)) {
        m_error = std::string(kDaemon) + " printed no address: " + m_daemon->Output();
        return;
    }
    const std::string& out = m_daemon->Output();
    m_address = out.substr(0, out.find('\n'));
}

PrivateSessionBus::~PrivateSessionBus() {
    if (m_daemon && m_daemon->Started()) {
        m_daemon->Signal(SIGTERM);
        m_daemon->Wait(kStartLimitMs);
    }
}
