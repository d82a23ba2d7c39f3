#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/page_host.hpp"
#include "app/plan_views.hpp"
#include "core/classify.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_view.hpp"
#include "program_fixture.hpp"
#include "ui/egrid.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/qt_support.hpp"

namespace qivra::testing {
namespace {

const QColor kChosen(158, 201, 251);
const QColor kPlain(236, 236, 236);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

const std::set<std::string> kResultWords = {"组合对", "单双对", "大小对", "没有对", "杀组对",
                                            "杀三余", "杀四余", "双项对", "杀组错", "特码对"};
const std::set<std::string> kCombinations = {"大单", "大双", "小单", "小双"};

// What a view writes into a blank grid, cell by cell (the last write wins).
class RecordingSink final : public CellSink {
public:
    void SetCellText(int row, int column, const std::string& text) override { texts[{row, column}] = text; }
    void SetCellTextColour(int row, int column, Rgb colour) override { colours[{row, column}] = colour; }
    std::map<std::pair<int, int>, std::string> texts;
    std::map<std::pair<int, int>, Rgb> colours;
};

std::string Cell(const EGrid* grid, int row, int column) { return grid->CellText(row, column).toStdString(); }

// The plan views' narrow interface, answered by the test.
class FakeHost final : public PageHost {
public:
    const DrawHistory& History() const override { return history; }
    int HistoryDepth() const override { return depth; }
    int32_t Countdown() const override { return 100; }
    bool RefreshInFlight() const override { return false; }
    const UserChoices& Choices() const override { return choices; }
    void Choose(const std::function<void(UserChoices&)>& change) override { change(choices); }
    MessageBoxes& Messages() override { return messages; }
    SoundPlayer& Sounds() override { return *sounds; }
    QWidget* DialogParent() const override { return nullptr; }

    DrawHistory history;
    UserChoices choices;
    int depth = 100;
    MessageBoxes messages;
    std::unique_ptr<SoundPlayer> sounds;
};

class PlanViewsTest : public ProgramFixture {
protected:
    HyperLinker* Link(int number) {
        return window().Control<HyperLinker>(QString::fromUtf8("超级链接框") + QString::number(number));
    }
    void Click(int linkNumber) { QTest::mouseClick(Link(linkNumber), Qt::LeftButton); }
    EGrid* Grid(const char* name) { return Control<EGrid>(name); }
    const DrawHistory& History() { return program_->State().history; }

    // The grid shows exactly what the plan's view writes into a blank grid: every text and
    // every judging colour, whatever was shown before.
    void ExpectGridShows(const char* gridName, const PlanDefinition& plan, PredictionKind kind) {
        SCOPED_TRACE(gridName);
        const EGrid* grid = Grid(gridName);
        const std::vector<PlanForecast> forecasts = PlanForecasts(History(), plan, kind, 100);
        ASSERT_EQ(forecasts.size(), 101u);
        RecordingSink expected;
        WritePlanView(expected, History(), forecasts, kind, 100);
        // Rows past the grid's end are not shown.
        ASSERT_EQ(grid->RowCount(), 101);
        for (const auto& [cell, text] : expected.texts)
            if (cell.first < grid->RowCount()) {
                ASSERT_EQ(Cell(grid, cell.first, cell.second), text) << cell.first << "," << cell.second;
            }
        for (const auto& [cell, colour] : expected.colours)
            if (cell.first < grid->RowCount()) {
                ASSERT_EQ(grid->CellTextColour(cell.first, cell.second), ToQColor(colour)) << cell.first << "," << cell.second;
            }
    }

    void ExpectComingRow(const char* gridName) {
        SCOPED_TRACE(gridName);
        const EGrid* grid = Grid(gridName);
        EXPECT_EQ(Cell(grid, 1, 0), std::to_string(std::stoll(History().newest().period) + 1));
        EXPECT_EQ(Cell(grid, 1, 1), "00:00");
        EXPECT_EQ(Cell(grid, 1, 2), "  ?");
    }

    // Each named plan's link text: the marking colour when its statistics meet the rule.
    void ExpectMarking(int window, int metric, int comparison, int threshold) {
        const ProgramState& st = program_->State();
        const PredictionKind kind = *NamedKindFromCode(program_->Choices().namedKind);
        for (int p = 1; p <= 56; ++p) {
            const HitStats stats = *ComputeHitStats(History(), st.namedPlans[p - 1], kind, window);
            const bool marked = MeetsThreshold(stats.Field(metric), comparison, threshold);
            ASSERT_EQ(Link(p + 16)->TextColour(), marked ? kRed : kBlack) << "plan " << p;
        }
        const HitStats chosen = *ComputeHitStats(History(), st.namedPlans[program_->Choices().namedPlan - 1], kind, window);
        EXPECT_EQ(Control<QLabel>("标签13")->text().toStdString(), StatsLine(std::to_string(window), chosen));
    }

