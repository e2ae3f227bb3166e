// The corvantis-unit program as a user runs it: its arguments, its first line and its ending.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "sim/fault_mode.h"
#include "tests/sim/raw_line.h"

namespace {

const std::string kProgram = CORVANTIS_BINARY_DIR "/sim/corvantis-unit";

// A running corvantis-unit with its standard output and error read through pipes.
class Program {
public:
    explicit Program(const std::vector<std::string>& args) {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], 1);
            dup2(err[1], 2);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(kProgram.c_str()));
            for (const std::string& a : args) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            execv(kProgram.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Program() {
        if (m_pid > 0 && !m_exited) {
            kill(m_pid, SIGKILL);
            Wait(5000);
        }
        close(m_out);
        close(m_err);
    }
    // The first line of standard output (without its "\n"), waiting at most `ms`.
    std::string FirstLine(int ms) {
        std::string text;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (text.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd p = {m_out, POLLIN, 0};
            char c[256];
            ssize_t n = poll(&p, 1, 100) > 0 ? read(m_out, c, sizeof c) : 0;
            if (n < 0 || (n == 0 && p.revents & POLLHUP)) {
                break;
            }
            text.append(c, static_cast<size_t>(std::max<ssize_t>(n, 0)));
        }
        return text.substr(0, text.find('\n'));
    }
    std::string AllOf(int fd) {
        std::string text;
        char c[4096];
        for (ssize_t n; (n = read(fd, c, sizeof c)) > 0;) {
            text.append(c, static_cast<size_t>(n));
        }
        return text;
    }
    std::string Out() { return AllOf(m_out); }
    std::string Err() { return AllOf(m_err); }
    void Signal(int sig) { kill(m_pid, sig); }
    // The exit code, or -1 when it did not end within `ms`.
    int Wait(int ms) {
        for (int waited = 0; waited <= ms; waited += 10) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(10000);
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    bool m_exited = false;
};

class CorvantisUnit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(access(kProgram.c_str(), X_OK), 0) << kProgram << " is not built";
    }
};

TEST_F(CorvantisUnit, HelpListsEveryFault) {
    Program p({"--help"});
    ASSERT_EQ(p.Wait(5000), 0);
    std::string help = p.Out();
    EXPECT_NE(help.find("usage: corvantis-unit"), std::string::npos);
    for (const std::string& line : sim::FaultHelpLines()) {
        EXPECT_NE(help.find(line), std::string::npos) << line;
        std::string name = line.substr(0, line.find_first_of(",:"));
        sim::FaultModes faults;
        EXPECT_TRUE(sim::EnableFault(name, faults)) << name;
        EXPECT_NE(faults, sim::FaultModes()) << name;
    }
}

TEST_F(CorvantisUnit, BadArgumentsAreRefusedWithUsage) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--tcp"},
        {"--tcp", "127.0.0.1"},
        {"--tcp", "127.0.0.1:70000"},
        {"--tcp", "127.0.0.1:0", "--pty"},
        {"--tcp", "127.0.0.1:0", "--fault", "bogus"},
        {"--tcp", "127.0.0.1:0", "--fault", "slow=0"},
        {"--tcp", "127.0.0.1:0", "--seed", "x"},
        {"--pty", "--password"},
        {"--pty", "--frobnicate"},
    };
    for (const auto& args : bad) {
        Program p(args);
        std::string joined;
        for (const std::string& a : args) {
            joined += a + " ";
        }
        EXPECT_EQ(p.Wait(5000), 2) << joined;
        std::string err = p.Err();
        EXPECT_NE(err.find("corvantis-unit: "), std::string::npos) << joined;
        EXPECT_NE(err.find("usage:"), std::string::npos) << joined;
        EXPECT_TRUE(p.Out().empty()) << joined;
    }
}

TEST_F(CorvantisUnit, ServesTcpUntilTerminated) {
    Program p({"--tcp", "127.0.0.1:0", "--demo", "--password", "pw", "--clock", "12:34"});
    std::string first = p.FirstLine(5000);
    const std::string prefix = "listening on 127.0.0.1:";
    ASSERT_EQ(first.substr(0, prefix.size()), prefix) << first;
    int port = std::stoi(first.substr(prefix.size()));
    simtest::RawLine line;
    ASSERT_TRUE(line.ConnectTcp(port));
    ASSERT_TRUE(simtest::LogIn(line));
    std::string reply = simtest::Exchange(line, "/60.htm?val=0-0\r");
    EXPECT_NE(reply.find(";DAYS M.W.F;12/09/2026 05:30;12:34;3;"), std::string::npos) << reply;
    EXPECT_NE(reply.find(";Red,2026-12-07 04:12,Alarm,DX-80;"), std::string::npos) << reply;
    reply = simtest::Exchange(line, "/51.htm?val=1-0,pw;5\r");
    EXPECT_EQ(reply.find(";Red,"), std::string::npos) << reply;
    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(5000), 0);
}

TEST_F(CorvantisUnit, ServesAPseudoTerminalUntilInterrupted) {
    Program p({"--pty", "--keyword", "KEY", "--verbose"});
    std::string path = p.FirstLine(5000);
    ASSERT_EQ(path.substr(0, 5), "/dev/") << path;
    simtest::RawLine line;
    ASSERT_TRUE(line.OpenDevice(path));
    ASSERT_TRUE(simtest::LogIn(line, "KEY"));
    p.Signal(SIGINT);
    EXPECT_EQ(p.Wait(5000), 0);
    EXPECT_NE(p.Err().find("console> ck\\r"), std::string::npos);
}

TEST_F(CorvantisUnit, AddressInUseIsReported) {
    Program first({"--tcp", "127.0.0.1:0"});
    std::string line = first.FirstLine(5000);
    ASSERT_FALSE(line.empty());
    std::string port = line.substr(line.rfind(':') + 1);
    Program second({"--tcp", "127.0.0.1:" + port});
    EXPECT_EQ(second.Wait(5000), 1);
    EXPECT_NE(second.Err().find("cannot listen on 127.0.0.1:" + port), std::string::npos);
}

}  // namespace
