#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "app/significance_text.hpp"
#include "app/stats_page.hpp"
#include "custom/algorithm_store.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_view.hpp"
#include "program_fixture.hpp"
#include "stats/judged_runs.hpp"
#include "ui/controls.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/qt_support.hpp"
#include "ui/sort_table.hpp"

namespace qivra::testing {
namespace {

enum Column { kName, kGroup, kHits, kExpected, kAccuracy, kChance, kP, kAdjusted, kOut, kOutExpected, kOutP, kMark };

const std::vector<CustomAlgorithm> kStored = {
    {"三位和", "[1]+[2]+[3]|[4]|[5]"},
    {"混合", "[1]*[9]+[5]/[2]|[9]+[5]+2|[3]-[7]"},
    {"<b>粗</b>", "[2]+[8]|[11]|[14]+[6]"},  // shown as it stands, never as markup
    {"全大", "9|9|9"},                        // 大 every period
    {"全小", "0|0|0"},                        // 小 every period
};
constexpr int kAlwaysBig = 72 + 3;
constexpr int kAlwaysSmall = 72 + 4;

std::string Four(double p) {
    if (p < 0.0001) return "<0.0001";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", p);
    return buf;
}

class StatsPageTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_TRUE(dir_.isValid());
        storePath_ = dir_.filePath(QStringLiteral("QivraData.ini")).toStdString();
    }

    // Replaces the service by one drawing the chosen game's high sums with this probability
    // (0: a fair one), before the program starts.
    void UseService(double probability) {
        program_.reset();
        service_->Stop();
        ResultsService::Options o;
        if (probability > 0) {
            o.bias.game = UserChoices{}.game;
            o.bias.probability = probability;
        }
        service_ = std::make_unique<ResultsService>(o);
        std::shared_ptr<ManualClock> clock = clock_;
        service_->SetClock([clock] { return clock->Now(); });
        ASSERT_GT(service_->Start(), 0);
    }

    // A running program with the stored algorithms switched on, showing 【统计检验】.
    void Start(const std::vector<CustomAlgorithm>& stored = kStored) {
        ASSERT_TRUE(SaveStoreFile(storePath_, stored, false).ok());
        ProgramServices s = Services();
        s.algorithmStorePath = storePath_;
        program_ = std::make_unique<Program>(std::move(s));
        program_->CreateMainWindow();
        ConnectEventMap(*program_);
        ASSERT_TRUE(RunStart());
        ASSERT_TRUE(WaitForRefresh());
        QTest::mouseClick(Control<QPushButton>("按钮4"), Qt::LeftButton);
        ASSERT_TRUE(program_->Custom().Enabled());
        TabBox* tabs = window().Tabs();
        QTest::mouseClick(tabs->Bar(), Qt::LeftButton, {}, tabs->Bar()->tabRect(StatsPage::kPageIndex).center());
        ASSERT_EQ(tabs->CurrentIndex(), StatsPage::kPageIndex);
    }

    // What a user does: picks an item of a drop-down list.
    void Pick(const char* comboName, int index) {
        auto* combo = Control<QComboBox>(comboName);
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }

    SortTable* table() { return Control<SortTable>("统计表格1"); }
    const DrawHistory& History() { return program_->State().history; }
    std::string Cell(int row, int column) { return table()->CellText(row, column).toStdString(); }
    // What the user sees pointing at a widget: the tooltip it holds once Qt asks for it.
    static QString Hover(QWidget* w, QPoint at = {}) {
        if (at.isNull()) at = w->rect().center();
        QHelpEvent event(QEvent::ToolTip, at, w->mapToGlobal(at));
        QCoreApplication::sendEvent(w, &event);
        return w->toolTip();
    }

    // The rows the page should show, straight from the statistics layer.
    struct Expected {
        std::string name, group;
        std::optional<RunSignificance> run, out;
        double adjusted = 1;
    };
    std::vector<Expected> ExpectedRows(PredictionKind kind, int window) {
        std::vector<Expected> all;
        auto adjustFrom = [&all](size_t first) {
            std::vector<double> p;
            for (size_t i = first; i < all.size(); ++i) p.push_back(all[i].run ? all[i].run->pValue : 1.0);
            const std::vector<double> a = AdjustBenjaminiHochberg(p);
            for (size_t i = first; i < all.size(); ++i) all[i].adjusted = a[i - first];
        };
        const ProgramState& st = program_->State();
        for (const auto& [plans, group] : {std::pair{&st.freePlans, "免费计划"}, std::pair{&st.namedPlans, "会员计划"}}) {
            const size_t first = all.size();
            for (const PlanDefinition& plan : *plans)
                all.push_back({plan.label, group, PlanSignificance(History(), plan, kind, window), {}});
            adjustFrom(first);
        }
        const size_t first = all.size();
        for (const CustomAlgorithm& a : program_->Custom().Algorithms()) {
            Expected e{a.name, "自定义算法", {}, {}};
            if (auto check = CheckOutOfSample(History(), CompileAlgorithmText(a.algorithmText), kind, window, 100)) {
                e.run = check->inSample;
                e.out = check->outOfSample;
            }
            all.push_back(e);
        }
        adjustFrom(first);
        return all;
    }

