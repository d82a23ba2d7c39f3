// The program's worker is its own: start-up waits for the configuration without blocking the
// window, and ending the program never waits for a slow service.
#include <QLabel>
#include <QTimer>

#include <mutex>
#include <string>
#include <vector>

#include "program_fixture.hpp"
#include "ui/connecting_window.hpp"
#include "ui/qt_text.hpp"

namespace qivra::testing {
namespace {

// Far longer than any test waits: if the program waited for the answer, the log would have it.
constexpr int kSlowServiceSeconds = 30;

class OwnedWorkers : public ProgramFixture {
protected:
    // The fixture's service, replaced by one that logs every request it has answered.
    void SetUp() override {
        ProgramFixture::SetUp();
        service_->Stop();
        ResultsService::Options options;
        options.requestLog = [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            answered_.push_back(line);
        };
        service_ = std::make_unique<ResultsService>(options);
        std::shared_ptr<ManualClock> clock = clock_;
        service_->SetClock([clock] { return clock->Now(); });
        ASSERT_GT(service_->Start(), 0);
    }

    size_t Answered() {
        std::lock_guard lock(mutex_);
        return answered_.size();
    }

    static FaultPlan Slow() {
        FaultPlan slow;
        slow.delaySeconds = kSlowServiceSeconds;
        return slow;
    }

    std::mutex mutex_;
    std::vector<std::string> answered_;
};

TEST_F(OwnedWorkers, StartUpShowsTheConnectingWindowWhoseCloseEndsTheProgram) {
    service_->SetFault(-1, Slow());
    program_ = std::make_unique<Program>(Services());
    program_->CreateMainWindow();
    ConnectEventMap(*program_);
    QSignalSpy quit(program_.get(), &Program::quitRequested);
    QSignalSpy finished(program_.get(), &Program::startFinished);

    program_->Start();
    ConnectingWindow* connecting = program_->Connecting();
    ASSERT_NE(connecting, nullptr);
    EXPECT_TRUE(connecting->isVisible());
    EXPECT_EQ(connecting->Control<QLabel>(ToQString("标签1"))->text(), ToQString("正在连接服务器，请稍候…"));
    EXPECT_FALSE(window().isVisible());

    // The event loop runs while the configuration is awaited.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 10; }, 20000));
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(messages_->ShownBoxes().empty());

    connecting->close();
    EXPECT_EQ(quit.count(), 1);
    program_.reset();  // cancels the fetch the service sits on, and joins the worker
    EXPECT_EQ(Answered(), 0u) << "the program waited for the service's answer";
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(messages_->ShownBoxes().empty());
}

TEST_F(OwnedWorkers, ClosingDuringASlowRefreshEndsWithoutWaitingForTheService) {
    StartAndWaitForFirstRefresh();
    const size_t answeredBefore = Answered();
    service_->SetFault(program_->Choices().game, Slow());
    QSignalSpy quit(program_.get(), &Program::quitRequested);
    program_->Refresh();
    ASSERT_TRUE(program_->RefreshInFlight());
    // Long enough for the request to reach the service and wait there.
    QTest::qWait(300);
    window().close();
    EXPECT_EQ(quit.count(), 1);
    program_.reset();
    EXPECT_EQ(Answered(), answeredBefore) << "the program waited for the service's answer";
}

TEST_F(OwnedWorkers, AFastServiceStartsAsBeforeAndTheConnectingWindowGoes) {
    program_ = std::make_unique<Program>(Services());
    program_->CreateMainWindow();
    ConnectEventMap(*program_);
    ASSERT_TRUE(RunStart());
    EXPECT_EQ(program_->Connecting(), nullptr);
    EXPECT_TRUE(window().isVisible());
    ASSERT_TRUE(WaitForRefresh());
    EXPECT_EQ(program_->State().history.size(), 110);
}

}  // namespace
}  // namespace qivra::testing
