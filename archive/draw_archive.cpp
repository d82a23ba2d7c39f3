#include "archive/draw_archive.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <system_error>

#include "archive/date_time.hpp"
#include "core/text.hpp"
#include "net/cookie_store.hpp"

namespace qivra {
namespace {

namespace fs = std::filesystem;

// "Q28A": marks the file as this program's archive.
constexpr int kApplicationId = 0x51323841;
constexpr int kSchemaVersion = 1;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS draws("
    " game INTEGER NOT NULL, period INTEGER NOT NULL, drawn_at TEXT NOT NULL,"
    " d1 INTEGER NOT NULL CHECK(d1 BETWEEN 0 AND 9), d2 INTEGER NOT NULL CHECK(d2 BETWEEN 0 AND 9),"
    " d3 INTEGER NOT NULL CHECK(d3 BETWEEN 0 AND 9), sum INTEGER NOT NULL CHECK(sum = d1 + d2 + d3),"
    " PRIMARY KEY(game, period)) WITHOUT ROWID;"
    "CREATE INDEX IF NOT EXISTS draws_by_time ON draws(game, drawn_at);"
    // Other digits seen for an archived period, each set once; the archived row never changes.
    "CREATE TABLE IF NOT EXISTS conflicts("
    " game INTEGER NOT NULL, period INTEGER NOT NULL, drawn_at TEXT NOT NULL,"
    " d1 INTEGER NOT NULL, d2 INTEGER NOT NULL, d3 INTEGER NOT NULL, first_seen TEXT NOT NULL,"
    " PRIMARY KEY(game, period, d1, d2, d3)) WITHOUT ROWID;";

struct TableShape {
    const char* name;
    std::vector<std::string> columns;
};
const TableShape kTables[] = {
    {"draws", {"game", "period", "drawn_at", "d1", "d2", "d3", "sum"}},
    {"conflicts", {"game", "period", "drawn_at", "d1", "d2", "d3", "first_seen"}},
};

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }
    Statement& Bind(int i, int64_t v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    Statement& Bind(int i, std::string_view v) {
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    void Reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }
    std::string Text(int col) const {
        const unsigned char* t = sqlite3_column_text(stmt_, col);
        return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_column_bytes(stmt_, col)))
                 : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool Exec(sqlite3* db, const char* sql, std::string* error = nullptr) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK && error) *error = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

int64_t SingleInt(sqlite3* db, const char* sql, int64_t fallback = -1) {
    Statement s(db, sql);
    return s.Step() == SQLITE_ROW ? s.Int(0) : fallback;
}

void Close(sqlite3* db) {
    if (db) sqlite3_close_v2(db);
}

bool IsDamageCode(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT || primary == SQLITE_FORMAT;
}

// The start of the check's report (which can list a hundred damaged cells), on one line.
std::string Brief(std::string_view report) {
    std::string line = ReplaceAll(Trim(report.substr(0, 200)), "\n", "; ");
    return report.size() > 200 ? line + " …" : line;
}

// Whether the tables of a sound database are this program's: "" when they are (or the file is
// empty), otherwise what is wrong.
std::string SchemaProblem(sqlite3* db) {
    const int64_t tables = SingleInt(db, "SELECT count(*) FROM sqlite_schema");
    const int64_t application = SingleInt(db, "PRAGMA application_id");
    const int64_t version = SingleInt(db, "PRAGMA user_version");
    if (tables == 0 && application == 0 && version == 0) return {};
    if (application != kApplicationId) return "不是本程序的开奖存档";
    if (version != kSchemaVersion) return "存档版本 " + std::to_string(version) + " 不可识别";  // see CheckFile
    for (const TableShape& table : kTables) {
        Statement s(db, (std::string("PRAGMA table_info(") + table.name + ")").c_str());
        std::vector<std::string> columns;
        while (s.Step() == SQLITE_ROW) columns.push_back(s.Text(1));
        if (columns != table.columns) return std::string("表 ") + table.name + " 的结构不对";
    }
    return {};
}

struct FileCheck {
    std::string damage;  // the file is not a sound archive
    std::string error;   // the file could not be checked at all
};

// Checks an existing file through a read-only connection, so that nothing is written into a
// damaged file (a writer would replay its journal on close).
FileCheck CheckFile(const fs::path& path, bool full) {
    FileCheck result;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        (IsDamageCode(rc) ? result.damage : result.error) = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        Close(db);
        return result;
    }
    sqlite3_busy_timeout(db, 5000);
    {
        Statement check(db, full ? "PRAGMA integrity_check" : "PRAGMA quick_check");
        rc = check.ok() ? check.Step() : sqlite3_errcode(db);
        if (rc == SQLITE_ROW) {
            const std::string first = check.Text(0);
            if (first != "ok") result.damage = "数据库检查未通过：" + Brief(first);
        } else if (IsDamageCode(rc)) {
            result.damage = sqlite3_errmsg(db);
        } else {
            result.error = sqlite3_errmsg(db);
        }
    }
    if (result.damage.empty() && result.error.empty()) {
        // A later version's archive is sound, only not ours to read: leave it where it is.
        const int64_t version = SingleInt(db, "PRAGMA user_version");
        if (SingleInt(db, "PRAGMA application_id") == kApplicationId && version > kSchemaVersion)
            result.error = "存档由更新版本的程序写入（版本 " + std::to_string(version) + "）";
        else
            result.damage = SchemaProblem(db);
    }
    Close(db);
    return result;
}

