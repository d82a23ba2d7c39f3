// The draw archive as the program keeps it, and the 【历史回测】 page driven as a user would.

#include <QChartView>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QLineSeries>
#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/archive_keeper.hpp"
#include "app/custom_page.hpp"
#include "app/backtest_figures.hpp"
#include "app/backtest_page.hpp"
#include "archive/archive_csv.hpp"
#include "archive/backtest.hpp"
#include "net/results_feed.hpp"
#include "program_fixture.hpp"
#include "service/draw_schedule.hpp"
#include "service/history_csv.hpp"
#include "ui/backtest_page_view.hpp"
#include "ui/controls.hpp"

namespace qivra::testing {
namespace {

constexpr uint64_t kServiceSeed = 28028;  // the service's default

class BacktestPageTest : public ProgramFixture {
protected:
    std::filesystem::path ArchivePath() const { return archiveDir_.filePath(QStringLiteral("archive.sqlite")).toStdString(); }

    std::unique_ptr<DrawArchive> OpenSecondConnection() {
        DrawArchive::Opening opening = DrawArchive::Open(ArchivePath());
        EXPECT_NE(opening.archive, nullptr) << opening.report.error;
        return std::move(opening.archive);
    }

    // The feed the program will be served for a game at the fixture's time.
    DrawHistory ServedHistory(int game) {
        std::optional<DrawHistory> h = ParseFeed(FeedBody(game, clock_->Now(), kServiceSeed, 130), game);
        EXPECT_TRUE(h.has_value());
        return h.value_or(DrawHistory());
    }

    QString ArchiveStatus() { return window().View().status->PartText(0); }

    // Shows the page by its caption, as a click on its tab would.
    void ShowPage() {
        TabBox* tabs = window().Tabs();
        for (int i = 0; i < tabs->PageCount(); ++i)
            if (tabs->PageCaption(i) == QString::fromUtf8(kBacktestPageCaption)) tabs->SetCurrentIndex(i);
        ASSERT_EQ(tabs->CurrentIndex(), page().View().pageIndex);
    }

    BacktestPage& page() { return program_->Backtest(); }
    const BacktestPageView& view() { return page().View(); }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = archiveDir_.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // 导入CSV, the file typed into the dialog, accepted.
    void ImportThroughDialog(const std::string& file) {
        view().importCsv->click();
        QFileDialog* dialog = page().OpenDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QString::fromStdString(file));
        static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
    }

    // 开始回测, then waits for the page to finish.
    void RunAndWait() {
        QSignalSpy finished(&page(), &BacktestPage::backtestFinished);
        view().start->click();
        ASSERT_TRUE(page().Running());
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 30000));
    }

    QString LastMessage() { return messages_->ShownBoxes().empty() ? QString() : messages_->ShownBoxes().back().text; }
};

TEST_F(BacktestPageTest, RefreshMergesEachFeedOnceAndCountsConflictsInTheStatusBar) {
    // The archive already holds three of the coming feed's periods with other digits.
    const int game = UserChoices{}.game;
    const DrawHistory served = ServedHistory(game);
    ASSERT_GT(served.size(), 100);
    {
        DrawArchive::Opening opening = DrawArchive::Open(ArchivePath());
        ASSERT_TRUE(opening.archive);
        std::vector<ArchivedDraw> other;
        for (int i : {1, 50, 100}) {
            const DrawRecord& r = served.at(i);
            other.push_back({std::stoll(r.period), "2026-12-10 12:00:00", (r.digit1 + 1) % 10, r.digit2, r.digit3});
        }
        ASSERT_TRUE(opening.archive->Merge(game, other).ok());
    }

    StartAndWaitForFirstRefresh();
    ASSERT_EQ(program_->Choices().game, game);
    ASSERT_EQ(program_->State().history.newest().period, served.newest().period);
    auto archive = OpenSecondConnection();
    const GameSummary first = archive->Summary(game);
    EXPECT_EQ(first.draws, served.size());  // every period once; the three keep their old digits
    EXPECT_EQ(first.conflicts, 3);
    EXPECT_EQ(archive->Find(game, std::stoll(served.at(50).period))->digit1, (served.at(50).digit1 + 1) % 10);
    EXPECT_EQ(ArchiveStatus(), QString::fromUtf8("档案冲突：3"));

    // The same feed again: nothing new, the same three conflicts.
    RefreshAndWait();
    const GameSummary second = archive->Summary(game);
    EXPECT_EQ(second.draws, first.draws);
    EXPECT_EQ(second.conflicts, 3);
    EXPECT_EQ(ArchiveStatus(), QString::fromUtf8("档案冲突：3"));
    EXPECT_EQ(archive->Summary(1 - game).draws, 0);
}

