// A process killed at any moment of its merges leaves an archive that opens, passes its full
// check and holds every merge that had finished.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "archive/draw_archive.hpp"
#include "archive_fixture.hpp"

namespace qivra {
namespace {

using testing::Row;
using testing::Rows;
using testing::TempFolder;

constexpr int kMerges = 100;
constexpr int kFeedLines = 110;
constexpr int kStep = 7;  // each feed shows kStep new periods, like refreshes a few draws apart

// Merge m of a round shows periods start + m * kStep onwards.
int64_t FeedStart(int64_t start, int merge) { return start + int64_t{merge} * kStep; }

TEST(ArchiveCrashSafety, KilledMergesLeaveASoundArchiveWithEveryFinishedMerge) {
    TempFolder dir;
    const auto path = dir / "archive.sqlite";
    std::mt19937 random(2828);
    int64_t finishedUpTo = 1000 + kFeedLines - 1 - kStep;  // the newest period archived so far
    int killedInside = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        // Each round's feeds go on from what the archive holds, as the program's would.
        const int64_t start = finishedUpTo - kFeedLines + 1 + kStep;
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            DrawArchive::Opening o = DrawArchive::Open(path);
            if (!o.archive) ::_exit(3);
            for (int m = 0; m < kMerges; ++m) {
                const int64_t first = FeedStart(start, m);
                if (!o.archive->Merge(0, Rows(first, first + kFeedLines - 1)).ok()) ::_exit(4);
                const unsigned char done = static_cast<unsigned char>(m);
                if (::write(pipeFds[1], &done, 1) != 1) ::_exit(5);
            }
            ::pause();  // the parent ends this with SIGKILL
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        // Kill after the first merge has finished, at a random moment of the rest.
        unsigned char last = 0;
        ASSERT_EQ(::read(pipeFds[0], &last, 1), 1) << "the child finished no merge";
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60000)(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        unsigned char more;
        while (::read(pipeFds[0], &more, 1) == 1) last = more;
        ::close(pipeFds[0]);
        if (last + 1 < kMerges) ++killedInside;

        DrawArchive::Opening o = DrawArchive::Open(path);
        ASSERT_TRUE(o.archive) << o.report.error;
        ASSERT_EQ(o.report.outcome, ArchiveOpenReport::Outcome::Opened) << o.report.damage;
        EXPECT_EQ(o.archive->Check(true), "");
        finishedUpTo = FeedStart(start, last) + kFeedLines - 1;
        // Every period of every finished merge, with its digits; of the merge that may have been
        // cut, all of its new periods or none (it commits all or nothing).
        const std::vector<ArchivedDraw> all = o.archive->ReadAll(0);
        const std::vector<ArchivedDraw> expected = Rows(1000, finishedUpTo);
        ASSERT_GE(all.size(), expected.size());
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), all.begin()));
        const size_t extra = all.size() - expected.size();
        EXPECT_TRUE(extra == 0 || extra == kStep) << extra;
        EXPECT_EQ(o.archive->Summary(0).missing, 0);
        // The next round continues after whatever the archive holds now.
        if (extra) finishedUpTo += kStep;
        EXPECT_EQ(o.archive->Summary(0).conflicts, 0);
    }
    EXPECT_GT(killedInside, 0) << "no kill landed before the child's last merge";
}

}  // namespace
}  // namespace qivra
