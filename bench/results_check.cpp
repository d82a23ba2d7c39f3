// The check ./bench.sh runs before it trusts any figure: the fast scorer and the compiled
// formulas must give exactly what the plain path gives, on many random candidates. Any
// difference is printed and the program fails.

#include <QCoreApplication>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <random>
#include <string>

#include "bench/bench_history.hpp"
#include "bench/script_engine.hpp"
#include "bench/table.hpp"
#include "custom/algorithm_search.hpp"
#include "custom/custom_forecast.hpp"
#include "custom/formula.hpp"

namespace qivra::bench {
namespace {

// Formulas beyond what the generator makes: constants, decimals, parentheses and negation,
// written so that the substituted text means the same to a script engine.
class ExpressionMaker {
public:
    explicit ExpressionMaker(uint64_t seed) : rng_(seed) {}

    std::string Expression(int depth = 0) {
        std::string e = Operand(depth);
        const int terms = Pick(0, depth < 2 ? 4 : 1);
        static const char* kOps[] = {"+", "-", "*", "/"};
        for (int i = 0; i < terms; ++i) {
            const std::string op = kOps[Pick(0, 3)];
            const std::string operand = Operand(depth);
            // "--" would read as a decrement to an engine
            e += op + (op == "-" && operand[0] == '-' ? "(" + operand + ")" : operand);
        }
        return e;
    }

private:
    std::string Operand(int depth) {
        switch (Pick(0, depth < 3 ? 9 : 5)) {
            case 0: return std::to_string(Pick(1, 99));
            case 1: return std::to_string(Pick(0, 9)) + "." + std::to_string(Pick(1, 99));
            case 6:
            case 7: return "(" + Expression(depth + 1) + ")";
            case 8: return "-(" + Expression(depth + 1) + ")";
            case 9: return "(" + Expression(depth + 1) + ")*99999";
            default: return "[" + std::to_string(Pick(1, 18)) + "]";
        }
    }
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::mt19937_64 rng_;
};

int failures = 0;

void Fail(const std::string& what) {
    if (++failures <= 20) std::fprintf(stderr, "RESULTS CHECK FAILED: %s\n", what.c_str());
}

std::string Text(const std::optional<HitStats>& s) {
    if (!s) return "none";
    char buf[96];
    std::snprintf(buf, sizeof buf, "right %d wrong %d accuracy %d hit run %d miss run %d", s->right, s->wrong,
                  s->accuracy, s->hitRun, s->missRun);
    return buf;
}

std::string Names(const std::array<std::string, 3>& f) { return f[0] + " | " + f[1] + " | " + f[2]; }

FormulaSet Compile(const std::array<std::string, 3>& texts) {
    return {Formula::Compile(texts[0]), Formula::Compile(texts[1]), Formula::Compile(texts[2])};
}

constexpr PredictionKind kKinds[] = {
    PredictionKind::Combination,     PredictionKind::Size,          PredictionKind::Parity,
    PredictionKind::KillCombination, PredictionKind::Kill3N,        PredictionKind::Kill4N,
    PredictionKind::DoubleCombination, PredictionKind::AlternateItem, PredictionKind::KillDoubleCombination};
constexpr int kWindows[] = {1, 2, 7, 20, 33, 50, 64, 99, 100, 104};

}  // namespace
}  // namespace qivra::bench

