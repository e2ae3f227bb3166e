// Running a program of this project as a child process and reading what the kernel says of it:
// its output, its CPU time and its memory. Shared by the benchmarks that measure whole programs.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace bench {

inline double MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A child process whose standard output and error come back through one pipe.
struct Child {
    pid_t pid = -1;
    int out = -1;
    std::string text;  // everything read so far

    // Reads what has arrived, waiting up to `ms`; false when the pipe has closed.
    bool Read(int ms) {
        pollfd p{out, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0) {
            return true;
        }
        char buffer[4096];
        const ssize_t n = read(out, buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        text.append(buffer, static_cast<size_t>(n));
        return true;
    }
    // Waits up to `ms` for `marker` in the output.
    bool WaitFor(const std::string& marker, int ms) {
        const double end = MonotonicMs() + ms;
        while (text.find(marker) == std::string::npos) {
            const double left = end - MonotonicMs();
            if (left <= 0 || !Read(static_cast<int>(left) + 1)) {
                return text.find(marker) != std::string::npos;
            }
        }
        return true;
    }
    void Stop() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            for (int i = 0; i < 100 && waitpid(pid, nullptr, WNOHANG) == 0; ++i) {
                Read(50);
            }
            if (waitpid(pid, nullptr, WNOHANG) == 0) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
        if (out >= 0) {
            close(out);
        }
        pid = -1;
        out = -1;
    }
};

inline Child Spawn(const std::vector<std::string>& argv, const std::string& dir,
                   const std::vector<std::string>& env) {
    Child child;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        std::perror("pipe2");
        std::exit(1);
    }
    child.pid = fork();
    if (child.pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (child.pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        if (chdir(dir.c_str()) != 0) {
            std::perror("chdir");
            _exit(127);
        }
        for (const std::string& e : env) {
            putenv(const_cast<char*>(e.c_str()));
        }
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        execv(args[0], args.data());
        std::perror(args[0]);
        _exit(127);
    }
    close(fds[1]);
    child.out = fds[0];
    return child;
}

// utime + stime of a process, in clock ticks.
inline long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The command name may hold blanks: the fields are counted after its closing parenthesis.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) {
            utime = std::atol(field.c_str());
        } else if (i == 15) {
            stime = std::atol(field.c_str());
        }
    }
    return utime + stime;
}

// "VmRSS" or "VmHWM" of a process, in MB.
inline double StatusMb(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0) {
            return std::atof(line.c_str() + key.size() + 1) / 1024.0;
        }
    }
    return -1;
}

}  // namespace bench
