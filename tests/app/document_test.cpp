// The document with its real System worker and timers, on scripted ports: the status it posts
// every second, the stale login, the midnight roll, the operator commands and shutdown.
#include "app/core/document.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/state/app_state.h"
#include "platform/clock.h"
#include "platform/ini_file.h"
#include "platform/window_messages.h"
#include "tests/support/loopback_server.h"
#include "tests/support/port_frame.h"
#include "tests/support/session_fixture.h"

namespace {

using platform::CONNECT_STATUS_CONNECTING;
using platform::CONNECT_STATUS_DISCONNECTED;
using platform::WM_CONNECT_STATUS;

// Counts the ports alive, so a test sees that a replaced port was deleted.
std::atomic<int> g_livePorts{0};

class CountedPort : public ScriptedPort {
public:
    explicit CountedPort(uint8_t commType) : ScriptedPort(commType) { ++g_livePorts; }
    ~CountedPort() override { --g_livePorts; }
};

// The dialogs as an operator answers them.
class ScriptedDialogs : public IDocumentDialogs {
public:
    bool RunPhoneBook(CHalvoricDoc& doc) override {
        ++phoneBookRuns;
        if (selectSite && doc.FirstSystem()) {
            // What "Select" does: the site's number goes into System 1 and its port.
            doc.FirstSystem()->Telephone = selectedPhone;
            doc.FirstSystem()->Port->SetAddress(selectedPhone);
        }
        return selectSite;
    }
    bool RunDialSetup(DialSetupValues& values) override {
        ++dialSetupRuns;
        seen = values;
        if (!dialSetupOk) {
            return false;
        }
        values.SerialNo = 5;
        values.BaudIndex = 8;  // 19200
        return true;
    }

    int phoneBookRuns = 0;
    int dialSetupRuns = 0;
    bool selectSite = true;
    std::string selectedPhone = "5551234";
    bool dialSetupOk = true;
    DialSetupValues seen;
};

// Reaches the tick's work directly, so that a test can stamp each tick with its own local time.
class TestDocument : public CHalvoricDoc {
public:
    using CHalvoricDoc::OnSecondTick;
    void SetLogDate(const platform::LocalTime& date) { m_logDate = date; }
};

platform::LocalTime At(int day, int hour, int minute, int second, int ms) {
    platform::LocalTime t;
    t.year = 2016;
    t.month = day == 31 ? 5 : 6;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.millisecond = ms;
    return t;
}

class DocumentTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        m_iniPath = m_temp.Path() + "/Corvantis.ini";
        std::ofstream(m_iniPath, std::ios::binary)
            << "[CommSetup]\r\nSerialNo=1\r\nBaudRate=9600\r\nTelephone=#7\r\n"
            << "[PhoneBook]\r\nCount=1\r\n1=North Yard,5551234\r\n";
        ASSERT_TRUE(m_ini.Load(m_iniPath));
    }

    void TearDown() override {
        m_doc.reset();  // stops timers and workers while the UI loop still exists
        SessionFixture::TearDown();
    }

    // A document whose System 1 runs on a counted scripted port of the settings' comm type.
    TestDocument& MakeDocument() {
        m_doc = std::make_unique<TestDocument>();
        m_doc->SetProfile(&m_ini);
        m_doc->SetDialogs(&m_dialogs);
        m_doc->SetPortFactory([this] {
            auto* port = new CountedPort(theApp().m_nCommType);
            m_ports.push_back(port);
            return port;
        });
        return *m_doc;
    }

    // Started as at start-up: worker, session log, timers.
    TestDocument& StartDocument() {
        MakeDocument();
        EXPECT_TRUE(m_doc->OnNewDocument());
        return *m_doc;
    }

    ScriptedPort& Port() { return *static_cast<ScriptedPort*>(m_doc->FirstSystem()->Port); }

    // Puts a command in place as the worker would have taken it.
    void MakeCurrent(uint8_t commandId) {
        CSystem& s = *m_doc->FirstSystem();
        std::lock_guard<std::mutex> lock(s.m_lock);
        s.CurCommand = new CCommandNode(1, commandId, "/60.htm?val=0-0\r");
    }

    int Statuses(intptr_t status) const { return m_frame->Count(WM_CONNECT_STATUS, status); }

    std::string m_iniPath;
    platform::IniFile m_ini;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<TestDocument> m_doc;
    std::vector<ScriptedPort*> m_ports;
};

