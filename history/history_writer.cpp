#include "history/history_writer.h"

namespace history {

HistoryWriter::HistoryWriter(std::string path, int keepDays, NoticeFn notice, NowFn now)
    : m_path(std::move(path)),
      m_keepDays(keepDays),
      m_notice(std::move(notice)),
      m_now(now ? std::move(now) : NowFn([] { return ToLocalMs(platform::Clock::LocalNow()); })) {}

HistoryWriter::~HistoryWriter() {
    Stop();
}

void HistoryWriter::Start() {
    if (!m_thread.joinable()) {
        m_thread = std::thread([this] { Run(); });
    }
}

void HistoryWriter::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void HistoryWriter::Post(Job job) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_stopping || m_state.load() == State::Off || m_jobs.size() >= kMaxQueued) {
            ++m_dropped;
            return;
        }
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void HistoryWriter::WritePoll(const std::string& site, LocalMs seen, const StatusRecord& record) {
    Post([this, site, seen, record](HistoryStore& store) {
        if (!store.WritePoll(site, seen, record)) {
            Fail(store.Error());
        }
    });
}

void HistoryWriter::MergeEvents(const std::string& site, LocalMs seen,
                                std::vector<UnitEventRecord> events, MergeDoneFn done) {
    // A merge that cannot be queued still gets its answer.
    if (m_state.load() == State::Off) {
        if (done) {
            done(std::nullopt);
        }
        return;
    }
    Post([this, site, seen, events = std::move(events), done](HistoryStore& store) {
        const std::optional<int> added = store.MergeEvents(site, seen, events);
        if (!added) {
            Fail(store.Error());
        }
        if (done) {
            done(added);
        }
    });
}

void HistoryWriter::Acknowledge(const std::string& site, int dryer, LocalMs when) {
    Post([this, site, dryer, when](HistoryStore& store) {
        // No alarm left to acknowledge is not a fault of the file.
        if (!store.Acknowledge(site, dryer, when) && IsUnwritable(store.LastCode())) {
            Fail(store.Error());
        }
    });
}

void HistoryWriter::Flush() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_idle.wait(lock, [this] { return (m_jobs.empty() && !m_busy) || !m_thread.joinable(); });
}

int64_t HistoryWriter::Dropped() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_dropped;
}

void HistoryWriter::OpenStore() {
    switch (m_store.Open(m_path, m_keepDays, m_now())) {
        case HistoryStore::OpenResult::Opened:
            m_state = State::Writing;
            break;
        case HistoryStore::OpenResult::Replaced:
            m_state = State::Writing;
            if (m_notice) {
                m_notice(Notice::Replaced, m_store.Notice());
            }
            break;
        case HistoryStore::OpenResult::Unwritable:
            Fail(m_store.Notice());
            break;
    }
}

void HistoryWriter::Fail(const std::string& why) {
    m_state = State::Off;
    m_store.Close();
    if (!m_toldUnwritable) {
        m_toldUnwritable = true;
        if (m_notice) {
            m_notice(Notice::Unwritable, why);
        }
    }
}

void HistoryWriter::Run() {
    OpenStore();
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_busy = false;
            if (m_jobs.empty()) {
                m_idle.notify_all();
            }
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty()) {
                break;  // stopping, and everything queued is written
            }
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busy = true;
        }
        if (m_state.load() == State::Off) {
            // History is off: what was queued before it went off is dropped, but a merge still
            // hears that it failed.
            job(m_store);
            std::lock_guard<std::mutex> lock(m_lock);
            ++m_dropped;
            continue;
        }
        job(m_store);
        ++m_written;
    }
    m_store.Close();
    std::lock_guard<std::mutex> lock(m_lock);
    m_busy = false;
    m_idle.notify_all();
}

}  // namespace history