    QTemporaryDir dir_;
    std::string storePath_;
};

TEST_F(StatsPageTest, ListsEveryPlanAndStoredAlgorithmWithTheStatisticsLayersFigures) {
    ASSERT_NO_FATAL_FAILURE(Start());
    struct Case {
        int kindIndex;
        int windowIndex;
        PredictionKind kind;
        int window;
    };
    // The defaults first (大小 over 100 periods), then choices made on the page.
    for (const Case& c : {Case{-1, -1, PredictionKind::Size, 100}, Case{0, 1, PredictionKind::Combination, 30},
                          Case{8, 0, PredictionKind::KillDoubleCombination, 20}, Case{4, 5, PredictionKind::Kill3N, 70}}) {
        SCOPED_TRACE(KindCaption(c.kind) + " " + std::to_string(c.window));
        if (c.kindIndex >= 0) Pick("组合框20", c.kindIndex);
        if (c.windowIndex >= 0) Pick("组合框21", c.windowIndex);
        const std::vector<Expected> expected = ExpectedRows(c.kind, c.window);
        ASSERT_EQ(expected.size(), 16u + 56u + kStored.size());
        ASSERT_EQ(table()->RowCount(), static_cast<int>(expected.size()));
        for (int r = 0; r < table()->RowCount(); ++r) {
            const Expected& e = expected[static_cast<size_t>(r)];
            SCOPED_TRACE(e.name);
            ASSERT_TRUE(e.run.has_value());
            EXPECT_EQ(Cell(r, kName), e.name);
            EXPECT_EQ(Cell(r, kGroup), e.group);
            EXPECT_EQ(Cell(r, kHits), std::to_string(e.run->hits));
            EXPECT_EQ(e.run->periods, c.window);
            char expectedHits[32];
            std::snprintf(expectedHits, sizeof expectedHits, "%.1f", e.run->expectedHits);
            EXPECT_EQ(Cell(r, kExpected), expectedHits);
            EXPECT_EQ(Cell(r, kAccuracy), std::to_string(e.run->hits * 100 / c.window) + "%");
            EXPECT_EQ(Cell(r, kChance), PercentText(e.run->ChanceRate()));
            EXPECT_EQ(Cell(r, kP), Four(e.run->pValue));
            EXPECT_EQ(Cell(r, kAdjusted), Four(e.adjusted));
            const bool better = e.adjusted < 0.05;
            EXPECT_EQ(Cell(r, kMark), better ? "是" : "");
            if (e.out && e.out->periods > 0) {
                EXPECT_EQ(Cell(r, kOut), std::to_string(e.out->hits) + "/" + std::to_string(e.out->periods));
                EXPECT_EQ(Cell(r, kOutP), Four(e.out->pValue));
            } else {
                EXPECT_EQ(Cell(r, kOut), "—");
            }
        }
        // Out of sample: a stored algorithm is also judged on the periods of the 100 shown that
        // lie past the window; over all 100 there are none.
        const std::string out = Cell(72, kOut);
        if (c.window == 100)
            EXPECT_EQ(out, "—");
        else
            EXPECT_EQ(out.substr(out.find('/') + 1), std::to_string(100 - c.window));
    }
    EXPECT_EQ(program_->Choices().significanceKind, 4);
    EXPECT_EQ(program_->Choices().significanceWindow, "70");
}

}  // namespace
}  // namespace qivra::testing
namespace qivra::testing {
namespace {

TEST_F(StatsPageTest, AgainstABiasedServiceTheAlwaysBigAlgorithmStandsOutAndAgainstAFairOneNothingDoes) {
    const QColor marked(198, 239, 206);
    for (const double bias : {0.75, 0.0}) {
        SCOPED_TRACE(bias);
        ASSERT_NO_FATAL_FAILURE(UseService(bias));
        ASSERT_NO_FATAL_FAILURE(Start());
        // The defaults: 大小 over 100 periods.
        ASSERT_EQ(table()->RowCount(), 72 + static_cast<int>(kStored.size()));
        // The rows called better than chance, each in the marking colour and no other.
        auto calledRows = [&] {
            std::vector<int> calls;
            for (int r = 0; r < table()->RowCount(); ++r) {
                const bool called = Cell(r, kMark) == "是";
                if (called) calls.push_back(r);
                EXPECT_EQ(table()->item(r, kName)->background().color() == marked, called) << Cell(r, kName);
                EXPECT_EQ(table()->item(r, kP)->background().color() == marked, called) << Cell(r, kName);
            }
            return calls;
        };
        const std::vector<int> calls = calledRows();
        if (bias > 0) {
            EXPECT_NE(std::find(calls.begin(), calls.end(), kAlwaysBig), calls.end());
            EXPECT_EQ(std::find(calls.begin(), calls.end(), kAlwaysSmall), calls.end());
            EXPECT_LT(std::stoi(Cell(kAlwaysSmall, kHits)), 50);
        } else {
            EXPECT_TRUE(calls.empty()) << Cell(calls.front(), kName);
        }
        EXPECT_TRUE(Control<QLabel>("标签20")->text().endsWith(
            ToQString("优于机会" + std::to_string(calls.size()) + "个（校正后p值＜0.05，三类分别校正）")))
            << Control<QLabel>("标签20")->text().toStdString();
        // Another play type: 全大 forecasts 单 every period, which the high sums do not favour,
        // and a row's colour goes with its call.
        Pick("组合框20", 2);
        const std::vector<int> parityCalls = calledRows();
        EXPECT_EQ(std::find(parityCalls.begin(), parityCalls.end(), kAlwaysBig), parityCalls.end());
    }
}

TEST_F(StatsPageTest, NumberColumnsSortByValueAndKeepTheUsersOrderAcrossRecomputes) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Pick("组合框20", 0);  // 组合 over 20 periods: hit counts on both sides of 10
    Pick("组合框21", 0);
    std::map<std::string, Expected> byName;
    for (const Expected& e : ExpectedRows(PredictionKind::Combination, 20)) byName[e.name] = e;
    QHeaderView* header = table()->horizontalHeader();
    for (const int column : {kP, kHits}) {
        SCOPED_TRACE(column);
        auto value = [&](int row) {
            const Expected& e = byName.at(Cell(row, kName));
            return column == kP ? e.run->pValue : e.run->hits;
        };
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
            ASSERT_EQ(header->sortIndicatorSection(), column);
            ASSERT_EQ(header->sortIndicatorOrder(), order);
            for (int r = 1; r < table()->RowCount(); ++r)
                ASSERT_TRUE(order == Qt::AscendingOrder ? value(r - 1) <= value(r) : value(r - 1) >= value(r))
                    << Cell(r - 1, column) << " then " << Cell(r, column);
        }
    }
    // A refresh recomputes the rows in the order the user chose.
    RefreshAndWait();
    EXPECT_EQ(header->sortIndicatorSection(), kHits);
    for (int r = 1; r < table()->RowCount(); ++r)
        ASSERT_GE(std::stoi(Cell(r - 1, kHits)), std::stoi(Cell(r, kHits)));
}