// ---- Start-up ---------------------------------------------------------------------------

TEST_F(DocumentTest, SystemOneIsBuiltFromTheSettings) {
    theApp().m_nSerialNo = 3;
    theApp().m_nBaudIndex = 8;
    theApp().m_strTelephone = "#9";
    theApp().m_strDevice = "/dev/ttyUSB1";
    StartDocument();
    CSystem* s = m_doc->FindSystem(1);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(m_doc->FindSystem(0x10001), s);  // the low 16 bits name it
    EXPECT_EQ(m_doc->FindSystem(2), nullptr);
    EXPECT_EQ(s->Name, "AAA");
    EXPECT_EQ(s->CommType, COMM_DIALUP);
    EXPECT_EQ(s->DataBits, 8);
    EXPECT_EQ(s->ParityIndex, 0);
    EXPECT_EQ(s->StopIndex, 0);
    EXPECT_EQ(Port().Owner, s);
    EXPECT_EQ(Port().SerialNo, 3);
    EXPECT_EQ(Port().BaudIndex, 8);
    EXPECT_EQ(Port().Device, "/dev/ttyUSB1");
    EXPECT_EQ(Port().GetAddress(), "#9");
    EXPECT_NE(m_doc->m_uTimer1s, 0u);
    EXPECT_NE(m_doc->m_uTimer5s, 0u);
    // The phone book came with the new document.
    ASSERT_NE(m_doc->GetPhoneEntry(0), nullptr);
    EXPECT_STREQ(m_doc->GetPhoneEntry(0)->siteName, "North Yard");
}

TEST_F(DocumentTest, PortTakesOnlyWhatItsCommTypeUses) {
    theApp().m_nCommType = COMM_TCPIP;
    theApp().m_strTelephone = "127.0.0.1 5000";
    theApp().m_nSerialNo = 4;
    MakeDocument().AddSystem();
    EXPECT_EQ(Port().CommType, COMM_TCPIP);
    EXPECT_EQ(Port().GetAddress(), "127.0.0.1 5000");
    EXPECT_EQ(Port().SerialNo, 0);
    m_doc.reset();

    theApp().m_nCommType = COMM_DIRECT;
    MakeDocument().AddSystem();
    EXPECT_EQ(Port().SerialNo, 4);
    EXPECT_EQ(Port().GetAddress(), "");
}

// ---- The one-second tick ----------------------------------------------------------------

TEST_F(DocumentTest, NoLineMeansDisconnectedEverySecond) {
    StartDocument();
    RunFor(3500);
    // One a second (a loaded machine may make a tick late, never add one).
    EXPECT_GE(Statuses(CONNECT_STATUS_DISCONNECTED), 2);
    EXPECT_LE(Statuses(CONNECT_STATUS_DISCONNECTED), 4);
    EXPECT_EQ(Statuses(CONNECT_STATUS_CONNECTING), 0);
}

TEST_F(DocumentTest, LoginStepRunningMeansConnecting) {
    theApp().m_nCommType = COMM_DIRECT;
    MakeDocument().AddSystem();
    ASSERT_TRUE(m_doc->FirstSystem()->Start());  // the worker, without the timers
    m_doc->m_uTimer1s = 7;
    Port().SetLinkUp(false);  // the unit never raises the line: the first step waits
    m_doc->OnConnect();
    m_loop->RunPending();
    ASSERT_EQ(m_frame->Messages().size(), 1u);
    EXPECT_EQ(Statuses(CONNECT_STATUS_CONNECTING), 1);
    ASSERT_TRUE(RunUntil([&] { return m_doc->FirstSystem()->CurCommandId() == CMD_LOGIN; }));
    m_doc->TimeProc(7);
    m_doc->TimeProc(7);
    m_loop->RunPending();
    EXPECT_EQ(Statuses(CONNECT_STATUS_CONNECTING), 3);
    EXPECT_EQ(Statuses(CONNECT_STATUS_DISCONNECTED), 0);
}

