#include "plans/prediction.hpp"

#include <array>

#include "core/classify.hpp"
#include "core/text.hpp"

namespace qivra {

namespace {

using K = PredictionKind;

constexpr std::array<K, 5> kFreeKinds{K::Combination, K::Size, K::Parity, K::KillCombination, K::Kill3N};
constexpr std::array<K, 9> kNamedKinds{K::Combination,       K::Size,          K::Parity,
                                       K::KillCombination,   K::Kill3N,        K::Kill4N,
                                       K::DoubleCombination, K::AlternateItem, K::KillDoubleCombination};
constexpr std::array<K, 8> kCustomKinds{K::Combination, K::Size,   K::Parity,
                                        K::KillCombination, K::Kill3N, K::Kill4N,
                                        K::KillDoubleCombination, K::AlternateItem};

template <size_t N>
std::optional<K> KindFromCode(const std::array<K, N>& table, int code) {
    if (code < 1 || code > static_cast<int>(N)) return std::nullopt;
    return table[static_cast<size_t>(code - 1)];
}

bool IsEven(int32_t n) { return n % 2 == 0; }

const char kRight[] = "组合对";
const char kWrongWord[] = "没有对";
const char kKillWrong[] = "杀组错";

// The outcome of a kind's own rule: its word and the final colours of columns 4..6
// (nullopt leaves a cell's colour as it is).
struct Verdict {
    std::string word = kWrongWord;
    std::optional<Rgb> c4, c5, c6;
};

Verdict AllWrong() { return {kWrongWord, colours::kGreen, colours::kGreen, colours::kGreen}; }
Verdict AllRight(const char* word) { return {word, colours::kRed, colours::kRed, colours::kRed}; }

Verdict KindRule(K kind, const PlanForecast& f, int32_t s, std::string_view drawnPeriod) {
    const Rgb red = colours::kRed;
    const Rgb green = colours::kGreen;
    switch (kind) {
        case K::Combination: {
            const bool parity = ParityText(s) == f.second;
            const bool size = SizeText(s) == f.first;
            if (parity && size) return AllRight(kRight);
            if (parity) return {"单双对", green, red, red};
            if (size) return {"大小对", red, green, red};
            return AllWrong();
        }
        case K::Size:
            if (SizeText(s) == f.first) return {"大小对", green, red, red};
            return AllWrong();
        case K::Parity:
            if (ParityText(s) == f.second) return {"单双对", green, red, red};
            return AllWrong();
        case K::KillCombination:
            if (CombinationText(s) != f.first + f.second) return AllRight("杀组对");
            return AllWrong();
        case K::Kill3N:
            if (std::to_string(Mod3(s)) != f.first) return AllRight("杀三余");
            return AllWrong();
        case K::Kill4N:
            if (std::to_string(Mod4(s)) != f.first) return AllRight("杀四余");
            return AllWrong();
        case K::DoubleCombination: {
            const std::string c = CombinationText(s);
            if (c == f.first) return {kRight, red, green, red};
            if (c == f.second) return {kRight, green, red, red};
            return AllWrong();
        }
        case K::AlternateItem: {
            const int32_t p = IntegerValue(drawnPeriod);
            const std::string asserted = IsEven(p) ? SizeText(s) : ParityText(s);
            // Column 4 is empty for this kind; colouring it anyway clears a colour left there by
            // an earlier kind in the same grid.
            if (asserted == f.first) return AllRight("双项对");
            return AllWrong();
        }
        case K::KillDoubleCombination: {
            const std::string c = CombinationText(s);
            Verdict v;
            if (c != f.first) {
                v.c4 = red;
                v.c6 = red;
                v.word = "杀组对";
            } else {
                v.c4 = green;
            }
            if (c != f.second) {
                v.c5 = red;
                v.c6 = red;
                v.word = "杀组对";
            } else {
                v.c5 = green;
            }
            if (c == f.first || c == f.second) {
                v.c6 = green;
                v.word = kKillWrong;
            }
            return v;
        }
    }
    return AllWrong();
}

}  // namespace

std::string KindCaption(PredictionKind kind) {
    switch (kind) {
        case K::Combination: return "组合";
        case K::Size: return "大小";
        case K::Parity: return "单双";
        case K::KillCombination: return "杀组";
        case K::Kill3N: return "杀3N";
        case K::Kill4N: return "杀4N";
        case K::DoubleCombination: return "双组";
        case K::AlternateItem: return "双项";
        case K::KillDoubleCombination: return "杀双组";
    }
    return {};
}

std::optional<PredictionKind> FreeKindFromCode(int code) { return KindFromCode(kFreeKinds, code); }
std::optional<PredictionKind> NamedKindFromCode(int code) { return KindFromCode(kNamedKinds, code); }
std::optional<PredictionKind> CustomKindFromCode(int code) { return KindFromCode(kCustomKinds, code); }

PlanForecast DeriveForecast(int32_t predictedSum, PredictionKind kind, std::string_view basePeriod) {
    const int32_t v = predictedSum;
    PlanForecast f;
    f.sumText = TwoDigitText(v);
    switch (kind) {
        case K::Combination:
        case K::Size:
        case K::Parity:
        case K::KillCombination:
            f.first = SizeText(v);
            f.second = ParityText(v);
            break;
        case K::Kill3N: f.first = std::to_string(Mod3(v)); break;
        case K::Kill4N: f.first = std::to_string(Mod4(v)); break;
        case K::DoubleCombination:
        case K::KillDoubleCombination:
            f.first = CombinationText(v);
            f.second = OppositeCombination(f.first);
            break;
        case K::AlternateItem:
            // The target is the period after the base one: an odd target asks for parity.
            f.first = IsEven(IntegerValue(basePeriod)) ? ParityText(v) : SizeText(v);
            break;
    }
    return f;
}

void RenderForecastCells(CellSink& grid, int row, PredictionKind kind, const PlanForecast& f) {
    std::string c4;
    std::string c5;
    switch (kind) {
        case K::Combination:
        case K::DoubleCombination:
            c4 = f.first;
            c5 = f.second;
            break;
        case K::Size:
        case K::AlternateItem: c5 = f.first; break;
        case K::Parity: c5 = f.second; break;
        case K::KillCombination:
            c4 = "杀" + f.first + f.second;
            c5 = KillCombinationText(f.first + f.second, true);
            break;
        case K::Kill3N: c5 = "杀3N" + f.first; break;
        case K::Kill4N: c5 = "杀4N" + f.first; break;
        case K::KillDoubleCombination:
            c4 = "杀" + f.first;
            c5 = "杀" + f.second;
            break;
    }
    grid.SetCellText(row, 3, f.sumText);
    grid.SetCellText(row, 4, c4);
    grid.SetCellText(row, 5, c5);
}

std::string JudgeRow(CellSink& grid, int row, PredictionKind kind, const PlanForecast& forecast, int32_t drawnSum,
                     std::string_view drawnPeriod) {
    Verdict v = KindRule(kind, forecast, drawnSum, drawnPeriod);
    const bool sumCame = TwoDigitText(drawnSum) == forecast.sumText;
    if (sumCame) {
        v.word = "特码对";
        v.c6 = colours::kRed;
    }
    grid.SetCellTextColour(row, 3, sumCame ? colours::kRed : colours::kBlue);
    if (v.c4) grid.SetCellTextColour(row, 4, *v.c4);
    if (v.c5) grid.SetCellTextColour(row, 5, *v.c5);
    if (v.c6) grid.SetCellTextColour(row, 6, *v.c6);
    return v.word;
}

bool IsHit(PredictionKind kind, const PlanForecast& forecast, int32_t drawnSum, std::string_view drawnPeriod) {
    const std::string word = KindRule(kind, forecast, drawnSum, drawnPeriod).word;
    return word != kWrongWord && word != kKillWrong;
}

int32_t HitStats::Field(int index) const {
    switch (index) {
        case 0: return right;
        case 1: return wrong;
        case 2: return accuracy;
        case 3: return hitRun;
        case 4: return missRun;
        default: return 0;
    }
}

}  // namespace qivra
