// Whole-window figures on the offscreen platform: start-up to the first refresh shown, the
// refresh pass once the feed body is in hand against writing the same cells straight into
// the grids, and the longest stall of the user-interface thread while the program waits,
// marks plans, recomputes the statistics page or searches, against the same timer while it is
// idle.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/clock.hpp"
#include "app/custom_page.hpp"
#include "app/plan_views.hpp"
#include "app/backtest_page.hpp"
#include "app/stats_page.hpp"
#include "app/program.hpp"
#include "bench/table.hpp"
#include "custom/algorithm_store.hpp"
#include "net/string_cipher.hpp"
#include "service/history_csv.hpp"
#include "service/results_service.hpp"
#include "tools/stored_texts.hpp"
#include "ui/controls.hpp"
#include "ui/egrid.hpp"
#include "program/event_map.hpp"
#include "ui/main_window.hpp"
#include "ui/message_boxes.hpp"

namespace qivra::bench {
namespace {

class FixedClock final : public Clock {
public:
    explicit FixedClock(std::chrono::system_clock::time_point t) : now_(t) {}
    std::chrono::system_clock::time_point Now() const override { return now_; }
    void Set(std::chrono::system_clock::time_point t) { now_ = t; }

private:
    std::chrono::system_clock::time_point now_;
};

std::chrono::system_clock::time_point LocalAt(int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 10;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

double Seconds(QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e9; }

// Runs the event loop until done() holds or the time is up; false on time-out.
template <class F>
bool RunUntil(F done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A timer that should fire every 5 ms; the figure is the longest gap between two ticks.
class StallMeter {
public:
    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            if (last_ >= 0) worst_ = std::max(worst_, now - last_);
            last_ = now;
        });
    }
    void Start() {
        worst_ = 0;
        last_ = -1;
        clock_.start();
        timer_.start();
    }
    double Stop() {
        timer_.stop();
        return static_cast<double>(worst_) / 1e9;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    qint64 worst_ = 0;
};

// Every cell's text, text colour and background of the five grids, as a pass left them.
struct GridCells {
    struct Cell {
        QString text;
        QColor colour, background;
    };
    std::vector<std::vector<Cell>> grids;
};

const char* const kGridNames[] = {"高级表格1", "高级表格2", "高级表格3", "高级表格4", "高级表格5"};

GridCells Snapshot(MainWindow& w) {
    GridCells s;
    for (const char* name : kGridNames) {
        EGrid* g = w.Control<EGrid>(QString::fromUtf8(name));
        std::vector<GridCells::Cell> cells;
        for (int r = 0; r < g->RowCount(); ++r)
            for (int c = 0; c < g->ColumnCount(); ++c)
                cells.push_back({g->CellText(r, c), g->CellTextColour(r, c), g->CellBackground(r, c)});
        s.grids.push_back(std::move(cells));
    }
    return s;
}

void WriteStraight(MainWindow& w, const GridCells& s) {
    for (size_t i = 0; i < s.grids.size(); ++i) {
        EGrid* g = w.Control<EGrid>(QString::fromUtf8(kGridNames[i]));
        const int columns = g->ColumnCount();
        for (size_t k = 0; k < s.grids[i].size(); ++k) {
            const int r = static_cast<int>(k) / columns, c = static_cast<int>(k) % columns;
            const GridCells::Cell& cell = s.grids[i][k];
            g->SetCellText(r, c, cell.text);
            g->SetCellTextColour(r, c, cell.colour);
            if (cell.background.isValid()) g->SetCellBackground(r, c, cell.background);
        }
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? NAN : v[v.size() / 2];
}

int Run() {
    QTemporaryDir dir;
    const std::string store = dir.filePath(QStringLiteral("QivraData.ini")).toStdString();
    std::vector<CustomAlgorithm> algorithms;
    const char* const kFormulas[] = {"[1]+[8]+[9]+[12]/[8]*[6]|[9]+[5]+2+[2]|[1]*[9]+[5]/[2]+[10]",
                                     "[3]+[17]+[9]|[2]+[5]+[11]|[4]+[13]+[18]",
                                     "[1]*[2]-[3]|[4]/[5]+[6]|[7]-[8]*[9]+[10]",
                                     "[10]+[11]+[12]+[13]|[14]+[15]+[16]+[17]|[18]+[1]+[2]+[3]",
                                     "([1]+[2])*[3]|[4]-[5]-[6]|[7]/([8]+1)"};
    for (int i = 0; i < 10; ++i)
        algorithms.push_back({"算法" + std::to_string(i + 1), kFormulas[i % 5]});
    if (!SaveStoreFile(store, algorithms).ok()) {
        std::fprintf(stderr, "bench_window: cannot write the algorithm store\n");
        return 1;
    }

    auto clock = std::make_shared<FixedClock>(LocalAt(13, 12, 30));
    ResultsService service;
    service.SetClock([clock] { return clock->Now(); });
    if (service.Start() <= 0) {
        std::fprintf(stderr, "bench_window: the local results service did not start\n");
        return 1;
    }
    ProgramServices services;
    services.settings = CompiledInSettings();
    services.settings.configUrlStored = Encipher(service.ConfigUrl(), kStoredTextKey);
    services.clock = clock;
    services.messages = std::make_shared<MessageBoxes>();
    services.messages->SetNextAnswers({});  // answered, never shown modally
    services.freePlansStored = FreePlanDefinitionsStored();
    services.namedPlansStored = NamedPlanDefinitionsStored();
    services.openUrl = [](const QUrl&) {};
    services.algorithmStorePath = store;
    services.archivePath = store + ".archive.sqlite";
    services.searchSeed = 28;

    // 1. Start-up to the first refresh shown.
    QElapsedTimer startUp;
    startUp.start();
    auto program = std::make_unique<Program>(services);
    program->CreateMainWindow();
    ConnectEventMap(*program);
    int finished = 0;
    QObject::connect(program.get(), &Program::refreshFinished, [&finished] { ++finished; });
    program->Start();
    if (!RunUntil([&] { return finished > 0; }, 30000)) {
        std::fprintf(stderr, "bench_window: the program did not show its first refresh\n");
        return 1;
    }
    const double startSeconds = Seconds(startUp);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double startPeakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;

    MainWindow& w = *program->Window();
    // The pass as the brief counts it: no popup, streak alarm or sound on the way.
    for (const char* box : {"选择框1", "选择框3", "选择框4"})
        if (auto* b = w.Control<QCheckBox>(QString::fromUtf8(box))) b->setChecked(false);
    program->Custom().EnableCustomAlgorithms();
    const size_t stored = program->Custom().Algorithms().size();

    // 2. The refresh pass with the body in hand, alternating two feeds one draw apart so every
    // pass has new cells to write; against writing the cells those passes left, straight.
    const int game = program->Choices().game;
    const std::string bodyA = service.FeedText(game);
    clock->Set(LocalAt(13, 12, 30) + std::chrono::minutes(5));
    const std::string bodyB = service.FeedText(game);
    clock->Set(LocalAt(13, 12, 30));
    program->FinishRefresh(game, bodyA);
    const GridCells cellsA = Snapshot(w);
    program->FinishRefresh(game, bodyB);
    const GridCells cellsB = Snapshot(w);
    std::vector<double> pass, straight;
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer t;
        t.start();
        program->FinishRefresh(game, i % 2 ? bodyB : bodyA);
        pass.push_back(Seconds(t));
    }
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer t;
        t.start();
        WriteStraight(w, i % 2 ? cellsB : cellsA);
        straight.push_back(Seconds(t));
    }
    const double passSeconds = Median(pass), straightSeconds = Median(straight);
    PrintRow("refresh pass with the feed body in hand (parse, history grids, both plan views, custom page with " +
                 std::to_string(stored) + " stored algorithms, outcome table), offscreen, median of 40",
             Duration(passSeconds), "cells and colours written straight into the five grids " + Duration(straightSeconds),
             Times(passSeconds / straightSeconds), "≤ 1.5×", passSeconds / straightSeconds <= 1.5);