TEST_F(DocumentTest, QueuedLoginCountsAsConnecting) {
    // Between Connect and the worker's next pass the step still waits in the queue; a tick then
    // must not call the line "Disconnected" (that would end the dialling it is about to start).
    MakeDocument().AddSystem();
    m_doc->m_uTimer1s = 7;
    m_doc->FirstSystem()->QueueLogin();
    m_doc->TimeProc(7);
    m_doc->FirstSystem()->ClearCommands();
    m_doc->TimeProc(7);
    m_loop->RunPending();
    auto messages = m_frame->Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].wParam, CONNECT_STATUS_CONNECTING);
    EXPECT_EQ(messages[1].wParam, CONNECT_STATUS_DISCONNECTED);
}

TEST_F(DocumentTest, StaleLoginIsDroppedWhenTheLinkGoesDown) {
    MakeDocument().AddSystem();
    m_doc->m_uTimer1s = 7;
    theApp().m_bLoggedIn = 1;
    Port().SetLinkUp(true);
    MakeCurrent(CMD_PAGE_STATUS);
    m_doc->TimeProc(7);
    EXPECT_EQ(theApp().m_bLoggedIn.load(), 1);
    EXPECT_TRUE(m_doc->FirstSystem()->HasCurCommand());

    Port().SetLinkUp(false);
    m_doc->TimeProc(7);
    EXPECT_EQ(theApp().m_bLoggedIn.load(), 0);
    EXPECT_FALSE(m_doc->FirstSystem()->HasCurCommand());
    m_loop->RunPending();
    EXPECT_EQ(Statuses(CONNECT_STATUS_DISCONNECTED), 1);
}

TEST_F(DocumentTest, TcpSystemStaysLoggedInWithoutCarrier) {
    theApp().m_nCommType = COMM_TCPIP;
    MakeDocument().AddSystem();
    m_doc->m_uTimer1s = 7;
    theApp().m_bLoggedIn = 1;
    Port().SetSocketConnected(true);
    Port().Carrier = 0;
    m_doc->TimeProc(7);
    m_loop->RunPending();
    EXPECT_EQ(theApp().m_bLoggedIn.load(), 1);
    EXPECT_TRUE(m_frame->Messages().empty());
}

// ---- The midnight roll ------------------------------------------------------------------

class MidnightRoll : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        platform::Clock::SetTimeScale(1.0);
    }

    // Both logs of the day exist; the open ones are of the 31st.
    void OpenLogsOn31st() {
        platform::Clock::SetLocalTime(At(31, 23, 59, 59, 0));
        EnableLogs(true, true);
        MakeDocument().AddSystem();
        m_doc->FirstSystem()->OpenLog();
        m_doc->SetLogDate(At(31, 23, 59, 59, 0));
    }

    void TickAt(const platform::LocalTime& t) {
        platform::Clock::SetLocalTime(t);
        m_doc->OnSecondTick();
    }

    std::string Log(const std::string& name) const { return ReadWholeFile(m_logDir + "/" + name); }

    static int Count(const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
            ++n;
        }
        return n;
    }
};

TEST_F(MidnightRoll, FirstTickOfTheNewDateRollsOnce) {
    OpenLogsOn31st();
    TickAt(At(31, 23, 59, 59, 999));
    EXPECT_EQ(TempDir::FileNames(m_logDir).size(), 2u);
    TickAt(At(1, 0, 0, 0, 250));
    TickAt(At(1, 0, 0, 1, 0));
    TickAt(At(1, 23, 59, 59, 999));
    EXPECT_EQ(TempDir::FileNames(m_logDir),
              (std::vector<std::string>{"OPDebug 2016-05-31.Log", "OPDebug 2016-06-01.Log",
                                        "System001 2016-05-31.Log", "System001 2016-06-01.Log"}));
    for (const char* name : {"OPDebug 2016-05-31.Log", "System001 2016-05-31.Log"}) {
        EXPECT_EQ(Count(Log(name), "Log End!"), 1) << name;
    }
    for (const char* name : {"OPDebug 2016-06-01.Log", "System001 2016-06-01.Log"}) {
        EXPECT_EQ(Count(Log(name), "Log Start!"), 1) << name;
        EXPECT_EQ(Count(Log(name), "Log End!"), 0) << name;
    }
}

TEST_F(MidnightRoll, LateTickThatSkipsMidnightStillRolls) {
    OpenLogsOn31st();
    TickAt(At(1, 0, 0, 1, 40));  // no tick fell on 00:00:00
    TickAt(At(1, 0, 0, 2, 40));
    EXPECT_EQ(Count(Log("OPDebug 2016-06-01.Log"), "Log Start!"), 1);
    EXPECT_EQ(Count(Log("System001 2016-06-01.Log"), "Log Start!"), 1);
    TickAt(At(2, 0, 0, 5, 0));  // and the next day again
    EXPECT_EQ(Count(Log("OPDebug 2016-06-02.Log"), "Log Start!"), 1);
}