TEST_F(BacktestPageTest, DamagedArchiveIsMovedAsideTheUserToldAndANewOneStarted) {
    const std::string garbage = "this is not an archive\n";
    WriteFile("archive.sqlite", garbage);
    StartAndWaitForFirstRefresh();

    bool told = false;
    for (const MessageBoxes::Shown& box : messages_->ShownBoxes()) told |= box.text.contains(QString::fromUtf8("已损坏"));
    EXPECT_TRUE(told);
    int movedAside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ArchivePath().parent_path())) {
        if (entry.path().filename().string().rfind("archive.sqlite.damaged-", 0) != 0) continue;
        ++movedAside;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        EXPECT_EQ(bytes.str(), garbage);  // moved, not rewritten
    }
    EXPECT_EQ(movedAside, 1);
    EXPECT_EQ(OpenSecondConnection()->Summary(program_->Choices().game).draws, program_->State().history.size());
}

TEST_F(BacktestPageTest, ImportedHistoryIsJudgedAsTheBacktestEngineJudgesIt) {
    const int game = UserChoices{}.game;
    const std::string csv = WriteFile("history.csv", HistoryCsv(game, clock_->Now(), kServiceSeed, 2));
    StartAndWaitForFirstRefresh();
    ShowPage();
    EXPECT_EQ(view().game->currentIndex(), game);  // the main window's game
    ASSERT_EQ(page().SubjectCount(), 72);  // 16 free and 56 named plans; no stored algorithm yet

    messages_->ClearShown();
    ImportThroughDialog(csv);
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    EXPECT_TRUE(LastMessage().contains(QString::fromUtf8("导入完成"))) << LastMessage().toStdString();
    auto archive = OpenSecondConnection();
    const int64_t archived = archive->Summary(game).draws;
    ASSERT_GE(archived, HistoryDrawCount(game, 2));
    EXPECT_TRUE(view().archiveInfo->text().contains(QString::number(archived)));

    // The 21st named plan, 单双, over the whole archive, a rolling window of 50.
    const int subjectRow = 16 + 20;
    view().subject->setCurrentIndex(subjectRow);
    Q_EMIT view().subject->activated(subjectRow);
    view().kind->setCurrentIndex(2);
    Q_EMIT view().kind->activated(2);
    view().rangeAll->click();
    view().window->clear();
    QTest::keyClicks(view().window, QStringLiteral("50"));
    RunAndWait();

    const BacktestOutcome* outcome = page().LastOutcome();
    ASSERT_NE(outcome, nullptr);
    ASSERT_FALSE(outcome->cancelled);
    const BacktestSubject subject = BacktestSubject::ForPlan(program_->State().namedPlans[20], PredictionKind::Parity);
    const BacktestDraws draws = LoadBacktestDraws(*archive, game, BacktestRange::All());
    const BacktestRun direct = RunBacktest(draws, {subject});
    ASSERT_EQ(direct.results.size(), 1u);
    const BacktestResult& want = direct.results[0];
    const BacktestResult& got = outcome->figures.result;
    EXPECT_EQ(got.judged, want.judged);
    EXPECT_EQ(got.hits, want.hits);
    EXPECT_EQ(got.longestHitRun, want.longestHitRun);
    EXPECT_EQ(got.longestMissRun, want.longestMissRun);
    EXPECT_EQ(got.skippedStart + got.skippedGap, want.skippedStart + want.skippedGap);
    EXPECT_EQ(got.hitFlags, want.hitFlags);
    EXPECT_GT(want.judged, 500);
    EXPECT_TRUE(view().results->text().contains(QString::fromUtf8("正确：") + QString::number(want.hits)));
    EXPECT_TRUE(view().start->isEnabled());
    EXPECT_FALSE(view().cancel->isEnabled());

    // A point per judged period from the window's end on; every sum's bar and chance.
    const BacktestCharts& charts = *view().charts;
    EXPECT_EQ(charts.RollingPoints(), want.judged - 50 + 1);
    for (QAbstractSeries* s : charts.Rolling()->chart()->series()) {
        if (auto* line = qobject_cast<QLineSeries*>(s)) {
            EXPECT_EQ(line->count(), want.judged - 50 + 1);
        }
        if (auto* area = qobject_cast<QAreaSeries*>(s)) {
            EXPECT_EQ(area->upperSeries()->count(), want.judged - 50 + 1);
            EXPECT_EQ(area->lowerSeries()->count(), want.judged - 50 + 1);
        }
    }
    EXPECT_EQ(charts.SumBars(), 28);
    for (QAbstractSeries* s : charts.Sums()->chart()->series())
        if (auto* line = qobject_cast<QLineSeries*>(s)) {
            ASSERT_EQ(line->count(), 28);
            EXPECT_DOUBLE_EQ(line->at(0).y(), 0.001);
            EXPECT_DOUBLE_EQ(line->at(13).y(), 0.075);
        }

    // One whole day, typed as a date alone.
    view().rangeBetween->click();
    QTest::keyClicks(view().from, QStringLiteral("2026-12-09"));
    QTest::keyClicks(view().to, QStringLiteral("2026-12-09"));
    RunAndWait();
    const BacktestDraws dayDraws =
        LoadBacktestDraws(*archive, game, BacktestRange::Between("2026-12-09 00:00:00", "2026-12-09 23:59:59"));
    const BacktestRun day = RunBacktest(dayDraws, {subject});
    ASSERT_NE(page().LastOutcome(), nullptr);
    EXPECT_EQ(page().LastOutcome()->figures.rangePeriods, static_cast<int64_t>(dayDraws.size()));
    EXPECT_NEAR(static_cast<double>(dayDraws.size()), HistoryDrawCount(game, 1), 1.0);
    EXPECT_EQ(page().LastOutcome()->figures.result.hitFlags, day.results.at(0).hitFlags);
}

