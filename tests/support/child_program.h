// Runs a built program of this project as a child process, for tests of what a real process does
// (exit status, stdout, stderr, a second copy started beside the first). The child gets its own
// working directory and extra environment variables; stdin is /dev/null.
//
//   ChildProgram first(path, {}, dir, {{"XDG_RUNTIME_DIR", runtime}});
//   ProgramResult second = RunProgram(path, {"--help"}, dir, {}, 10000);
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ProgramResult {
    int exitStatus = -1;  // -1 when ended by a signal or still running
    int signal = 0;       // the signal that ended it, 0 when it exited
    bool timedOut = false;
    std::string out;
    std::string err;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

class ChildProgram {
public:
    ChildProgram(const std::string& path, const std::vector<std::string>& args,
                 const std::string& workDir, const Environment& env);
    ~ChildProgram();  // kills and reaps a child still running
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool Started() const { return m_pid > 0; }
    bool Running();
    void Signal(int signal);
    // Waits (real time) for the child to end, collecting its output; kills it after `timeoutMs`.
    ProgramResult Wait(int timeoutMs);
    // Collects output while the child runs until its standard output holds `text`; false when
    // the child closed its output or `timeoutMs` passed first.
    bool WaitForOutput(const std::string& text, int timeoutMs);
    // The standard output collected so far.
    const std::string& Output() const { return m_result.out; }

private:
    void Drain(int timeoutMs);
    bool Reap(bool block);

    int m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    ProgramResult m_result;
    bool m_reaped = false;
};

ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                         const std::string& workDir, const Environment& env, int timeoutMs);
