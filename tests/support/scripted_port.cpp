#include "tests/support/scripted_port.h"

#include "engine/system.h"

ScriptedPort::ScriptedPort(uint8_t commType) {
    CommType = commType;
}

ScriptedPort::~ScriptedPort() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_closing.store(true);
        m_feedWake.notify_all();
    }
    if (m_readThread.joinable()) {
        m_readThread.join();
    }
}

bool ScriptedPort::Open() {
    m_openCount.fetch_add(1);
    if (m_openFails.load()) {
        return false;
    }
    IsOpen.store(1);
    if (m_carrierOnOpen.load()) {
        Carrier.store(1);
    }
    return true;
}

bool ScriptedPort::Close() {
    m_closeCount.fetch_add(1);
    IsOpen.store(0);
    Carrier.store(0);
    m_socketConnected.store(false);
    return true;
}

bool ScriptedPort::Write(const char* bytes, int length) {
    std::string written(bytes, static_cast<size_t>(length > 0 ? length : 0));
    Responder responder;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_writes.push_back(written);
        responder = m_responder;
    }
    if (responder) {
        responder(written);
    }
    return m_writeResult.load();
}

bool ScriptedPort::LinkUp() const {
    int forced = m_linkUp.load();
    if (forced >= 0) {
        return forced == 1;
    }
    if (CommType == COMM_TCPIP) {
        return m_socketConnected.load();
    }
    return IsOpen.load() && (CommType == COMM_DIRECT || Carrier.load());
}

bool ScriptedPort::SocketConnected() const {
    return m_socketConnected.load();
}

int ScriptedPort::Read(char*, int) {
    return 0;
}

void ScriptedPort::SetLinkUp(std::optional<bool> up) {
    m_linkUp.store(up.has_value() ? (*up ? 1 : 0) : -1);
}

std::vector<std::string> ScriptedPort::Writes() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_writes;
}

std::string ScriptedPort::WrittenText() const {
    std::lock_guard<std::mutex> lock(m_lock);
    std::string all;
    for (const auto& write : m_writes) {
        all += write;
    }
    return all;
}

size_t ScriptedPort::WriteCount() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_writes.size();
}

void ScriptedPort::ClearWrites() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_writes.clear();
}

void ScriptedPort::SetResponder(Responder responder) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_responder = std::move(responder);
}

void ScriptedPort::Feed(const std::string& text, const std::atomic<bool>* cancel) {
    if (Owner && !text.empty()) {
        Owner->ProcessChunk(text.data(), static_cast<int>(text.size()), cancel);
    }
}

void ScriptedPort::FeedLater(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_closing.load()) {
        return;
    }
    m_feeds.push_back(text);
    if (!m_readThread.joinable()) {
        m_readThread = std::thread([this] { ReadThreadProc(); });
    }
    m_feedWake.notify_all();
}

bool ScriptedPort::FeedDone() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_feeds.empty() && !m_feeding;
}

void ScriptedPort::ReadThreadProc() {
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_feedWake.wait(lock, [this] { return m_closing.load() || !m_feeds.empty(); });
        if (m_closing.load()) {
            return;
        }
        std::string text = std::move(m_feeds.front());
        m_feeds.pop_front();
        m_feeding = true;
        lock.unlock();
        Feed(text, &m_closing);
        lock.lock();
        m_feeding = false;
    }
}
