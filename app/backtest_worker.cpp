#include "app/backtest_worker.hpp"

namespace qivra {

BacktestWorker::~BacktestWorker() { Stop(); }

void BacktestWorker::Stop() {
    cancel_.store(true);
    if (thread_.joinable()) thread_.join();
}

bool BacktestWorker::Start(BacktestRequest request, Progress progress, Done done) {
    if (running_.load()) return false;
    if (thread_.joinable()) thread_.join();  // the last one has finished; only its thread is left
    cancel_.store(false);
    running_.store(true);
    thread_ = std::thread([this, request = std::move(request), progress = std::move(progress), done = std::move(done)] {
        BacktestOutcome outcome = Run(request, cancel_, progress);
        running_.store(false);
        done(std::move(outcome));
    });
    return true;
}

BacktestOutcome BacktestWorker::Run(const BacktestRequest& request, const std::atomic<bool>& cancel,
                                    const Progress& progress) {
    BacktestOutcome outcome;
    // A connection of the worker's own; the file was checked when the program opened it.
    DrawArchive::Opening opening = DrawArchive::Open(request.archivePath);
    if (!opening.archive) {
        outcome.error = opening.report.Message();
        return outcome;
    }
    const BacktestDraws draws = LoadBacktestDraws(*opening.archive, request.game, request.range);
    if (cancel.load()) {
        outcome.cancelled = true;
        return outcome;
    }
    BacktestControl control;
    control.cancel = &cancel;
    control.progress = progress;
    BacktestRun run = RunBacktest(draws, {request.subject}, control);
    if (run.cancelled || run.results.empty()) {
        outcome.cancelled = true;
        return outcome;
    }
    outcome.figures = ComputeBacktestFigures(draws, request.subject, std::move(run.results.front()), request.window);
    return outcome;
}

}  // namespace qivra
