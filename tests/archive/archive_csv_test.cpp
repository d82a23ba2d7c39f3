#include "archive/archive_csv.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "archive_fixture.hpp"
#include "core/text.hpp"
#include "service/history_csv.hpp"

namespace qivra {
namespace {

namespace fs = std::filesystem;
using testing::OpenArchive;
using testing::FileBytes;
using testing::Row;
using testing::Rows;
using testing::TempFolder;
using testing::WriteBytes;


TEST(ArchiveCsv, ExportThenImportGivesTheSameArchive) {
    TempFolder dir;
    auto source = OpenArchive(dir / "a.sqlite");
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->Merge(1, Rows(500, 620)).ok());
    ASSERT_TRUE(source->Merge(1, Rows(700, 710)).ok());  // with a gap
    ASSERT_TRUE(source->Merge(0, Rows(1, 5)).ok());       // another game stays out

    const fs::path file = dir / "game1.csv";
    WriteBytes(file, "an older export");
    const CsvExportResult exported = ExportArchiveCsv(*source, 1, file);
    ASSERT_TRUE(exported.ok()) << exported.error;
    EXPECT_EQ(exported.rows, 132);
    const std::string text = FileBytes(file);
    EXPECT_EQ(text.substr(0, text.find('\n')), kArchiveCsvHeader);
    EXPECT_NE(text.find("\n500," + Row(500).drawnAt + ","), std::string::npos);

    auto target = OpenArchive(dir / "b.sqlite");
    ASSERT_TRUE(target);
    CsvImportResult imported = ImportArchiveCsv(*target, 1, file);
    ASSERT_TRUE(imported.ok()) << imported.Message();
    EXPECT_EQ(imported.merge.inserted, 132);
    EXPECT_EQ(target->ReadAll(1), source->ReadAll(1));
    EXPECT_EQ(target->Gaps(1), (std::vector<PeriodGap>{{621, 699}}));

    // Importing it again adds nothing and refuses nothing.
    imported = ImportArchiveCsv(*target, 1, file);
    ASSERT_TRUE(imported.ok()) << imported.Message();
    EXPECT_EQ(imported.merge.unchanged, 132);

    // Nothing but the export is left in the folder.
    for (const fs::directory_entry& e : fs::directory_iterator(dir.path())) {
        const std::string name = e.path().filename().string();
        EXPECT_TRUE(name == "game1.csv" || name.rfind("a.sqlite", 0) == 0 || name.rfind("b.sqlite", 0) == 0) << name;
    }
    EXPECT_FALSE(ExportArchiveCsv(*source, 1, dir / "no such folder" / "x.csv").ok());
}

TEST(ArchiveCsv, ReadsGbkSpreadsheetsAndTheServiceHistory) {
    const std::string header = *Utf8ToGbk("期号,开奖时间,号码1,号码2,号码3,和值");
    const CsvParseResult gbk =
        ParseArchiveCsv(header + "\r\n\"1001\",2026/12/1 9:05,1,2,3,6\r\n1002, 2026-12-01 09:10:00 ,9,9,9,27\r\n\r\n");
    ASSERT_TRUE(gbk.ok()) << gbk.Message();
    ASSERT_EQ(gbk.rows.size(), 2u);
    EXPECT_EQ(gbk.rows[0], (ArchivedDraw{1001, "2026-12-01 09:05:00", 1, 2, 3}));
    EXPECT_EQ(gbk.lines, (std::vector<int>{2, 3}));
    // A byte-order mark and no header.
    EXPECT_TRUE(ParseArchiveCsv("\xEF\xBB\xBF" "7,2026-12-01 00:00:00,0,0,0,0\n").ok());

    // The service's own days of history import as they are: two days of game 1.
    TempFolder dir;
    const fs::path file = dir / "history.csv";
    WriteBytes(file, HistoryCsv(1, std::chrono::system_clock::now(), 28028, 2));
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);
    const CsvImportResult imported = ImportArchiveCsv(*archive, 1, file);
    ASSERT_TRUE(imported.ok()) << imported.Message();
    EXPECT_EQ(imported.merge.inserted, HistoryDrawCount(1, 2));
    EXPECT_EQ(archive->Summary(1).missing, 0);
    EXPECT_EQ(HistoryDrawCount(0, 3), 540);

