#include "tests/support/child_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace {
int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

ChildProgram::ChildProgram(const std::string& path, const std::vector<std::string>& args,
                           const std::string& workDir, const Environment& env) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return;
    }
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return;
    }
    std::vector<std::string> argStore = {path};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStore) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    m_pid = fork();
    if (m_pid == 0) {
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) {
            _exit(126);
        }
        for (const auto& [name, value] : env) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    m_out = out[0];
    m_err = err[0];
    if (m_pid < 0) {
        close(m_out);
        close(m_err);
        m_out = m_err = -1;
    }
}

ChildProgram::~ChildProgram() {
    if (m_pid > 0 && !m_reaped) {
        kill(m_pid, SIGKILL);
        Reap(true);
    }
    for (int fd : {m_out, m_err}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool ChildProgram::Reap(bool block) {
    if (m_reaped) {
        return true;
    }
    int status = 0;
    pid_t done;
    do {
        done = waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (done < 0 && errno == EINTR);
    if (done != m_pid) {
        return false;
    }
    m_reaped = true;
    if (WIFEXITED(status)) {
        m_result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        m_result.signal = WTERMSIG(status);
    }
    return true;
}

bool ChildProgram::Running() {
    return m_pid > 0 && !Reap(false);
}

void ChildProgram::Signal(int signal) {
    if (m_pid > 0 && !m_reaped) {
        kill(m_pid, signal);
    }
}

void ChildProgram::Drain(int timeoutMs) {
    const int64_t end = NowMs() + timeoutMs;
    while (m_out >= 0 || m_err >= 0) {
        const int64_t left = end - NowMs();
        if (left <= 0) {
            return;
        }
        pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        if (poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR) {
            return;
        }
        for (int i = 0; i < 2; ++i) {
            int& fd = i == 0 ? m_out : m_err;
            if (fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got > 0) {
                (i == 0 ? m_result.out : m_result.err).append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fd);
                fd = -1;
            }
        }
    }
}

bool ChildProgram::WaitForOutput(const std::string& text, int timeoutMs) {
    constexpr int64_t kSliceMs = 20;
    const int64_t end = NowMs() + timeoutMs;
    while (m_result.out.find(text) == std::string::npos) {
        const int64_t left = end - NowMs();
        if (left <= 0 || m_out < 0) {
            return false;
        }
        Drain(static_cast<int>(std::min(left, kSliceMs)));
    }
    return true;
}

ProgramResult ChildProgram::Wait(int timeoutMs) {
    if (m_pid <= 0) {
        m_result.exitStatus = 127;
        return m_result;
    }
    const int64_t end = NowMs() + timeoutMs;
    Drain(timeoutMs);
    while (!Reap(false)) {
        if (NowMs() >= end) {
            m_result.timedOut = true;
            kill(m_pid, SIGKILL);
            Reap(true);
            break;
        }
        usleep(5000);
    }
    return m_result;
}

ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                         const std::string& workDir, const Environment& env, int timeoutMs) {
    ChildProgram child(path, args, workDir, env);
    return child.Wait(timeoutMs);
}