TEST_F(BacktestPageTest, CancelStopsTheWorkerAndTheWindowStaysUsable) {
    const int game = UserChoices{}.game;
    const std::string csv = WriteFile("history.csv", HistoryCsv(game, clock_->Now(), kServiceSeed, 3));
    StartAndWaitForFirstRefresh();
    ShowPage();
    page().ImportFile(csv);
    view().rangeAll->click();

    QSignalSpy finished(&page(), &BacktestPage::backtestFinished);
    view().start->click();
    ASSERT_TRUE(view().cancel->isEnabled());
    // Cancelled before the worker has read the archive: nothing is judged.
    view().cancel->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 30000));
    ASSERT_NE(page().LastOutcome(), nullptr);
    EXPECT_TRUE(page().LastOutcome()->cancelled);
    EXPECT_EQ(view().results->text(), QString::fromUtf8("回测已取消"));
    EXPECT_TRUE(view().start->isEnabled());
    EXPECT_EQ(view().charts->RollingPoints(), 0);

    // A backtest still running when the program ends is cancelled and joined.
    view().start->click();
    ASSERT_TRUE(page().Running());
    program_.reset();
}

TEST_F(BacktestPageTest, RefusedImportNamesTheLineAndChangesNothing) {
    const int game = UserChoices{}.game;
    std::string csv(kArchiveCsvHeader);
    csv += "\n3000001,2026-12-10 09:00:00,1,2,3,6\n3000002,2026-12-10 09:03:30,1,x,3,6\n";
    const std::string file = WriteFile("bad.csv", csv);
    StartAndWaitForFirstRefresh();
    ShowPage();
    const int64_t before = OpenSecondConnection()->Summary(game).draws;
    messages_->ClearShown();
    ImportThroughDialog(file);
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    EXPECT_TRUE(LastMessage().contains(QString::fromUtf8("第 3 行"))) << LastMessage().toStdString();
    EXPECT_EQ(OpenSecondConnection()->Summary(game).draws, before);
    EXPECT_EQ(OpenSecondConnection()->Find(game, 3000001), std::nullopt);
}

TEST_F(BacktestPageTest, ExportWritesTheGamesArchiveAsCsv) {
    StartAndWaitForFirstRefresh();
    ShowPage();
    const std::string file = archiveDir_.filePath(QStringLiteral("out.csv")).toStdString();
    view().exportCsv->click();
    QFileDialog* dialog = page().OpenDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(file));
    static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const CsvParseResult parsed = ParseArchiveCsv(bytes.str());
    ASSERT_TRUE(parsed.ok()) << parsed.Message();
    EXPECT_EQ(static_cast<int>(parsed.rows.size()), program_->State().history.size());
}

// A search judged over all 100 shown periods has nothing older in the history to be checked on:
// the archive's draws before the history serve instead.
TEST_F(BacktestPageTest, AFoundAlgorithmIsCheckedOutOfSampleOnTheArchivesOlderDraws) {
    const int game = UserChoices{}.game;
    const std::string csv = WriteFile("history.csv", HistoryCsv(game, clock_->Now(), kServiceSeed, 1));
    StartAndWaitForFirstRefresh();
    page().ImportFile(csv);
    QTest::mouseClick(Control<QPushButton>("按钮4"), Qt::LeftButton);
    ASSERT_TRUE(program_->Custom().Enabled());
    program_->Choose([](UserChoices& c) {
        c.statsWindow = "100";
        c.searchThreshold = "0";  // the first candidate is found
    });
    program_->SetCountdown(200);
    QSignalSpy finished(&program_->Custom(), &CustomPage::searchFinished);
    QTest::mouseClick(Control<QWidget>("超级链接框82"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 30000));

    const std::optional<OutOfSampleCheck>& check = program_->Custom().LastSearchCheck();
    ASSERT_TRUE(check.has_value());
    EXPECT_EQ(check->inSample.periods, 100);
    EXPECT_GT(check->olderPeriods, 100);
}

