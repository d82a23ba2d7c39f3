#include "archive/backtest.hpp"

#include <algorithm>

#include "core/classify.hpp"
#include "core/text.hpp"
#include "plans/hit_stats.hpp"

namespace qivra {
namespace {

constexpr int kSums = 28;

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
    odd_.assign(rows.size(), 0);
    for (size_t j = 0; j < rows.size(); ++j) {
        const ArchivedDraw& d = rows[j];
        periods_.push_back(d.period);
        const bool follows = j > 0 && rows[j - 1].period + 1 == d.period;
        consecutive_.push_back(follows ? static_cast<uint8_t>(std::min(consecutive_[j - 1] + 1, kBacktestLookback)) : 0);
    }
    // A record as DrawRecord::Make builds it, its content text made once per set of digits.
    std::array<std::string, 1000> contents;
    for (size_t j = rows.size(); j-- > 0;) {
        const ArchivedDraw& d = rows[j];
        const bool digitsOk = d.digit1 >= 0 && d.digit1 <= 9 && d.digit2 >= 0 && d.digit2 <= 9 && d.digit3 >= 0 &&
                              d.digit3 <= 9;
        DrawRecord record;
        record.period = std::to_string(d.period);
        // The time of day, as a feed gives it: the history is what a view would have been shown.
        record.time = std::string_view(d.drawnAt).substr(std::min<size_t>(11, d.drawnAt.size()));
        record.digit1 = d.digit1;
        record.digit2 = d.digit2;
        record.digit3 = d.digit3;
        record.sum = d.sum();
        if (digitsOk) {
            std::string& content = contents[static_cast<size_t>(d.digit1 * 100 + d.digit2 * 10 + d.digit3)];
            if (content.empty()) content = FormatDrawContent(d.digit1, d.digit2, d.digit3, nullptr, false);
            record.content = content;
        } else {
            record.content = FormatDrawContent(d.digit1, d.digit2, d.digit3, nullptr, false);
        }
        odd_[j] = IntegerValue(record.period) % 2 != 0 ? 1 : 0;
        newestFirst.push_back(std::move(record));
    }
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

namespace {

// One subject's walk through the range.
struct SubjectWalk {
    const PlanDefinition* plan = nullptr;
    const FormulaSet* formulas = nullptr;
    const VerdictTable* table = nullptr;
    int need = 0;
    BacktestResult result;
    // Runs of the judged periods; a skipped period ends both.
    int64_t hitRun = 0;
    int64_t missRun = 0;

    void Skip(bool early) {
        ++(early ? result.skippedStart : result.skippedGap);
        hitRun = missRun = 0;
    }
    void Judge(size_t r, int32_t sum, uint8_t hit) {
        result.predictedSums[r] = static_cast<uint8_t>(sum);
        result.hitFlags[r] = hit;
        // Without branches: a hit is a coin toss the processor cannot predict.
        result.hits += hit;
        hitRun = (hitRun + 1) * hit;
        missRun = (missRun + 1) * (1 - hit);
        result.longestHitRun = std::max(result.longestHitRun, hitRun);
        result.longestMissRun = std::max(result.longestMissRun, missRun);
        ++result.judged;
    }
    BacktestResult Finish() {
        result.misses = result.judged - result.hits;
        result.accuracy =
            result.judged > 0 ? static_cast<double>(result.hits) / static_cast<double>(result.judged) : 0;
        auto clamp = [](int64_t v) { return static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX)); };
        // The record the views keep (HitWalk's): runs ending at the newest judged period.
        result.stats = MakeHitStats(clamp(result.judged), clamp(result.misses), clamp(hitRun), clamp(missRun));
        return std::move(result);
    }
};

}  // namespace

BacktestRun RunBacktest(const BacktestDraws& draws, const std::vector<BacktestSubject>& subjects,
                        const BacktestControl& control) {
    BacktestRun run;
    const size_t n = draws.size();
    const int64_t perPeriod = static_cast<int64_t>(subjects.size());
    const int64_t total = static_cast<int64_t>(n) * perPeriod;
    const DrawHistory& history = draws.history();

    std::array<std::optional<VerdictTable>, 9> tables;
    std::vector<SubjectWalk> walks(subjects.size());
    for (size_t s = 0; s < subjects.size(); ++s) {
        const BacktestSubject& subject = subjects[s];
        std::optional<VerdictTable>& table = tables[static_cast<size_t>(subject.kind)];
        if (!table) table.emplace(subject.kind);
        SubjectWalk& w = walks[s];
        w.plan = std::get_if<PlanDefinition>(&subject.rule);
        w.formulas = std::get_if<FormulaSet>(&subject.rule);
        w.table = &*table;
        w.need = subject.DrawsRead();
        w.result.predictedSums.assign(n, kNotJudged);
        w.result.hitFlags.assign(n, 0);
    }

    // A block of periods at a time: the positions of each base draw are read once for every
    // subject, then each subject's own function (PlanValue, PredictedSum) runs down the block
    // as the views run it on one base draw.
    struct Period {
        FormulaPositions positions{};
        int before = 0;
        int32_t drawnSum = 0;
        int baseOdd = 0;
        int drawnOdd = 0;
    };
    constexpr size_t kBlock = 256;
    std::vector<Period> block(kBlock);
    const int64_t reportEvery = std::max<int64_t>(total / 200, 1);
    int64_t lastReport = 0;
    for (size_t start = 0; start < n; start += kBlock) {
        if (control.cancel && control.cancel->load(std::memory_order_relaxed)) {
            run.cancelled = true;
            return run;
        }
        const size_t end = std::min(n, start + kBlock);
        for (size_t r = start; r < end; ++r) {
            Period& p = block[r - start];
            p.before = draws.ConsecutiveBefore(r);
            const int k = draws.HistoryIndex(r);
            if (p.before >= 4)
                LoadFormulaPositions(history, k + 1, p.before >= kFormulaDraws ? kFormulaDraws : 4, p.positions);
            p.drawnSum = history.at(k).sum;
            p.baseOdd = p.before > 0 ? draws.BaseOdd(r) : 0;
            p.drawnOdd = draws.DrawnOdd(r);
        }
        for (SubjectWalk& w : walks) {
            for (size_t r = start; r < end; ++r) {
                const Period& p = block[r - start];
                if (p.before < w.need) {
                    w.Skip(draws.Period(r) - w.need < draws.archiveFirstPeriod());
                    continue;
                }
                const int32_t sum = w.plan ? PlanValue(*w.plan, p.positions) : PredictedSum(*w.formulas, p.positions);
                w.Judge(r, sum, w.table->Hit(sum, p.baseOdd, p.drawnSum, p.drawnOdd));
            }
        }
        const int64_t done = static_cast<int64_t>(end) * perPeriod;
        if (control.progress && (done - lastReport >= reportEvery || end == n)) {
            lastReport = done;
            control.progress(done, total);
        }
    }
    run.results.reserve(walks.size());
    for (SubjectWalk& w : walks) run.results.push_back(w.Finish());
    return run;
}

}  // namespace qivra
