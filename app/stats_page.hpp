#pragma once
// 【统计检验】: every free plan, named plan and stored algorithm of the chosen game judged against
// chance for one play type and window, in a table the user sorts; and the same figures in short
// form where the other pages show a plan or an algorithm: the tooltips of the plan links, of
// 标签13 and of the rows of the algorithm list.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program_state.hpp"
#include "core/draw.hpp"
#include "custom/algorithm_store.hpp"
#include "plans/plan_definition.hpp"
#include "plans/prediction.hpp"
#include "stats/significance.hpp"

namespace qivra {

class PageHost;
struct MainWindowView;

// The three groups the table shows together; each is adjusted on its own.
enum class StatsGroup { FreePlans, NamedPlans, Algorithms };
std::string StatsGroupName(StatsGroup group);  // "免费计划" "会员计划" "自定义算法"

struct StatsRow {
    std::string name;
    StatsGroup group = StatsGroup::FreePlans;
    std::optional<RunSignificance> run;          // none: the history cannot judge it
    double adjusted = 1;                         // Benjamini-Hochberg within the group
    std::optional<RunSignificance> outOfSample;  // stored algorithms: the periods past the window
    bool BetterThanChance() const { return run && qivra::BetterThanChance(adjusted); }
};

// The significance of each plan of a list over the newest `window` periods, adjusted across the
// list; rows in list order.
std::vector<StatsRow> PlanGroupRows(const DrawHistory& history, const std::vector<PlanDefinition>& plans,
                                    StatsGroup group, PredictionKind kind, int window);
// Stored algorithms over the newest `window` periods, and out of sample on the rest of the
// history down to depth.
std::vector<StatsRow> AlgorithmRows(const DrawHistory& history, const std::vector<CustomAlgorithm>& algorithms,
                                    PredictionKind kind, int window, int depth);

// The play types of 组合框20, by index (the named-view order).
std::optional<PredictionKind> SignificanceKindFromIndex(int index);

class StatsPage {
public:
    static constexpr int kPageIndex = 5;  // of 选择夹1

    StatsPage(const MainWindowView& view, PageHost& host, const PlanLinkTable& links);
    ~StatsPage();

    // The lists the rows come from; kept by the program and the custom page, read here.
    void SetSources(const std::vector<PlanDefinition>& freePlans, const std::vector<PlanDefinition>& namedPlans,
                    const std::vector<CustomAlgorithm>& algorithms);

    // After every refresh pass: the table, while its page is shown (showing the page
    // recomputes it), so a pass does not fill a table nobody sees.
    void Refresh();
    void RecomputeTable();
    // The tooltips are worked out when the user points at a link or a row (a refresh changes
    // every one of them, and setting 72 tooltips costs more than the pass itself), and are
    // also public for the program's own use.
    // The plan links': free plans for the free page's play type over the periods it shows,
    // named plans for the named page's play type over the marking window.
    void ShowLinkHints();
    // The algorithm list's rows: for the custom page's play type and window, adjusted across
    // the list, with the periods of the history past the window out of sample.
    void ShowAlgorithmHints();
    // 标签13's tooltip: the figures of the line the last marking wrote.
    void ShowMarkHint();
    void ChooseKind(int index);    // 组合框20
    void ChooseWindow(int index);  // 组合框21

    // The rows the table shows now, in list order.
    const std::vector<StatsRow>& Rows() const { return rows_; }

private:
    class HoverWatch;

    const MainWindowView& view_;
    PageHost& host_;
    const PlanLinkTable& links_;
    const std::vector<PlanDefinition>* freePlans_ = nullptr;
    const std::vector<PlanDefinition>* namedPlans_ = nullptr;
    const std::vector<CustomAlgorithm>* algorithms_ = nullptr;
    std::vector<StatsRow> rows_;
    std::unique_ptr<HoverWatch> hover_;
};

}  // namespace qivra
