#pragma once
// Every message box of the program goes through one MessageBoxes, which the program owns and
// hands to whoever shows a box, so tests can answer them in advance.

#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace qivra {

class MessageBoxes {
public:
    enum class Icon { None, Information, Question };
    enum class Buttons { Ok, OkCancel, YesNo };
    // The values are the platform's classic button identifiers.
    enum class Answer : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    struct Shown {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    // Modal box; returns the button pressed. Closing the box without a button gives the
    // refusing answer (Cancel, No) or Ok when Ok is the only button.
    Answer Show(QWidget* parent, const QString& title, const QString& text, Icon icon = Icon::None,
                Buttons buttons = Buttons::Ok);

    // Test mode: from now on no box opens; Show records what it would show and returns the next
    // queued answer, or the refusing answer once the queue is empty.
    void SetNextAnswers(std::deque<Answer> answers);
    void EndTestMode();
    bool InTestMode() const { return testMode_; }
    const std::vector<Shown>& ShownBoxes() const { return shown_; }
    void ClearShown() { shown_.clear(); }

private:
    bool testMode_ = false;
    std::deque<Answer> answers_;
    std::vector<Shown> shown_;
};

}  // namespace qivra