    // A threshold of accuracy over window 20 that some plans meet and some do not.
    int SplittingAccuracy() {
        std::vector<int> accuracies;
        for (const PlanDefinition& plan : program_->State().namedPlans)
            accuracies.push_back(ComputeHitStats(History(), plan, PredictionKind::Combination, 20)->accuracy);
        const auto [low, high] = std::minmax_element(accuracies.begin(), accuracies.end());
        EXPECT_LT(*low, *high) << "the test history should tell the plans apart";
        return *high;
    }
};

TEST_F(PlanViewsTest, StartUpShowsBothViewsJudgedWithTheComingPeriod) {
    StartAndWaitForFirstRefresh();
    const ProgramState& st = program_->State();
    for (const char* name : {"高级表格2", "高级表格4"}) {
        const EGrid* grid = Grid(name);
        // Row 1 is the coming period; the grid's 101 rows end at drawn period 99.
        for (int r = 2; r <= 100; ++r) {
            ASSERT_TRUE(kResultWords.count(Cell(grid, r, 6))) << name << " row " << r;
            const std::string sum = Cell(grid, r, 3);
            ASSERT_EQ(sum.size(), 2u);
            ASSERT_LE(std::stoi(sum), 27);
        }
    }
    ExpectGridShows("高级表格2", st.freePlans[0], PredictionKind::Combination);
    ExpectGridShows("高级表格4", st.namedPlans[0], PredictionKind::Combination);
    for (const char* name : {"高级表格2", "高级表格4", "高级表格5"}) ExpectComingRow(name);
    EXPECT_EQ(Link(1)->Background(), kChosen);
    EXPECT_EQ(Link(17)->Background(), kChosen);
}

TEST_F(PlanViewsTest, ANamedPlanLinkSelectsItsPlanAndHighlightsOnlyItself) {
    StartAndWaitForFirstRefresh();
    Click(42);
    EXPECT_EQ(program_->Choices().namedPlan, 26);
    for (int link = 17; link <= 72; ++link)
        ASSERT_EQ(Link(link)->Background(), link == 42 ? kChosen : kPlain) << link;
    // The free page's links are another group.
    EXPECT_EQ(Link(1)->Background(), kChosen);
    ExpectGridShows("高级表格4", program_->State().namedPlans[25], PredictionKind::Combination);
    ExpectGridShows("高级表格2", program_->State().freePlans[0], PredictionKind::Combination);
}

TEST_F(PlanViewsTest, KindLinksChangeWhatEveryRowForecasts) {
    StartAndWaitForFirstRefresh();
    struct Case {
        int link;
        const char* grid;
        PredictionKind kind;
        std::function<void(const EGrid*, int row)> check;
    };
    const std::vector<Case> cases = {
        {88, "高级表格4", PredictionKind::KillDoubleCombination,
         [](const EGrid* g, int r) {
             const std::string a = Cell(g, r, 4), b = Cell(g, r, 5);
             ASSERT_TRUE(a.rfind("杀", 0) == 0 && kCombinations.count(a.substr(3))) << r << ": " << a;
             ASSERT_TRUE(b.rfind("杀", 0) == 0 && kCombinations.count(b.substr(3))) << r << ": " << b;
             ASSERT_NE(a, b);
         }},
        // The target period decides: an odd one gets a parity forecast, an even one a size forecast.
        {102, "高级表格4", PredictionKind::AlternateItem,
         [](const EGrid* g, int r) {
             ASSERT_EQ(Cell(g, r, 4), "");
             const bool odd = std::stoll(Cell(g, r, 0)) % 2 != 0;
             const std::set<std::string> items = odd ? std::set<std::string>{"单", "双"} : std::set<std::string>{"大", "小"};
             ASSERT_TRUE(items.count(Cell(g, r, 5))) << r << ": " << Cell(g, r, 5);
         }},
        {94, "高级表格2", PredictionKind::Kill3N,
         [](const EGrid* g, int r) {
             ASSERT_EQ(Cell(g, r, 4), "");
             ASSERT_TRUE(std::set<std::string>({"杀3N0", "杀3N1", "杀3N2"}).count(Cell(g, r, 5))) << r;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        Click(c.link);
        EXPECT_EQ(Link(c.link)->Background(), kChosen);
        const EGrid* grid = Grid(c.grid);
        for (int r = 1; r < grid->RowCount(); ++r) c.check(grid, r);
        const ProgramState& st = program_->State();
        const bool named = std::string(c.grid) == "高级表格4";
        ExpectGridShows(c.grid, named ? st.namedPlans[0] : st.freePlans[0], c.kind);
    }
    EXPECT_EQ(program_->Choices().namedKind, 8);
    EXPECT_EQ(program_->Choices().freeKind, 5);
    for (int link : {95, 96, 97, 98, 99, 100, 101, 88}) EXPECT_EQ(Link(link)->Background(), kPlain) << link;
    for (int link : {90, 91, 92, 93}) EXPECT_EQ(Link(link)->Background(), kPlain) << link;

    // 双项 alternates: neighbouring drawn rows forecast different items.
    const EGrid* named = Grid("高级表格4");
    for (int r = 2; r < named->RowCount() - 1; ++r) {
        const bool parity = Cell(named, r, 5) == "单" || Cell(named, r, 5) == "双";
        const bool nextParity = Cell(named, r + 1, 5) == "单" || Cell(named, r + 1, 5) == "双";
        ASSERT_NE(parity, nextParity) << r;
    }

    // Back to a kind seen before: the grid is whole again, colours included.
    Click(95);
    ExpectGridShows("高级表格4", program_->State().namedPlans[0], PredictionKind::Combination);
}

TEST_F(PlanViewsTest, AutomaticMarkingRecoloursTheLinksOnEverySelection) {
    StartAndWaitForFirstRefresh();
    ASSERT_TRUE(Control<QCheckBox>("选择框5")->isChecked());
    const int threshold = SplittingAccuracy();
    Control<QLineEdit>("编辑框3")->setText(QString::number(threshold));
    Click(42);
    EXPECT_TRUE(Control<QLabel>("标签13")->text().startsWith(QString::fromUtf8("统计【20期】 对:")));
    ExpectMarking(20, 2, 0, threshold);
    // Marking touches text colours only: the chosen plan keeps its highlight.
    EXPECT_EQ(Link(42)->Background(), kChosen);
    EXPECT_EQ(Link(17)->Background(), kPlain);

    // A kind selection marks by the current controls: window 30, metric 错误, comparison <.
    Control<QComboBox>("组合框4")->setCurrentIndex(1);
    Control<QComboBox>("组合框2")->setCurrentIndex(1);
    Control<QComboBox>("组合框3")->setCurrentIndex(3);
    Control<QLineEdit>("编辑框3")->setText(QStringLiteral("12"));
    Click(96);
    EXPECT_TRUE(Control<QLabel>("标签13")->text().startsWith(QString::fromUtf8("统计【30期】 对:")));
    ExpectMarking(30, 1, 3, 12);
}

TEST_F(PlanViewsTest, WithoutAutomaticMarkingOnlyTheButtonMarks) {
    StartAndWaitForFirstRefresh();
    Control<QCheckBox>("选择框5")->setChecked(false);
    const QString before = Control<QLabel>("标签13")->text();
    const int threshold = SplittingAccuracy();
    Control<QLineEdit>("编辑框3")->setText(QString::number(threshold));
    Click(42);
    Click(88);
    EXPECT_EQ(Control<QLabel>("标签13")->text(), before);
    for (int link = 17; link <= 72; ++link) ASSERT_EQ(Link(link)->TextColour(), kBlack) << link;

    Click(95);
    QTest::mouseClick(Control<QPushButton>("按钮3"), Qt::LeftButton);
    EXPECT_TRUE(Control<QLabel>("标签13")->text().startsWith(QString::fromUtf8("统计【20期】 对:")));
    ExpectMarking(20, 2, 0, threshold);
}

TEST_F(PlanViewsTest, PlanFifteenAnswersThePressAndARelease) {
    StartAndWaitForFirstRefresh();
    QTest::mousePress(Link(15), Qt::LeftButton);
    EXPECT_EQ(program_->Choices().freePlan, 15);
    EXPECT_EQ(Link(15)->Background(), kChosen);
    EXPECT_EQ(Link(1)->Background(), kPlain);
    ExpectGridShows("高级表格2", program_->State().freePlans[14], PredictionKind::Combination);
    // Released over another link, which was never pressed: no click there.
    QTest::mouseRelease(Link(14), Qt::LeftButton);
    EXPECT_EQ(program_->Choices().freePlan, 15);

    // The other links wait for the release.
    QTest::mousePress(Link(3), Qt::LeftButton);
    EXPECT_EQ(program_->Choices().freePlan, 15);
    QTest::mouseRelease(Link(3), Qt::LeftButton);
    EXPECT_EQ(program_->Choices().freePlan, 3);
    EXPECT_EQ(Link(15)->Background(), kPlain);
}

TEST_F(PlanViewsTest, NothingToComputeLeavesEveryGridAsItWas) {
    StartAndWaitForFirstRefresh();
    auto snapshot = [this] {
        std::vector<QString> cells;
        for (const char* name : {"高级表格2", "高级表格4", "高级表格5"})
            for (int r = 0; r < Grid(name)->RowCount(); ++r)
                for (int c = 0; c < 7; ++c) {
                    cells.push_back(Grid(name)->CellText(r, c));
                    cells.push_back(Grid(name)->CellTextColour(r, c).name());
                }
        return cells;
    };
    const std::vector<QString> before = snapshot();

    // A second pair of views on the same window, seen through a host the test spoils.
    const ProgramState& st = program_->State();
    FakeHost host;
    const std::vector<PlanDefinition> none;
    PlanGrids grids;
    grids.free.Bind(Grid("高级表格2"));
    grids.namedComing.Bind(Grid("高级表格4"));
    grids.named.Bind(Grid("高级表格4"));
    grids.custom.Bind(Grid("高级表格5"));
    PlanViews views(window().View(), host, st.planLinks, grids);
    struct Case {
        const char* what;
        std::function<void()> spoil;
    };
    const std::vector<Case> cases = {
        {"nine draws", [&] { host.history = DrawHistory({st.history.records().begin(), st.history.records().begin() + 9}); }},
        {"no definitions", [&] { views.SetPlanLists(none, none); }},
        {"plan beyond the list", [&] { host.choices.freePlan = 17; host.choices.namedPlan = 57; }},
        {"kind beyond the view", [&] { host.choices.freeKind = 6; host.choices.namedKind = 10; }},
        {"negative period count", [&] { host.depth = -5; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.history = st.history;
        host.choices = program_->Choices();
        host.depth = 100;
        views.SetPlanLists(st.freePlans, st.namedPlans);
        c.spoil();
        views.ShowFreePlan();
        views.ShowNamedPlan();
        EXPECT_EQ(snapshot(), before);
    }
    // The same views, unspoiled, do write: another plan shows.
    host.history = st.history;
    host.choices = program_->Choices();
    host.choices.freePlan = 2;
    host.depth = 100;
    views.SetPlanLists(st.freePlans, st.namedPlans);
    views.ShowFreePlan();
    EXPECT_NE(snapshot(), before);
    // A refresh with the same feed brings the program's own views back.
    RefreshAndWait();
    ASSERT_EQ(snapshot(), before);
    // Selections out of their ranges change nothing either.
    program_->Plans().SelectFreePlan(0);
    program_->Plans().SelectFreePlan(17);
    program_->Plans().SelectNamedPlan(73);
    program_->Plans().SelectNamedKind(104);
    program_->Plans().SelectFreeKind(95);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(program_->Choices().freePlan, 1);
    EXPECT_EQ(program_->Choices().namedPlan, 1);
    EXPECT_EQ(Link(1)->Background(), kChosen);
    EXPECT_EQ(Link(17)->Background(), kChosen);
}

TEST_F(PlanViewsTest, ARefreshWithANewDrawShowsTheNewPeriod) {
    StartAndWaitForFirstRefresh();
    Click(7);
    Click(93);
    Click(50);
    Click(102);
    const std::string before = History().newest().period;
    // The chosen game draws every 210 seconds.
    clock_->Advance(std::chrono::seconds(420));
    RefreshAndWait();
    ASSERT_NE(History().newest().period, before);
    const ProgramState& st = program_->State();
    ExpectGridShows("高级表格2", st.freePlans[6], PredictionKind::KillCombination);
    ExpectGridShows("高级表格4", st.namedPlans[33], PredictionKind::AlternateItem);
    for (const char* name : {"高级表格2", "高级表格4", "高级表格5"}) ExpectComingRow(name);
    EXPECT_EQ(Cell(Grid("高级表格2"), 2, 0), History().newest().period);
}

}  // namespace
}  // namespace qivra::testing
