#include "archive/draw_archive.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "archive/date_time.hpp"
#include "archive_fixture.hpp"

namespace qivra {
namespace {

namespace fs = std::filesystem;
using testing::OpenArchive;
using testing::FileBytes;
using testing::Row;
using testing::Rows;
using testing::TempFolder;
using testing::WriteBytes;



TEST(DrawArchive, MergeInsertsNewPeriodsAndNeverOverwrites) {
    TempFolder dir;
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);

    MergeResult first = archive->Merge(0, Rows(100, 209));
    EXPECT_TRUE(first.ok());
    EXPECT_EQ(first.inserted, 110);

    // The next refresh: mostly the same lines, ten new ones, two periods with other digits.
    std::vector<ArchivedDraw> feed = Rows(120, 219);
    feed[205 - 120] = Row(205, 1);
    feed[206 - 120] = Row(206, 2);
    MergeResult second = archive->Merge(0, feed);
    EXPECT_TRUE(second.ok());
    EXPECT_EQ(second.inserted, 10);
    EXPECT_EQ(second.unchanged, 88);
    EXPECT_EQ(second.conflicts, 2);
    EXPECT_EQ(second.newConflicts, 2);
    EXPECT_EQ(archive->Find(0, 205), Row(205)) << "the archived digits stay";

    // The same conflicting feed again: still counted per merge, but nothing new to keep.
    MergeResult third = archive->Merge(0, feed);
    EXPECT_EQ(third.conflicts, 2);
    EXPECT_EQ(third.newConflicts, 0);
    EXPECT_EQ(third.inserted, 0);

    const std::vector<ArchivedConflict> conflicts = archive->Conflicts(0);
    ASSERT_EQ(conflicts.size(), 2u);
    EXPECT_EQ(conflicts[0].archived, Row(205));
    EXPECT_EQ(conflicts[0].seen, Row(205, 1));

    const GameSummary s = archive->Summary(0);
    EXPECT_EQ(s.draws, 120);
    EXPECT_EQ(s.firstPeriod, 100);
    EXPECT_EQ(s.lastPeriod, 219);
    EXPECT_EQ(s.firstDrawnAt, Row(100).drawnAt);
    EXPECT_EQ(s.conflicts, 2);
    EXPECT_EQ(s.missing, 0);
}

TEST(DrawArchive, OlderFeedsFillInAndGapsAreReported) {
    TempFolder dir;
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);
    ASSERT_TRUE(archive->Merge(0, Rows(300, 409)).ok());
    // A feed older than the newest archived period (the program was closed for a while, then a
    // saved feed is merged), and a repeat inside one feed.
    std::vector<ArchivedDraw> older = Rows(150, 259);
    older.push_back(Row(200));
    MergeResult m = archive->Merge(0, older);
    EXPECT_EQ(m.inserted, 110);
    EXPECT_EQ(m.unchanged, 1);
    EXPECT_EQ(archive->Summary(0).missing, 40);
    EXPECT_EQ(archive->Gaps(0), (std::vector<PeriodGap>{{260, 299}}));

    ASSERT_TRUE(archive->Merge(0, {Row(270), Row(280), Row(281)}).ok());
    EXPECT_EQ(archive->Gaps(0), (std::vector<PeriodGap>{{260, 269}, {271, 279}, {282, 299}}));
    EXPECT_EQ(archive->Gaps(0, 1).size(), 1u);

    // Reads come oldest first whatever order the merges came in.
    const std::vector<ArchivedDraw> all = archive->ReadAll(0);
    ASSERT_EQ(all.size(), 223u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](auto& a, auto& b) { return a.period < b.period; }));
    EXPECT_EQ(archive->ReadLast(0, 3), Rows(407, 409));
    EXPECT_EQ(archive->ReadPeriods(0, 258, 261), Rows(258, 259));
    EXPECT_EQ(archive->ReadBetween(0, Row(401).drawnAt, Row(403).drawnAt), Rows(401, 403));
}

TEST(DrawArchive, GamesAreSeparateAndBadRowsAreLeftOut) {
    TempFolder dir;
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);
    ASSERT_TRUE(archive->Merge(0, Rows(1, 20)).ok());
    // The same periods with other digits in the other game are no conflict.
    MergeResult other = archive->Merge(1, Rows(1, 20, 3));
    EXPECT_EQ(other.inserted, 20);
    EXPECT_EQ(other.conflicts, 0);
    EXPECT_EQ(archive->Find(1, 7), Row(7, 3));
    EXPECT_EQ(archive->Find(0, 7), Row(7));

    ArchivedDraw badDigit = Row(30);
    badDigit.digit2 = 10;
    ArchivedDraw badPeriod = Row(31);
    badPeriod.period = 0;
    MergeResult m = archive->Merge(0, {badDigit, badPeriod, Row(32)});
    EXPECT_EQ(m.invalid, 2);
    EXPECT_EQ(m.inserted, 1);
    EXPECT_FALSE(archive->Find(0, 30));
}

