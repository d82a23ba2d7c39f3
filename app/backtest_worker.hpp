#pragma once
// The backtest worker the program owns: one thread at a time, reading the archive through a
// connection of its own (WAL lets it read while the user-interface thread merges feeds),
// reporting progress and its end through callbacks on its own thread, cancelled through an
// atomic flag, and cancelled and joined when it is destroyed.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app/backtest_figures.hpp"
#include "archive/backtest.hpp"

namespace qivra {

struct BacktestRequest {
    std::filesystem::path archivePath;
    int game = 0;
    BacktestSubject subject;
    BacktestRange range;
    int window = 100;
};

struct BacktestOutcome {
    bool cancelled = false;
    std::string error;  // the archive could not be read
    BacktestFigures figures;
};

class BacktestWorker {
public:
    using Progress = std::function<void(int64_t done, int64_t total)>;
    using Done = std::function<void(BacktestOutcome)>;

    BacktestWorker() = default;
    ~BacktestWorker();
    BacktestWorker(const BacktestWorker&) = delete;
    BacktestWorker& operator=(const BacktestWorker&) = delete;

    // False while a backtest runs. Both callbacks run on the worker thread; done runs once.
    bool Start(BacktestRequest request, Progress progress, Done done);
    void Cancel() { cancel_.store(true); }
    bool Running() const { return running_.load(); }
    // Cancels and waits for the thread.
    void Stop();

    // The work itself, on the calling thread: what Start runs.
    static BacktestOutcome Run(const BacktestRequest& request, const std::atomic<bool>& cancel, const Progress& progress);

private:
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> running_{false};
};

}  // namespace qivra
