// Hostile texts from the results service: the configuration's fields and the feed's fields are
// shown exactly as written, nothing they name is loaded, and the program carries on.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>

#include <string>
#include <vector>

#include "program_fixture.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "ui/egrid.hpp"
#include "ui/streak_alarm_window.hpp"
#include "ui/qt_support.hpp"

namespace qivra::testing {
namespace {

struct Hostile {
    const char* name;
    std::string text;
};

// Markup, an image whose source is an endless device, a very long line, control characters.
// None holds a '-' or a line end, so each also fits a feed field.
std::vector<Hostile> HostileTexts() {
    return {
        {"markup", "<b>粗</b><font color=\"red\" size=\"7\">大</font><table><tr><td>x</td></tr></table>"},
        {"image of /dev/zero", "<img src=\"/dev/zero\">"},
        {"image of /dev/urandom", "<html><img src=\"file:///dev/urandom\" width=9999 height=9999></html>"},
        {"long line", "<i>" + std::string(64 * 1024, 'w') + "</i>"},
        {"control characters", "\x01\x07\x1b[31m\t\x7f<br>&amp;&lt;"},
    };
}

using OutsideText = ProgramFixture;

TEST_F(OutsideText, ConfigurationFieldsShowLiterally) {
    std::vector<Hostile> texts = HostileTexts();
    // Laid out whole, megabytes of one line would hold the window for minutes: the controls
    // show its beginning.
    texts.push_back({"megabytes of one line", "<p>" + std::string(4 * 1024 * 1024, 'm')});
    for (const Hostile& h : texts) {
        SCOPED_TRACE(h.name);
        const std::string notes = h.text + "\r\n" + h.text;
        service_->SetNotice(h.text);
        service_->SetUpdateNotes(notes);
        StartAndWaitForFirstRefresh();
        auto* notice = Control<QLabel>("标签8");
        EXPECT_EQ(notice->text(), ToQString(h.text).left(kMaxShownCharacters));
        EXPECT_EQ(notice->textFormat(), Qt::PlainText);
        EXPECT_EQ(Control<QPlainTextEdit>("编辑框2")->toPlainText(),
                  ToQString(notes).left(kMaxShownCharacters).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        // Painted: a label reading markup would load the image here.
        EXPECT_FALSE(window().grab().isNull());
        EXPECT_EQ(program_->State().history.size(), 110);
        program_.reset();
    }
}

TEST_F(OutsideText, PublishedVersionIsQuotedLiterally) {
    for (const Hostile& h : HostileTexts()) {
        SCOPED_TRACE(h.name);
        service_->SetPublishedVersion(h.text);
        messages_->ClearShown();
        EXPECT_FALSE(StartProgram());
        ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
        EXPECT_TRUE(messages_->ShownBoxes()[0].text.contains(QString::fromUtf8("最新版本：") + ToQString(h.text) + QStringLiteral("\r\n")));
        program_.reset();
    }
}

// A feed of game 1 whose newest draw carries the given period and time fields.
std::string FeedWithNewest(const std::string& period, const std::string& time) {
    std::string body = period + "-" + time + "-1+2+3\r\n";
    for (int i = 1; i < 110; ++i) body += std::to_string(3000000 - i) + "-13:" + std::to_string(10 + i % 50) + ":00-4+5+6\r\n";
    return body;
}

TEST_F(OutsideText, FeedFieldsShowLiterallyInEveryView) {
    StartAndWaitForFirstRefresh();
    // Everything that shows a draw is on: the popup, the streak alarm, custom forecasts.
    QTest::mouseClick(Control<QCheckBox>("选择框1"), Qt::LeftButton);
    QTest::mouseClick(Control<QCheckBox>("选择框3"), Qt::LeftButton);
    ASSERT_TRUE(program_->Alerts().StreakAlarmOpen());
    auto* caption = Control<QLabel>("标签1");
    for (const Hostile& h : HostileTexts()) {
        SCOPED_TRACE(h.name);
        program_->FinishRefresh(1, FeedWithNewest(h.text, h.text));
        ASSERT_EQ(program_->State().history.newest().period, h.text);
        const QString text = ToQString(h.text);
        EXPECT_EQ(caption->text(), QString::fromUtf8("加拿大28 第") + text + QString::fromUtf8("期"));
        EXPECT_EQ(caption->textFormat(), Qt::PlainText);
        EXPECT_TRUE(window().windowTitle().contains(text));
        EXPECT_EQ(Control<EGrid>("高级表格1")->CellText(1, 0), text);
        EXPECT_EQ(Control<EGrid>("高级表格3")->CellText(1, 0), text);
        for (const char* name : {"高级表格2", "高级表格4"}) EXPECT_EQ(Control<EGrid>(name)->CellText(2, 0), text) << name;
        DrawPopup* popup = program_->Alerts().Popup();
        ASSERT_NE(popup, nullptr);
        for (QLabel* label : popup->findChildren<QLabel*>()) EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_FALSE(window().grab().isNull());
        EXPECT_FALSE(popup->grab().isNull());
        EXPECT_FALSE(program_->Alerts().StreakAlarm()->grab().isNull());
        program_->Alerts().CloseDrawPopup();
    }
    // The next good feed takes over as usual.
    RefreshAndWait();
    EXPECT_NE(program_->State().history.newest().period, HostileTexts().back().text);
}

}  // namespace
}  // namespace qivra::testing