TEST(DrawArchive, ImportModeRefusesAConflictAndMergesNothing) {
    TempFolder dir;
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);
    ASSERT_TRUE(archive->Merge(0, Rows(50, 60)).ok());
    std::vector<ArchivedDraw> rows = Rows(40, 70);
    rows[15] = Row(55, 4);
    MergeResult m = archive->Merge(0, rows, MergeMode::RefuseConflicts);
    ASSERT_TRUE(m.refusedAt);
    EXPECT_EQ(*m.refusedAt, 15u);
    EXPECT_EQ(archive->Summary(0).draws, 11);
    EXPECT_EQ(archive->Summary(0).conflicts, 0);
}

// A feed gives times of day; the dates come from the moment it was fetched.
TEST(DrawArchive, FeedRowsTakeTheirDatesFromTheFetchMoment) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> periodsAndTimes;  // newest first
        const char* now;
        std::vector<const char*> expected;
    };
    const Case cases[] = {
        {"game 0 over night",
         {{"1002", "09:05"}, {"1001", "09:00"}, {"1000", "23:55"}},
         "2026-12-11 09:07:40",
         {"2026-12-11 09:05:00", "2026-12-11 09:00:00", "2026-12-10 23:55:00"}},
        {"game 1 past midnight, its clock a little ahead",
         {{"8", "00:01:30"}, {"7", "23:58:00"}, {"6", "23:54:30"}},
         "2026-12-11 00:01:10",
         {"2026-12-11 00:01:30", "2026-12-10 23:58:00", "2026-12-10 23:54:30"}},
        {"fetched just after midnight, newest draw before it",
         {{"5", "23:59:30"}, {"4", "23:56:00"}},
         "2027-01-01 00:00:20",
         {"2026-12-31 23:59:30", "2026-12-31 23:56:00"}},
        {"times with a date, and one that cannot be read",
         {{"12", "2026-12-01 10:00:00"}, {"11", "??"}, {"10", "09:50:00"}},
         "2026-12-11 12:00:00",
         {"2026-12-01 10:00:00", "2026-12-01 10:00:00", "2026-12-01 09:50:00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DrawHistory h;
        for (auto [period, time] : c.periodsAndTimes) h.push_back(DrawRecord::Make(period, time, 1, 2, 3));
        const FeedRows rows = ArchiveRowsFromFeed(h, c.now);
        ASSERT_EQ(rows.rows.size(), c.expected.size());
        for (size_t i = 0; i < rows.rows.size(); ++i) EXPECT_EQ(rows.rows[i].drawnAt, c.expected[i]) << i;
    }

    DrawHistory bad;
    bad.push_back(DrawRecord::Make("12a", "10:00", 1, 2, 3));
    bad.push_back(DrawRecord::Make("11", "09:55", 1, 2, 3));
    const FeedRows rows = ArchiveRowsFromFeed(bad, "2026-12-11 10:01:00");
    EXPECT_EQ(rows.invalid, 1);
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.rows[0].period, 11);

    TempFolder dir;
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);
    MergeResult m = archive->Merge(0, bad, "2026-12-11 10:01:00");
    EXPECT_EQ(m.inserted, 1);
    EXPECT_EQ(m.invalid, 1);
}

TEST(DrawArchive, ReopensWithItsRowsAndOpensBesideTheCookieStore) {
    TempFolder dir;
    const fs::path path = dir / "sub" / "archive.sqlite";
    {
        DrawArchive::Opening o = DrawArchive::Open(path);
        ASSERT_TRUE(o.archive) << o.report.error;
        EXPECT_EQ(o.report.outcome, ArchiveOpenReport::Outcome::Created);
        EXPECT_EQ(o.report.Message(), "");
        ASSERT_TRUE(o.archive->Merge(1, Rows(5, 9)).ok());
    }
    DrawArchive::Opening again = DrawArchive::Open(path);
    ASSERT_TRUE(again.archive);
    EXPECT_EQ(again.report.outcome, ArchiveOpenReport::Outcome::Opened);
    EXPECT_EQ(again.archive->ReadAll(1), Rows(5, 9));
    EXPECT_EQ(again.archive->Check(true), "");

    EXPECT_EQ(DefaultArchivePath().filename(), "archive.sqlite");
}

