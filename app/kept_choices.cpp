#include "app/kept_choices.hpp"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <vector>

#include "ui/qt_support.hpp"
#include "ui/qt_text.hpp"

namespace qivra {
namespace {

// Bumped only if a kept value changes meaning; a file of another format is not read.
const char kFormatKey[] = "format";
const char kFormat[] = "1";

// One kept choice: its key in the file, how a text read back is applied (false: refused, the
// choice keeps its value) and how the choice is written.
struct Entry {
    const char* key;
    std::function<bool(const QString&, UserChoices&)> read;
    std::function<QString(const UserChoices&)> write;
};

std::optional<int> IntIn(const QString& text, int low, int high) {
    static const QRegularExpression form(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!form.match(text).hasMatch()) return std::nullopt;
    const int v = text.toInt();
    if (v < low || v > high) return std::nullopt;
    return v;
}

Entry Index(const char* key, int UserChoices::*field, int low, int high) {
    return {key,
            [field, low, high](const QString& t, UserChoices& c) {
                const auto v = IntIn(t, low, high);
                if (v) c.*field = *v;
                return v.has_value();
            },
            [field](const UserChoices& c) { return QString::number(c.*field); }};
}

Entry Flag(const char* key, std::function<bool&(UserChoices&)> field) {
    return {key,
            [field](const QString& t, UserChoices& c) {
                if (t != QLatin1String("true") && t != QLatin1String("false")) return false;
                field(c) = t == QLatin1String("true");
                return true;
            },
            [field](const UserChoices& c) {
                UserChoices copy = c;
                return field(copy) ? QStringLiteral("true") : QStringLiteral("false");
            }};
}

// A number the user types: kept as typed, if it is a plain whole number the box could hold.
Entry Number(const char* key, std::string UserChoices::*field, int low, int high) {
    return {key,
            [field, low, high](const QString& t, UserChoices& c) {
                if (!IntIn(t, low, high)) return false;
                c.*field = ToUtf8(t);
                return true;
            },
            [field](const UserChoices& c) { return ToQString(c.*field); }};
}

// One of the period counts of 组合框4 and 组合框5.
Entry PeriodCount(const char* key, std::string UserChoices::*field) {
    return {key,
            [field](const QString& t, UserChoices& c) {
                const auto v = IntIn(t, 20, 100);
                if (!v || *v % 10 != 0 || t.startsWith(QLatin1Char('0'))) return false;
                c.*field = ToUtf8(t);
                return true;
            },
            [field](const UserChoices& c) { return ToQString(c.*field); }};
}

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = [] {
        std::vector<Entry> e = {
            Index("game", &UserChoices::game, kGamePc28, kGameCanada28),
            Flag("prompts/announceDraws", [](UserChoices& c) -> bool& { return c.announceDraws; }),
            Flag("prompts/sound", [](UserChoices& c) -> bool& { return c.promptSounds; }),
            Index("marking/metric", &UserChoices::markMetric, 0, 4),
            Index("marking/comparison", &UserChoices::markComparison, 0, 3),
            Number("marking/threshold", &UserChoices::markThreshold, -999999, 999999),
            {"marking/colour",
             [](const QString& t, UserChoices& c) {
                 static const QRegularExpression form(QStringLiteral("^#[0-9a-fA-F]{6}$"));
                 if (!form.match(t).hasMatch()) return false;
                 c.markColour = ToRgb(QColor(t));
                 return true;
             },
             [](const UserChoices& c) { return ToQColor(c.markColour).name(); }},
            Flag("marking/auto", [](UserChoices& c) -> bool& { return c.autoMark; }),
            PeriodCount("marking/periods", &UserChoices::markWindow),
            Number("alarm/threshold", &UserChoices::streakThreshold, 0, 999999),
            Flag("alarm/sound", [](UserChoices& c) -> bool& { return c.streakSound; }),
            Flag("alarm/balloon", [](UserChoices& c) -> bool& { return c.streakBalloon; }),
            Flag("alarm/pairs", [](UserChoices& c) -> bool& { return c.streakPairs; }),
            Index("custom/kind", &UserChoices::startCustomKind, 1, 8),
            PeriodCount("custom/periods", &UserChoices::statsWindow),
            Index("custom/generator", &UserChoices::generatorMode, 0, 1),
            Index("custom/criterion", &UserChoices::searchCriterion, 0, 3),
            Number("custom/threshold", &UserChoices::searchThreshold, -999999, 999999),
            Index("significance/kind", &UserChoices::significanceKind, 0, 8),
            PeriodCount("significance/periods", &UserChoices::significanceWindow),
        };
        static const char* const kFamilies[] = {"alarm/family1", "alarm/family2", "alarm/family3", "alarm/family4",
                                                "alarm/family5", "alarm/family6", "alarm/family7"};
        for (size_t i = 0; i < 7; ++i)
            e.push_back(Flag(kFamilies[i], [i](UserChoices& c) -> bool& { return c.streakFamilies[i]; }));
        return e;
    }();
    return entries;
}

}  // namespace

