#pragma once
// The one bridge between the pure layers' UTF-8 std::string and Qt's QString.

#include <QString>

#include <string>
#include <string_view>

namespace qivra {

inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string ToUtf8(const QString& text) { return text.toStdString(); }

// Outside text (a published notice, update notes) as a control shows it: at most this many
// characters, the rest cut, never inside a surrogate pair. Qt lays out one unbroken line in
// worse than linear time: a megabyte of it would hold the window for minutes.
inline constexpr qsizetype kMaxShownCharacters = 16 * 1024;

inline QString ToShownText(std::string_view utf8) {
    QString text = ToQString(utf8.substr(0, static_cast<size_t>(kMaxShownCharacters) * 4));
    if (text.size() <= kMaxShownCharacters) return text;
    qsizetype cut = kMaxShownCharacters;
    if (text.at(cut - 1).isHighSurrogate()) --cut;
    text.truncate(cut);
    return text;
}

}  // namespace qivra
