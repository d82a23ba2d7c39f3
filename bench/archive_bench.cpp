// The archive and its backtests: all 72 plans and 10 stored algorithms over 100,000 archived
// periods against the views' own path run period by period, a refresh's merge into a large
// archive, and the backtest's peak memory.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "archive/backtest.hpp"
#include "archive/draw_archive.hpp"
#include "bench/table.hpp"
#include "plans/plan_view.hpp"

namespace qivra {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kArchived = 100000;
constexpr int64_t kFirstPeriod = 5000000;
constexpr int kFeedLines = kDefaultHistoryDepth + kHistoryLookback;
constexpr size_t kPagePathPeriods = 200;
constexpr size_t kLeastPathPeriods = 2000;

ArchivedDraw RandomDraw(std::mt19937_64& rng, int64_t period) {
    ArchivedDraw d;
    d.period = period;
    const int64_t minute = period % 1440;
    char buf[64];
    std::snprintf(buf, sizeof buf, "2026-%02d-%02d %02d:%02d:00", static_cast<int>(1 + period / 40000 % 12),
                  static_cast<int>(1 + period / 1440 % 28), static_cast<int>(minute / 60), static_cast<int>(minute % 60));
    d.drawnAt = buf;
    d.digit1 = static_cast<int32_t>(rng() % 10);
    d.digit2 = static_cast<int32_t>(rng() % 10);
    d.digit3 = static_cast<int32_t>(rng() % 10);
    return d;
}

std::vector<BacktestSubject> Subjects() {
    std::vector<BacktestSubject> subjects;
    int n = 0;
    for (const char* name : {"free_plans.txt", "named_plans.txt"}) {
        std::ifstream in(std::string(QIVRA_PLAN_DEFINITIONS_DIR) + "/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        for (const PlanDefinition& plan : ParsePlanList(text.str()).plans)
            subjects.push_back(BacktestSubject::ForPlan(plan, *NamedKindFromCode(1 + n++ % 9)));
    }
    const char* formulas[10] = {"[1]+[4]|[2]*[5]-[9]|([3]+[18])/2", "[7]|[8]+[11]+[12]|[16]*3",
                                "[1]/[2]|[10]-[13]|[17]*[6]+1.5",   "[3]*[6]|[9]+[12]|[15]-[18]",
                                "[2]+[5]+[8]|[11]*[14]|[17]/3",     "([1]+[2])*[3]|[4]|[5]+[6]",
                                "[13]-[1]|[14]-[2]|[15]-[3]",       "[1]*[2]*[3]|[4]*[5]|[6]*7",
                                "[18]/[17]|[16]/[15]|[14]/[13]",    "[1]+[7]+[13]|[2]+[8]+[14]|[3]+[9]+[15]"};
    for (int a = 0; a < 10; ++a)
        subjects.push_back(BacktestSubject::ForAlgorithm({"算法" + std::to_string(a), formulas[a]},
                                                         *CustomKindFromCode(1 + a % 8)));
    return subjects;
}

struct Fixture {
    fs::path dir;
    std::unique_ptr<DrawArchive> archive;
    std::vector<BacktestSubject> subjects = Subjects();
    std::mt19937_64 rng{2828};
    int64_t newest = kFirstPeriod + kArchived - 1;

    Fixture() {
        std::string pattern = (fs::temp_directory_path() / "qivra_bench_archive_XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        dir = pattern;
        archive = DrawArchive::Open(dir / "archive.sqlite").archive;
        if (!archive) std::abort();
        std::vector<ArchivedDraw> batch;
        for (int64_t p = kFirstPeriod; p <= newest; ++p) {
            batch.push_back(RandomDraw(rng, p));
            if (batch.size() == 10000) {
                archive->Merge(0, batch);
                batch.clear();
            }
        }
        archive->Merge(0, batch);
    }
    ~Fixture() {
        archive.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Fixture* g = nullptr;

// Reading the archive and judging every subject over every period, as the page would.
void BM_Backtest(benchmark::State& state) {
    int64_t judged = 0;
    for (auto _ : state) {
        const BacktestDraws draws = LoadBacktestDraws(*g->archive, 0, BacktestRange::All());
        const BacktestRun run = RunBacktest(draws, g->subjects);
        for (const BacktestResult& r : run.results) judged += r.judged;
        benchmark::DoNotOptimize(run.results.data());
    }
    state.counters["judged"] = static_cast<double>(judged) / static_cast<double>(state.iterations());
    state.counters["periods_per_second"] =
        benchmark::Counter(static_cast<double>(kArchived * static_cast<int64_t>(g->subjects.size())),
                           benchmark::Counter::kIsIterationInvariantRate);
}

void BM_BacktestLoadOnly(benchmark::State& state) {
    for (auto _ : state) {
        const BacktestDraws draws = LoadBacktestDraws(*g->archive, 0, BacktestRange::All());
        benchmark::DoNotOptimize(draws.size());
    }
}

// The views' own path for one period: a copy of the 110 draws a feed would show, then each
// subject's forecasts from it and the judging of its drawn period 1. As the pages call it
// (depth 100, a copy per subject), and stripped to the least a view computes (the coming period
// and one drawn period, one copy shared by every subject). Both run over a sample of periods.
bool g_baselineAgrees = true;
template <bool kAsThePagesCallIt>
void ViewPathPerPeriod(benchmark::State& state, size_t periods) {
    const BacktestDraws whole = LoadBacktestDraws(*g->archive, 0, BacktestRange::All());
    const BacktestRun fast = RunBacktest(whole, g->subjects);
    const std::vector<DrawRecord>& records = whole.history().records();
    const size_t offset = whole.size() - periods;
    const int depth = kAsThePagesCallIt ? kDefaultHistoryDepth : 1;
    auto window = [&](size_t r) {
        const size_t k = static_cast<size_t>(whole.HistoryIndex(offset + r));  // 1-based, newest first
        return DrawHistory(std::vector<DrawRecord>(records.begin() + static_cast<ptrdiff_t>(k - 1),
                                                   records.begin() + static_cast<ptrdiff_t>(k - 1 + kFeedLines)));
    };
    for (auto _ : state) {
        for (size_t r = 0; r < periods; ++r) {
            std::optional<DrawHistory> shared;
            if (!kAsThePagesCallIt) shared = window(r);
            for (size_t s = 0; s < g->subjects.size(); ++s) {
                std::optional<DrawHistory> own;
                if (kAsThePagesCallIt) own = window(r);
                const DrawHistory& h = kAsThePagesCallIt ? *own : *shared;
                const BacktestSubject& subject = g->subjects[s];
                const std::vector<PlanForecast> f =
                    std::holds_alternative<PlanDefinition>(subject.rule)
                        ? PlanForecasts(h, std::get<PlanDefinition>(subject.rule), subject.kind, depth)
                        : CustomForecasts(h, std::get<FormulaSet>(subject.rule), subject.kind, depth);
                const bool hit = IsHit(subject.kind, f[1], h.at(1).sum, h.at(1).period);
                if (hit != (fast.results[s].hitFlags[offset + r] != 0)) g_baselineAgrees = false;
            }
        }
    }
    state.counters["periods_per_second"] = benchmark::Counter(static_cast<double>(periods * g->subjects.size()),
                                                              benchmark::Counter::kIsIterationInvariantRate);
}

// A refresh: a 110-line feed whose newest line is one period past the archive's newest.
void BM_MergeFeed(benchmark::State& state) {
    MergeResult last;
    for (auto _ : state) {
        state.PauseTiming();
        ++g->newest;
        std::vector<ArchivedDraw> feed = g->archive->ReadLast(0, kFeedLines - 1);
        feed.push_back(RandomDraw(g->rng, g->newest));
        std::reverse(feed.begin(), feed.end());
        state.ResumeTiming();
        last = g->archive->Merge(0, feed);
        if (last.inserted != 1) state.SkipWithError("the merge did not insert one period");
    }
}

// Opening the archive with its check, as the program does at start.
void BM_OpenWithCheck(benchmark::State& state) {
    for (auto _ : state) {
        DrawArchive::Opening o = DrawArchive::Open(g->archive->path());
        if (o.report.outcome != ArchiveOpenReport::Outcome::Opened) state.SkipWithError("the archive did not open");
    }
}

int64_t StatusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stoll(line.substr(std::string(field).size()));
    return -1;
}

}  // namespace
}  // namespace qivra

int main(int argc, char** argv) {
    using namespace qivra;
    using namespace qivra::bench;
    Fixture fixture;
    g = &fixture;

    // Peak memory first, on a process that has not run a backtest yet.
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak to the current size
    const int64_t idleKiB = StatusKiB("VmRSS:");
    {
        const BacktestDraws draws = LoadBacktestDraws(*g->archive, 0, BacktestRange::All());
        const BacktestRun run = RunBacktest(draws, g->subjects);
        benchmark::DoNotOptimize(run.results.data());
    }
    const int64_t peakKiB = StatusKiB("VmHWM:");

    benchmark::RegisterBenchmark("Backtest_100k_72plans_10algorithms", BM_Backtest)->Unit(benchmark::kMillisecond)->MinTime(2);
    benchmark::RegisterBenchmark("BacktestLoadOnly_100k", BM_BacktestLoadOnly)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ViewPathAsThePagesCallIt", [](benchmark::State& s) {
        ViewPathPerPeriod<true>(s, kPagePathPeriods);
    })->Unit(benchmark::kMillisecond)->MinTime(2);
    benchmark::RegisterBenchmark("ViewPathLeastWork", [](benchmark::State& s) {
        ViewPathPerPeriod<false>(s, kLeastPathPeriods);
    })->Unit(benchmark::kMillisecond)->MinTime(2);
    benchmark::RegisterBenchmark("MergeFeed_110_into_100k", BM_MergeFeed)->Unit(benchmark::kMicrosecond)->Iterations(400);
    benchmark::RegisterBenchmark("OpenWithCheck_100k", BM_OpenWithCheck)->Unit(benchmark::kMillisecond);
    const auto results = RunBenchmarks(argc, argv);

