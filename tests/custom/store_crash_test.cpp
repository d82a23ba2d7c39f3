// A save killed at any moment leaves the store as the list before it or the list after it.
#include "custom/algorithm_store.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qivra {
namespace {

namespace fs = std::filesystem;

// Two lists of different lengths and block counts, so a mix of the two or a cut-off write
// cannot read back as either.
std::vector<CustomAlgorithm> ListA() {
    std::vector<CustomAlgorithm> rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back({"算法甲" + std::to_string(i), "[1]+[" + std::to_string(i % 18 + 1) + "]|[2]*3|([4]-[5])/2"});
    return rows;
}

std::vector<CustomAlgorithm> ListB() {
    std::vector<CustomAlgorithm> rows;
    for (int i = 0; i < 7; ++i) rows.push_back({"乙" + std::to_string(i), "[9]|[10]+[11]|" + std::to_string(i)});
    return rows;
}

TEST(StoreCrashSafety, KilledSavesLeaveTheOldOrTheNewList) {
    std::string pattern = (fs::temp_directory_path() / "qivra_crash_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const std::string path = (dir / "QivraData.ini").string();
    const std::vector<CustomAlgorithm> a = ListA();
    const std::vector<CustomAlgorithm> b = ListB();
    ASSERT_TRUE(SaveStoreFile(path, a).ok());

    std::mt19937 random(2828);
    std::uniform_int_distribution<int> waitUs(0, 15000);
    int sawA = 0;
    int sawB = 0;
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(round);
        int saved[2];
        ASSERT_EQ(::pipe(saved), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Alternate for ever; the parent ends this with SIGKILL. The first completed save is
            // reported, so no kill lands before the loop has really started.
            ::close(saved[0]);
            for (unsigned i = static_cast<unsigned>(round);; ++i) {
                if (!SaveStoreFile(path, i % 2 ? b : a).ok()) ::_exit(3);
                if (saved[1] >= 0) {
                    if (::write(saved[1], "s", 1) != 1) ::_exit(4);
                    ::close(saved[1]);
                    saved[1] = -1;
                }
            }
        }
        ::close(saved[1]);
        char byte = 0;
        const ssize_t got = ::read(saved[0], &byte, 1);
        ::close(saved[0]);
        if (got != 1) {
            int status = 0;
            ::waitpid(child, &status, 0);
            FAIL() << "the first save did not complete, status " << status;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(waitUs(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving loop stopped by itself, status " << status;

        const StoreLoadResult loaded = LoadStoreFile(path);
        ASSERT_TRUE(loaded.ok()) << loaded.error;
        if (loaded.rows == a) {
            ++sawA;
        } else {
            ASSERT_EQ(loaded.rows, b) << "neither list: " << loaded.rows.size() << " rows";
            ++sawB;
        }
    }
    // Both lists were written, so the kills did land between and inside saves.
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);

    // A killed save leaves at most its temporary file beside the store, never a second store;
    // each save removes what the kills before it left, so only the last kill's file can remain.
    auto leftovers = [&dir] {
        int count = 0;
        for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            if (name == "QivraData.ini") continue;
            EXPECT_TRUE(name.rfind("QivraData.ini.", 0) == 0) << name;
            ++count;
        }
        return count;
    };
    EXPECT_LE(leftovers(), 1);
    ASSERT_TRUE(SaveStoreFile(path, b).ok());
    EXPECT_EQ(leftovers(), 0);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace qivra
