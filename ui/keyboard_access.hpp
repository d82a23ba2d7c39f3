#pragma once
// What the keyboard and assistive technology need beyond Qt's own: Enter pressing a button as
// Space does, a press action for the program's own clickable controls, and names a person can
// read for the controls that show no text of their own.

#include <QString>

class QAbstractButton;
class QWidget;

namespace qivra {

struct ControlRow;

// Registers the accessibility of HyperLinker and of clickable labels; once per process.
void InstallClickableAccessibility();

// Enter and Return on the button act as Space: a click (a check box toggles).
void MakeEnterClick(QAbstractButton* button);

// The name read out for a control of a layout row: empty where the control's own text serves
// (buttons, boxes, labels, links keep it current themselves).
QString AccessibleNameFor(const ControlRow& row);

}  // namespace qivra