// A file that fails the check is moved aside with its companions, untouched, under a dated
// name that never replaces an earlier one, and a new archive starts.
TEST(DrawArchive, DamagedFilesAreMovedAsideAndANewArchiveStarts) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const auto moment = std::chrono::sys_days{std::chrono::year{2026} / 12 / 11} + std::chrono::hours{10} +
                        std::chrono::minutes{15};
    const DrawArchive::Clock clock = [moment] { return std::chrono::system_clock::time_point{moment}; };

    struct Case {
        const char* name;
        std::function<void(const fs::path&)> damage;
    };
    const Case cases[] = {
        {"not a database", [](const fs::path& p) { WriteBytes(p, std::string(5000, 'x')); }},
        {"another program's database",
         [](const fs::path& p) {
             // Same layout as ours but without the program's mark.
             OpenArchive(p).reset();
             std::string bytes = FileBytes(p);
             bytes[68] = bytes[69] = bytes[70] = bytes[71] = 0;  // application_id
             WriteBytes(p, bytes);
         }},
        {"damaged pages",
         [](const fs::path& p) {
             {
                 auto a = OpenArchive(p);
                 ASSERT_TRUE(a->Merge(0, Rows(1, 4000)).ok());
             }  // closing checkpoints the journal into the file
             std::string bytes = FileBytes(p);
             ASSERT_GT(bytes.size(), 8u * 4096);
             for (size_t i = 5 * 4096 + 100; i < 7 * 4096; ++i) bytes[i] = static_cast<char>(0xA5);
             WriteBytes(p, bytes);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        const fs::path path = dir / "archive.sqlite";
        c.damage(path);
        WriteBytes(path.string() + "-wal", "wal bytes");
        const std::string before = FileBytes(path);

        DrawArchive::Opening o = DrawArchive::Open(path, clock);
        ASSERT_TRUE(o.archive) << o.report.error;
        EXPECT_EQ(o.report.outcome, ArchiveOpenReport::Outcome::ReplacedDamaged);
        EXPECT_FALSE(o.report.damage.empty());
        EXPECT_EQ(o.report.movedTo, dir / "archive.sqlite.damaged-20261211-101500");
        EXPECT_NE(o.report.Message().find("archive.sqlite.damaged-20261211-101500"), std::string::npos);
        EXPECT_EQ(FileBytes(o.report.movedTo), before);
        EXPECT_EQ(FileBytes(o.report.movedTo.string() + "-wal"), "wal bytes");
        EXPECT_EQ(o.archive->Summary(0).draws, 0);
        EXPECT_TRUE(o.archive->Merge(0, Rows(1, 3)).ok());
        o.archive.reset();

        // Damaged again in the same second: a second name, the first one kept.
        WriteBytes(path, "junk");
        fs::remove(path.string() + "-wal");
        fs::remove(path.string() + "-shm");
        DrawArchive::Opening o2 = DrawArchive::Open(path, clock);
        ASSERT_TRUE(o2.archive);
        EXPECT_EQ(o2.report.movedTo, dir / "archive.sqlite.damaged-20261211-101500-2");
        EXPECT_EQ(FileBytes(o.report.movedTo), before);
        EXPECT_EQ(FileBytes(o2.report.movedTo), "junk");
    }
}

TEST(DrawArchive, ALaterVersionsArchiveIsLeftAlone) {
    TempFolder dir;
    const fs::path path = dir / "archive.sqlite";
    OpenArchive(path).reset();
    std::string bytes = FileBytes(path);
    bytes[63] = 2;  // user_version
    WriteBytes(path, bytes);
    DrawArchive::Opening o = DrawArchive::Open(path);
    EXPECT_FALSE(o.archive);
    EXPECT_EQ(o.report.outcome, ArchiveOpenReport::Outcome::Failed);
    EXPECT_FALSE(o.report.Message().empty());
    EXPECT_EQ(FileBytes(path), bytes);
}

TEST(DateTime, NormalizesWhatSpreadsheetsWrite) {
    EXPECT_EQ(NormalizeDateTime("2026-12-11 10:15:00"), "2026-12-11 10:15:00");
    EXPECT_EQ(NormalizeDateTime("2026/1/5 9:05"), "2026-01-05 09:05:00");
    for (const char* bad : {"2026-02-30 10:00:00", "2026-12-11", "2026-12-11 24:00", "2026-12-11 10:15:00 ", "x",
                            "2026-12/11 10:15", ""})
        EXPECT_FALSE(NormalizeDateTime(bad)) << bad;
    EXPECT_EQ(PreviousDate("2027-01-01"), "2026-12-31");
    EXPECT_EQ(PreviousDate("2028-03-01"), "2028-02-29");
}

}  // namespace
}  // namespace qivra
