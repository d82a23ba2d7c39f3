#pragma once
// The draw archive: every draw the program has seen, one row per game and period, in one
// SQLite file beside the cookie store. Merges run in one transaction each; a period already
// archived is never overwritten — other digits for it are kept aside as a conflict.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/draw.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace qivra {

inline constexpr std::string_view kArchiveFileName = "archive.sqlite";

// The user's data folder's archive.sqlite, beside the cookie store.
std::filesystem::path DefaultArchivePath();

struct ArchivedDraw {
    int64_t period = 0;
    std::string drawnAt;  // local "YYYY-MM-DD HH:MM:SS"
    int32_t digit1 = 0;
    int32_t digit2 = 0;
    int32_t digit3 = 0;
    int32_t sum() const { return digit1 + digit2 + digit3; }
    bool SameDigits(const ArchivedDraw& o) const {
        return digit1 == o.digit1 && digit2 == o.digit2 && digit3 == o.digit3;
    }
    friend bool operator==(const ArchivedDraw&, const ArchivedDraw&) = default;
};

// A feed's records as archive rows, newest first as the feed gives them. Periods must be
// integer texts. A feed gives the time of day only (game 0 "HH:MM", game 1 "HH:MM:SS"), so the
// date is found from `now` (local "YYYY-MM-DD HH:MM:SS"): the newest draw lies on today unless
// its time is more than 15 minutes after now's, and each older draw whose time of day is later
// than its newer neighbour's lies a day earlier. A time that already carries a date is taken as
// it is; a time that cannot be read takes its newer neighbour's date-time. Records whose
// period is not an integer text or whose digits are not 0-9 are left out and counted.
struct FeedRows {
    std::vector<ArchivedDraw> rows;
    int invalid = 0;
};
FeedRows ArchiveRowsFromFeed(const DrawHistory& history, std::string_view now);

enum class MergeMode {
    KeepConflicts,   // a feed: other digits are set aside and counted, the rest merged
    RefuseConflicts  // an import: any other digits for an archived period refuse the whole merge
};

struct MergeResult {
    int inserted = 0;
    int unchanged = 0;       // already archived with the same digits (or repeated in the input)
    int conflicts = 0;       // already archived with other digits; the archived row stays
    int newConflicts = 0;    // of those, digits not seen before for that period
    int invalid = 0;         // rows with digits outside 0-9 or a period below 1, left out
    // With RefuseConflicts: the index of the first row that conflicts; nothing was merged.
    std::optional<size_t> refusedAt;
    std::string error;  // the database failed; nothing was merged
    bool ok() const { return error.empty() && !refusedAt; }
};

struct ArchiveOpenReport {
    enum class Outcome {
        Opened,           // an existing archive passed its check
        Created,          // no archive yet: a new one
        ReplacedDamaged,  // the archive failed its check, was moved aside, and a new one started
        Failed            // no archive could be opened
    };
    Outcome outcome = Outcome::Failed;
    std::string damage;               // what the check found (ReplacedDamaged)
    std::filesystem::path movedTo;    // where the damaged file now lies (ReplacedDamaged)
    std::string error;                // why nothing could be opened (Failed)
    // The message for the user; empty when there is nothing to tell.
    std::string Message() const;
};

struct GameSummary {
    int64_t draws = 0;
    int64_t firstPeriod = 0;  // 0 when the game has no draws
    int64_t lastPeriod = 0;
    std::string firstDrawnAt;
    std::string lastDrawnAt;
    int64_t conflicts = 0;  // distinct other digits seen for archived periods
    int64_t missing = 0;    // periods between the first and the last that are not archived
};

// Missing periods first..last, both included.
struct PeriodGap {
    int64_t first = 0;
    int64_t last = 0;
    friend bool operator==(const PeriodGap&, const PeriodGap&) = default;
};

struct ArchivedConflict {
    ArchivedDraw archived;
    ArchivedDraw seen;
};

// One connection: use an archive object from one thread at a time. A worker (a backtest)
// opens its own on the same path; WAL lets it read while the program merges.
class DrawArchive {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    struct Opening {
        std::unique_ptr<DrawArchive> archive;  // null when report.outcome is Failed
        ArchiveOpenReport report;
    };

    // Opens (or creates) the archive, checking an existing file first. A file that fails the
    // check — not a database, damaged pages, not this program's tables — is renamed with its
    // -wal and -shm to "<name>.damaged-YYYYMMDD-HHMMSS" (the clock's local time; "-2", "-3"…
    // when that name is taken) and a new archive starts. Nothing is deleted or overwritten. A
    // file that cannot be read, or that a later version of the program wrote, fails the open
    // and stays as it is.
    static Opening Open(const std::filesystem::path& path = DefaultArchivePath(), Clock clock = {});

    ~DrawArchive();
    DrawArchive(const DrawArchive&) = delete;
    DrawArchive& operator=(const DrawArchive&) = delete;

    const std::filesystem::path& path() const { return path_; }

    MergeResult Merge(int game, const std::vector<ArchivedDraw>& rows, MergeMode mode = MergeMode::KeepConflicts);
    // A parsed feed (newest first); now is the local date-time the feed was fetched.
    MergeResult Merge(int game, const DrawHistory& feed, std::string_view now);

    GameSummary Summary(int game) const;
    // The first `limit` stretches of missing periods between the game's first and last, oldest first.
    std::vector<PeriodGap> Gaps(int game, size_t limit = 1000) const;
    std::vector<ArchivedConflict> Conflicts(int game) const;
    std::optional<ArchivedDraw> Find(int game, int64_t period) const;

    // Reads, oldest first.
    std::vector<ArchivedDraw> ReadAll(int game) const;
    std::vector<ArchivedDraw> ReadLast(int game, int64_t count) const;
    // Draws whose date-time lies in from..to (normalized texts, both included).
    std::vector<ArchivedDraw> ReadBetween(int game, std::string_view from, std::string_view to) const;
    std::vector<ArchivedDraw> ReadPeriods(int game, int64_t firstPeriod, int64_t lastPeriod) const;

    // The full check run at open: "" when the database and its tables are sound.
    std::string Check(bool full = false) const;

private:
    DrawArchive(sqlite3* db, std::filesystem::path path);
    std::vector<ArchivedDraw> Read(const char* sql, const std::function<void(sqlite3_stmt*)>& bind,
                                   int64_t expected = 0) const;

    sqlite3* db_ = nullptr;
    std::filesystem::path path_;
};

}  // namespace qivra
