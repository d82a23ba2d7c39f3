#include "ui/message_boxes.hpp"

#include <QMessageBox>

namespace qivra {

namespace {

MessageBoxes::Answer Refusal(MessageBoxes::Buttons buttons) {
    switch (buttons) {
        case MessageBoxes::Buttons::OkCancel:
            return MessageBoxes::Answer::Cancel;
        case MessageBoxes::Buttons::YesNo:
            return MessageBoxes::Answer::No;
        case MessageBoxes::Buttons::Ok:
            break;
    }
    return MessageBoxes::Answer::Ok;
}
}  // namespace

MessageBoxes::Answer MessageBoxes::Show(QWidget* parent, const QString& title, const QString& text, Icon icon,
                                        Buttons buttons) {
    if (testMode_) {
        shown_.push_back({title, text, icon, buttons});
        if (answers_.empty()) return Refusal(buttons);
        const Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }

    QMessageBox box(parent);
    box.setWindowTitle(title);
    // Texts quote outside words (a published version, a store's error): never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(icon == Icon::Information ? QMessageBox::Information
                : icon == Icon::Question  ? QMessageBox::Question
                                          : QMessageBox::NoIcon);
    switch (buttons) {
        case Buttons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Ok);
            break;
        case Buttons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case Buttons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Refusal(buttons);
    }
}

void MessageBoxes::SetNextAnswers(std::deque<Answer> answers) {
    testMode_ = true;
    answers_ = std::move(answers);
}

void MessageBoxes::EndTestMode() {
    testMode_ = false;
    answers_.clear();
    shown_.clear();
}

}  // namespace qivra
