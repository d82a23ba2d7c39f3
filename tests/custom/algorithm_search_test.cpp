#include "custom/algorithm_search.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <vector>

#include "custom/custom_forecast.hpp"

namespace qivra {
namespace {

using namespace std::chrono_literals;

// A hang guard, not a timing assertion.
constexpr auto kGenerous = 60s;

DrawHistory RandomHistory(uint64_t seed, int size = 110) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> digit(0, 9);
    DrawHistory h;
    for (int i = 0; i < size; ++i)
        h.push_back(DrawRecord::Make(std::to_string(900000 - i), "10:00", digit(rng), digit(rng), digit(rng)));
    return h;
}

// Parses "[a]o[b]o[c]..." into positions and operators; fails the test on anything else.
void Dissect(const std::string& f, std::vector<int>& positions, std::string& operators) {
    size_t i = 0;
    while (i < f.size()) {
        ASSERT_EQ(f[i], '[') << f;
        const size_t close = f.find(']', i);
        ASSERT_NE(close, std::string::npos) << f;
        positions.push_back(std::stoi(f.substr(i + 1, close - i - 1)));
        i = close + 1;
        if (i < f.size()) operators += f[i++];
    }
}

TEST(FormulaGenerator, DistributionsOfAGeneration) {
    for (GeneratorMode mode : {GeneratorMode::Simple, GeneratorMode::Mixed}) {
        FormulaGenerator generator(12345);
        constexpr int kGenerations = 20000;
        int fours = 0, repeats = 0;
        std::map<int, int> positionCounts;
        std::map<char, int> operatorCounts;
        std::array<std::string, 3> previous;
        for (int g = 0; g < kGenerations; ++g) {
            const auto generation = generator.Generation(mode);
            std::set<size_t> sizes;
            for (const std::string& f : generation) {
                ASSERT_TRUE(Formula::Compile(f).valid()) << f;
                std::vector<int> positions;
                std::string operators;
                Dissect(f, positions, operators);
                ASSERT_TRUE(positions.size() == 3 || positions.size() == 4) << f;
                sizes.insert(positions.size());
                for (int p : positions) ++positionCounts[p];
                for (char o : operators) ++operatorCounts[o];
            }
            ASSERT_EQ(sizes.size(), 1u) << "one count of positions per generation";
            if (*sizes.begin() == 4) ++fours;
            if (generation == previous) ++repeats;
            previous = generation;
        }
        EXPECT_NEAR(fours / double(kGenerations), 0.25, 0.02);
        EXPECT_EQ(repeats, 0);
        ASSERT_EQ(positionCounts.size(), 18u);
        EXPECT_EQ(positionCounts.begin()->first, 1);
        EXPECT_EQ(positionCounts.rbegin()->first, 18);
        int totalPositions = 0;
        for (const auto& [p, n] : positionCounts) totalPositions += n;
        for (const auto& [p, n] : positionCounts) EXPECT_NEAR(n / double(totalPositions), 1.0 / 18, 0.01) << p;
        if (mode == GeneratorMode::Simple) {
            EXPECT_EQ(operatorCounts.size(), 1u);
            EXPECT_EQ(operatorCounts.count('+'), 1u);
        } else {
            ASSERT_EQ(operatorCounts.size(), 4u);
            int total = 0;
            for (const auto& [o, n] : operatorCounts) total += n;
            for (char o : {'+', '-', '*', '/'}) EXPECT_NEAR(operatorCounts[o] / double(total), 0.25, 0.02) << o;
        }
    }
    FormulaGenerator a(1), b(1), c(2);
    EXPECT_EQ(a.Generation(GeneratorMode::Mixed), b.Generation(GeneratorMode::Mixed));
    EXPECT_NE(a.Generation(GeneratorMode::Mixed), c.Generation(GeneratorMode::Mixed));
}

struct SearchRun {
    std::promise<SearchOutcome> finished;
    std::atomic<int> progressReports{0};
    std::mutex reportsMutex;
    std::vector<SearchProgress> reports;