TEST_F(StatsPageTest, PlanLinksLabel13AndTheAlgorithmListCarryTheFiguresInShortForm) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const ProgramState& st = program_->State();
    auto link = [&](int n) { return window().Control<HyperLinker>(QStringLiteral("超级链接框%1").arg(n)); };
    auto hint = [&](const std::vector<PlanDefinition>& plans, int index, PredictionKind kind, int window) {
        std::vector<double> p;
        for (const PlanDefinition& plan : plans) p.push_back(PlanSignificance(History(), plan, kind, window)->pValue);
        const RunSignificance run = *PlanSignificance(History(), plans[static_cast<size_t>(index)], kind, window);
        return ToQString("近" + std::to_string(window) + "期 " + KindCaption(kind) + "：" +
                         FiguresHint(run, AdjustBenjaminiHochberg(p)[static_cast<size_t>(index)]));
    };
    // Free plans over the 100 periods their page shows, named plans over the marking window.
    EXPECT_EQ(link(1)->toolTip(), QString());  // worked out when pointed at
    EXPECT_EQ(Hover(link(1)), hint(st.freePlans, 0, PredictionKind::Combination, 100));
    EXPECT_EQ(Hover(link(16)), hint(st.freePlans, 15, PredictionKind::Combination, 100));
    EXPECT_EQ(Hover(link(72)), hint(st.namedPlans, 55, PredictionKind::Combination, 20));
    EXPECT_TRUE(link(1)->toolTip().contains(ToQString("（机会 ")));
    QTest::mouseClick(link(91), Qt::LeftButton);  // 大小 on the free page
    EXPECT_EQ(Hover(link(5)), hint(st.freePlans, 4, PredictionKind::Size, 100));
    QTest::mouseClick(link(100), Qt::LeftButton);  // 杀4N on the named page
    EXPECT_EQ(Hover(link(20)), hint(st.namedPlans, 3, PredictionKind::Kill4N, 20));
    Control<QComboBox>("组合框4")->setCurrentIndex(3);  // 50
    EXPECT_EQ(Hover(link(20)), hint(st.namedPlans, 3, PredictionKind::Kill4N, 50));

    // 标签13 keeps its line; its tooltip carries the chosen plan's figures of the same marking.
    QTest::mouseClick(link(42), Qt::LeftButton);  // 清新计划B, plan 26, marks at once
    auto* label = Control<QLabel>("标签13");
    EXPECT_EQ(label->text().toStdString(),
              StatsLine("50", *ComputeHitStats(History(), st.namedPlans[25], PredictionKind::Kill4N, 50)));
    EXPECT_EQ(label->toolTip(), hint(st.namedPlans, 25, PredictionKind::Kill4N, 50));

    // Each stored algorithm's row: its figures over the page's window and out of sample.
    auto* list = Control<ReportListView>("超级列表框2");
    ASSERT_EQ(list->RowCount(), static_cast<int>(kStored.size()));
    std::vector<OutOfSampleCheck> checks;
    std::vector<double> p;
    for (const CustomAlgorithm& a : kStored) {
        checks.push_back(*CheckOutOfSample(History(), CompileAlgorithmText(a.algorithmText), PredictionKind::Combination, 20, 100));
        p.push_back(checks.back().inSample.pValue);
    }
    const std::vector<double> adjusted = AdjustBenjaminiHochberg(p);
    QTreeWidgetItem* last = list->topLevelItem(list->RowCount() - 1);
    Hover(list->viewport(), list->visualItemRect(last).center());
    for (int r = 0; r < list->RowCount(); ++r) {
        const QString expected = ToQString(FiguresHint(checks[static_cast<size_t>(r)].inSample, adjusted[static_cast<size_t>(r)]) +
                                           "；" + OutOfSampleText(checks[static_cast<size_t>(r)]));
        EXPECT_EQ(list->topLevelItem(r)->toolTip(1), expected) << r;
        EXPECT_TRUE(expected.contains(ToQString("/80（随机期望"))) << expected.toStdString();
    }
    // The existing columns keep their figures.
    EXPECT_EQ(list->CellText(3, 1), QStringLiteral("%1").arg(checks[3].inSample.hits * 100 / 20));
}

