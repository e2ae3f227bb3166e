#include "tests/support/fake_modem.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>

#include "platform/clock.h"

FakeModem::FakeModem() {
    if (m_pty.Ok()) {
        m_thread = std::thread(&FakeModem::Serve, this);
    }
}

FakeModem::~FakeModem() {
    m_stop.store(true);
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void FakeModem::SetCarrier(bool on) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_carrier = on;
    m_carrierAt = -1;
}

void FakeModem::ConnectAfterDial(int64_t programMs) {
    m_connectDelay.store(programMs);
}

bool FakeModem::Carrier() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_carrier || (m_carrierAt >= 0 && platform::Clock::NowMs() >= m_carrierAt);
}

std::vector<FakeModem::Line> FakeModem::Lines() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lines;
}

int FakeModem::CountLines(const std::string& prefix) const {
    int count = 0;
    for (const Line& line : Lines()) {
        count += line.text.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return count;
}

bool FakeModem::WaitForLines(const std::string& prefix, int count, int timeoutMs) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (CountLines(prefix) < count) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void FakeModem::Serve() {
    while (!m_stop.load()) {
        pollfd pfd{m_pty.Master(), POLLIN, 0};
        if (::poll(&pfd, 1, 5) <= 0 || !(pfd.revents & POLLIN)) {
            if (pfd.revents & POLLHUP) {
                // Nobody has the line open.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            continue;
        }
        char buffer[512];
        const ssize_t n = ::read(m_pty.Master(), buffer, sizeof buffer);
        if (n <= 0) {
            continue;
        }
        std::vector<std::string> answers;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] != '\r') {
                    m_partial += buffer[i];
                    continue;
                }
                const int64_t now = platform::Clock::NowMs();
                m_lines.push_back({m_partial, now});
                if (m_partial.rfind("ATDT", 0) == 0 && m_connectDelay.load() >= 0) {
                    m_carrierAt = now + m_connectDelay.load();
                }
                if (m_partial.rfind("AT", 0) == 0) {
                    answers.push_back(m_partial + "\r\r\nOK\r\n");
                }
                m_partial.clear();
            }
        }
        for (const std::string& answer : answers) {
            m_pty.Write(answer);
        }
    }
}

int ModemLinePort::ReadModemLines(int) {
    return TIOCM_DSR | TIOCM_CTS | (m_modem.Carrier() ? TIOCM_CAR : 0);
}