TEST_F(MidnightRoll, RunningTimerRollsAcrossMidnight) {
    platform::Clock::SetTimeScale(20.0);
    platform::Clock::SetLocalTime(At(31, 23, 59, 58, 500));
    EnableLogs(true, true);
    StartDocument();
    ASSERT_TRUE(RunUntil(
        [&] { return std::filesystem::exists(m_logDir + "/System001 2016-06-01.Log"); }, 30000));
    RunFor(1500);
    EXPECT_EQ(Count(Log("OPDebug 2016-05-31.Log"), "Log End!"), 1);
    EXPECT_EQ(Count(Log("System001 2016-06-01.Log"), "Log Start!"), 1);
}

// ---- Operator commands ------------------------------------------------------------------

TEST_F(DocumentTest, ConnectWhileACommandRunsOpensNoDialog) {
    MakeDocument().AddSystem();
    MakeCurrent(CMD_PAGE_STATUS);
    m_doc->OnConnect();
    EXPECT_EQ(m_prompts.Last(), "Connecting...");
    EXPECT_EQ(m_dialogs.phoneBookRuns, 0);
    EXPECT_TRUE(m_doc->FirstSystem()->QueuesEmpty());
}

TEST_F(DocumentTest, ConnectCancelledChangesNothing) {
    MakeDocument().AddSystem();
    m_dialogs.selectSite = false;
    m_doc->OnConnect();
    m_loop->RunPending();
    EXPECT_EQ(m_dialogs.phoneBookRuns, 1);
    EXPECT_TRUE(m_frame->Messages().empty());
    EXPECT_TRUE(m_doc->FirstSystem()->QueuesEmpty());
}

TEST_F(DocumentTest, DisconnectEndsADiallingWait) {
    StartDocument();  // dial-up, no carrier ever
    theApp().m_bOnline = 1;
    m_doc->OnConnect();
    ASSERT_TRUE(
        RunUntil([&] { return Port().WrittenText().find("ATDT5551234\r") != std::string::npos; }));
    RunFor(2500);  // into the carrier wait
    m_doc->OnDisconnect();
    EXPECT_EQ(theApp().m_bOnline.load(), 0);
    EXPECT_FALSE(m_doc->FirstSystem()->HasCurCommand());
    EXPECT_FALSE(m_doc->CanConnect());  // the old line is still closing
    m_loop->RunPending();
    EXPECT_EQ(m_frame->Count(platform::WM_SYSTEM_STOP, 1), 1);

    // The worker is free again at once: a new Connect dials within a few seconds, not after the
    // 45-second wait of the abandoned call.
    RunFor(1500);
    EXPECT_TRUE(m_doc->CanConnect());
    Port().ClearWrites();
    theApp().m_bOnline = 1;
    const int64_t start = platform::Clock::NowMs();
    m_doc->OnConnect();
    ASSERT_TRUE(
        RunUntil([&] { return Port().WrittenText().find("AT\r") != std::string::npos; }, 60000));
    // (Well under the 45 s an abandoned wait would still hold the worker.)
    EXPECT_LT(platform::Clock::NowMs() - start, 30000);
}

TEST_F(DocumentTest, UpdateHandlersFollowTheSession) {
    MakeDocument().AddSystem();
    EXPECT_TRUE(m_doc->CanDialSetup());
    EXPECT_TRUE(m_doc->CanPhoneBook());
    EXPECT_TRUE(m_doc->CanConnect());
    EXPECT_FALSE(m_doc->CanDisconnect());
    theApp().m_bOnline = 1;
    EXPECT_FALSE(m_doc->CanConnect());
    EXPECT_TRUE(m_doc->CanDisconnect());
    MakeCurrent(CMD_LOGIN);
    EXPECT_FALSE(m_doc->CanDialSetup());
    EXPECT_FALSE(m_doc->CanPhoneBook());
    m_doc->FirstSystem()->AbortCommand();
    theApp().m_bLoggedIn = 1;
    EXPECT_FALSE(m_doc->CanDialSetup());
    theApp().m_bLoggedIn = 0;  // as after WM_SYSTEM_STOP
    EXPECT_TRUE(m_doc->CanDialSetup());
}

