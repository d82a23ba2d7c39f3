#pragma once
// One game's archive as CSV: a header, then one "period,date-time,d1,d2,d3,sum" row per draw,
// oldest first, UTF-8. Imports read UTF-8 (with or without a byte-order mark) or GBK, and are
// all or nothing: the first bad row refuses the whole file with its line number and reason.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "archive/draw_archive.hpp"

namespace qivra {

inline constexpr std::string_view kArchiveCsvHeader = "period,date-time,d1,d2,d3,sum";

enum class CsvProblem {
    None,
    Unreadable,            // the file could not be read
    Encoding,              // neither UTF-8 nor GBK text
    NoRows,                // no draw in the file
    ShortRow,              // fewer than six fields
    LongRow,               // more than six fields
    BadPeriod,             // not a positive integer
    BadDateTime,           // not a date and time of day
    BadDigit,              // a digit field that is not one digit 0-9
    SumMismatch,           // the sum field is not d1 + d2 + d3
    DuplicateInFile,       // a period twice in the file with other digits
    ConflictsWithArchive,  // a period archived with other digits
};

struct CsvParseResult {
    std::vector<ArchivedDraw> rows;  // oldest first as the file has them; repeats left out
    std::vector<int> lines;          // the 1-based line of each row
    CsvProblem problem = CsvProblem::None;
    int line = 0;                    // the refused line (0 for the whole file)
    std::string reason;              // what is wrong with it, for the user
    bool ok() const { return problem == CsvProblem::None; }
    // "第 12 行：号码不是 0-9 的数字" — the refusal as the user reads it; empty when ok.
    std::string Message() const;
};

CsvParseResult ParseArchiveCsv(std::string_view bytes);
std::string ArchiveCsvText(const std::vector<ArchivedDraw>& oldestFirst);

struct CsvImportResult {
    CsvParseResult parse;  // the refusal, if any; rows as read
    MergeResult merge;     // what the archive took (nothing when refused)
    bool ok() const { return parse.ok() && merge.ok(); }
    std::string Message() const;
};

// Reads a CSV file and merges it into one game in one transaction, refusing the whole file
// when any row is bad or conflicts with an archived period.
CsvImportResult ImportArchiveCsv(DrawArchive& archive, int game, const std::filesystem::path& file);

struct CsvExportResult {
    int64_t rows = 0;
    std::string error;  // empty on success
    bool ok() const { return error.empty(); }
};

// Writes every archived draw of a game through a temporary file in the target's folder,
// flushed, then renamed over the target: a failed export leaves the target as it was.
CsvExportResult ExportArchiveCsv(const DrawArchive& archive, int game, const std::filesystem::path& file);

// The same atomic replacement for any bytes; "" on success, otherwise why it failed.
std::string WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes);

}  // namespace qivra
