// History figures: what writing a poll's changes costs the UI thread (handing them to the writer
// thread) and the writer (one transaction), and how long the History window takes to open on a
// year of generated history, for a day, a week and a month.
//
//   history_bench [folder]     (default: a fresh folder under /tmp)
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "app/history/history_window.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "platform/clock.h"

namespace {

using namespace history;
using Clock = std::chrono::steady_clock;

double Us(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

struct Figures {
    double median = 0;
    double p99 = 0;
    double max = 0;
};

Figures Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values[values.size() * 99 / 100], values.back()};
}

// A year of a site: every 20 minutes one dryer changes; about twice a day an alarm is raised
// and cleared an hour later.
LocalMs GenerateYear(HistoryStore& store, LocalMs end) {
    constexpr int64_t kStep = 20 * 60000;
    const LocalMs start = end - 365 * kMsPerDay;
    std::mt19937 random(42);
    StatusRecord record;
    for (auto& d : record.dryers) {
        d.online = true;
        d.status = "Online";
        d.model = "DX-40";
    }
    record.cycle = {"24HR", "12/08/2026 06:00", "2", "1-2-3-4", "No"};
    std::array<LocalMs, 8> alarmEnds{};
    for (LocalMs at = start; at < end; at += kStep) {
        const int k = std::uniform_int_distribution<int>(0, 7)(random);
        DryerRecord& d = record.dryers[k];
        if (d.alarm) {
            if (at >= alarmEnds[k]) {
                d = {true, false, false, "Online", "", "DX-40"};
            }
        } else if (std::uniform_int_distribution<int>(0, 35)(random) == 0) {
            d = {false, false, true, "Alarm", LocalText(at), "DX-40"};
            alarmEnds[k] = at + 3600000;
        } else {
            d.online = !d.online;
            d.standby = !d.online;
            d.status = d.online ? "Online" : "Standby";
        }
        if (!store.WritePoll("Bench Site", at, record)) {
            std::fprintf(stderr, "history_bench: %s\n", store.Error().c_str());
            std::exit(1);
        }
    }
    return start;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::string folder = argc > 1 ? argv[1] : "";
    const bool scratch = folder.empty();
    if (scratch) {
        char pattern[] = "/tmp/corvantis-history-bench-XXXXXX";
        folder = mkdtemp(pattern);
    }
    const std::string path = folder + "/Corvantis.db";
    std::filesystem::remove(path);
    const LocalMs now = ToLocalMs(platform::Clock::LocalNow());

    // The writer's side: one transaction per changed poll, on a year-sized file.
    HistoryStore store;
    if (store.Open(path, 400, now) != HistoryStore::OpenResult::Opened) {
        std::fprintf(stderr, "history_bench: %s\n", store.Notice().c_str());
        return 1;
    }
    const auto generateStart = Clock::now();
    GenerateYear(store, now - 3600000);
    const double generateS = Us(Clock::now() - generateStart) / 1e6;
    std::vector<double> commits;
    StatusRecord record;
    for (int i = 0; i < 500; ++i) {
        record.dryers[i % 8].online = !record.dryers[i % 8].online;
        const auto t0 = Clock::now();
        store.WritePoll("Bench Site", now - 3600000 + i * 5000, record);
        commits.push_back(Us(Clock::now() - t0));
    }
    store.Close();

    // The UI thread's side: handing a poll to the writer thread.
    std::vector<double> hands;
    {
        HistoryWriter writer(path, 400, {});
        writer.Start();
        for (int i = 0; i < 2000; ++i) {
            record.dryers[i % 8].standby = !record.dryers[i % 8].standby;
            const auto t0 = Clock::now();
            writer.WritePoll("Bench Site", now - 1800000 + i * 500, record);
            hands.push_back(Us(Clock::now() - t0));
            if (i % 50 == 0) {
                writer.Flush();  // a poll every 5 s never finds a long queue
            }
        }
        writer.Stop();
    }

    // The History window on the year.
    std::vector<double> opens[3];
    for (int round = 0; round < 5; ++round) {
        for (int span = 0; span < 3; ++span) {
            QElapsedTimer timer;
            timer.start();
            CHistoryWindow window(path, "Bench Site");
            window.SetSpan(static_cast<CHistoryWindow::Span>(span));
            window.show();
            QApplication::processEvents();
            window.grab();  // drawn once
            opens[span].push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    const Figures commit = Summarise(commits);
    const Figures hand = Summarise(hands);
    std::printf("history file: %s (%.1f MB), a year generated in %.1f s\n", path.c_str(),
                double(std::filesystem::file_size(path)) / 1e6, generateS);
    std::printf("poll handed to the writer (UI thread): median %.1f us, p99 %.1f us, max %.1f us\n",
                hand.median, hand.p99, hand.max);
    std::printf(
        "poll written (writer thread, one transaction): median %.0f us, p99 %.0f us, "
        "max %.0f us\n",
        commit.median, commit.p99, commit.max);
    const char* names[] = {"day", "week", "month"};
    for (int span = 0; span < 3; ++span) {
        const Figures open = Summarise(opens[span]);
        std::printf("History window open and drawn, a %s of a year: median %.0f ms, max %.0f ms\n",
                    names[span], open.median, open.max);
    }
    if (scratch) {
        std::filesystem::remove_all(folder);
    }
    return 0;
}
