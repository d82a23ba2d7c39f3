#include "archive/backtest.hpp"

#include <algorithm>

#include "core/text.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_view.hpp"

namespace qivra {
namespace {

constexpr int kSums = 28;
constexpr size_t kChunk = 4096;

// Whether a forecast of predicted sum v is right for a drawn period: DeriveForecast and IsHit
// evaluated once for every input they depend on — the sum, the drawn sum and the parity of the
// base and drawn periods (the only thing either reads of a period) — instead of once per period.
class VerdictTable {
public:
    explicit VerdictTable(PredictionKind kind) {
        const char* parityText[2] = {"0", "1"};
        for (int v = 0; v < kSums; ++v) {
            for (int baseOdd = 0; baseOdd < 2; ++baseOdd) {
                const PlanForecast f = DeriveForecast(v, kind, parityText[baseOdd]);
                for (int s = 0; s < kSums; ++s)
                    for (int drawnOdd = 0; drawnOdd < 2; ++drawnOdd)
                        hits_[Index(v, baseOdd, s, drawnOdd)] = IsHit(kind, f, s, parityText[drawnOdd]) ? 1 : 0;
            }
        }
    }
    uint8_t Hit(int v, int baseOdd, int drawnSum, int drawnOdd) const {
        return hits_[Index(v, baseOdd, drawnSum, drawnOdd)];
    }

private:
    static size_t Index(int v, int baseOdd, int s, int drawnOdd) {
        return static_cast<size_t>(((v * 2 + baseOdd) * kSums + s) * 2 + drawnOdd);
    }
    std::array<uint8_t, kSums * 2 * kSums * 2> hits_{};
};

}  // namespace

BacktestSubject BacktestSubject::ForPlan(PlanDefinition plan, PredictionKind kind) {
    BacktestSubject s;
    s.name = plan.label;
    s.kind = kind;
    s.rule = std::move(plan);
    return s;
}

BacktestSubject BacktestSubject::ForAlgorithm(const CustomAlgorithm& algorithm, PredictionKind kind) {
    BacktestSubject s;
    s.name = algorithm.name;
    s.kind = kind;
    const std::array<std::string, 3> texts = SplitAlgorithmText(algorithm.algorithmText);
    FormulaSet formulas;
    for (size_t i = 0; i < 3; ++i) formulas[i] = Formula::Compile(texts[i]);
    s.rule = std::move(formulas);
    return s;
}

int BacktestSubject::DrawsRead() const {
    return std::holds_alternative<PlanDefinition>(rule) ? 4 : kFormulaDraws;
}

BacktestDraws::BacktestDraws(const std::vector<ArchivedDraw>& rows, size_t firstInRange, int64_t archiveFirstPeriod)
    : first_(std::min(firstInRange, rows.size())), archiveFirst_(archiveFirstPeriod) {
    std::vector<DrawRecord> newestFirst;
    newestFirst.reserve(rows.size());
    periods_.reserve(rows.size());
    consecutive_.reserve(rows.size());
    odd_.reserve(rows.size());
    for (size_t j = 0; j < rows.size(); ++j) {
        const ArchivedDraw& d = rows[j];
        periods_.push_back(d.period);
        const bool follows = j > 0 && rows[j - 1].period + 1 == d.period;
        consecutive_.push_back(follows ? static_cast<uint8_t>(std::min(consecutive_[j - 1] + 1, kBacktestLookback)) : 0);
    }
    for (size_t j = rows.size(); j-- > 0;) {
        const ArchivedDraw& d = rows[j];
        newestFirst.push_back(DrawRecord::Make(std::to_string(d.period), d.drawnAt, d.digit1, d.digit2, d.digit3));
    }
    for (const ArchivedDraw& d : rows) odd_.push_back(IntegerValue(std::to_string(d.period)) % 2 != 0 ? 1 : 0);
    history_ = DrawHistory(std::move(newestFirst));
}

std::array<int64_t, 28> BacktestDraws::SumCounts() const {
    std::array<int64_t, 28> counts{};
    for (size_t r = 0; r < size(); ++r) {
        const int32_t s = Draw(r).sum;
        if (s >= 0 && s < kSums) ++counts[static_cast<size_t>(s)];
    }
    return counts;
}

BacktestDraws LoadBacktestDraws(const DrawArchive& archive, int game, const BacktestRange& range) {
    const int64_t archiveFirst = archive.Summary(game).firstPeriod;
    std::vector<ArchivedDraw> rows;
    size_t first = 0;
    switch (range.kind) {
        case BacktestRange::Kind::All: rows = archive.ReadAll(game); break;
        case BacktestRange::Kind::Last: {
            const int64_t count = std::max<int64_t>(range.last, 0);
            rows = archive.ReadLast(game, count + kBacktestLookback);
            first = rows.size() > static_cast<size_t>(count) ? rows.size() - static_cast<size_t>(count) : 0;
            break;
        }
        case BacktestRange::Kind::Between: {
            std::vector<ArchivedDraw> in = archive.ReadBetween(game, range.from, range.to);
            if (in.empty()) break;
            rows = archive.ReadPeriods(game, in.front().period - kBacktestLookback, in.front().period - 1);
            first = rows.size();
            rows.insert(rows.end(), std::make_move_iterator(in.begin()), std::make_move_iterator(in.end()));
            break;
        }
    }
    return BacktestDraws(rows, first, archiveFirst);
}

std::optional<PlanForecast> BacktestForecast(const BacktestDraws& draws, const BacktestSubject& subject,
                                             const BacktestResult& result, size_t r) {
    if (r >= result.predictedSums.size() || result.predictedSums[r] == kNotJudged) return std::nullopt;
    const DrawRecord& base = draws.history().at(draws.HistoryIndex(r) + 1);
    return DeriveForecast(result.predictedSums[r], subject.kind, base.period);
}

BacktestRun RunBacktest(const BacktestDraws& draws, const std::vector<BacktestSubject>& subjects,
                        const BacktestControl& control) {
    BacktestRun run;
    const size_t n = draws.size();
    const int64_t total = static_cast<int64_t>(n) * static_cast<int64_t>(subjects.size());
    const int64_t reportEvery = std::max<int64_t>(total / 200, static_cast<int64_t>(kChunk));
    int64_t done = 0;
    int64_t lastReport = 0;
    std::array<std::optional<VerdictTable>, 9> tables;
    const DrawHistory& history = draws.history();

    run.results.reserve(subjects.size());
    for (const BacktestSubject& subject : subjects) {
        std::optional<VerdictTable>& table = tables[static_cast<size_t>(subject.kind)];
        if (!table) table.emplace(subject.kind);
        const int need = subject.DrawsRead();
        BacktestResult result;
        result.predictedSums.assign(n, kNotJudged);
        result.hitFlags.assign(n, 0);
        HitWalk walk;
        int64_t hitRun = 0;
        int64_t missRun = 0;
        int64_t walked = 0;

        auto judge = [&](auto&& sumAt) {
            for (size_t start = 0; start < n; start += kChunk) {
                if (control.cancel && control.cancel->load(std::memory_order_relaxed)) return false;
                const size_t end = std::min(n, start + kChunk);
                for (size_t r = start; r < end; ++r) {
                    if (draws.ConsecutiveBefore(r) < need) {
                        const bool early = draws.Period(r) - need < draws.archiveFirstPeriod();
                        ++(early ? result.skippedStart : result.skippedGap);
                        hitRun = missRun = 0;
                        walk = HitWalk();
                        walked = 0;
                        continue;
                    }
                    const int k = draws.HistoryIndex(r);
                    const std::optional<int32_t> sum = sumAt(k + 1);
                    const DrawRecord& drawn = history.at(k);
                    const uint8_t hit = table->Hit(*sum, draws.BaseOdd(r), drawn.sum, draws.DrawnOdd(r));
                    result.predictedSums[r] = static_cast<uint8_t>(*sum);
                    result.hitFlags[r] = hit;
                    walk.Add(hit != 0);
                    ++walked;
                    if (hit) {
                        ++result.hits;
                        ++hitRun;
                        missRun = 0;
                        result.longestHitRun = std::max(result.longestHitRun, hitRun);
                    } else {
                        ++result.misses;
                        ++missRun;
                        hitRun = 0;
                        result.longestMissRun = std::max(result.longestMissRun, missRun);
                    }
                }
                done += static_cast<int64_t>(end - start);
                if (control.progress && (done - lastReport >= reportEvery || done == total)) {
                    lastReport = done;
                    control.progress(done, total);
                }
            }
            return true;
        };
        bool finished;
        if (const auto* plan = std::get_if<PlanDefinition>(&subject.rule)) {
            finished = judge([&](int i) { return PlanSumAt(history, *plan, i); });
        } else {
            const FormulaSet& formulas = std::get<FormulaSet>(subject.rule);
            finished = judge([&](int i) { return CustomSumAt(history, formulas, i); });
        }
        if (!finished) {
            run.results.clear();
            run.cancelled = true;
            return run;
        }
        result.judged = result.hits + result.misses;
        result.accuracy = result.judged > 0 ? static_cast<double>(result.hits) / static_cast<double>(result.judged) : 0;
        // The views' record, for the judged periods; runs restart after a skipped period.
        const HitStats tail = walk.Result(static_cast<int32_t>(std::min<int64_t>(walked, INT32_MAX)));
        result.stats = MakeHitStats(static_cast<int32_t>(std::min<int64_t>(result.judged, INT32_MAX)),
                                    static_cast<int32_t>(std::min<int64_t>(result.misses, INT32_MAX)), tail.hitRun,
                                    tail.missRun);
        run.results.push_back(std::move(result));
    }
    return run;
}

}  // namespace qivra