TEST_F(DocumentTest, DialSetupWritesTheIniAndReplacesThePort) {
    StartDocument();
    CCommPort* old = m_doc->FirstSystem()->Port;
    const int live = g_livePorts.load();
    m_doc->OnDialSetup();
    EXPECT_EQ(m_dialogs.seen.SerialNo, 1);
    EXPECT_EQ(m_dialogs.seen.BaudIndex, 6);
    EXPECT_EQ(m_dialogs.seen.Telephone, "#7");

    platform::IniFile saved;
    ASSERT_TRUE(saved.Load(m_iniPath));
    EXPECT_EQ(saved.GetInt("CommSetup", "SerialNo", 0), 5);
    EXPECT_EQ(saved.GetInt("CommSetup", "BaudRate", 0), 19200);
    EXPECT_EQ(saved.GetString("CommSetup", "Telephone", ""), "#7");
    EXPECT_EQ(saved.GetInt("PhoneBook", "Count", 0), 1);

    CSystem* s = m_doc->FirstSystem();
    EXPECT_NE(s->Port, old);
    EXPECT_EQ(g_livePorts.load(), live);  // the old port is gone
    EXPECT_EQ(s->SerialNo, 5);
    EXPECT_EQ(s->Port->SerialNo, 5);
    EXPECT_EQ(s->Port->BaudIndex, 8);
    EXPECT_EQ(s->Port->Owner, s);
    RunFor(1500);  // the tick reads the new port
}

TEST_F(DocumentTest, DialSetupCancelledOrBusyChangesNothing) {
    StartDocument();
    CCommPort* old = m_doc->FirstSystem()->Port;
    m_dialogs.dialSetupOk = false;
    m_doc->OnDialSetup();
    EXPECT_EQ(m_doc->FirstSystem()->Port, old);

    // A command started while the dialog was open: the port in use is left alone.
    m_dialogs.dialSetupOk = true;
    theApp().m_bLoggedIn = 1;
    m_doc->OnDialSetup();
    EXPECT_EQ(m_doc->FirstSystem()->Port, old);
    EXPECT_EQ(m_doc->FirstSystem()->SerialNo, 1);
    EXPECT_EQ(ReadWholeFile(m_iniPath).find("SerialNo=5"), std::string::npos);
}

TEST_F(DocumentTest, DialSetupRightAfterDisconnectNeverTakesThePortFromTheWorker) {
    // Connect to a TCP/IP site that never accepts; Disconnect while the worker waits for the
    // connection; OK in Dial setup within that wait. The worker still holds the old port: it is
    // kept until the worker is done with it, and the next Connect runs on a port built from the
    // new settings. (Deleted at once, the worker's next look at the port would be a use after
    // free.)
    LoopbackServer server;
    ASSERT_TRUE(server.ListenFull());
    theApp().m_nCommType = COMM_TCPIP;
    theApp().m_strTelephone = server.Address();
    MakeDocument().SetPortFactory([] { return new CCommPort; });
    ASSERT_TRUE(m_doc->OnNewDocument());
    CSystem* s = m_doc->FirstSystem();
    PortFrame frame(s);
    frame.AsMainWindow();
    m_dialogs.selectedPhone = server.Address();
    // Real time, so that the worker's one-second checks leave room for the operator's steps.
    platform::Clock::SetTimeScale(1.0);

    m_doc->OnConnect();
    ASSERT_TRUE(RunUntil([&] { return s->Port->ConnectThreadRunning(); }, 10000));
    ASSERT_TRUE(s->WorkerUsesPort());
    CCommPort* const old = s->Port;
    m_doc->OnDisconnect();
    m_doc->OnDialSetup();
    EXPECT_EQ(s->SerialNo, 5);
    EXPECT_NE(ReadWholeFile(m_iniPath).find("SerialNo=5\r\n"), std::string::npos);

    // The worker lets go of the port within a second of the Disconnect.
    EXPECT_TRUE(RunUntil([&] { return m_doc->CanDialSetup(); }, 3000));
    RunFor(1500);
    EXPECT_FALSE(s->WorkerUsesPort());
    m_doc->OnConnect();
    EXPECT_NE(s->Port, old);
    EXPECT_EQ(s->Port->Owner, s);
    EXPECT_EQ(s->Port->GetAddress(), server.Address());
    EXPECT_TRUE(m_prompts.Texts().empty());
    ASSERT_TRUE(RunUntil([&] { return s->Port->ConnectThreadRunning(); }, 10000));

    m_doc->OnDisconnect();
    RunFor(500);
    m_doc.reset();  // before the frame that closes its ports
    m_frame->AsMainWindow();
}

