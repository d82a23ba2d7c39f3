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

}  // namespace qivra