    // 3. Stalls of the user-interface thread.
    StallMeter meter;
    meter.Start();
    RunFor(2000);
    const double idle = meter.Stop();

    // A refresh against a service that answers after 3 s.
    FaultPlan slow;
    slow.delaySeconds = 3;
    service.SetFault(game, slow);
    finished = 0;
    meter.Start();
    program->Refresh();
    const bool slowDone = RunUntil([&] { return finished > 0 && !program->RefreshInFlight(); }, 20000);
    const double duringRefresh = meter.Stop();
    service.ClearFaults();

    // The named plans marked ten times a second for two seconds.
    QTimer marker;
    int marks = 0;
    QObject::connect(&marker, &QTimer::timeout, [&] {
        program->Plans().MarkNamedPlans();
        ++marks;
    });
    meter.Start();
    marker.start(100);
    RunFor(2000);
    marker.stop();
    const double duringMark = meter.Stop();

    // 【统计检验】 shown and recomputed ten times a second for two seconds: 72 plans and the
    // stored algorithms judged with their significance, and the table refilled.
    w.Tabs()->SetCurrentIndex(StatsPage::kPageIndex);
    QTimer recomputer;
    int recomputes = 0;
    std::vector<double> recompute;
    QObject::connect(&recomputer, &QTimer::timeout, [&] {
        QElapsedTimer t;
        t.start();
        program->Stats().RecomputeTable();
        recompute.push_back(Seconds(t));
        ++recomputes;
    });
    meter.Start();
    recomputer.start(100);
    RunFor(2000);
    recomputer.stop();
    const double duringStats = meter.Stop();
    w.Tabs()->SetCurrentIndex(0);