    const double backtest = Figure(results, "Backtest_100k_72plans_10algorithms", "seconds");
    const double load = Figure(results, "BacktestLoadOnly_100k", "seconds");
    const double fastRate = Figure(results, "Backtest_100k_72plans_10algorithms", "periods_per_second");
    const double pageRate = Figure(results, "ViewPathAsThePagesCallIt", "periods_per_second");
    const double leastRate = Figure(results, "ViewPathLeastWork", "periods_per_second");
    const double subjectPeriods = static_cast<double>(kArchived) * static_cast<double>(fixture.subjects.size());
    const double merge = Figure(results, "MergeFeed_110_into_100k", "seconds");
    const double pageRatio = fastRate / pageRate;
    const double leastRatio = fastRate / leastRate;

    PrintRow("backtest against the views' path: the same verdict for every subject on every sampled period",
             g_baselineAgrees ? "identical" : "DIFFERENT",
             std::to_string(kPagePathPeriods + kLeastPathPeriods) + " periods × 82 subjects", "—", "identical",
             g_baselineAgrees);
    PrintRow("backtest, 72 plans and 10 stored algorithms over 100,000 archived periods of one game, one worker "
             "(reading the archive " + Duration(load) + " of it)",
             Duration(backtest),
             "the views' own path period by period as the pages call it (a copied 110-draw history and "
             "forecasts at depth 100 per subject and period) " + Duration(subjectPeriods / pageRate) + ", from " +
                 std::to_string(kPagePathPeriods) + " periods",
             Times(pageRatio), "≥ 20× and < 1 s", pageRatio >= 20 && backtest < 1.0);
    PrintRow("the same backtest against the least a view computes per period",
             Duration(backtest),
             "one copied 110-draw history per period shared by all 82 subjects, forecasts at depth 1 " +
                 Duration(subjectPeriods / leastRate) + ", from " + std::to_string(kLeastPathPeriods) + " periods",
             Times(leastRatio), "report", true);
    PrintRow("merging a 110-line feed (one new period) into an archive of 100,000 periods, WAL, one transaction",
             Duration(merge), "—", "—", "< 5 ms", merge < 5e-3);
    PrintRow("opening an archive of 100,000 periods with its check (quick_check and tables)",
             Duration(Figure(results, "OpenWithCheck_100k", "seconds")), "—", "—", "report", true);
    char memory[128];
    std::snprintf(memory, sizeof memory, "%.1f MiB above idle (idle %.1f MiB, peak %.1f MiB)",
                  static_cast<double>(peakKiB - idleKiB) / 1024, static_cast<double>(idleKiB) / 1024,
                  static_cast<double>(peakKiB) / 1024);
    PrintRow("peak resident memory of the 100,000-period backtest", memory, "—", "—", "< 100 MiB above idle",
             peakKiB - idleKiB < 100 * 1024);
    return g_baselineAgrees ? 0 : 1;
}