// The pure figures the page draws.
TEST(BacktestFigures, ThinnedSeriesKeepTheirEndsAndStayWithinTheCap) {
    struct Case {
        size_t points, cap;
    };
    for (const Case c : {Case{10, 2000}, Case{2000, 2000}, Case{2001, 2000}, Case{100000, 2000}, Case{7, 3}}) {
        std::vector<ChartPoint> points;
        for (size_t i = 0; i < c.points; ++i) points.push_back({static_cast<double>(i), 0});
        const std::vector<ChartPoint> thin = ThinPoints(points, c.cap);
        EXPECT_LE(thin.size(), c.cap) << c.points;
        EXPECT_EQ(thin.front(), points.front());
        EXPECT_EQ(thin.back(), points.back());
        if (c.points <= c.cap) {
            EXPECT_EQ(thin.size(), c.points);
        } else {
            EXPECT_GT(thin.size(), c.cap / 2);
        }
    }
}

TEST(ArchiveKeeperTest, OlderDrawsContinueTheHistoryUpToTheFirstGap) {
    QTemporaryDir dir;
    ArchiveKeeper keeper(dir.filePath(QStringLiteral("archive.sqlite")).toStdString(), {});
    ASSERT_EQ(keeper.Open(), "");
    std::vector<ArchivedDraw> rows;
    for (int64_t p : {90, 91, 93, 94, 95, 96, 97}) rows.push_back({p, "2026-12-10 10:00:00", int(p % 10), 1, 2});
    ASSERT_TRUE(keeper.Archive()->Merge(0, rows).ok());
    DrawHistory history;
    for (int64_t p = 99; p >= 97; --p) history.push_back(DrawRecord::Make(std::to_string(p), "10:00", 1, 2, 3));
    const std::vector<DrawRecord> older = keeper.OlderDraws(0, history, 10);
    ASSERT_EQ(older.size(), 4u);  // 96 down to 93; 92 is missing
    EXPECT_EQ(older[0].period, "96");
    EXPECT_EQ(older[3].period, "93");
    EXPECT_EQ(older[0].digit1, 6);
    EXPECT_TRUE(keeper.OlderDraws(1, history, 10).empty());
}

// A search over all the periods the views show leaves none out of sample; the archive's older
// draws give it some.
TEST(ArchiveKeeperTest, OutOfSampleCheckReadsTheArchiveWhereTheHistoryHasNoOlderPeriods) {
    QTemporaryDir dir;
    ArchiveKeeper keeper(dir.filePath(QStringLiteral("archive.sqlite")).toStdString(), {});
    ASSERT_EQ(keeper.Open(), "");
    std::vector<ArchivedDraw> rows;  // periods 1001..1400, oldest first
    for (int64_t p = 1001; p <= 1400; ++p)
        rows.push_back({p, "2026-12-10 10:00:00", int(p * 7 % 10), int(p * 3 % 10), int(p / 10 % 10)});
    ASSERT_TRUE(keeper.Archive()->Merge(0, rows).ok());
    DrawHistory history;  // the newest 110, as a feed gives them
    for (auto it = rows.rbegin(); it != rows.rbegin() + 110; ++it) history.push_back(RecordFromArchived(*it));
    const FormulaSet formulas = CompileAlgorithmText("[1]+[5]|[9]*2|[13]-[2]");

    const auto alone = CheckOutOfSampleWithArchive(nullptr, 0, history, formulas, PredictionKind::Size, 100, 100);
    ASSERT_TRUE(alone.has_value());
    EXPECT_FALSE(alone->HasOutOfSample());
    const auto withArchive = CheckOutOfSampleWithArchive(&keeper, 0, history, formulas, PredictionKind::Size, 100, 100);
    ASSERT_TRUE(withArchive.has_value());
    EXPECT_EQ(withArchive->inSample.periods, alone->inSample.periods);
    EXPECT_EQ(withArchive->inSample.hits, alone->inSample.hits);
    // Every archived period older than the window with six draws before it.
    EXPECT_EQ(withArchive->outOfSample.periods, 400 - 100 - kFormulaDraws);
    // The other game has no draws: the history alone.
    EXPECT_FALSE(CheckOutOfSampleWithArchive(&keeper, 1, history, formulas, PredictionKind::Size, 100, 100)->HasOutOfSample());
}

}  // namespace
}  // namespace qivra::testing