std::string DatedSuffix(std::chrono::system_clock::time_point moment) {
    const std::time_t t = std::chrono::system_clock::to_time_t(moment);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

// Renames without ever replacing an existing file.
bool RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: a hard link fails on an existing name, then the old name goes.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    return ::unlink(from.c_str()) == 0;
}

// Moves the archive and its -wal and -shm aside under one free dated name; the companions keep
// their suffixes so the three still open together.
std::optional<fs::path> MoveAside(const fs::path& path, std::chrono::system_clock::time_point now) {
    const std::string base = path.string() + ".damaged-" + DatedSuffix(now);
    for (int n = 1; n < 1000; ++n) {
        const fs::path target = n == 1 ? fs::path(base) : fs::path(base + "-" + std::to_string(n));
        std::error_code ec;
        if (fs::exists(target, ec) || fs::exists(target.string() + "-wal", ec) ||
            fs::exists(target.string() + "-shm", ec))
            continue;
        if (!RenameNoReplace(path, target)) {
            if (errno == EEXIST) continue;
            return std::nullopt;
        }
        for (const char* companion : {"-wal", "-shm"}) {
            const fs::path from = path.string() + companion;
            if (fs::exists(from, ec)) RenameNoReplace(from, target.string() + companion);
        }
        return target;
    }
    return std::nullopt;
}

ArchivedDraw RowOf(const Statement& s) {
    ArchivedDraw d;
    d.period = s.Int(0);
    d.drawnAt = s.Text(1);
    d.digit1 = static_cast<int32_t>(s.Int(2));
    d.digit2 = static_cast<int32_t>(s.Int(3));
    d.digit3 = static_cast<int32_t>(s.Int(4));
    return d;
}

bool ValidRow(const ArchivedDraw& d) {
    auto digit = [](int32_t v) { return v >= 0 && v <= 9; };
    return d.period >= 1 && digit(d.digit1) && digit(d.digit2) && digit(d.digit3) && !d.drawnAt.empty();
}

std::optional<int64_t> PeriodValue(std::string_view text) {
    const std::string t = Trim(text);
    if (t.empty() || t.size() > 18 || t.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    return std::stoll(t);
}

}  // namespace

fs::path DefaultArchivePath() { return CookieStore::DefaultPath().parent_path() / kArchiveFileName; }

