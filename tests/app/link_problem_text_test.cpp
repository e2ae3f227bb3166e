// What the operator is told when a line does not come up, from what really happens on this
// machine: a serial device that is not there (with the adapters that are), one the user may not
// open (named by the group the file really has), one another program holds (found through /proc,
// named when it is ModemManager), and a TCP port where nothing listens; and the words for the
// cases the machine cannot stage (an unknown host, a silent one, the modem's refusal).
#include "app/core/link_problem_text.h"

#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "app/state/app_state.h"
#include "engine/comm_port.h"
#include "platform/plain_loop_dispatcher.h"
#include "tests/support/forked_check.h"
#include "tests/support/pty_pair.h"
#include "tests/support/temp_dir.h"

namespace {

using Kind = LinkProblem::Kind;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A direct line on `device`, opened once; the problem it noted.
LinkProblem OpenDirect(const std::string& device) {
    CCommPort port;
    port.CommType = COMM_DIRECT;
    port.Device = device;
    port.BaudIndex = 6;
    port.DataBits = 8;
    EXPECT_FALSE(port.Open());
    return port.LastProblem();
}

TEST(LinkProblemText, MissingDeviceListsTheAdaptersThatArePluggedIn) {
    TempDir dir;
    const std::string byId = dir.MakeSub("by-id");
    const LinkProblem problem = OpenDirect(dir.Path() + "/ttyUSB7");
    ASSERT_EQ(problem.kind, Kind::DeviceMissing);

    LinkProblemText none = DescribeLinkProblem(problem, GatherDeviceFacts(problem, byId));
    EXPECT_EQ(none.pane, "Disconnected: no device");
    EXPECT_TRUE(Has(none.detail, dir.Path() + "/ttyUSB7 is not there")) << none.detail;
    EXPECT_TRUE(Has(none.detail, "No serial adapter is plugged in")) << none.detail;

    for (const char* name : {"usb-FTDI_FT232R_A1B2-if00-port0", "usb-Prolific_PL2303-if00"}) {
        std::ofstream(byId + "/" + name) << "";
    }
    const LinkProblemText two = DescribeLinkProblem(problem, GatherDeviceFacts(problem, byId));
    EXPECT_TRUE(Has(two.detail, byId + "/usb-FTDI_FT232R_A1B2-if00-port0")) << two.detail;
    EXPECT_TRUE(Has(two.detail, byId + "/usb-Prolific_PL2303-if00")) << two.detail;
    EXPECT_TRUE(Has(two.detail, "[CommSetup] Device")) << two.detail;
}

// A plain user opens a device file of root's that its group may use: the text names that group,
// read from the file, and the command that adds the user to it.
TEST(LinkProblemText, PermissionDeniedNamesTheDevicesOwnGroupAndTheFix) {
    if (!RunningAsRoot()) {
        GTEST_SKIP() << "needs root to give a file to another group and to become a plain user";
    }
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    int checked = 0;
    for (const char* groupName : {"dialout", "tty", "uucp"}) {
        const group* g = ::getgrnam(groupName);
        if (!g) {
            continue;
        }
        const std::string device = dir.Path() + "/ttyS-" + groupName;
        std::ofstream(device) << "";
        ASSERT_EQ(::chown(device.c_str(), 0, g->gr_gid), 0);
        ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
        const int result = RunInChild(
            [&] {
                const LinkProblem problem = OpenDirect(device);
                if (problem.kind != Kind::PermissionDenied) {
                    return 1;
                }
                const LinkProblemText text =
                    DescribeLinkProblem(problem, GatherDeviceFacts(problem));
                const bool ok =
                    text.pane == "Disconnected: no permission" &&
                    Has(text.detail, "group \"" + std::string(groupName) + "\"") &&
                    Has(text.detail, "sudo usermod -aG " + std::string(groupName) + " $USER") &&
                    Has(text.detail, "log out and in again");
                if (!ok) {
                    std::fprintf(stderr, "%s\n", text.detail.c_str());
                }
                return ok ? 0 : 2;
            },
            true);
        EXPECT_EQ(result, 0) << groupName;
        ++checked;
    }
    EXPECT_GE(checked, 1) << "no group to try on this machine";
}

TEST(LinkProblemText, PermissionWordsFollowWhatTheGroupDatabaseSays) {
    LinkProblem problem{Kind::PermissionDenied, "/dev/ttyUSB0", EACCES, "Permission denied"};
    DeviceFacts facts;
    facts.user = "op";
    facts.group = {true, 0, "root", false, false};
    EXPECT_TRUE(Has(DescribeLinkProblem(problem, facts).detail, "only the administrator"));
    facts.group = {true, 20, "dialout", false, true};  // added, but not in this session yet
    const std::string added = DescribeLinkProblem(problem, facts).detail;
    EXPECT_TRUE(Has(added, "op is a member")) << added;
    EXPECT_FALSE(Has(added, "usermod")) << added;
}

// Another process holds the line, under the name ModemManager: the text names it, with its
// process number, and says how to keep it off the adapter.
TEST(LinkProblemText, BusyDeviceNamesTheProgramThatHoldsIt) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::prctl(PR_SET_NAME, "ModemManager", 0, 0, 0);
        const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        const char ok = (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');

    const LinkProblem problem = OpenDirect(pty.SlavePath());
    const DeviceFacts facts = GatherDeviceFacts(problem);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    ASSERT_EQ(problem.kind, Kind::DeviceBusy);
    const LinkProblemText text = DescribeLinkProblem(problem, facts);
    EXPECT_EQ(text.pane, "Disconnected: device busy");
    EXPECT_TRUE(Has(text.detail, "ModemManager (process " + std::to_string(holder) + ")"))
        << text.detail;
    EXPECT_TRUE(Has(text.detail, "ID_MM_DEVICE_IGNORE")) << text.detail;

    DeviceFacts unseen;
    EXPECT_TRUE(Has(DescribeLinkProblem(problem, unseen).detail, "sudo fuser -v"));
    DeviceFacts brltty;
    brltty.holders = {{42, "brltty"}};
    EXPECT_TRUE(Has(DescribeLinkProblem(problem, brltty).detail, "apt-get remove brltty"));
}

TEST(LinkProblemText, RefusedPortIsToldAsRefused) {
    platform::PlainLoopDispatcher loop;
    platform::SetDispatcher(&loop);
    // A port that was free a moment ago: nothing listens there.
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
    ::close(probe);
    const std::string where = "127.0.0.1 " + std::to_string(ntohs(address.sin_port));

    LinkProblem problem;
    {
        CCommPort port;
        port.CommType = COMM_TCPIP;
        port.SetAddress(where);
        ASSERT_TRUE(port.Open());
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (port.LastProblem().kind == Kind::None && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        problem = port.LastProblem();
        port.Close();
    }
    platform::SetDispatcher(nullptr);
    ASSERT_EQ(problem.kind, Kind::Refused);
    const LinkProblemText text = DescribeLinkProblem(problem, {});
    EXPECT_EQ(text.pane, "Disconnected: refused");
    EXPECT_TRUE(Has(text.detail, where + " refused the connection")) << text.detail;
}

TEST(LinkProblemText, HostSilenceRefusalAndNoCarrierSayWhatToCheck) {
    const LinkProblemText unknown = DescribeLinkProblem(
        {Kind::HostNotFound, "unit7.plant 4001", 0, "Name or service not known"}, {});
    EXPECT_EQ(unknown.pane, "Disconnected: unknown host");
    EXPECT_TRUE(Has(unknown.detail, "\"unit7.plant 4001\" was not found")) << unknown.detail;
    const LinkProblemText silent =
        DescribeLinkProblem({Kind::NoAnswer, "10.0.0.9 4001", 0, "no answer within 15 s"}, {});
    EXPECT_EQ(silent.pane, "Disconnected: no answer");
    EXPECT_TRUE(Has(silent.detail, "10.0.0.9 4001 did not answer")) << silent.detail;

    const LinkProblemText refusal = DescribeModemRefusal("5551234", "BLACKLISTED");
    EXPECT_EQ(refusal.pane, "Modem: BLACKLISTED");
    EXPECT_TRUE(Has(refusal.detail, "\"BLACKLISTED\"")) << refusal.detail;
    EXPECT_TRUE(Has(DescribeNoCarrier("/dev/ttyUSB0").detail, "IgnoreCarrier=1"));
}

}  // namespace