    bool Start(AlgorithmSearch& search, SearchSnapshot snapshot) {
        return search.Start(
            std::move(snapshot),
            [this](const SearchProgress& p) {
                ++progressReports;
                std::lock_guard lock(reportsMutex);
                reports.push_back(p);
            },
            [this](const SearchOutcome& o) { finished.set_value(o); });
    }
    // The reports count up, and the last one is the search's final count and best value.
    void ExpectReportsEndAt(const SearchOutcome& outcome, int bestAtLeast) {
        std::lock_guard lock(reportsMutex);
        ASSERT_FALSE(reports.empty());
        for (size_t i = 1; i < reports.size(); ++i) {
            EXPECT_GE(reports[i].candidates, reports[i - 1].candidates) << i;
            EXPECT_GE(reports[i].bestValue, reports[i - 1].bestValue) << i;
        }
        EXPECT_EQ(reports.back().candidates, outcome.candidates);
        EXPECT_GE(reports.back().bestValue, bestAtLeast);
    }
    SearchOutcome Await() {
        auto future = finished.get_future();
        if (future.wait_for(kGenerous) != std::future_status::ready) {
            ADD_FAILURE() << "search did not end";
            std::abort();
        }
        return future.get();
    }
};

SearchSnapshot Snapshot(int criterion, int threshold, PredictionKind kind = PredictionKind::Combination) {
    SearchSnapshot s;
    s.history = RandomHistory(77);
    s.kind = kind;
    s.window = 20;
    s.mode = GeneratorMode::Mixed;
    s.criterion = criterion;
    s.threshold = threshold;
    s.seed = 4242;
    return s;
}

TEST(AlgorithmSearch, ThresholdZeroAcceptsTheFirstCandidate) {
    for (int criterion = 0; criterion < 4; ++criterion) {
        AlgorithmSearch search;
        SearchRun run;
        ASSERT_TRUE(run.Start(search, Snapshot(criterion, 0)));
        const SearchOutcome outcome = run.Await();
        EXPECT_EQ(outcome.end, SearchOutcome::End::Found);
        EXPECT_EQ(outcome.candidates, 1u);
        EXPECT_EQ(outcome.formulas, FormulaGenerator(4242).Generation(GeneratorMode::Mixed));
    }
}

TEST(AlgorithmSearch, AFoundAlgorithmMeetsItsThreshold) {
    struct Case { int criterion; int threshold; PredictionKind kind; int workers; } cases[] = {
        {0, 17, PredictionKind::Combination, 1},
        {1, 13, PredictionKind::Size, 1},
        {2, 4, PredictionKind::Kill3N, 2},
        {3, 3, PredictionKind::AlternateItem, 2},
    };
    for (const Case& c : cases) {
        SearchSnapshot snapshot = Snapshot(c.criterion, c.threshold, c.kind);
        snapshot.workers = c.workers;
        const DrawHistory history = snapshot.history;
        AlgorithmSearch search;
        SearchRun run;
        ASSERT_TRUE(run.Start(search, std::move(snapshot)));
        const SearchOutcome outcome = run.Await();
        ASSERT_EQ(outcome.end, SearchOutcome::End::Found) << c.criterion;
        const FormulaSet f{Formula::Compile(outcome.formulas[0]), Formula::Compile(outcome.formulas[1]),
                           Formula::Compile(outcome.formulas[2])};
        const auto stats = EvaluateAlgorithmReference(history, f, c.kind, 20);
        ASSERT_TRUE(stats);
        EXPECT_EQ(*stats, outcome.stats);
        EXPECT_GE(CriterionValue(*stats, c.criterion), c.threshold);
        run.ExpectReportsEndAt(outcome, CriterionValue(*stats, c.criterion));
        search.Wait();
        EXPECT_FALSE(search.Running());
    }
}

TEST(AlgorithmSearch, StopEndsASearchThatCannotSucceed) {
    AlgorithmSearch search;
    SearchRun run;
    ASSERT_TRUE(run.Start(search, Snapshot(0, 21)));  // 21 right out of 20
    EXPECT_TRUE(search.Running());
    EXPECT_FALSE(search.Start(Snapshot(0, 0), {}, {})) << "one search at a time";
    std::this_thread::sleep_for(50ms);
    search.RequestStop();
    const SearchOutcome outcome = run.Await();
    EXPECT_EQ(outcome.end, SearchOutcome::End::Stopped);
    EXPECT_GT(outcome.candidates, 0u);
    EXPECT_TRUE(Formula::Compile(outcome.formulas[0]).valid());

    // The same object runs again after a search ended.
    SearchRun again;
    ASSERT_TRUE(again.Start(search, Snapshot(0, 0)));
    EXPECT_EQ(again.Await().end, SearchOutcome::End::Found);
}

TEST(AlgorithmSearch, RefusalsAndShutdown) {
    AlgorithmSearch search;
    EXPECT_FALSE(search.Start(Snapshot(4, 0), {}, {}));
    EXPECT_FALSE(search.Start(Snapshot(-1, 0), {}, {}));

    SearchSnapshot tooShort = Snapshot(0, 0);
    tooShort.history = RandomHistory(1, 9);
    SearchRun run;
    ASSERT_TRUE(run.Start(search, tooShort));
    const SearchOutcome outcome = run.Await();
    EXPECT_EQ(outcome.end, SearchOutcome::End::NoHistory);
    EXPECT_EQ(outcome.candidates, 0u);

    // Destroying a running search stops and joins it.
    SearchRun endless;
    {
        AlgorithmSearch scoped;
        SearchSnapshot s = Snapshot(0, 1000);
        s.workers = 2;
        ASSERT_TRUE(endless.Start(scoped, s));
    }
    EXPECT_EQ(endless.Await().end, SearchOutcome::End::Stopped);

    HitStats stats;
    stats.right = 1;
    stats.wrong = 2;
    stats.hitRun = 3;
    stats.missRun = 4;
    for (int c = 0; c < 4; ++c) EXPECT_EQ(CriterionValue(stats, c), c + 1);
    EXPECT_EQ(CriterionValue(stats, 9), 0);
}

}  // namespace
}  // namespace qivra