FeedRows ArchiveRowsFromFeed(const DrawHistory& history, std::string_view now) {
    FeedRows out;
    const std::optional<std::string> nowText = NormalizeDateTime(now);
    std::string date = nowText ? nowText->substr(0, 10) : std::string("1970-01-01");
    const int nowSeconds = nowText ? *SecondsOfDay(nowText->substr(11)) : 0;
    std::optional<int> newerSeconds;
    std::string newerDrawnAt;
    for (const DrawRecord& r : history.records()) {
        const std::optional<int64_t> period = PeriodValue(r.period);
        ArchivedDraw d;
        d.digit1 = r.digit1;
        d.digit2 = r.digit2;
        d.digit3 = r.digit3;
        if (const auto full = NormalizeDateTime(Trim(r.time))) {
            d.drawnAt = *full;
            date = full->substr(0, 10);
            newerSeconds = SecondsOfDay(full->substr(11));
        } else if (const auto seconds = SecondsOfDay(Trim(r.time))) {
            if (!newerSeconds) {
                // Feeds run a little ahead of a slow local clock, never hours.
                if (*seconds - nowSeconds > 15 * 60) date = PreviousDate(date);
            } else if (*seconds > *newerSeconds) {
                date = PreviousDate(date);
            }
            newerSeconds = seconds;
            d.drawnAt = date + " " + ClockText(*seconds);
        } else {
            d.drawnAt = newerDrawnAt.empty() ? date + " " + ClockText(nowSeconds) : newerDrawnAt;
        }
        newerDrawnAt = d.drawnAt;
        if (!period) {
            ++out.invalid;
            continue;
        }
        d.period = *period;
        if (!ValidRow(d)) {
            ++out.invalid;
            continue;
        }
        out.rows.push_back(std::move(d));
    }
    return out;
}

std::string ArchiveOpenReport::Message() const {
    switch (outcome) {
        case Outcome::Opened:
        case Outcome::Created: return {};
        case Outcome::ReplacedDamaged:
            return "开奖存档已损坏（" + damage + "），已移至 " + movedTo.string() + "，并新建了存档。";
        case Outcome::Failed: return "无法打开开奖存档：" + error;
    }
    return {};
}

DrawArchive::DrawArchive(sqlite3* db, fs::path path) : db_(db), path_(std::move(path)) {}

DrawArchive::~DrawArchive() { Close(db_); }