TEST_F(DocumentTest, HandEditsToTheFileSurviveEverySave) {
    // The operator edits Corvantis.ini while the console runs (as the README says to): each save
    // changes only its own keys of the file as it is then.
    StartDocument();
    auto edit = [this](const std::string& from, const std::string& to) {
        std::string text = ReadWholeFile(m_iniPath);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << text;
        text.replace(at, from.size(), to);
        std::ofstream(m_iniPath, std::ios::binary | std::ios::trunc) << text;
    };
    edit("Telephone=#7\r\n", "Telephone=5550199\r\n[Settings]\r\nWriteLog=1\r\n");
    auto* entry = new CPhoneEntry;
    entry->SetSiteName("Depot");
    entry->SetPhone("#7");
    m_doc->AddPhoneEntry(entry);
    ASSERT_TRUE(m_doc->SavePhoneBook()) << m_doc->LastSaveError();
    EXPECT_EQ(ReadWholeFile(m_iniPath),
              "[CommSetup]\r\nSerialNo=1\r\nBaudRate=9600\r\nTelephone=5550199\r\n"
              "[Settings]\r\nWriteLog=1\r\n"
              "[PhoneBook]\r\nCount=2\r\n1=North Yard,5551234\r\n2=Depot,#7\r\n");

    edit("WriteLog=1\r\n", "WriteLog=1\r\nDebugLog=1\r\n");
    m_doc->OnDialSetup();
    EXPECT_EQ(ReadWholeFile(m_iniPath),
              "[CommSetup]\r\nSerialNo=5\r\nBaudRate=19200\r\nTelephone=5550199\r\n"
              "[Settings]\r\nWriteLog=1\r\nDebugLog=1\r\n"
              "[PhoneBook]\r\nCount=2\r\n1=North Yard,5551234\r\n2=Depot,#7\r\n");
    EXPECT_TRUE(m_prompts.Texts().empty());
}

TEST_F(DocumentTest, ReadOnlyFileIsLeftAsItIsAndTheOperatorIsToldOnce) {
    StartDocument();
    ASSERT_EQ(chmod(m_iniPath.c_str(), 0444), 0);
    const std::string before = ReadWholeFile(m_iniPath);
    auto* entry = new CPhoneEntry;
    entry->SetSiteName("Depot");
    entry->SetPhone("#7");
    m_doc->AddPhoneEntry(entry);
    EXPECT_FALSE(m_doc->SavePhoneBook());
    m_doc->OnDialSetup();
    m_doc->RemovePhoneEntry(0);
    EXPECT_FALSE(m_doc->SavePhoneBook());

    EXPECT_EQ(ReadWholeFile(m_iniPath), before);
    EXPECT_EQ(TempDir::FileNames(m_temp.Path()),
              (std::vector<std::string>{"Corvantis.ini", "Log"}));
    ASSERT_EQ(m_prompts.Texts().size(), 1u);
    EXPECT_EQ(m_prompts.Last(), "The settings file " + m_iniPath +
                                    " is read-only, so changes are not saved to it.\nThey are "
                                    "kept until the program ends.");
    EXPECT_NE(m_doc->LastSaveError().find("read-only"), std::string::npos);
    // The changes hold while the program runs.
    EXPECT_EQ(m_doc->FirstSystem()->SerialNo, 5);
    EXPECT_EQ(m_doc->FirstSystem()->Port->SerialNo, 5);
    ASSERT_NE(m_doc->GetPhoneEntry(0), nullptr);
    EXPECT_STREQ(m_doc->GetPhoneEntry(0)->siteName, "Depot");

    // Made writable again, the next save writes what the program holds.
    ASSERT_EQ(chmod(m_iniPath.c_str(), 0644), 0);
    ASSERT_TRUE(m_doc->SavePhoneBook()) << m_doc->LastSaveError();
    EXPECT_NE(ReadWholeFile(m_iniPath).find("[PhoneBook]\r\nCount=1\r\n1=Depot,#7\r\n"),
              std::string::npos);
}

