// The kept-choices file: whatever it holds, reading it gives choices the controls can show
// (every value in its range), and writing those back reads as the same choices.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

#include "app/kept_choices.hpp"
#include "fuzz_check.hpp"

namespace {

bool PeriodText(const std::string& t) {
    for (int n = 20; n <= 100; n += 10)
        if (t == std::to_string(n)) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Qivra28.conf"));
    const QString again = dir.filePath(QStringLiteral("again.conf"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const qivra::UserChoices initial;
    const qivra::KeptChoices read = qivra::ReadKeptChoices(path, initial);
    QIVRA_FUZZ_CHECK(read.state != qivra::KeptFileState::Missing);
    const qivra::UserChoices& c = read.choices;
    if (read.state != qivra::KeptFileState::Read) QIVRA_FUZZ_CHECK(c == initial);
    QIVRA_FUZZ_CHECK(c.game == 0 || c.game == 1);
    QIVRA_FUZZ_CHECK(c.markMetric >= 0 && c.markMetric <= 4);
    QIVRA_FUZZ_CHECK(c.markComparison >= 0 && c.markComparison <= 3);
    QIVRA_FUZZ_CHECK(c.generatorMode >= 0 && c.generatorMode <= 1);
    QIVRA_FUZZ_CHECK(c.searchCriterion >= 0 && c.searchCriterion <= 3);
    QIVRA_FUZZ_CHECK(c.significanceKind >= 0 && c.significanceKind <= 8);
    QIVRA_FUZZ_CHECK(PeriodText(c.markWindow) && PeriodText(c.statsWindow) && PeriodText(c.significanceWindow));

    QFile::remove(again);
    QIVRA_FUZZ_CHECK(qivra::WriteKeptChoices(again, c, read.windowPosition));
    const qivra::KeptChoices back = qivra::ReadKeptChoices(again, initial);
    QIVRA_FUZZ_CHECK(back.state == qivra::KeptFileState::Read);
    QIVRA_FUZZ_CHECK(qivra::SameKeptChoices(back.choices, c));
    QIVRA_FUZZ_CHECK(back.windowPosition == read.windowPosition);
    return 0;
}
