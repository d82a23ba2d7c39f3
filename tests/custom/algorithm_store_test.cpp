#include "custom/algorithm_store.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

#include "core/text.hpp"
#include "net/string_cipher.hpp"

namespace qivra {
namespace {

namespace fs = std::filesystem;

class StoreFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qivra_store_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        path_ = (dir_ / "QivraData.ini").string();
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Write(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    size_t EntryCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }

    fs::path dir_;
    std::string path_;
};

const std::vector<CustomAlgorithm> kRows = {
    {"Qivra超神算法", "[1]+[8]+[9]+[12]/[8]*[6]|[9]+[5]+2+[2]|[1]*[9]+[5]/[2]+[10]"},
    {"同名", "[1]|[2]|[3]"},
    {"同名", "[4]|[5]|[6]"},
};

TEST(AlgorithmStore, RoundTripsThroughEncipheredGbk) {
    const auto bytes = SerializeStore(kRows);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->find_first_not_of("0123456789ABCDEF"), std::string::npos);
    // The plain text is GBK, one "name----f1|f2|f3" line per row, each ended by CR LF.
    std::string expectedPlain;
    for (const auto& r : kRows) expectedPlain += r.name + "----" + r.algorithmText + "\r\n";
    EXPECT_EQ(Decipher(*bytes, kStoredTextKey), Utf8ToGbk(expectedPlain));

    const StoreLoadResult loaded = ParseStore(*bytes);
    EXPECT_TRUE(loaded.ok()) << loaded.error;
    EXPECT_EQ(loaded.rows, kRows);

    EXPECT_EQ(SerializeStore({}), std::string());
    EXPECT_TRUE(ParseStore("").ok());
    EXPECT_TRUE(ParseStore("").rows.empty());
}

TEST(AlgorithmStore, ShortLinesLoadWithMissingPiecesEmpty) {
    const std::string plain = *Utf8ToGbk("仅有名称\r\na----b----[1]|[2]|[3]\r\nx----[1]|[2]\r\n----|[5]|\r\n");
    const StoreLoadResult loaded = ParseStore(Encipher(plain, kStoredTextKey));
    ASSERT_TRUE(loaded.ok()) << loaded.error;
    const std::vector<CustomAlgorithm> expected = {
        {"仅有名称", ""}, {"a", "b"}, {"x", "[1]|[2]"}, {"", "|[5]|"}};
    EXPECT_EQ(loaded.rows, expected);

    using A = std::array<std::string, 3>;
    EXPECT_EQ(SplitAlgorithmText("[1]|[2]|[3]"), (A{"[1]", "[2]", "[3]"}));
    EXPECT_EQ(SplitAlgorithmText("[1]|[2]"), (A{"[1]", "[2]", ""}));
    EXPECT_EQ(SplitAlgorithmText("|[5]|"), (A{"", "[5]", ""}));
    EXPECT_EQ(SplitAlgorithmText(""), (A{"", "", ""}));
    EXPECT_EQ(JoinAlgorithmText(A{"[1]", "", "[3]"}), "[1]||[3]");
}

TEST(AlgorithmStore, RefusesWhatWouldNotReloadTheSame) {
    for (const char* bad : {"a----b", "a\r\nb", "a\nb", "算法-", "bad\xff", "smile\xf0\x9f\x98\x80", "nul"}) {
        std::string name = bad;
        if (name == "nul") name = std::string("a\0b", 3);
        EXPECT_NE(ValidateAlgorithmName(name), "") << bad;
        EXPECT_EQ(SerializeStore({{name, "[1]|[2]|[3]"}}), std::nullopt) << bad;
    }
    for (const char* good : {"", "a-b", "-a", "Qivra超神算法", "a---b"})
        EXPECT_EQ(ValidateAlgorithmName(good), "") << good;
    EXPECT_NE(ValidateAlgorithm({"ok", "[1]----[2]|[3]|[4]"}), "");
    EXPECT_NE(ValidateAlgorithm({"ok", "[1]|[2]\r\n|[3]"}), "");
    EXPECT_EQ(ValidateAlgorithm({"ok", "-[1]|[2]|[3]"}), "");
}