TEST_F(DocumentTest, PhoneBookSaveFailureKeepsTheList) {
    MakeDocument().LoadPhoneBook();
    // The folder of the file is gone: nothing can be saved now.
    ASSERT_TRUE(m_ini.Load(m_temp.Path() + "/gone/Corvantis.ini"));
    auto* entry = new CPhoneEntry;
    entry->SetSiteName("Depot");
    entry->SetPhone("#7");
    m_doc->AddPhoneEntry(entry);
    EXPECT_FALSE(m_doc->SavePhoneBook());
    EXPECT_FALSE(m_doc->LastSaveError().empty());
    EXPECT_EQ(m_prompts.Last(), "The phone book could not be saved:\n" + m_doc->LastSaveError());
    EXPECT_EQ(m_doc->GetPhoneEntry(1), entry);
    m_doc->RemovePhoneEntry(0);
    EXPECT_EQ(m_doc->GetPhoneEntry(0), entry);
}

// ---- Closing ----------------------------------------------------------------------------

TEST_F(DocumentTest, ExitAnsweredNoKeepsEverythingRunning) {
    StartDocument();
    m_prompts.QueueAnswer(platform::PromptAnswer::No);
    EXPECT_FALSE(m_doc->CanCloseFrame());
    EXPECT_EQ(m_prompts.Last(), "Exit Program?");
    EXPECT_NE(m_doc->FirstSystem(), nullptr);
    EXPECT_NE(m_doc->m_uTimer1s, 0u);
    m_frame->Clear();
    RunFor(2500);
    EXPECT_GE(Statuses(CONNECT_STATUS_DISCONNECTED), 1);

    EXPECT_TRUE(m_doc->CanCloseFrame());  // Yes
    EXPECT_EQ(m_doc->FirstSystem(), nullptr);
    EXPECT_EQ(m_doc->m_uTimer1s, 0u);
    m_loop->RunPending();
    m_frame->Clear();
    RunFor(2500);
    EXPECT_TRUE(m_frame->Messages().empty());
}

// A port whose link answer, once armed, holds the tick inside it until the test lets go.
struct TickGate {
    std::mutex lock;
    std::condition_variable changed;
    bool armed = false;
    bool inside = false;
    bool released = false;
    bool destroyedWhileInside = false;
};
TickGate g_gate;

class GatedPort : public CountedPort {
public:
    GatedPort() : CountedPort(COMM_DIALUP) {}
    ~GatedPort() override {
        std::lock_guard<std::mutex> lock(g_gate.lock);
        g_gate.destroyedWhileInside = g_gate.destroyedWhileInside || g_gate.inside;
    }
    bool LinkUp() const override {
        std::unique_lock<std::mutex> lock(g_gate.lock);
        if (g_gate.armed) {
            g_gate.armed = false;
            g_gate.inside = true;
            g_gate.changed.notify_all();
            g_gate.changed.wait(lock, [] { return g_gate.released; });
            g_gate.inside = false;
        }
        return false;
    }
};

TEST_F(DocumentTest, StopAllWaitsForARunningTickBeforeDeletingTheSystem) {
    MakeDocument().SetPortFactory([] { return new GatedPort; });
    theApp().m_bLoggedIn = 1;  // so the tick goes on to drop the login on the System
    {
        std::lock_guard<std::mutex> lock(g_gate.lock);
        g_gate.armed = true;
        g_gate.inside = g_gate.released = g_gate.destroyedWhileInside = false;
    }
    ASSERT_TRUE(m_doc->OnNewDocument());
    {
        std::unique_lock<std::mutex> lock(g_gate.lock);
        ASSERT_TRUE(
            g_gate.changed.wait_for(lock, std::chrono::seconds(10), [] { return g_gate.inside; }));
    }
    std::thread letGo([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::lock_guard<std::mutex> lock(g_gate.lock);
        g_gate.released = true;
        g_gate.changed.notify_all();
    });
    m_doc->StopAll();
    letGo.join();
    std::lock_guard<std::mutex> lock(g_gate.lock);
    EXPECT_FALSE(g_gate.destroyedWhileInside);
    EXPECT_FALSE(g_gate.inside);
}

}  // namespace
