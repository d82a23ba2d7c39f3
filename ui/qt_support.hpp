#pragma once
// Small bridges between the program's own types and Qt: fonts, colours, window flags.

#include <QColor>
#include <QFont>
#include <QString>
#include <string_view>

#include "core/colour.hpp"
#include "ui/qt_text.hpp"

class QWidget;

namespace qivra {

// The layout's face is absent outside its home platform; map it (under both of its names) onto a
// CJK face that also draws Latin text. The program's main calls this once before any window.
void InstallFontSubstitutions();

// The layout font: "Microsoft YaHei" at a pixel height, normal or bold.
QFont LayoutFont(int pixelHeight = 12, bool bold = false);

inline QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }
inline Rgb ToRgb(const QColor& c) {
    return Rgb{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}


// Foreground and background of a plain widget through its palette (cheap, readable back).
void SetTextColour(QWidget* w, const QColor& colour);
void SetBackground(QWidget* w, const QColor& colour);
QColor TextColourOf(const QWidget* w);
QColor BackgroundOf(const QWidget* w);

// Always-on-top for a top-level window; keeps it shown if it was.
void SetAlwaysOnTop(QWidget* window, bool on);

}  // namespace qivra
