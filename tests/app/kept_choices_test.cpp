// Choices kept between runs: every kept choice survives a restart, a first start shows the
// layout's states, a damaged file is reported and left alone until the user changes something,
// values out of range are skipped one by one, and the restore costs no extra refresh.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <atomic>

#include "app/kept_choices.hpp"
#include "program_fixture.hpp"
#include "ui/controls.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/qt_text.hpp"

namespace qivra::testing {
namespace {

const QColor kChosen(158, 201, 251);

class KeptChoicesTest : public ProgramFixture {
protected:
    ProgramServices KeptServices() {
        ProgramServices s = Services();
        s.keptChoicesPath = KeptChoicesPath().toStdString();
        s.algorithmStorePath = keptDir_.filePath(QStringLiteral("QivraData.ini")).toStdString();
        return s;
    }
    void Restart() {
        program_.reset();
        program_ = std::make_unique<Program>(KeptServices());
        program_->CreateMainWindow();
        ConnectEventMap(*program_);
        ASSERT_TRUE(RunStart());
        ASSERT_TRUE(WaitForRefresh());
    }
    void WriteFile(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(KeptChoicesPath()).absolutePath());
        QFile f(KeptChoicesPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray ReadFile() {
        QFile f(KeptChoicesPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    const MainWindowView& v() { return window().View(); }
    QString StatusLine() { return v().status->PartText(1); }
};

struct KeptRow {
    const char* choice;
    std::function<void()> change;  // as the user does it
    std::function<void()> check;   // after a restart
};

TEST_F(KeptChoicesTest, EveryKeptChoiceSurvivesARestart) {
    ASSERT_NO_FATAL_FAILURE(Restart());
    const KeptRow rows[] = {
        {"game", [&] { v().game->setCurrentIndex(0); },
         [&] {
             EXPECT_EQ(v().game->currentIndex(), 0);
             EXPECT_TRUE(v().caption->text().startsWith(ToQString("幸运28 第")));
         }},
        {"开奖提示", [&] { v().announceDraws->click(); }, [&] { EXPECT_TRUE(v().announceDraws->isChecked()); }},
        {"提示音", [&] { v().promptSounds->click(); }, [&] { EXPECT_TRUE(v().promptSounds->isChecked()); }},
        {"marking metric", [&] { v().markMetric->setCurrentIndex(4); }, [&] { EXPECT_EQ(v().markMetric->currentIndex(), 4); }},
        {"marking comparison", [&] { v().markComparison->setCurrentIndex(3); },
         [&] { EXPECT_EQ(v().markComparison->currentIndex(), 3); }},
        {"marking threshold", [&] { v().markThreshold->setText(QStringLiteral("65")); },
         [&] { EXPECT_EQ(v().markThreshold->text(), QStringLiteral("65")); }},
        {"marking colour", [&] { v().markColour->SetColour(QColor(0, 128, 0)); },
         [&] { EXPECT_EQ(v().markColour->colour(), QColor(0, 128, 0)); }},
        {"开启自动标记", [&] { v().autoMark->click(); }, [&] { EXPECT_FALSE(v().autoMark->isChecked()); }},
        {"marking periods", [&] { v().markWindow->setCurrentIndex(3); },
         [&] { EXPECT_EQ(v().markWindow->currentText(), QStringLiteral("50")); }},
        {"alarm threshold", [&] { v().streakThreshold->setText(QStringLiteral("5")); },
         [&] { EXPECT_EQ(v().streakThreshold->text(), QStringLiteral("5")); }},
        {"alarm sound", [&] { v().streakSound->click(); }, [&] { EXPECT_FALSE(v().streakSound->isChecked()); }},
        {"alarm balloon", [&] { v().streakBalloon->click(); }, [&] { EXPECT_FALSE(v().streakBalloon->isChecked()); }},
        {"alarm families",
         [&] {
             for (int i : {0, 3, 6}) v().streakFamilies[static_cast<size_t>(i)]->click();
             v().streakPairs->click();
         },
         [&] {
             for (int i = 0; i < 7; ++i)
                 EXPECT_EQ(v().streakFamilies[static_cast<size_t>(i)]->isChecked(), i != 0 && i != 3 && i != 6) << i;
             EXPECT_FALSE(v().streakPairs->isChecked());
         }},
        {"custom periods",
         [&] {
             v().statsWindow->setCurrentIndex(7);
             Q_EMIT v().statsWindow->activated(7);
         },
         [&] {
             EXPECT_EQ(v().statsWindow->currentText(), QStringLiteral("90"));
             EXPECT_EQ(v().Link(89)->Caption(), ToQString("统计 90 期"));
         }},
        {"generator mode", [&] { v().generatorMode->setCurrentIndex(0); },
         [&] { EXPECT_EQ(v().generatorMode->currentIndex(), 0); }},
        {"search criterion", [&] { v().searchCriterion->setCurrentIndex(2); },
         [&] { EXPECT_EQ(v().searchCriterion->currentIndex(), 2); }},
        {"search threshold", [&] { v().searchThreshold->setText(QStringLiteral("9")); },
         [&] { EXPECT_EQ(v().searchThreshold->text(), QStringLiteral("9")); }},
        {"custom kind",
         [&] {
             program_->Custom().EnableCustomAlgorithms();
             program_->Custom().SelectCustomKind(78);
         },
         [&] {
             EXPECT_EQ(program_->Choices().customKind, 0) << "not before the page is switched on";
             program_->Custom().EnableCustomAlgorithms();
             EXPECT_EQ(program_->Choices().customKind, 5);
             for (int n = 74; n <= 81; ++n) EXPECT_EQ(v().Link(n)->Background() == kChosen, n == 78) << n;
         }},
        {"significance play type and periods",
         [&] {
             v().significanceKind->setCurrentIndex(2);
             Q_EMIT v().significanceKind->activated(2);
             v().significanceWindow->setCurrentIndex(0);
             Q_EMIT v().significanceWindow->activated(0);
         },
         [&] {
             EXPECT_EQ(v().significanceKind->currentIndex(), 2);
             EXPECT_EQ(v().significanceWindow->currentText(), QStringLiteral("20"));
         }},
        {"window position", [&] { window().move(40, 30); }, [&] { EXPECT_EQ(window().pos(), QPoint(40, 30)); }},
    };
    for (const KeptRow& row : rows) {
        SCOPED_TRACE(row.choice);
        row.change();
    }
    const UserChoices before = program_->Choices();
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_TRUE(StatusLine().isEmpty());
    for (const KeptRow& row : rows) {
        SCOPED_TRACE(row.choice);
        row.check();
    }
    EXPECT_TRUE(SameKeptChoices(program_->Choices(), before));
}

TEST_F(KeptChoicesTest, AFirstStartShowsTheInitialStatesAndWritesNothing) {
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_EQ(program_->Choices(), UserChoices{});
    EXPECT_EQ(v().Link(89)->Caption(), ToQString("统计 20 期"));
    EXPECT_TRUE(StatusLine().isEmpty());
    // Refreshes and program-made changes are not the user's.
    RefreshAndWait();
    program_.reset();
    EXPECT_FALSE(QFile::exists(KeptChoicesPath()));
}

TEST_F(KeptChoicesTest, ADamagedFileGivesTheInitialStatesAndIsReplacedOnlyByTheUsersChange) {
    const QByteArray cases[] = {
        QByteArray("\x00\x01\xff\xfe garbage \x00", 14),
        QByteArray("[General]\nsomeOtherProgram=1\n"),
        QByteArray("[General]\nformat=1\ngame=0\n[unclosed\nmarking/threshold=50\n"),
    };
    for (const QByteArray& damage : cases) {
        SCOPED_TRACE(damage.toStdString());
        ASSERT_NO_FATAL_FAILURE(WriteFile(damage));
        ASSERT_NO_FATAL_FAILURE(Restart());
        EXPECT_EQ(program_->Choices(), UserChoices{});
        EXPECT_EQ(StatusLine(), ToQString("设置文件已损坏，用初始设置"));
        EXPECT_EQ(v().status->Part(1)->textFormat(), Qt::PlainText);
        RefreshAndWait();
        program_.reset();
        EXPECT_EQ(ReadFile(), damage) << "left as it was";

        ASSERT_NO_FATAL_FAILURE(Restart());
        v().markThreshold->setText(QStringLiteral("70"));
        ASSERT_NO_FATAL_FAILURE(Restart());
        EXPECT_TRUE(StatusLine().isEmpty());
        EXPECT_EQ(v().markThreshold->text(), QStringLiteral("70"));
        EXPECT_EQ(program_->Choices().markThreshold, "70");
    }
}

TEST_F(KeptChoicesTest, AnUnreadableFileIsReportedAndNothingBreaks) {
    // A folder where the file should be: no user can read it as a file.
    ASSERT_TRUE(QDir().mkpath(KeptChoicesPath()));
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_EQ(program_->Choices(), UserChoices{});
    EXPECT_EQ(StatusLine(), ToQString("设置文件无法读取，用初始设置"));
    v().markThreshold->setText(QStringLiteral("70"));  // cannot be written: said on stderr, nothing else
    EXPECT_EQ(program_->Choices().markThreshold, "70");
}

TEST_F(KeptChoicesTest, ValuesOutOfRangeAreIgnoredEachAlone) {
    ASSERT_NO_FATAL_FAILURE(WriteFile(QByteArray(
        "[General]\nformat=1\ngame=7\n"
        "[marking]\nmetric=2x\nthreshold=<b>9</b>\nperiods=55\ncolour=#00ff00\nauto=yes\ncomparison=1\n"
        "[alarm]\nthreshold=4\nfamily1=yes\nfamily2=false\nsound=\n"
        "[custom]\nperiods=90\nkind=9\ngenerator=-1\ncriterion=3\nthreshold=99999999999\n"
        "[window]\nx=100000\ny=5\n")));
    ASSERT_NO_FATAL_FAILURE(Restart());
    UserChoices expected;
    expected.markColour = Rgb{0, 255, 0};
    expected.markComparison = 1;
    expected.streakThreshold = "4";
    expected.streakFamilies[1] = false;
    expected.statsWindow = "90";
    expected.searchCriterion = 3;
    EXPECT_EQ(program_->Choices(), expected);
    EXPECT_EQ(v().markThreshold->text(), QStringLiteral("80"));
    EXPECT_EQ(v().statsWindow->currentText(), QStringLiteral("90"));
    EXPECT_NE(window().pos(), QPoint(100000, 5));
    EXPECT_TRUE(StatusLine().isEmpty());
}

TEST_F(KeptChoicesTest, TheEarlyMorningGameIsShownButTheKeptGameStays) {
    UserChoices kept;
    kept.game = kGamePc28;
    ASSERT_TRUE(WriteKeptChoices(KeptChoicesPath(), kept, std::nullopt));
    clock_->Set(LocalAt(7, 30, 0));
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_EQ(v().game->currentIndex(), kGameCanada28);
    v().markThreshold->setText(QStringLiteral("70"));  // written, with the user's game
    program_.reset();
    EXPECT_EQ(ReadKeptChoices(KeptChoicesPath(), UserChoices{}).choices.game, kGamePc28);

    clock_->Set(LocalAt(13, 0, 0));
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_EQ(v().game->currentIndex(), kGamePc28);
    EXPECT_EQ(v().markThreshold->text(), QStringLiteral("70"));
}

TEST_F(KeptChoicesTest, RestoredChoicesCostOneRefresh) {
    auto feedRequests = std::make_shared<std::atomic<int>>(0);
    service_->Stop();
    ResultsService::Options options;
    options.requestLog = [feedRequests](const std::string& line) {
        if (line.find("/qivra/config") == std::string::npos) ++*feedRequests;
    };
    service_ = std::make_unique<ResultsService>(options);
    std::shared_ptr<ManualClock> clock = clock_;
    service_->SetClock([clock] { return clock->Now(); });
    ASSERT_GT(service_->Start(), 0);

    UserChoices kept;
    kept.game = kGamePc28;
    kept.announceDraws = true;
    kept.markWindow = "40";
    kept.statsWindow = "60";
    kept.startCustomKind = 3;
    kept.streakFamilies = {false, true, false, true, false, true, false};
    kept.searchThreshold = "11";
    ASSERT_TRUE(WriteKeptChoices(KeptChoicesPath(), kept, QPoint(10, 10)));

    program_ = std::make_unique<Program>(KeptServices());
    program_->CreateMainWindow();
    ConnectEventMap(*program_);
    QSignalSpy refreshes(program_.get(), &Program::refreshFinished);
    ASSERT_TRUE(RunStart());
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshes.count() > 0 && !program_->RefreshInFlight(); }, 20000));
    QTest::qWait(200);
    EXPECT_EQ(refreshes.count(), 1);
    EXPECT_EQ(feedRequests->load(), 1);
    EXPECT_TRUE(SameKeptChoices(program_->Choices(), kept));
    EXPECT_TRUE(v().caption->text().startsWith(ToQString("幸运28 第")));
}

}  // namespace
}  // namespace qivra::testing