TEST_F(StatsPageTest, AFoundSearchReadsWithItsOutOfSampleFigureAndItsByChanceCount) {
    ASSERT_NO_FATAL_FAILURE(Start({}));
    program_->SetCountdown(500);
    Control<QLineEdit>("编辑框9")->setText(QStringLiteral("0"));  // the first candidate is found
    auto* status = Control<StatusStrip>("状态条1");
    // Window 20 leaves 80 periods it never saw; window 100 none.
    for (const int windowIndex : {0, 8}) {
        const int window = 20 + 10 * windowIndex;
        SCOPED_TRACE(window);
        Pick("组合框5", windowIndex);
        QTest::mouseClick(Control<HyperLinker>("超级链接框82"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !program_->Custom().SearchRunning(); }, 20000));

        const QString line = status->PartText(3);
        const QRegularExpressionMatch m =
            QRegularExpression(ToQString("^搜索完成：已找到算法（共试 (\\d+) 个）　")).match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const uint64_t tried = m.captured(1).toULongLong();
        const std::array<std::string, 3> formulas = program_->Choices().formulas;
        const OutOfSampleCheck check = *CheckOutOfSample(History(), CompileAlgorithmText(formulas[0] + "|" + formulas[1] + "|" + formulas[2]),
                                                         PredictionKind::Combination, window, 100);
        EXPECT_EQ(check.inSample.periods, window);
        EXPECT_EQ(check.outOfSample.periods, 100 - window);
        const double byChance = ByChanceCount(tried, PredictionKind::Combination, window, 0, 0);
        EXPECT_DOUBLE_EQ(byChance, static_cast<double>(tried));  // threshold 0: every candidate
        EXPECT_EQ(line.mid(m.capturedLength()), ToQString(SearchFiguresText(check, byChance)));
        EXPECT_EQ(line.contains(ToQString("样本外：无更早的期数")), window == 100);
        EXPECT_EQ(status->Part(3)->toolTip(), ToQString(ByChanceHint(byChance, tried)));
        EXPECT_TRUE(status->Part(3)->toolTip().startsWith(ToQString("随机达到阈值的期望个数：约")));
    }
}

}  // namespace
}  // namespace qivra::testing