QString DefaultKeptChoicesPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Qivra28/Qivra28.conf");
}

KeptChoices ReadKeptChoices(const QString& path, const UserChoices& initial) {
    KeptChoices kept;
    kept.choices = initial;
    const QFileInfo info(path);
    if (!info.exists()) return kept;
    {
        // QSettings reads an unreadable file as an empty one; ask first.
        QFile probe(path);
        if (!info.isFile() || !probe.open(QIODevice::ReadOnly)) {
            kept.state = KeptFileState::Unreadable;
            return kept;
        }
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        kept.state = file.status() == QSettings::AccessError ? KeptFileState::Unreadable : KeptFileState::Damaged;
        return kept;
    }
    // Whatever parses as INI but was not written by this program (another format, a stray
    // file) is damaged as far as the program can tell.
    if (file.value(QLatin1String(kFormatKey)).toString() != QLatin1String(kFormat)) {
        kept.state = KeptFileState::Damaged;
        return kept;
    }
    kept.state = KeptFileState::Read;
    for (const Entry& entry : Entries()) {
        const QVariant value = file.value(QLatin1String(entry.key));
        if (!value.isValid()) continue;
        // A list or a group under the key is no value of ours.
        if (value.typeId() != QMetaType::QString || !entry.read(value.toString(), kept.choices))
            std::fprintf(stderr, "qivra28: kept choice %s ignored: out of range\n", entry.key);
    }
    const std::optional<int> x = IntIn(file.value(QStringLiteral("window/x")).toString(), -100000, 100000);
    const std::optional<int> y = IntIn(file.value(QStringLiteral("window/y")).toString(), -100000, 100000);
    if (x && y) kept.windowPosition = QPoint(*x, *y);
    return kept;
}

bool WriteKeptChoices(const QString& path, const UserChoices& choices, std::optional<QPoint> windowPosition) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) return false;
    // Written beside the file and renamed over it: a kill mid-write leaves the old file, and a
    // damaged old file (which QSettings refuses to write over) is replaced whole.
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    {
        QSettings file(temporary, QSettings::IniFormat);
        file.clear();
        file.setValue(QLatin1String(kFormatKey), QLatin1String(kFormat));
        for (const Entry& entry : Entries()) file.setValue(QLatin1String(entry.key), entry.write(choices));
        if (windowPosition) {
            file.setValue(QStringLiteral("window/x"), QString::number(windowPosition->x()));
            file.setValue(QStringLiteral("window/y"), QString::number(windowPosition->y()));
        }
        file.sync();
        if (file.status() != QSettings::NoError) {
            QFile::remove(temporary);
            return false;
        }
    }
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

bool SameKeptChoices(const UserChoices& a, const UserChoices& b) {
    for (const Entry& entry : Entries())
        if (entry.write(a) != entry.write(b)) return false;
    return true;
}

}  // namespace qivra