    // qivra28-service --history-csv GAME,DAYS,FILE
    std::ostringstream err;
    const fs::path written = dir / "game0.csv";
    ASSERT_EQ(WriteHistoryCsvCommand("0", "1", written.string(), 28028, err), 0) << err.str();
    const CsvParseResult game0 = ParseArchiveCsv(FileBytes(written));
    ASSERT_TRUE(game0.ok()) << game0.Message();
    EXPECT_EQ(game0.rows.size(), 180u);
    EXPECT_EQ(game0.rows.back().period - game0.rows.front().period, 179);
    for (const char* days : {"0", "x", "-1"}) EXPECT_EQ(WriteHistoryCsvCommand("0", days, written.string(), 1, err), 2);
    EXPECT_EQ(WriteHistoryCsvCommand("2", "1", written.string(), 1, err), 2);
    EXPECT_EQ(WriteHistoryCsvCommand("1", "1", (dir / "missing" / "x.csv").string(), 1, err), 1);
}

TEST(ArchiveCsv, ABadRowRefusesTheWholeFile) {
    const std::string head = std::string(kArchiveCsvHeader) + "\n1,2026-12-01 09:00:00,1,2,3,6\n";
    struct Case {
        const char* name;
        std::string bytes;
        CsvProblem problem;
        int line;
    };
    const Case cases[] = {
        {"two-digit number", head + "2,2026-12-01 09:05:00,1,12,3,16\n", CsvProblem::BadDigit, 3},
        {"letter for a digit", head + "2,2026-12-01 09:05:00,1,2,x,3\n", CsvProblem::BadDigit, 3},
        {"negative digit", head + "2,2026-12-01 09:05:00,-1,2,3,4\n", CsvProblem::BadDigit, 3},
        {"sum that does not match", head + "2,2026-12-01 09:05:00,1,2,3,7\n", CsvProblem::SumMismatch, 3},
        {"short row", head + "2,2026-12-01 09:05:00,1,2,3\n", CsvProblem::ShortRow, 3},
        {"long row", head + "2,2026-12-01 09:05:00,1,2,3,6,x\n", CsvProblem::LongRow, 3},
        {"bad period", head + "2x,2026-12-01 09:05:00,1,2,3,6\n", CsvProblem::BadPeriod, 3},
        {"period zero", head + "0,2026-12-01 09:05:00,1,2,3,6\n", CsvProblem::BadPeriod, 3},
        {"bad date", head + "2,2026-13-01 09:05:00,1,2,3,6\n", CsvProblem::BadDateTime, 3},
        {"a period twice with other digits",
         head + "2,2026-12-01 09:05:00,0,0,0,0\n3,2026-12-01 09:10:00,0,0,1,1\n1,2026-12-01 09:00:00,1,2,4,7\n",
         CsvProblem::DuplicateInFile, 5},
        {"UTF-16", std::string("\xFF\xFE" "1\0,\0", 6), CsvProblem::Encoding, 1},
        {"NUL bytes", head + std::string("2\0,\0", 4), CsvProblem::Encoding, 3},
        {"neither UTF-8 nor GBK", head + "2,2026-12-01 09:05:00,1,2,3,6\n\xFF\xFF,\x80\n", CsvProblem::Encoding, 4},
        {"header only", std::string(kArchiveCsvHeader) + "\n", CsvProblem::NoRows, 0},
    };
    TempFolder dir;
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);
    ASSERT_TRUE(archive->Merge(0, Rows(100, 110)).ok());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir / "bad.csv";
        WriteBytes(file, c.bytes);
        const CsvImportResult r = ImportArchiveCsv(*archive, 0, file);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.parse.problem, c.problem) << r.Message();
        EXPECT_EQ(r.parse.line, c.line) << r.Message();
        if (c.line > 0) {
            EXPECT_NE(r.Message().find("第 " + std::to_string(c.line) + " 行"), std::string::npos);
        }
        EXPECT_EQ(archive->Summary(0).draws, 11) << "nothing of the file was merged";
    }
    // A repeated period with the same digits is no fault.
    EXPECT_TRUE(ParseArchiveCsv(head + "1,2026-12-01 09:00:00,1,2,3,6\n").ok());
}

TEST(ArchiveCsv, APeriodArchivedWithOtherDigitsRefusesTheFile) {
    TempFolder dir;
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);
    ASSERT_TRUE(archive->Merge(0, Rows(100, 110)).ok());
    std::vector<ArchivedDraw> rows = Rows(90, 120);
    rows[105 - 90] = Row(105, 1);
    const fs::path file = dir / "import.csv";
    WriteBytes(file, ArchiveCsvText(rows));
    const CsvImportResult r = ImportArchiveCsv(*archive, 0, file);
    EXPECT_EQ(r.parse.problem, CsvProblem::ConflictsWithArchive);
    EXPECT_EQ(r.parse.line, 105 - 90 + 2);  // after the header
    EXPECT_NE(r.Message().find("期号 105"), std::string::npos) << r.Message();
    EXPECT_EQ(archive->Summary(0).draws, 11);
    EXPECT_EQ(archive->Find(0, 105), Row(105));
}

}  // namespace
}  // namespace qivra
