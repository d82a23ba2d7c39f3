#include <QAction>
#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <map>
#include <utility>

#include "app/custom_page.hpp"
#include "custom/algorithm_store.hpp"
#include "custom/custom_forecast.hpp"
#include "program_fixture.hpp"
#include "ui/controls.hpp"
#include "ui/egrid.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/qt_support.hpp"

namespace qivra::testing {
namespace {

using Answer = MessageBoxes::Answer;


// What a view writes, by (row, column).
struct RecordingSink final : CellSink {
    void SetCellText(int row, int column, const std::string& text) override { texts[{row, column}] = text; }
    void SetCellTextColour(int row, int column, Rgb colour) override { colours[{row, column}] = colour; }
    std::map<std::pair<int, int>, std::string> texts;
    std::map<std::pair<int, int>, Rgb> colours;
};

class CustomPageTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_TRUE(dir_.isValid());
        storePath_ = dir_.filePath(QStringLiteral("QivraData.ini")).toStdString();
    }

    // A program keeping its algorithms in this test's folder, after its first refresh.
    void Start() {
        program_.reset();
        ProgramServices s = Services();
        s.algorithmStorePath = storePath_;
        s.searchSeed = 2828;
        program_ = std::make_unique<Program>(std::move(s));
        program_->CreateMainWindow();
        ConnectEventMap(*program_);
        ASSERT_TRUE(RunStart());
        ASSERT_TRUE(WaitForRefresh());
    }

    void StartEnabled() {
        Start();
        QTest::mouseClick(Control<QPushButton>("按钮4"), Qt::LeftButton);
        ASSERT_TRUE(program_->Custom().Enabled());
    }

    void Click(const char* link) {
        HyperLinker* l = Control<HyperLinker>(link);
        ASSERT_NE(l, nullptr) << link;
        QTest::mouseClick(l, Qt::LeftButton);
    }
    void ClickLink(int n) { Click(QStringLiteral("超级链接框%1").arg(n).toUtf8().constData()); }

    void SetFormulas(const char* f1, const char* f2, const char* f3) {
        Control<QLineEdit>("编辑框5")->setText(ToQString(f1));
        Control<QLineEdit>("编辑框6")->setText(ToQString(f2));
        Control<QLineEdit>("编辑框7")->setText(ToQString(f3));
    }
    std::array<std::string, 3> Formulas() {
        return {Control<QLineEdit>("编辑框5")->text().toStdString(), Control<QLineEdit>("编辑框6")->text().toStdString(),
                Control<QLineEdit>("编辑框7")->text().toStdString()};
    }
    FormulaSet Compiled(const std::array<std::string, 3>& texts) {
        return {Formula::Compile(texts[0]), Formula::Compile(texts[1]), Formula::Compile(texts[2])};
    }

    void SaveAs(const char* name, const char* f1, const char* f2, const char* f3) {
        Control<QLineEdit>("编辑框8")->setText(ToQString(name));
        SetFormulas(f1, f2, f3);
        Click("超级链接框86");
    }

    // The grid holds the pure view of the pure forecasts of the boxes' formulas for the chosen
    // kind, cell by cell, colours included.
    void ExpectGridShowsTheBoxes() {
        const DrawHistory& history = program_->State().history;
        const PredictionKind kind = *CustomKindFromCode(program_->Choices().customKind);
        const auto forecasts = CustomForecasts(history, Compiled(Formulas()), kind, 100);
        ASSERT_EQ(forecasts.size(), 101u);
        RecordingSink expected;
        WriteCustomView(expected, history, forecasts, kind, 100);
        ASSERT_TRUE(expected.texts.count({1, 5}));
        for (const auto& [cell, text] : expected.texts) {
            const auto [row, column] = cell;
            if (row > 100) continue;  // drawn period 100 lies past the last row
            ASSERT_EQ(grid()->CellText(row, column).toStdString(), text) << row << "," << column;
        }
        for (const auto& [cell, colour] : expected.colours)
            if (cell.first <= 100) {
                ASSERT_EQ(grid()->CellTextColour(cell.first, cell.second), ToQColor(colour)) << cell.first;
            }
    }

    ReportListView* list() { return Control<ReportListView>("超级列表框2"); }
    EGrid* grid() { return Control<EGrid>("高级表格5"); }

