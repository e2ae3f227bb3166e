#include "platform/window_messages.h"

#include <mutex>
#include <unordered_map>

#include "platform/dispatcher.h"

namespace platform {
namespace {
std::mutex g_registryLock;
std::unordered_map<uint64_t, MessageTarget*> g_targets;
uint64_t g_nextId = 1;
std::atomic<uint64_t> g_mainWindow{0};

MessageTarget* Find(uint64_t id) {
    std::lock_guard<std::mutex> lock(g_registryLock);
    auto it = g_targets.find(id);
    return it == g_targets.end() ? nullptr : it->second;
}
}  // namespace

MessageTarget::MessageTarget() {
    std::lock_guard<std::mutex> lock(g_registryLock);
    m_id = g_nextId++;
    g_targets[m_id] = this;
}

MessageTarget::~MessageTarget() {
    std::lock_guard<std::mutex> lock(g_registryLock);
    g_targets.erase(m_id);
    uint64_t expected = m_id;
    g_mainWindow.compare_exchange_strong(expected, 0);
}

void PostMessage(uint64_t targetId, unsigned msg, intptr_t wParam, intptr_t lParam) {
    if (targetId == 0) {
        return;
    }
    Dispatch().Post([=] {
        if (MessageTarget* target = Find(targetId)) {
            target->OnMessage(msg, wParam, lParam);
        }
    });
}

long SendMessage(uint64_t targetId, unsigned msg, intptr_t wParam, intptr_t lParam,
                 const std::atomic<bool>* cancel) {
    if (targetId == 0) {
        return 0;
    }
    long result = 0;
    Dispatch().Send(
        [&] {
            if (MessageTarget* target = Find(targetId)) {
                result = target->OnMessage(msg, wParam, lParam);
            }
        },
        cancel);
    return result;
}

void SetMainWindow(uint64_t targetId) { g_mainWindow.store(targetId); }
uint64_t MainWindow() { return g_mainWindow.load(); }

void PostToMainWindow(unsigned msg, intptr_t wParam, intptr_t lParam) {
    PostMessage(MainWindow(), msg, wParam, lParam);
}

}  // namespace platform
