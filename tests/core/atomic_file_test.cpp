#include "core/atomic_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace qivra {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qivra_atomic_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    void Touch(const std::string& name, const std::string& bytes = "x") const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const fs::directory_entry& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
        return names;
    }

    fs::path dir_;
};

TEST_F(AtomicFileTest, ReplacesWholeWithTheGivenPermissions) {
    const std::string path = Path("store.ini");
    ASSERT_EQ(ReplaceFileAtomically(path, "first", 0640), 0);
    ASSERT_EQ(ReplaceFileAtomically(path, "second", 0600), 0);
    EXPECT_EQ(Read(path), "second");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(Names(), std::set<std::string>{"store.ini"});

    // A failed save (a folder stands at the path) reports its error and leaves nothing behind.
    fs::create_directory(dir_ / "taken");
    Touch("taken/inside");
    EXPECT_NE(ReplaceFileAtomically(Path("taken"), "x", 0600), 0);
    EXPECT_EQ(Names(), (std::set<std::string>{"store.ini", "taken"}));
    EXPECT_NE(ReplaceFileAtomically(Path("missing/store.ini"), "x", 0600), 0);
}

TEST_F(AtomicFileTest, ASaveRemovesOnlyTheLeftoversOfItsOwnSaves) {
    const std::string path = Path("store.ini");
    const std::set<std::string> leftovers = {"store.ini.qivra-tmp-aB3xZ9", "store.ini.qivra-tmp-000000"};
    for (const std::string& name : leftovers) Touch(name);
    // Names a user or another program may give, and entries that are not plain files.
    std::set<std::string> kept = {
        "store.ini",
        "store.ini.backup",
        "store.ini.qivra-tmp-12345",
        "store.ini.qivra-tmp-1234567",
        "store.ini.qivra-tmp-ab_123",
        "xstore.ini.qivra-tmp-abcdef",
        "other.ini.qivra-tmp-abcdef",
        "store.ini.XXXXXX",
    };
    for (const std::string& name : kept) Touch(name);
    kept.insert({"store.ini.qivra-tmp-folder", "store.ini.qivra-tmp-linked", "outside", "taken"});
    fs::create_directory(dir_ / "store.ini.qivra-tmp-folder");
    Touch("outside");
    fs::create_symlink(dir_ / "outside", dir_ / "store.ini.qivra-tmp-linked");
    // A save that is still writing holds a lock on its file.
    Touch("store.ini.qivra-tmp-Writer");
    kept.insert("store.ini.qivra-tmp-Writer");
    const int writer = ::open(Path("store.ini.qivra-tmp-Writer").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    // A failed save removes nothing: the leftovers go at the next successful one.
    fs::create_directory(dir_ / "taken");
    Touch("taken/inside");
    Touch("taken.qivra-tmp-abcdef");
    EXPECT_NE(ReplaceFileAtomically(Path("taken"), "x", 0600), 0);
    EXPECT_TRUE(fs::exists(dir_ / "taken.qivra-tmp-abcdef"));
    fs::remove(dir_ / "taken.qivra-tmp-abcdef");

    ASSERT_EQ(ReplaceFileAtomically(path, "new", 0600), 0);
    EXPECT_EQ(Names(), kept);
    EXPECT_EQ(Read(Path("outside")), "x");
    ::close(writer);

    // Once that save is gone (its process killed: the lock goes with it), its file is a leftover.
    ASSERT_EQ(ReplaceFileAtomically(path, "newer", 0600), 0);
    EXPECT_FALSE(fs::exists(dir_ / "store.ini.qivra-tmp-Writer"));
    EXPECT_EQ(Read(path), "newer");
}

}  // namespace
}  // namespace qivra