    QByteArray StoreBytes() {
        QFile f(QString::fromStdString(storePath_));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool StoreExists() { return QFile::exists(QString::fromStdString(storePath_)); }

    // Starts a search and waits until it has ended; false on time-out.
    bool WaitForSearchEnd(int timeoutMs = 20000) {
        return QTest::qWaitFor([&] { return !program_->Custom().SearchRunning(); }, timeoutMs);
    }

    QTemporaryDir dir_;
    std::string storePath_;
};

TEST_F(CustomPageTest, BeforeSwitchingOnNothingOnThePageActs) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto before = Formulas();
    const QString comingCell = grid()->CellText(1, 4);
    const QString drawnCell = grid()->CellText(2, 5);
    for (int n : {73, 74, 77, 81, 82, 84, 85, 86, 87, 89}) ClickLink(n);
    window().DeleteAlgorithmAction()->trigger();
    messages_->SetNextAnswers({Answer::Ok});
    window().ClearAlgorithmsAction()->trigger();

    EXPECT_TRUE(messages_->ShownBoxes().empty());
    EXPECT_EQ(Formulas(), before);
    EXPECT_EQ(grid()->CellText(1, 4), comingCell);
    EXPECT_EQ(grid()->CellText(2, 5), drawnCell);
    EXPECT_EQ(program_->Choices().customKind, 0);
    EXPECT_EQ(Control<HyperLinker>("超级链接框82")->Caption(), ToQString("开始搜索"));
    EXPECT_EQ(list()->RowCount(), 0);
    EXPECT_FALSE(StoreExists());
    EXPECT_TRUE(Control<QPushButton>("按钮4")->isEnabled());
}

TEST_F(CustomPageTest, SwitchedOnTheGridShowsForecastsOfEveryKind) {
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    EXPECT_FALSE(Control<QPushButton>("按钮4")->isEnabled());
    EXPECT_EQ(Control<QPushButton>("按钮4")->text(), ToQString("开启成功"));
    EXPECT_EQ(program_->Choices().customKind, 1);
    EXPECT_TRUE(messages_->ShownBoxes().empty());  // no store yet: an empty list, no message
    ASSERT_EQ(grid()->RowCount(), 101);

    const DrawHistory& history = program_->State().history;
    struct Case {
        int link;
        int kind;
    };
    for (Case c : {Case{74, 1}, Case{77, 4}, Case{78, 5}, Case{81, 8}}) {
        SCOPED_TRACE(c.kind);
        if (c.link != 74) ClickLink(c.link);  // 组合 is chosen by switching on
        ASSERT_EQ(program_->Choices().customKind, c.kind);
        for (int n = 74; n <= 81; ++n)
            EXPECT_EQ(Control<HyperLinker>(QStringLiteral("超级链接框%1").arg(n).toUtf8().constData())->Background(),
                      n == c.link ? QColor(158, 201, 251) : QColor(236, 236, 236))
                << n;
        ASSERT_NO_FATAL_FAILURE(ExpectGridShowsTheBoxes());
        for (int k = 1; k <= 99; ++k) {
            ASSERT_EQ(grid()->CellText(k + 1, 0).toStdString(), history.at(k).period) << k;
            ASSERT_FALSE(grid()->CellText(k + 1, 6).isEmpty()) << k;
        }
    }
}

