// The history store's own thread: the console hands it each shown Status reply, each harvest and
// each acknowledge, and goes on at once; the thread writes them in order. Nothing the console's
// UI thread calls here waits for the disk.
//
// Guards: m_lock guards m_jobs, m_stopping and m_dropped, and is held only to add or take a job
// (never while a job runs). The store (m_store) and the "told" flags are the writer thread's
// alone; m_state is atomic. The notice callback runs on the writer thread.
//
// WritePoll, MergeEvents, Acknowledge, state, Written and Dropped may be called from any thread;
// the constructor, Start, Stop, Flush and the destructor from the owner's thread only.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "history/history_store.h"

namespace history {

class HistoryWriter {
public:
    enum class Notice {
        Replaced,    // the file was damaged; text: the name it is kept under
        Unwritable,  // the file cannot be written; text: why. History stops for this session
    };
    // Called on the writer thread, at most once per kind over the writer's life.
    using NoticeFn = std::function<void(Notice, const std::string&)>;
    // Called on the writer thread: the number of events that were new, or nothing on failure.
    using MergeDoneFn = std::function<void(std::optional<int>)>;

    // The local time source of the writes' "now" (pruning); default platform::Clock::LocalNow.
    using NowFn = std::function<LocalMs()>;

    HistoryWriter(std::string path, int keepDays, NoticeFn notice, NowFn now = {});
    ~HistoryWriter();  // Stop()
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // Starts the thread; the file is opened there.
    void Start();
    // Writes what is queued, then ends the thread.
    void Stop();

    // Queues a job; they are written in the order they were queued.
    void WritePoll(const std::string& site, LocalMs seen, const StatusRecord& record);
    void MergeEvents(const std::string& site, LocalMs seen, std::vector<UnitEventRecord> events,
                     MergeDoneFn done = {});
    void Acknowledge(const std::string& site, int dryer, LocalMs when);

    // Blocks until every job queued before the call was written (tests, benchmarks and
    // headless programs; never the console's UI thread).
    void Flush();

    enum class State { Starting, Writing, Off };
    State state() const { return m_state.load(); }
    // Jobs written, and jobs dropped because the queue was full or history was off.
    int64_t Written() const { return m_written.load(); }
    int64_t Dropped() const;

    // A queue longer than this (the disk has stalled for hours of polls) drops new jobs.
    static constexpr size_t kMaxQueued = 10000;

private:
    using Job = std::function<void(HistoryStore&)>;
    void Post(Job job);
    void Run();
    void OpenStore();
    void Fail(const std::string& why);

    const std::string m_path;
    const int m_keepDays;
    NoticeFn m_notice;
    NowFn m_now;

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    bool m_busy = false;
    int64_t m_dropped = 0;

    std::thread m_thread;
    std::atomic<State> m_state{State::Starting};
    std::atomic<int64_t> m_written{0};

    // Writer thread only.
    HistoryStore m_store;
    bool m_toldUnwritable = false;
};

}  // namespace history