    // A search that no candidate ends, for two seconds.
    if (auto* threshold = w.Control<QLineEdit>(QStringLiteral("编辑框9"))) threshold->setText(QStringLiteral("1000"));
    if (auto* mode = w.Control<QComboBox>(QStringLiteral("组合框6"))) mode->setCurrentIndex(0);
    program->SetCountdown(200);
    bool searchEnded = false;
    QObject::connect(&program->Custom(), &CustomPage::searchFinished, [&] { searchEnded = true; });
    meter.Start();
    program->Custom().StartSearch();
    const bool searchStarted = program->Custom().SearchRunning();
    RunFor(2000);
    program->Custom().StartSearch();  // the second click asks it to stop
    RunUntil([&] { return searchEnded; }, 10000);
    const double duringSearch = meter.Stop();

    auto stallRow = [&](const std::string& what, double seconds, bool ran) {
        PrintRow("longest stall of a 5 ms UI timer " + what, ran ? Duration(seconds) : "did not run",
                 "idle program " + Duration(idle), Times(seconds / idle), "≤ 3× idle", ran && seconds <= 3 * idle);
    };
    stallRow("during a refresh against a service answering after 3 s", duringRefresh, slowDone);
    stallRow("during MarkNamedPlans (" + std::to_string(marks) + " runs in 2 s)", duringMark, marks > 0);
    stallRow("during a search (2 s)", duringSearch, searchStarted);
    stallRow("while 【统计检验】 is recomputed (" + std::to_string(recomputes) + " runs in 2 s, 72 plans and " +
                 std::to_string(stored) + " stored algorithms, one recompute " + Duration(Median(recompute)) + ")",
             duringStats, recomputes > 0);

    // A backtest of a long imported history on the page's worker.
    const int historyDays = game == 0 ? 556 : 243;  // about 100,000 draws
    const std::string historyCsv = store + ".history.csv";
    {
        std::ofstream out(historyCsv, std::ios::binary);
        out << HistoryCsv(game, clock->Now(), 28028, historyDays);
    }
    BacktestPage& backtest = program->Backtest();
    backtest.ShowPage();
    backtest.ImportFile(historyCsv);
    backtest.ReportChoice([](BacktestChoices& c) { c.rangeMode = 2; });
    bool backtestEnded = false;
    QObject::connect(&backtest, &BacktestPage::backtestFinished, [&] { backtestEnded = true; });
    QElapsedTimer backtestClock;
    meter.Start();
    backtestClock.start();
    backtest.StartBacktest();
    const bool backtestStarted = backtest.Running();
    RunUntil([&] { return backtestEnded; }, 120000);
    const double backtestSeconds = Seconds(backtestClock);
    const double duringBacktest = meter.Stop();
    const int64_t judged = backtest.LastOutcome() ? backtest.LastOutcome()->figures.result.judged : 0;
    if (!backtestStarted)
        for (const auto& box : services.messages->ShownBoxes())
            std::fprintf(stderr, "bench_window: %s\n", box.text.toStdString().c_str());
    stallRow("during a backtest of " + std::to_string(judged) + " archived periods on the page's worker (" +
                 Duration(backtestSeconds) + " in all)",
             duringBacktest, backtestStarted && backtestEnded && judged > 0);

    getrusage(RUSAGE_SELF, &usage);
    PrintRow("start-up to the first refresh shown, local service in-process", Duration(startSeconds), "—",
             "—", "report", true);
    char rss[96];
    std::snprintf(rss, sizeof rss, "%.1f MiB at first refresh; %.1f MiB at the end of this run", startPeakMb,
                  static_cast<double>(usage.ru_maxrss) / 1024.0);
    PrintRow("peak resident memory", rss, "—", "—", "report", true);

    program.reset();
    service.Stop();
    return 0;
}

}  // namespace
}  // namespace qivra::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return qivra::bench::Run();
}