TEST_F(CustomPageTest, SavedAlgorithmsComeBackDeleteAndClearRewriteTheStore) {
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    SaveAs("同名", "[1]", "[2]", "[3]");
    SaveAs("同名", "[4]+[5]", "[6]", "[7]*[8]");
    ASSERT_TRUE(StoreExists());
    EXPECT_TRUE(messages_->ShownBoxes().empty());
    EXPECT_EQ(list()->RowCount(), 2);
    const std::vector<CustomAlgorithm> saved = {{"同名", "[1]|[2]|[3]"}, {"同名", "[4]+[5]|[6]|[7]*[8]"}};
    EXPECT_EQ(LoadStoreFile(storePath_).rows, saved);

    // Another run with the same store shows the rows once switched on.
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    ASSERT_EQ(list()->RowCount(), 2);
    EXPECT_EQ(list()->CellText(0, 0), ToQString("同名"));
    EXPECT_EQ(list()->CellText(1, 4), ToQString("[4]+[5]|[6]|[7]*[8]"));

    // Choosing a row loads it into the boxes and redraws the grid from it.
    Control<QLineEdit>("编辑框8")->setText(ToQString("别的"));
    list()->SetCurrentRow(0);
    EXPECT_EQ(program_->Custom().SelectedRow(), 0);
    EXPECT_EQ(Control<QLineEdit>("编辑框8")->text(), ToQString("同名"));
    EXPECT_EQ(Formulas(), (std::array<std::string, 3>{"[1]", "[2]", "[3]"}));
    ExpectGridShowsTheBoxes();

    // 删除选中 asks first: Cancel keeps the row, OK removes it from the list and the store.
    messages_->SetNextAnswers({Answer::Cancel});
    Click("超级链接框87");
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    const MessageBoxes::Shown& ask = messages_->ShownBoxes()[0];
    EXPECT_EQ(ask.title, ToQString("信息："));
    EXPECT_EQ(ask.text, ToQString("确定删除吗？"));
    EXPECT_EQ(ask.icon, MessageBoxes::Icon::None);
    EXPECT_EQ(ask.buttons, MessageBoxes::Buttons::OkCancel);
    EXPECT_EQ(list()->RowCount(), 2);
    EXPECT_EQ(LoadStoreFile(storePath_).rows.size(), 2u);

    messages_->SetNextAnswers({Answer::Ok});
    Click("超级链接框87");
    ASSERT_EQ(list()->RowCount(), 1);
    EXPECT_EQ(list()->CellText(0, 4), ToQString("[4]+[5]|[6]|[7]*[8]"));
    EXPECT_EQ(LoadStoreFile(storePath_).rows, std::vector<CustomAlgorithm>{saved[1]});

    // A right press on a row makes it current and opens the menu there; its delete does not ask.
    messages_->ClearShown();
    list()->setCurrentItem(nullptr);
    ASSERT_EQ(program_->Custom().SelectedRow(), -1);
    const QPoint rowPoint = list()->visualItemRect(list()->topLevelItem(0)).center();
    QTest::mousePress(list()->viewport(), Qt::RightButton, {}, rowPoint);
    // Let go, or QTest keeps the button held for every later test's mouse events.
    QTest::mouseRelease(list()->viewport(), Qt::RightButton, {}, rowPoint);
    EXPECT_EQ(program_->Custom().SelectedRow(), 0);
    EXPECT_TRUE(window().AlgorithmMenu()->isVisible());
    window().AlgorithmMenu()->hide();
    window().DeleteAlgorithmAction()->trigger();
    EXPECT_TRUE(messages_->ShownBoxes().empty());
    EXPECT_EQ(list()->RowCount(), 0);
    EXPECT_TRUE(LoadStoreFile(storePath_).rows.empty());

    // Clearing asks, then leaves an empty store; the next run starts empty.
    SaveAs("甲", "[1]", "[2]", "[3]");
    messages_->SetNextAnswers({Answer::Cancel});
    window().ClearAlgorithmsAction()->trigger();
    EXPECT_EQ(list()->RowCount(), 1);
    messages_->SetNextAnswers({Answer::Ok});
    window().ClearAlgorithmsAction()->trigger();
    EXPECT_EQ(list()->RowCount(), 0);
    EXPECT_TRUE(StoreExists());
    EXPECT_TRUE(StoreBytes().isEmpty());
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    EXPECT_EQ(list()->RowCount(), 0);
}

TEST_F(CustomPageTest, AnUnstorableNameIsRefusedAndNothingIsSaved) {
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    SaveAs("a----b", "[1]", "[2]", "[3]");
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    EXPECT_EQ(messages_->ShownBoxes()[0].text.toStdString(), ValidateAlgorithmName("a----b"));
    EXPECT_EQ(list()->RowCount(), 0);
    EXPECT_FALSE(StoreExists());
}

