// A process killed with SIGKILL while it writes polls, fifty times over: the history file always
// opens as sound, every poll the child had reported written is there, and at most the poll it was
// writing when it died is missing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "history/history_reader.h"
#include "history/history_store.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace history;

constexpr int kKills = 50;

// The child: writes polls that each change dryer 1 (one row each) and reports the count of
// written polls on `out` after each commit. Never returns.
[[noreturn]] void WriteUntilKilled(const std::string& path, int out, int64_t firstPoll) {
    HistoryStore store;
    const LocalMs start = ToLocalMs(platform::LocalTime{2026, 12, 8, 0, 0, 0, 0});
    if (store.Open(path, 365, start) != HistoryStore::OpenResult::Opened) {
        _exit(3);
    }
    StatusRecord record;
    for (int64_t poll = firstPoll;; ++poll) {
        record.dryers[0].online = poll % 2 == 0;
        record.dryers[0].status = "poll " + std::to_string(poll);
        if (!store.WritePoll("North", start + poll * 5000, record)) {
            _exit(4);
        }
        const int64_t written = poll + 1;
        if (write(out, &written, sizeof written) != sizeof written) {
            _exit(5);
        }
    }
}

// Reads the counts the child reported until `until`; returns the last one (or `last`).
int64_t LastReported(int in, int64_t last, std::chrono::steady_clock::time_point until) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              until - std::chrono::steady_clock::now())
                              .count();
        pollfd fd{in, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(std::max<int64_t>(left, 0))) <= 0) {
            return last;
        }
        int64_t value = 0;
        const ssize_t n = read(in, &value, sizeof value);
        if (n != sizeof value) {
            return last;
        }
        last = value;
    }
}

TEST(HistoryKillTest, AKillAtAnyMomentLosesAtMostThePollBeingWritten) {
    TempDir dir;
    const std::string path = dir.Path() + "/Corvantis.db";
    std::mt19937 random(20261208);
    int64_t stored = 0;
    for (int round = 0; round < kKills; ++round) {
        int pipeFds[2];
        ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            WriteUntilKilled(path, pipeFds[1], stored);
        }
        close(pipeFds[1]);
        // Some kills land while the file is opened or checked, most in the middle of the writes.
        const int delayMs = std::uniform_int_distribution<int>(0, 60)(random);
        int64_t reported =
            LastReported(pipeFds[0], stored,
                         std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        // A count that was in the pipe when the child died was still written before it.
        reported = LastReported(pipeFds[0], reported, std::chrono::steady_clock::now());
        close(pipeFds[0]);
        ASSERT_TRUE(WIFSIGNALED(status))
            << "round " << round << ": the child ended on its own (" << WEXITSTATUS(status) << ")";

        HistoryStore check;
        ASSERT_EQ(check.Open(path, 365, ToLocalMs(platform::LocalTime{2026, 12, 8, 0, 0, 0, 0})),
                  HistoryStore::OpenResult::Opened)
            << "round " << round << ": " << check.Notice();
        check.Close();
        HistoryReader reader;
        ASSERT_TRUE(reader.Open(path)) << reader.Error();
        // Eight rows for the site's first poll, one for each later one.
        const int64_t rows = reader.Count("dryer_changes", "North");
        const int64_t polls = rows <= 0 ? 0 : rows - 7;
        EXPECT_GE(polls, reported) << "round " << round;
        EXPECT_LE(polls, reported + 1) << "round " << round;
        stored = polls;
    }
    EXPECT_GT(stored, kKills) << "the children wrote too little to tell";
}

}  // namespace
