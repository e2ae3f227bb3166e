// The single-instance lock between real processes: this test program runs copies of itself as
// the "other instance" (main below).
#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>

#include "tests/support/temp_dir.h"

using platform::InstanceLock;

namespace {

const char kHelperFlag[] = "--instance-lock-helper";

int ExitCodeOf(InstanceLock::Result result) {
    switch (result) {
        case InstanceLock::Result::Acquired:
            return 10;
        case InstanceLock::Result::AlreadyRunning:
            return 11;
        case InstanceLock::Result::Error:
            return 12;
    }
    return 13;
}

// The helper: "try" takes the lock and exits with the outcome; "hold" takes it, says so on
// stdout and waits to be killed.
int HelperMain(const std::string& mode, const std::string& folder) {
    InstanceLock lock(folder);
    InstanceLock::Result result = lock.Acquire();
    if (mode == "hold" && result == InstanceLock::Result::Acquired) {
        if (write(STDOUT_FILENO, "held\n", 5) != 5) {
            return 14;
        }
        for (;;) {
            pause();
        }
    }
    return ExitCodeOf(result);
}

pid_t Spawn(const std::string& mode, const std::string& folder, int* stdoutFd) {
    int fds[2];
    if (pipe(fds) != 0) {
        return -1;
    }
    pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl("/proc/self/exe", "instance_lock_helper", kHelperFlag, mode.c_str(), folder.c_str(),
              static_cast<char*>(nullptr));
        _exit(99);
    }
    close(fds[1]);
    *stdoutFd = fds[0];
    return child;
}

// Runs a "try" helper and returns its exit code.
int TryInOtherProcess(const std::string& folder) {
    int out = -1;
    pid_t child = Spawn("try", folder, &out);
    if (child < 0) {
        return -1;
    }
    close(out);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(InstanceLock, SecondProcessIsRefusedWhileTheFirstRuns) {
    TempDir dir;
    InstanceLock first(dir.Path());
    ASSERT_EQ(first.Acquire(), InstanceLock::Result::Acquired) << first.ErrorText();
    EXPECT_EQ(first.Path(), dir.Path() + "/CvHist");
    EXPECT_EQ(TryInOtherProcess(dir.Path()), ExitCodeOf(InstanceLock::Result::AlreadyRunning));
}

TEST(InstanceLock, LockGoesWithTheProcessHoweverItEnds) {
    TempDir dir;
    int out = -1;
    pid_t holder = Spawn("hold", dir.Path(), &out);
    ASSERT_GT(holder, 0);
    char said[8] = {};
    ASSERT_EQ(read(out, said, 5), 5);
    close(out);
    ASSERT_STREQ(said, "held\n");

    InstanceLock mine(dir.Path());
    EXPECT_EQ(mine.Acquire(), InstanceLock::Result::AlreadyRunning);

    kill(holder, SIGKILL);
    int status = 0;
    waitpid(holder, &status, 0);
    EXPECT_EQ(mine.Acquire(), InstanceLock::Result::Acquired) << mine.ErrorText();
}

TEST(InstanceLock, ReleasedWhenTheHolderIsDestroyed) {
    TempDir dir;
    {
        InstanceLock first(dir.Path());
        ASSERT_EQ(first.Acquire(), InstanceLock::Result::Acquired);
    }
    EXPECT_EQ(TryInOtherProcess(dir.Path()), ExitCodeOf(InstanceLock::Result::Acquired));
}

TEST(InstanceLock, UnusableFolderIsAnErrorWithItsReason) {
    TempDir dir;
    InstanceLock lock(dir.Path() + "/missing");
    EXPECT_EQ(lock.Acquire(), InstanceLock::Result::Error);
    EXPECT_NE(lock.ErrorText().find("/missing/CvHist"), std::string::npos) << lock.ErrorText();
}

TEST(InstanceLock, FolderFromTheRuntimeDirectoryOrTmpWhenItIsMissing) {
    const char* saved = getenv("XDG_RUNTIME_DIR");
    std::string keep = saved ? saved : "";
    TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    EXPECT_EQ(InstanceLock().Path(), dir.Path() + "/CvHist");
    EXPECT_TRUE(InstanceLock().FallbackNote().empty());
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceLock().Path(), "/tmp/CvHist");
    EXPECT_TRUE(InstanceLock().FallbackNote().empty());

    // Set but gone (as after su or sudo -u), or not a folder: the console still starts, with
    // the lock where it is kept when the variable is unset, and says why.
    const std::string missing = dir.Path() + "/user/4242";
    setenv("XDG_RUNTIME_DIR", missing.c_str(), 1);
    InstanceLock lock;
    EXPECT_EQ(lock.Path(), "/tmp/CvHist");
    EXPECT_EQ(lock.FallbackNote(), "XDG_RUNTIME_DIR=" + missing +
                                       " is not a folder (No such file or directory); the "
                                       "single-instance lock is kept in /tmp instead.");
    const std::string file = dir.Path() + "/file";
    std::ofstream(file) << "x";
    setenv("XDG_RUNTIME_DIR", file.c_str(), 1);
    EXPECT_EQ(InstanceLock().Path(), "/tmp/CvHist");
    EXPECT_NE(InstanceLock().FallbackNote().find("(Not a directory)"), std::string::npos);
    if (saved) {
        setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
}

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], kHelperFlag) == 0) {
        return HelperMain(argv[2], argv[3]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