TEST_F(CustomPageTest, ADamagedStoreIsReportedAndKeptUntilTheUserSaves) {
    const QByteArray damaged("0123456789ABCDEFXYZ not a store at all");
    {
        QFile f(QString::fromStdString(storePath_));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    EXPECT_TRUE(messages_->ShownBoxes()[0].text.contains(ToQString("损坏")));
    EXPECT_EQ(list()->RowCount(), 0);
    EXPECT_EQ(program_->Choices().customKind, 1);

    // Clearing an empty list does not touch the damaged file.
    messages_->SetNextAnswers({Answer::Ok});
    window().ClearAlgorithmsAction()->trigger();
    Click("超级链接框85");
    EXPECT_EQ(StoreBytes(), damaged);

    SaveAs("新", "[1]", "[2]", "[3]");
    EXPECT_EQ(LoadStoreFile(storePath_).rows, (std::vector<CustomAlgorithm>{{"新", "[1]|[2]|[3]"}}));
    EXPECT_EQ(list()->RowCount(), 1);
}

TEST_F(CustomPageTest, AFailedSaveIsReportedAndTakesTheRowBack) {
    // The store's folder is a plain file: nothing can be written under it.
    QFile blocker(dir_.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    storePath_ = dir_.filePath(QStringLiteral("not-a-folder/QivraData.ini")).toStdString();
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);  // the store cannot even be read
    messages_->ClearShown();
    SaveAs("存不下", "[1]", "[2]", "[3]");
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    EXPECT_TRUE(messages_->ShownBoxes()[0].text.contains(ToQString("保存失败")));
    EXPECT_EQ(list()->RowCount(), 0);
    EXPECT_TRUE(program_->Custom().Algorithms().empty());
}

TEST_F(CustomPageTest, StatisticsFollowTheWindowAndTheKind) {
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    const std::vector<std::array<std::string, 3>> algorithms = {
        {"[1]", "[2]", "[3]"}, {"[1]+[8]+[9]+[12]/[8]*[6]", "[9]+[5]+2+[2]", "[1]*[9]+[5]/[2]+[10]"}};
    for (const auto& a : algorithms) SaveAs("统计", a[0].c_str(), a[1].c_str(), a[2].c_str());
    ASSERT_EQ(list()->RowCount(), 2);

    auto expectStats = [&](PredictionKind kind, int window) {
        for (int r = 0; r < 2; ++r) {
            SCOPED_TRACE(r);
            const auto stats = EvaluateAlgorithm(program_->State().history, Compiled(algorithms[r]), kind, window);
            ASSERT_TRUE(stats.has_value());
            EXPECT_EQ(list()->CellText(r, 1), QString::number(stats->accuracy));
            EXPECT_EQ(list()->CellText(r, 2), QString::number(stats->hitRun));
            EXPECT_EQ(list()->CellText(r, 3), QString::number(stats->missRun));
        }
    };
    expectStats(PredictionKind::Combination, 20);

    auto* windowBox = Control<QComboBox>("组合框5");
    Click("超级链接框89");  // the hidden list drops down under the link
    EXPECT_TRUE(windowBox->view()->isVisible());
    windowBox->hidePopup();
    windowBox->setCurrentIndex(1);
    Q_EMIT windowBox->activated(1);
    EXPECT_EQ(Control<HyperLinker>("超级链接框89")->Caption(), ToQString("统计 30 期"));
    EXPECT_EQ(Control<HyperLinker>("超级链接框89")->TextColour(), QColor(255, 255, 255));
    expectStats(PredictionKind::Combination, 30);

    // A kind link redraws the grid; 刷新预测 brings the statistics to the new kind.
    ClickLink(77);
    Click("超级链接框85");
    expectStats(*CustomKindFromCode(4), 30);
}

TEST_F(CustomPageTest, WithoutHistoryTheStatisticsAreZeroAndTheGridIsLeftAlone) {
    service_->SetFault(1, FaultPlan{.empty = true});
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    ASSERT_TRUE(program_->State().history.empty());
    SaveAs("空", "[1]", "[2]", "[3]");
    ASSERT_EQ(list()->RowCount(), 1);
    EXPECT_EQ(list()->CellText(0, 1), ToQString("0"));
    EXPECT_EQ(list()->CellText(0, 3), ToQString("0"));
    Click("超级链接框85");
    ClickLink(78);
    EXPECT_TRUE(grid()->CellText(1, 4).isEmpty());
    EXPECT_TRUE(grid()->CellText(2, 6).isEmpty());
}

TEST_F(CustomPageTest, HelpAndRandomFormulas) {
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    Click("超级链接框84");
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    const MessageBoxes::Shown& help = messages_->ShownBoxes()[0];
    EXPECT_EQ(help.title, ToQString("信息："));
    EXPECT_EQ(help.icon, MessageBoxes::Icon::Information);
    EXPECT_TRUE(help.text.startsWith(ToQString("\r\nQivra28自定义算法说明：\r\n\r\n开奖号码在软件对应符号为\r\n")));
    EXPECT_TRUE(help.text.contains(ToQString("\r\n6 + 1 + 1 第六期：[16] [17] [18]\r\n\r\n软件只允许使用6期数据")));
    EXPECT_TRUE(help.text.endsWith(ToQString("\r\n\r\n")));
    EXPECT_FALSE(help.text.endsWith(ToQString("\r\n\r\n\r\n")));

    // 简易算法 (the start setting) uses "+" only, 混合算法 any of the four; one count per generation.
    const QRegularExpression simple(QStringLiteral("^\\[\\d+\\](\\+\\[\\d+\\]){2,3}$"));
    const QRegularExpression mixed(QStringLiteral("^\\[\\d+\\]([-+*/]\\[\\d+\\]){2,3}$"));
    for (int mode : {1, 0}) {
        Control<QComboBox>("组合框6")->setCurrentIndex(mode);
        for (int i = 0; i < 10; ++i) {
            Click("超级链接框73");
            const auto f = Formulas();
            for (const std::string& one : f)
                ASSERT_TRUE((mode == 1 ? simple : mixed).match(QString::fromStdString(one)).hasMatch()) << one;
            const auto count = [](const std::string& s) { return std::count(s.begin(), s.end(), '['); };
            ASSERT_EQ(count(f[0]), count(f[1]));
            ASSERT_EQ(count(f[1]), count(f[2]));
        }
    }
    ExpectGridShowsTheBoxes();
}

TEST_F(CustomPageTest, SearchWithThresholdZeroFillsTheBoxesAtOnce) {
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    program_->SetCountdown(200);
    Control<QLineEdit>("编辑框9")->setText(QStringLiteral("0"));
    const auto before = Formulas();
    Click("超级链接框82");
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(Control<HyperLinker>("超级链接框82")->Caption(), ToQString("开始搜索"));
    EXPECT_NE(Formulas(), before);
    EXPECT_EQ(Control<QLineEdit>("编辑框8")->text(), ToQString("Qivra超神算法"));
    ExpectGridShowsTheBoxes();
    EXPECT_EQ(list()->RowCount(), 0);  // the search saves nothing
}

TEST_F(CustomPageTest, AnEndlessSearchLeavesTheWindowUsableUntilStopped) {
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    program_->SetCountdown(500);
    Control<QLineEdit>("编辑框9")->setText(QStringLiteral("1000"));
    Click("超级链接框82");
    ASSERT_TRUE(program_->Custom().SearchRunning());
    EXPECT_EQ(Control<HyperLinker>("超级链接框82")->Caption(), ToQString("停止搜索"));

    // The window answers while the worker searches.
    ClickLink(79);
    EXPECT_EQ(program_->Choices().customKind, 6);
    ExpectGridShowsTheBoxes();
    auto* status = Control<StatusStrip>("状态条1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !status->PartText(3).isEmpty(); }, 5000));
    EXPECT_TRUE(program_->Custom().SearchRunning());

    Click("超级链接框82");
    ASSERT_TRUE(WaitForSearchEnd());
    EXPECT_EQ(Control<HyperLinker>("超级链接框82")->Caption(), ToQString("开始搜索"));
    // The last candidate stays in the boxes: a generated formula of the 简易算法 kind.
    for (const std::string& f : Formulas()) EXPECT_EQ(f.find_first_of("-*/()"), std::string::npos) << f;
    EXPECT_NE(Formulas()[1], "[9]+[5]+2+[2]");
}

TEST_F(CustomPageTest, NoSearchCloseToTheDrawAndTheDrawEndsARunningOne) {
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    Control<QLineEdit>("编辑框9")->setText(QStringLiteral("1000"));
    program_->SetCountdown(19);
    Click("超级链接框82");
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    EXPECT_EQ(messages_->ShownBoxes()[0].text,
              ToQString("即将开奖了，不能进行搜索算法，请在开奖完后再进行搜索，防止软件出错"));
    EXPECT_EQ(messages_->ShownBoxes()[0].icon, MessageBoxes::Icon::Information);
    EXPECT_FALSE(program_->Custom().SearchRunning());
    EXPECT_EQ(Control<HyperLinker>("超级链接框82")->Caption(), ToQString("开始搜索"));

    program_->SetCountdown(500);
    Click("超级链接框82");
    ASSERT_TRUE(program_->Custom().SearchRunning());
    window().Clock()->stop();  // keep the tick from rewriting the label under the test
    Control<QLabel>("标签7")->setText(ToQString("开奖中"));
    ASSERT_TRUE(WaitForSearchEnd(5000));
    EXPECT_EQ(Control<HyperLinker>("超级链接框82")->Caption(), ToQString("开始搜索"));
}

TEST_F(CustomPageTest, EndingTheProgramDuringASearchIsSafe) {
    ASSERT_NO_FATAL_FAILURE(StartEnabled());
    program_->SetCountdown(500);
    Control<QLineEdit>("编辑框9")->setText(QStringLiteral("1000"));
    Click("超级链接框82");
    ASSERT_TRUE(program_->Custom().SearchRunning());
    QTest::qWait(50);
    program_.reset();
    QTest::qWait(50);  // anything the worker posted arrives to nobody
}

}  // namespace
}  // namespace qivra::testing