TEST_F(StoreFileTest, SavesLoadsAndClears) {
    EXPECT_TRUE(LoadStoreFile(path_).ok());  // absent: empty, no error
    EXPECT_TRUE(LoadStoreFile(path_).rows.empty());

    ASSERT_TRUE(SaveStoreFile(path_, kRows).ok());
    EXPECT_EQ(Read(path_), *SerializeStore(kRows));
    EXPECT_EQ(LoadStoreFile(path_).rows, kRows);

    // A save killed midway left its temporary file; the next save removes it, and only it.
    Write(dir_ / "QivraData.ini.qivra-tmp-k1lL3d", Read(path_).substr(0, 10));
    Write(dir_ / "QivraData.ini.backup", Read(path_));
    ASSERT_TRUE(SaveStoreFile(path_, {}).ok());
    EXPECT_TRUE(fs::exists(path_));
    EXPECT_EQ(fs::file_size(path_), 0u);
    EXPECT_TRUE(LoadStoreFile(path_).ok());
    EXPECT_TRUE(LoadStoreFile(path_).rows.empty());
    EXPECT_EQ(EntryCount(), 2u) << "no temporary file stays behind";
    EXPECT_EQ(LoadStoreFile((dir_ / "QivraData.ini.backup").string()).rows, kRows);

    // A missing folder is created.
    const std::string nested = (dir_ / "Qivra28" / "QivraData.ini").string();
    ASSERT_TRUE(SaveStoreFile(nested, kRows).ok());
    EXPECT_EQ(LoadStoreFile(nested).rows, kRows);
}

TEST_F(StoreFileTest, DamagedStoreIsReportedAndNeverOverwrittenSilently) {
    const std::string garbledGbk = Encipher(std::string("\x81\x20\x81\x20", 4), kStoredTextKey);
    for (const std::string& damaged : {std::string("ABC"), std::string("ZZ"), std::string("12G4"), garbledGbk}) {
        Write(path_, damaged);
        const StoreLoadResult loaded = LoadStoreFile(path_);
        EXPECT_FALSE(loaded.ok()) << damaged;
        EXPECT_TRUE(loaded.rows.empty());
        const SaveResult saved = SaveStoreFile(path_, kRows);
        EXPECT_FALSE(saved.ok()) << damaged;
        EXPECT_EQ(Read(path_), damaged);
    }
    EXPECT_TRUE(SaveStoreFile(path_, kRows, /*replaceDamaged=*/true).ok());
    EXPECT_EQ(LoadStoreFile(path_).rows, kRows);

    // A line end added by an editor does not make the store damaged.
    Write(path_, *SerializeStore(kRows) + "\r\n");
    EXPECT_EQ(LoadStoreFile(path_).rows, kRows);
}

TEST_F(StoreFileTest, FailedSaveReportsAndKeepsTheOldFile) {
    ASSERT_TRUE(SaveStoreFile(path_, kRows).ok());
    const std::string before = Read(path_);

    // A refused row.
    EXPECT_FALSE(SaveStoreFile(path_, {{"a----b", "[1]|[2]|[3]"}}).ok());
    EXPECT_EQ(Read(path_), before);

    // The path is a folder; the parent is a file.
    const fs::path folder = dir_ / "folder";
    fs::create_directory(folder);
    EXPECT_FALSE(SaveStoreFile(folder.string(), kRows).ok());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(SaveStoreFile((fs::path(path_) / "QivraData.ini").string(), kRows).ok());
    EXPECT_EQ(Read(path_), before);
    EXPECT_FALSE(LoadStoreFile(folder.string()).ok());

    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not bind root";
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    const SaveResult saved = SaveStoreFile(path_, {});
    EXPECT_FALSE(saved.ok());
    EXPECT_NE(saved.error.find(path_), std::string::npos);
    EXPECT_EQ(Read(path_), before);
}

TEST_F(StoreFileTest, DefaultPathBesideTheProgramOrInTheUserDataFolder) {
    EXPECT_EQ(DefaultStorePath(dir_.string()), (dir_ / "QivraData.ini").string());

    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    const std::string missing = (dir_ / "no" / "such").string();
    ::setenv("XDG_DATA_HOME", "/xdg/data", 1);
    EXPECT_EQ(DefaultStorePath(missing), "/xdg/data/Qivra28/QivraData.ini");
    ::unsetenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') {
        EXPECT_EQ(DefaultStorePath(missing), std::string(home) + "/.local/share/Qivra28/QivraData.ini");
    }
    if (oldXdg) ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
}

}  // namespace
}  // namespace qivra
