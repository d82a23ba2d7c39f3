// Archive CSV imports: a file is either refused whole, naming a line of it, or read as rows that
// are all sound and that an export writes back to the same rows.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "archive/archive_csv.hpp"
#include "archive/date_time.hpp"
#include "fuzz_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const qivra::CsvParseResult parsed = qivra::ParseArchiveCsv(bytes);
    if (!parsed.ok()) {
        QIVRA_FUZZ_CHECK(parsed.rows.empty());
        QIVRA_FUZZ_CHECK(!parsed.reason.empty());
        QIVRA_FUZZ_CHECK(parsed.line >= 0);
        return 0;
    }
    QIVRA_FUZZ_CHECK(!parsed.rows.empty());
    QIVRA_FUZZ_CHECK(parsed.rows.size() == parsed.lines.size());
    std::set<int64_t> periods;
    for (const qivra::ArchivedDraw& d : parsed.rows) {
        QIVRA_FUZZ_CHECK(d.period >= 1);
        QIVRA_FUZZ_CHECK(d.digit1 >= 0 && d.digit1 <= 9 && d.digit2 >= 0 && d.digit2 <= 9 && d.digit3 >= 0 &&
                         d.digit3 <= 9);
        QIVRA_FUZZ_CHECK(qivra::NormalizeDateTime(d.drawnAt) == d.drawnAt);
        QIVRA_FUZZ_CHECK(periods.insert(d.period).second);
    }
    const qivra::CsvParseResult again = qivra::ParseArchiveCsv(qivra::ArchiveCsvText(parsed.rows));
    QIVRA_FUZZ_CHECK(again.ok());
    QIVRA_FUZZ_CHECK(again.rows == parsed.rows);
    return 0;
}
