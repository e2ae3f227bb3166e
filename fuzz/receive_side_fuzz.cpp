// The receive side of a session on any bytes from the line, in every exchange state. The input
// is a script: each step queues a command (a login step, one of the four page requests, the
// "SaveDB." step, the closing step, a link-only or unknown command), lets the worker take the next
// one, aborts, clears the queues, drops the exchange as the idle limit does, registers or removes
// the pages, or feeds the next bytes to the receive side. No worker thread runs; the test thread
// is the UI thread, so a reply reaches its page as a direct call.
//
// Invariants: the receive buffer never overflows; an exchange state other than idle or closed
// always has its command; a page gets at most one reply per request, only for the request of its
// own state, ending in "EOT", cut from bytes that arrived after the unit's echo of that request
// (since the last abort); the console counts as logged in only after the last login step was
// taken.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/state/app_state.h"
#include "engine/login_dialogue.h"
#include "engine/page_windows.h"
#include "engine/system.h"
#include "fuzz/fuzz_check.h"
#include "platform/dispatcher.h"
#include "platform/plain_loop_dispatcher.h"
#include "platform/window_messages.h"

namespace {

// Reads the script from the front: one byte per choice, a length byte (or two, little-endian)
// before a text. Past the end every choice reads 0 and every text is empty.
class Script {
public:
    Script(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Done() const { return m_at >= m_size; }
    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    int Choice(int count) { return Byte() % count; }
    std::string Text(size_t length) {
        length = std::min(length, m_size - std::min(m_at, m_size));
        std::string text(reinterpret_cast<const char*>(m_data + m_at), length);
        m_at += length;
        return text;
    }
    std::string ShortText() { return Text(Byte()); }
    std::string LongText() {
        const size_t low = Byte();
        return Text(low | size_t{Byte()} << 8);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

const char* const kPageRequests[] = {"/60.htm?val=0-0\r", "/52.htm?val=0-0\r", "/55.htm?val=0-0\r",
                                     "/61.htm?val=1-0\r"};

// The exchange state the worker sets for a command.
uint8_t StatusFor(uint8_t commandId) {
    switch (commandId) {
        case CMD_LOGIN:
            return STATUS_LOGIN;
        case CMD_LOGOUT:
            return STATUS_LOGOUT;
        case CMD_PAGE_STATUS:
        case CMD_PAGE_CYCLE:
        case CMD_PAGE_REPORTING:
        case CMD_PAGE_EVENT:
            return static_cast<uint8_t>(commandId - CMD_PAGE_STATUS + STATUS_PAGE_STATUS);
        default:
            return STATUS_SAVE_DB;
    }
}

bool IsPageState(uint8_t status) {
    return status >= STATUS_PAGE_STATUS && status <= STATUS_PAGE_EVENT;
}

// A System whose worker's steps the script runs by hand.
class ScriptedSystem : public CSystem {
public:
    // The worker's pass with no exchange running: take the next command and start it.
    void WorkerTake() {
        std::lock_guard<std::mutex> lock(m_lock);
        if (Status != STATUS_IDLE || CurCommand) {
            return;
        }
        TakeNextLocked();
        if (!CurCommand) {
            return;
        }
        const uint8_t id = CurCommand->CommandID;
        if (id == CMD_LINK_ONLY || id < CMD_LOGIN || id > CMD_CLOSING) {
            DeleteCurrentLocked();  // nothing is sent for these
            return;
        }
        Started = 1;
        Status = StatusFor(id);
        takenId = id;
        takenText = CurCommand->SendText;
        takenLastStep = CurCommand->LastStep;
        replies = 0;
    }
    // The idle limit.
    void Drop() {
        std::lock_guard<std::mutex> lock(m_lock);
        DropCurrentLocked();
    }

    // What the script knows of the exchange the worker started last.
    uint8_t takenId = 0;
    std::string takenText;
    int32_t takenLastStep = 0;
    // Every byte fed while a command was current since the last abort. The receive side keeps
    // what it collected when an exchange is dropped or a new command starts; only an abort
    // empties it.
    std::string received;
    int replies = 0;
};

// Stands as the four pages. It may, like the Status page, abort and queue its next request while
// it handles a reply.
class RecordingPages : public platform::MessageTarget {
public:
    long OnMessage(unsigned msg, intptr_t, intptr_t lParam) override {
        FUZZ_CHECK(msg == platform::WM_PAGE_REPLY);
        FUZZ_CHECK(system != nullptr);
        const std::string& text = reinterpret_cast<const ReplyCell*>(lParam)->text;
        ScriptedSystem& s = *system;
        ++s.replies;
        FUZZ_CHECK(s.replies == 1);
        FUZZ_CHECK(s.takenId >= CMD_PAGE_STATUS && s.takenId <= CMD_PAGE_EVENT);
        FUZZ_CHECK(text.size() >= 3 && text.compare(text.size() - 3, 3, "EOT") == 0);
        FUZZ_CHECK(text.size() < static_cast<size_t>(kBufferSize));
        const size_t echo = s.received.find(s.takenText);
        FUZZ_CHECK(echo != std::string::npos);
        FUZZ_CHECK(s.received.find(text, echo + s.takenText.size()) != std::string::npos);
        if (requeue) {
            s.AbortCommand();
            s.received.clear();
            s.AddCommand(new CCommandNode(1, s.takenId, s.takenText));
        }
        return 1;
    }
    ScriptedSystem* system = nullptr;
    bool requeue = false;
};

platform::PlainLoopDispatcher* Loop() {
    static auto* loop = [] {
        auto* created = new platform::PlainLoopDispatcher();
        platform::SetDispatcher(created);
        return created;
    }();
    return loop;
}

void RegisterPages(uint64_t id) {
    for (int status = STATUS_PAGE_STATUS; status <= STATUS_PAGE_EVENT; ++status) {
        SetPageWindow(status, id);
    }
}

CCommandNode* MakeCommand(Script& in) {
    static const char* const kPrompts[] = {"COMMAND ?", "[Remote]:", "("};
    static const uint8_t kDialogueIds[] = {CMD_LOGIN, CMD_SAVE_DB, CMD_LOGOUT};
    switch (in.Choice(9)) {
        case 0:
            return MakeLoginSteps(1, in.ShortText());
        case 1:
            return MakePromptAnswer(1, kPrompts[in.Choice(3)]);
        case 2: {
            const int page = in.Choice(4);
            return new CCommandNode(1, static_cast<uint8_t>(CMD_PAGE_STATUS + page),
                                    kPageRequests[page]);
        }
        case 3: {
            // A write or a request with any text the page may send, even an empty one.
            const auto id = static_cast<uint8_t>(CMD_PAGE_STATUS + in.Choice(4));
            return new CCommandNode(1, id, in.ShortText());
        }
        case 4:
            return new CCommandNode(1, CMD_CLOSING, "Q\r", "Bye", "");
        case 5:
            return new CCommandNode(1, CMD_LOGOUT, "Q\r", "Quit)", "", "Logout.", 1);
        case 6:
            return new CCommandNode(1, CMD_LINK_ONLY, "");
        case 7: {
            // Markers of any text.
            const uint8_t id = kDialogueIds[in.Choice(3)];
            std::string send = in.ShortText();
            std::string endPara = in.ShortText();
            std::string prompt = in.ShortText();
            return new CCommandNode(1, id, send, endPara, prompt, "Login.", in.Choice(2));
        }
        default:
            return new CCommandNode(1, in.Byte(), "?");
    }
}

void CheckState(ScriptedSystem& s) {
    std::lock_guard<std::mutex> lock(s.m_lock);
    FUZZ_CHECK(s.RxCount >= 0 && s.RxCount <= kBufferSize);
    FUZZ_CHECK(s.RxChunkLen >= 0 && s.RxChunkLen <= kBufferSize);
    const uint8_t status = s.Status;
    FUZZ_CHECK(status == STATUS_IDLE || status == STATUS_CLOSED || s.CurCommand != nullptr);
    FUZZ_CHECK(!IsPageState(status) || s.CurCommand->CommandID == s.takenId);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Loop();
    static RecordingPages pages;
    theApp().m_bLoggedIn.store(0);
    RegisterPages(pages.TargetId());

    Script in(data, size);
    auto* system = new ScriptedSystem();
    system->SystemID = 1;
    pages.system = system;
    bool loginStepTaken = false;

    while (!in.Done()) {
        switch (in.Choice(10)) {
            case 0: {
                CCommandNode* node = MakeCommand(in);
                system->AddCommand(node, in.Choice(2));
                break;
            }
            case 1:
                system->WorkerTake();
                loginStepTaken =
                    loginStepTaken || (system->takenId == CMD_LOGIN && system->takenLastStep == 1);
                break;
            case 2:
                system->AbortCommand();
                system->received.clear();
                break;
            case 3:
                system->ClearCommands();
                break;
            case 4:
                system->Drop();
                break;
            case 5:
                RegisterPages(in.Choice(2) ? pages.TargetId() : 0);
                break;
            case 6:
                pages.requeue = in.Choice(2) == 1;
                break;
            default: {
                const std::string bytes = in.LongText();
                if (system->HasCurCommand()) {
                    system->received += bytes;
                }
                system->ProcessChunk(bytes.data(), static_cast<int>(bytes.size()));
                break;
            }
        }
        CheckState(*system);
        FUZZ_CHECK(theApp().m_bLoggedIn.load() == 0 || loginStepTaken);
    }
    delete system;
    pages.system = nullptr;
    // Frame messages posted meanwhile (no frame is registered) are dropped here.
    Loop()->RunPending();
    return 0;
}
