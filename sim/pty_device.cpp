#include "sim/pty_device.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim {
namespace {

std::string Reason(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Sets the slave raw: no echo, no line editing, no translation of carriage returns.
bool MakeSlaveRaw(const std::string& path, std::string& error) {
    int slave = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = Reason("open " + path);
        return false;
    }
    termios settings = {};
    bool ok = tcgetattr(slave, &settings) == 0;
    if (ok) {
        cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        ok = tcsetattr(slave, TCSANOW, &settings) == 0;
    }
    if (!ok) {
        error = Reason("set raw mode on " + path);
    }
    close(slave);
    return ok;
}

// Points `link` at `target`, replacing what was there in one step.
bool PointLink(const std::string& link, const std::string& target, std::string& error) {
    const std::string temporary = link + ".new";
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        error = Reason("symlink " + temporary);
        return false;
    }
    if (rename(temporary.c_str(), link.c_str()) != 0) {
        error = Reason("rename " + temporary);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

PtyDevice::~PtyDevice() {
    Close();
}

bool PtyDevice::Open(const std::string& link, std::string& error) {
    Close();
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = Reason("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        error = Reason("pseudo-terminal set-up");
        close(master);
        return false;
    }
    int flags = fcntl(master, F_GETFL);
    if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = Reason("fcntl(O_NONBLOCK)");
        close(master);
        return false;
    }
    if (!MakeSlaveRaw(name, error) || (!link.empty() && !PointLink(link, name, error))) {
        close(master);
        return false;
    }
    m_master = master;
    m_slavePath = name;
    m_link = link;
    return true;
}

void PtyDevice::Close() {
    if (m_master >= 0) {
        close(m_master);
        m_master = -1;
    }
}

void PtyDevice::Remove() {
    Close();
    if (!m_link.empty()) {
        unlink(m_link.c_str());
        m_link.clear();
    }
}

bool PtyDevice::ConsoleAttached() const {
    pollfd p = {m_master, POLLIN, 0};
    return m_master >= 0 && poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

}  // namespace sim