DrawArchive::Opening DrawArchive::Open(const fs::path& path, Clock clock) {
    if (!clock) clock = [] { return std::chrono::system_clock::now(); };
    Opening opening;
    ArchiveOpenReport& report = opening.report;
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    if (ec) {
        report.error = path.parent_path().string() + ": " + ec.message();
        return opening;
    }
    const bool existed = fs::exists(path, ec);
    report.outcome = existed ? ArchiveOpenReport::Outcome::Opened : ArchiveOpenReport::Outcome::Created;
    if (existed) {
        const FileCheck check = CheckFile(path, false);
        if (!check.error.empty()) {
            report.outcome = ArchiveOpenReport::Outcome::Failed;
            report.error = check.error;
            return opening;
        }
        if (!check.damage.empty()) {
            const std::optional<fs::path> moved = MoveAside(path, clock());
            if (!moved) {
                report.outcome = ArchiveOpenReport::Outcome::Failed;
                report.error = check.damage + "；无法移走损坏的文件：" + std::strerror(errno);
                return opening;
            }
            report.outcome = ArchiveOpenReport::Outcome::ReplacedDamaged;
            report.damage = check.damage;
            report.movedTo = *moved;
        }
    }

    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto fail = [&](std::string why) {
        report.outcome = ArchiveOpenReport::Outcome::Failed;
        report.error = std::move(why);
        Close(db);
        return std::move(opening);
    };
    if (rc != SQLITE_OK) return fail(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_busy_timeout(db, 5000);
    std::string error;
    // WAL: a commit is one append, readers (a backtest) never block the merge. NORMAL
    // synchronisation keeps every commit through a killed process; a power cut may lose the
    // last commits but never damages the file.
    if (!Exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=OFF;", &error))
        return fail(error);
    // IF NOT EXISTS: a second copy of the program may be creating the same new file.
    if (SingleInt(db, "SELECT count(*) FROM sqlite_schema") == 0) {
        const std::string create = std::string("BEGIN IMMEDIATE;") + kSchema + "PRAGMA application_id=" +
                                   std::to_string(kApplicationId) + "; PRAGMA user_version=" +
                                   std::to_string(kSchemaVersion) + "; COMMIT;";
        if (!Exec(db, create.c_str(), &error)) {
            Exec(db, "ROLLBACK");
            return fail(error);
        }
    }
    if (std::string problem = SchemaProblem(db); !problem.empty()) return fail(problem);
    opening.archive.reset(new DrawArchive(db, path));
    return opening;
}

std::string DrawArchive::Check(bool full) const {
    const FileCheck check = CheckFile(path_, full);
    return check.error.empty() ? check.damage : check.error;
}

MergeResult DrawArchive::Merge(int game, const DrawHistory& feed, std::string_view now) {
    FeedRows rows = ArchiveRowsFromFeed(feed, now);
    MergeResult result = Merge(game, rows.rows);
    result.invalid += rows.invalid;
    return result;
}

MergeResult DrawArchive::Merge(int game, const std::vector<ArchivedDraw>& rows, MergeMode mode) {
    MergeResult result;
    std::string error;
    if (!Exec(db_, "BEGIN IMMEDIATE", &error)) {
        result.error = error;
        return result;
    }
    auto abandon = [&](std::string why) {
        Exec(db_, "ROLLBACK");
        MergeResult failed;
        failed.error = std::move(why);
        return failed;
    };
    Statement find(db_, "SELECT d1, d2, d3 FROM draws WHERE game = ?1 AND period = ?2");
    Statement insert(db_, "INSERT INTO draws(game, period, drawn_at, d1, d2, d3, sum) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    Statement conflict(db_,
                       "INSERT OR IGNORE INTO conflicts(game, period, drawn_at, d1, d2, d3, first_seen) "
                       "VALUES(?1, ?2, ?3, ?4, ?5, ?6, datetime('now', 'localtime'))");
    if (!find.ok() || !insert.ok() || !conflict.ok()) return abandon(sqlite3_errmsg(db_));
    for (size_t i = 0; i < rows.size(); ++i) {
        const ArchivedDraw& d = rows[i];
        if (!ValidRow(d)) {
            ++result.invalid;
            continue;
        }
        find.Bind(1, game).Bind(2, d.period);
        const int rc = find.Step();
        if (rc == SQLITE_ROW) {
            const bool same = find.Int(0) == d.digit1 && find.Int(1) == d.digit2 && find.Int(2) == d.digit3;
            find.Reset();
            if (same) {
                ++result.unchanged;
                continue;
            }
            if (mode == MergeMode::RefuseConflicts) {
                Exec(db_, "ROLLBACK");
                MergeResult refused;
                refused.refusedAt = i;
                return refused;
            }
            ++result.conflicts;
            conflict.Bind(1, game).Bind(2, d.period).Bind(3, d.drawnAt).Bind(4, d.digit1).Bind(5, d.digit2).Bind(6, d.digit3);
            if (conflict.Step() != SQLITE_DONE) return abandon(sqlite3_errmsg(db_));
            if (sqlite3_changes(db_) > 0) ++result.newConflicts;
            conflict.Reset();
            continue;
        }
        find.Reset();
        if (rc != SQLITE_DONE) return abandon(sqlite3_errmsg(db_));
        insert.Bind(1, game).Bind(2, d.period).Bind(3, d.drawnAt).Bind(4, d.digit1).Bind(5, d.digit2).Bind(6, d.digit3).Bind(
            7, d.sum());
        if (insert.Step() != SQLITE_DONE) return abandon(sqlite3_errmsg(db_));
        insert.Reset();
        ++result.inserted;
    }
    if (!Exec(db_, "COMMIT", &error)) return abandon(error);
    return result;
}

GameSummary DrawArchive::Summary(int game) const {
    GameSummary s;
    {
        Statement q(db_, "SELECT count(*), min(period), max(period) FROM draws WHERE game = ?1");
        q.Bind(1, game);
        if (q.Step() == SQLITE_ROW) {
            s.draws = q.Int(0);
            s.firstPeriod = q.Int(1);
            s.lastPeriod = q.Int(2);
        }
    }
    if (s.draws > 0) {
        if (auto first = Find(game, s.firstPeriod)) s.firstDrawnAt = first->drawnAt;
        if (auto last = Find(game, s.lastPeriod)) s.lastDrawnAt = last->drawnAt;
        s.missing = s.lastPeriod - s.firstPeriod + 1 - s.draws;
    }
    Statement c(db_, "SELECT count(*) FROM conflicts WHERE game = ?1");
    c.Bind(1, game);
    if (c.Step() == SQLITE_ROW) s.conflicts = c.Int(0);
    return s;
}

std::vector<PeriodGap> DrawArchive::Gaps(int game, size_t limit) const {
    std::vector<PeriodGap> gaps;
    Statement q(db_,
                "SELECT previous + 1, period - 1 FROM (SELECT period, lag(period) OVER (ORDER BY period) AS previous "
                "FROM draws WHERE game = ?1) WHERE period - previous > 1 ORDER BY period LIMIT ?2");
    q.Bind(1, game).Bind(2, static_cast<int64_t>(std::min<size_t>(limit, INT64_MAX)));
    while (q.Step() == SQLITE_ROW) gaps.push_back({q.Int(0), q.Int(1)});
    return gaps;
}

std::vector<ArchivedConflict> DrawArchive::Conflicts(int game) const {
    std::vector<ArchivedConflict> out;
    Statement q(db_,
                "SELECT c.period, c.drawn_at, c.d1, c.d2, c.d3, d.drawn_at, d.d1, d.d2, d.d3 FROM conflicts c "
                "JOIN draws d ON d.game = c.game AND d.period = c.period WHERE c.game = ?1 ORDER BY c.period");
    q.Bind(1, game);
    while (q.Step() == SQLITE_ROW) {
        ArchivedConflict c;
        c.seen = RowOf(q);
        c.archived = {q.Int(0), q.Text(5), static_cast<int32_t>(q.Int(6)), static_cast<int32_t>(q.Int(7)),
                      static_cast<int32_t>(q.Int(8))};
        out.push_back(std::move(c));
    }
    return out;
}

std::optional<ArchivedDraw> DrawArchive::Find(int game, int64_t period) const {
    std::vector<ArchivedDraw> rows = ReadPeriods(game, period, period);
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

std::vector<ArchivedDraw> DrawArchive::Read(const char* sql, const std::function<void(sqlite3_stmt*)>& bind,
                                            int64_t expected) const {
    std::vector<ArchivedDraw> out;
    // Long reads (a backtest's) would otherwise copy their rows again at every growth.
    out.reserve(static_cast<size_t>(std::clamp<int64_t>(expected, 0, 10'000'000)));
    Statement q(db_, sql);
    if (!q.ok()) return out;
    bind(q.get());
    while (q.Step() == SQLITE_ROW) out.push_back(RowOf(q));
    return out;
}

std::vector<ArchivedDraw> DrawArchive::ReadAll(int game) const {
    Statement count(db_, "SELECT count(*) FROM draws WHERE game = ?1");
    count.Bind(1, game);
    const int64_t expected = count.Step() == SQLITE_ROW ? count.Int(0) : 0;
    return Read("SELECT period, drawn_at, d1, d2, d3 FROM draws WHERE game = ?1 ORDER BY period",
                [&](sqlite3_stmt* s) { sqlite3_bind_int64(s, 1, game); }, expected);
}

std::vector<ArchivedDraw> DrawArchive::ReadLast(int game, int64_t count) const {
    std::vector<ArchivedDraw> rows =
        Read("SELECT period, drawn_at, d1, d2, d3 FROM draws WHERE game = ?1 ORDER BY period DESC LIMIT ?2",
             [&](sqlite3_stmt* s) {
                 sqlite3_bind_int64(s, 1, game);
                 sqlite3_bind_int64(s, 2, std::max<int64_t>(count, 0));
             },
             count);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

std::vector<ArchivedDraw> DrawArchive::ReadBetween(int game, std::string_view from, std::string_view to) const {
    return Read(
        "SELECT period, drawn_at, d1, d2, d3 FROM draws WHERE game = ?1 AND drawn_at BETWEEN ?2 AND ?3 ORDER BY period",
        [&](sqlite3_stmt* s) {
            sqlite3_bind_int64(s, 1, game);
            sqlite3_bind_text(s, 2, from.data(), static_cast<int>(from.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 3, to.data(), static_cast<int>(to.size()), SQLITE_TRANSIENT);
        });
}

std::vector<ArchivedDraw> DrawArchive::ReadPeriods(int game, int64_t firstPeriod, int64_t lastPeriod) const {
    return Read(
        "SELECT period, drawn_at, d1, d2, d3 FROM draws WHERE game = ?1 AND period BETWEEN ?2 AND ?3 ORDER BY period",
        [&](sqlite3_stmt* s) {
            sqlite3_bind_int64(s, 1, game);
            sqlite3_bind_int64(s, 2, firstPeriod);
            sqlite3_bind_int64(s, 3, lastPeriod);
        },
        lastPeriod >= firstPeriod ? std::min<int64_t>(lastPeriod - firstPeriod + 1, 1'000'000) : 0);
}

}  // namespace qivra