int main(int argc, char** argv) {
    using namespace qivra;
    using namespace qivra::bench;
    QCoreApplication app(argc, argv);
    ScriptFormulaEvaluator engine;

    // 1. Digits of single formulas: compiled against the script engine.
    ExpressionMaker maker(7);
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<int> digit(0, 9);
    int digitCases = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string text = maker.Expression();
        const Formula f = Formula::Compile(text);
        if (!f.valid()) Fail("refused a well-formed formula: " + text);
        for (int j = 0; j < 5; ++j, ++digitCases) {
            FormulaPositions p;
            for (int32_t& v : p) v = digit(rng);
            const int32_t fast = EvaluateFormula(f, p);
            const std::string substituted = ScriptFormulaEvaluator::Substitute(text, p);
            const int32_t slow = LastDigit(IntegerValue(engine.Evaluate(substituted)));
            if (fast != slow)
                Fail(text + " as " + substituted + ": compiled " + std::to_string(fast) + ", engine " +
                     engine.Evaluate(substituted));
        }
    }

    // 2. Statistics: the scorer the search uses and the one-pass count against the plain
    // forecasts-then-judge path, every kind and many windows, on several histories.
    FormulaGenerator generator(2028);
    int statCases = 0;
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        const DrawHistory history = RandomHistory(seed * 7919);
        for (PredictionKind kind : kKinds)
            for (int window : kWindows) {
                const AlgorithmScorer scorer(history, kind, window);
                for (int c = 0; c < 60; ++c, ++statCases) {
                    std::array<std::string, 3> texts;
                    if (c % 4 == 3) texts = {maker.Expression(), maker.Expression(), maker.Expression()};
                    else texts = generator.Generation(c % 4 == 0 ? GeneratorMode::Simple : GeneratorMode::Mixed);
                    const FormulaSet formulas = Compile(texts);
                    const auto plain = EvaluateAlgorithmReference(history, formulas, kind, window);
                    const auto fast = scorer.Score(formulas);
                    const auto onePass = EvaluateAlgorithm(history, formulas, kind, window);
                    if (!plain) Fail("the plain path scored nothing for window " + std::to_string(window));
                    if (fast != plain)
                        Fail("scorer " + Text(fast) + " != plain " + Text(plain) + " for " + Names(texts) + ", kind " +
                             KindCaption(kind) + ", window " + std::to_string(window));
                    if (onePass != plain)
                        Fail("one pass " + Text(onePass) + " != plain " + Text(plain) + " for " + Names(texts));
                }
            }
    }

    // 3. Whole candidates scored by the script engine, as the search once did.
    int engineCases = 0;
    const DrawHistory history = RandomHistory(99);
    for (int c = 0; c < 240; ++c, ++engineCases) {
        const PredictionKind kind = kKinds[c % 9];
        const int window = c % 2 ? 20 : 100;
        const auto texts = c % 3 == 2 ? std::array<std::string, 3>{maker.Expression(), maker.Expression(), maker.Expression()}
                                      : generator.Generation(c % 3 ? GeneratorMode::Mixed : GeneratorMode::Simple);
        const auto fast = AlgorithmScorer(history, kind, window).Score(Compile(texts));
        const auto slow = engine.Score(history, texts, kind, window);
        if (fast != slow) Fail("scorer " + Text(fast) + " != script engine " + Text(slow) + " for " + Names(texts));
    }

    // 4. Candidates as the search builds them (chains, no text) against their written texts,
    // and what a finished search reports against the plain path.
    int chainCases = 0;
    for (int c = 0; c < 20000; ++c, ++chainCases) {
        const GeneratedAlgorithm g = generator.Draw(c % 2 ? GeneratorMode::Mixed : GeneratorMode::Simple);
        const auto texts = g.Texts();
        for (size_t i = 0; i < 3; ++i) {
            Formula chain;
            chain.AssignChain(g.positions[i].data(), g.operators[i].data(), g.count);
            const Formula text = Formula::Compile(texts[i]);
            FormulaPositions p;
            for (int32_t& v : p) v = digit(rng);
            double a = 0, b = 0;
            if (!chain.Evaluate(p, a) || !text.Evaluate(p, b) || std::memcmp(&a, &b, sizeof a) != 0)
                Fail("chain of " + texts[i] + " gives " + std::to_string(a) + ", its text " + std::to_string(b));
        }
    }
    for (int c = 0; c < 6000; ++c, ++chainCases) {
        const DrawHistory history = RandomHistory(static_cast<uint64_t>(c % 7) + 900);
        const PredictionKind kind = kKinds[c % 9];
        const int window = kWindows[c % 10];
        const GeneratedAlgorithm g = generator.Draw(c % 3 ? GeneratorMode::Mixed : GeneratorMode::Simple);
        FormulaSet chains;
        for (size_t i = 0; i < 3; ++i) chains[i].AssignChain(g.positions[i].data(), g.operators[i].data(), g.count);
        const auto fast = AlgorithmScorer(history, kind, window).Score(chains);
        const auto plain = EvaluateAlgorithmReference(history, Compile(g.Texts()), kind, window);
        if (fast != plain)
            Fail("chains scored " + Text(fast) + " != plain " + Text(plain) + " for " + Names(g.Texts()) + ", kind " +
                 KindCaption(kind) + ", window " + std::to_string(window));
    }
    for (uint64_t seed = 1; seed <= 3; ++seed) {
        const uint64_t generation = 77 + seed;
        if (FormulaGenerator(generation).Generation(GeneratorMode::Mixed) !=
            FormulaGenerator(generation).Draw(GeneratorMode::Mixed).Texts())
            Fail("a generation and a drawn algorithm differ for seed " + std::to_string(generation));
    }
    int searches = 0;
    for (int workers : {1, 2})
        for (int threshold : {14, 15, 16}) {
            SearchSnapshot snapshot;
            snapshot.history = RandomHistory(500 + static_cast<uint64_t>(threshold));
            snapshot.window = 20;
            snapshot.mode = GeneratorMode::Mixed;
            snapshot.threshold = threshold;
            snapshot.seed = static_cast<uint64_t>(threshold * 31 + workers);
            snapshot.workers = workers;
            const DrawHistory history = snapshot.history;
            std::promise<SearchOutcome> done;
            AlgorithmSearch search;
            search.Start(std::move(snapshot), nullptr, [&done](const SearchOutcome& o) { done.set_value(o); });
            auto future = done.get_future();
            if (future.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
                search.RequestStop();
                Fail("a search for right >= " + std::to_string(threshold) + " found nothing in a minute");
                continue;
            }
            const SearchOutcome o = future.get();
            ++searches;
            const auto plain = EvaluateAlgorithmReference(history, Compile(o.formulas), PredictionKind::Combination, 20);
            if (o.end != SearchOutcome::End::Found || !plain || *plain != o.stats || plain->right < threshold)
                Fail("search found " + Names(o.formulas) + " with " + Text(o.stats) + "; the plain path says " + Text(plain));
        }

    char measured[160];
    std::snprintf(measured, sizeof measured,
                  "%d formula digits, %d scored candidates, %d engine-scored candidates, %d search candidates, %d searches",
                  digitCases, statCases, engineCases, chainCases, searches);
    PrintRow("results check: fast path against plain path", measured,
             "plain forecasts-then-judge path; script engine", failures ? std::to_string(failures) + " differ" : "identical",
             "identical", failures == 0);
    if (failures) {
        std::fprintf(stderr, "RESULTS CHECK FAILED: %d differences\n", failures);
        return 1;
    }
    return 0;
}
