#pragma once
// A running program against the local results service started in-process on an ephemeral
// port, with a clock the test moves and message boxes answered in advance.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

#include "core/clock.hpp"
#include "alerts/sounds.hpp"
#include "app/alert_views.hpp"
#include "app/custom_page.hpp"
#include "app/plan_views.hpp"
#include "app/program.hpp"
#include "net/string_cipher.hpp"
#include "service/results_service.hpp"
#include "tools/stored_texts.hpp"
#include "program/event_map.hpp"
#include "ui/main_window.hpp"
#include "ui/message_boxes.hpp"

namespace qivra::testing {

class ManualClock final : public Clock {
public:
    explicit ManualClock(std::chrono::system_clock::time_point t) : now_(t) {}
    std::chrono::system_clock::time_point Now() const override { return now_; }
    void Set(std::chrono::system_clock::time_point t) { now_ = t; }
    void Advance(std::chrono::seconds s) { now_ += s; }

private:
    std::chrono::system_clock::time_point now_;
};

// A local time of 2026-12-10 in the process time zone.
inline std::chrono::system_clock::time_point LocalAt(int hour, int minute, int second, int day = 10) {
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = std::make_shared<ManualClock>(LocalAt(13, 12, 30));
        service_ = std::make_unique<ResultsService>();
        std::shared_ptr<ManualClock> clock = clock_;
        service_->SetClock([clock] { return clock->Now(); });
        ASSERT_GT(service_->Start(), 0);
        messages_ = std::make_shared<MessageBoxes>();
        messages_->SetNextAnswers({});
    }

    void TearDown() override {
        program_.reset();
        service_->Stop();
    }

    ProgramServices Services() {
        ProgramServices s;
        s.settings = CompiledInSettings();
        s.settings.configUrlStored = Encipher(service_->ConfigUrl(), kStoredTextKey);
        s.clock = clock_;
        s.freePlansStored = FreePlanDefinitionsStored();
        s.namedPlansStored = NamedPlanDefinitionsStored();
        s.openUrl = [this](const QUrl& url) { openedUrls_.push_back(url); };
        s.messages = messages_;
        // Never the user's data folder.
        s.archivePath = archiveDir_.filePath(QStringLiteral("archive.sqlite")).toStdString();
        s.nativeDialogs = false;
        // Not owned: the test's player outlives the program it lends it to.
        if (soundPlayer_) s.sounds = std::shared_ptr<SoundPlayer>(std::shared_ptr<void>(), soundPlayer_);
        // Every program a test starts keeps its choices in a folder of its own, away from the
        // user's: a restart starts afresh unless the test keeps the path.
        s.keptChoicesPath = keptDir_.filePath(QStringLiteral("run%1/Qivra28.conf").arg(++runs_)).toStdString();
        return s;
    }

    QString KeptChoicesPath() const { return keptDir_.filePath(QStringLiteral("Qivra28/Qivra28.conf")); }

    // Creates the program, connects its event map and runs creation; true when it runs.
    bool StartProgram() { return StartWith(Services()); }
    bool StartWith(ProgramServices s) {
        program_ = std::make_unique<Program>(std::move(s));
        program_->CreateMainWindow();
        ConnectEventMap(*program_);
        return RunStart();
    }
    // Runs the start-up of the program created already and waits for its end.
    bool RunStart() {
        QSignalSpy finished(program_.get(), &Program::startFinished);
        program_->Start();
        if (!QTest::qWaitFor([&] { return finished.count() > 0; }, 30000)) return false;
        return finished.first().first().toBool();
    }

    // Starts the program and waits for its first refresh to finish.
    void StartAndWaitForFirstRefresh() {
        ASSERT_TRUE(StartProgram());
        ASSERT_TRUE(WaitForRefresh());
    }

    // Waits until no refresh is in flight (at least one has finished since the call).
    bool WaitForRefresh(int timeoutMs = 20000) {
        QSignalSpy spy(program_.get(), &Program::refreshFinished);
        if (!program_->RefreshInFlight() && spy.count() == 0) {
            // Nothing running: nothing to wait for.
            return true;
        }
        return QTest::qWaitFor([&] { return spy.count() > 0 && !program_->RefreshInFlight(); }, timeoutMs);
    }

    // Clicks 刷新 and waits for the pass to finish.
    void RefreshAndWait() {
        QSignalSpy spy(program_.get(), &Program::refreshFinished);
        program_->Refresh();
        ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() > 0 && !program_->RefreshInFlight(); }, 20000));
    }

    MainWindow& window() { return *program_->Window(); }
    template <class T>
    T* Control(const char* name) {
        return window().Control<T>(QString::fromUtf8(name));
    }

    std::shared_ptr<ManualClock> clock_;
    QTemporaryDir archiveDir_;
    std::unique_ptr<ResultsService> service_;
    std::unique_ptr<Program> program_;
    std::vector<QUrl> openedUrls_;
    std::shared_ptr<MessageBoxes> messages_;
    SoundPlayer* soundPlayer_ = nullptr;  // null: the audio-device player
    QTemporaryDir keptDir_;
    int runs_ = 0;
};

}  // namespace qivra::testing
