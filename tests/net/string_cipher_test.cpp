#include "net/string_cipher.hpp"

#include <gtest/gtest.h>

#include <cctype>

namespace qivra {
namespace {

Block BlockOf(std::string_view hex) {
    Block b{};
    for (size_t i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(HexValue(hex.substr(2 * i, 2)));
    return b;
}

TEST(DesBlockCipher, StandardBoxesGiveTheDesVectors) {
    struct Case {
        const char* key;
        const char* plain;
        const char* cipher;
    } cases[] = {
        {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
        {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
        {"0000000000000000", "0000000000000000", "8CA64DE9C1B123A7"},
        {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
    };
    for (const Case& c : cases) {
        const DesBlockCipher des(BlockOf(c.key), StandardDesBoxes());
        EXPECT_EQ(des.EncryptBlock(BlockOf(c.plain)), BlockOf(c.cipher)) << c.key;
        EXPECT_EQ(des.DecryptBlock(BlockOf(c.cipher)), BlockOf(c.plain)) << c.key;
    }
}

TEST(DesBlockCipher, ProgramBoxesChangeOnlyBox1Row0Column4AndDropS8) {
    const SubstitutionBoxes& des = StandardDesBoxes();
    const SubstitutionBoxes& ours = ProgramBoxes();
    SubstitutionBoxes expected = des;
    expected[0][0][4] = 1;
    expected[6] = expected[0];
    expected[7] = des[6];
    EXPECT_EQ(ours, expected);

    // With a zero key and this block, IP leaves L0 = 0 and R0 = 0x40000000, so round 1 feeds
    // 001000 (row 0, column 4) into box 1: the two box sets must part there.
    const Block zero{};
    const Block block = BlockOf("0000000000008000");
    const DesBlockCipher standard(zero, des);
    const DesBlockCipher program(zero, ours);
    EXPECT_NE(program.EncryptBlock(block), standard.EncryptBlock(block));
    EXPECT_EQ(program.DecryptBlock(program.EncryptBlock(block)), block);
}

TEST(HexValue, ReadsEitherCaseAndWrapsAt32Bits) {
    EXPECT_EQ(HexValue(""), 0);
    EXPECT_EQ(HexValue("0"), 0);
    EXPECT_EQ(HexValue("ff"), 255);
    EXPECT_EQ(HexValue("Ff"), 255);
    EXPECT_EQ(HexValue("100"), 256);
    EXPECT_EQ(HexValue("7FFFFFFF"), INT32_MAX);
    EXPECT_EQ(HexValue("FFFFFFFF"), -1);
}

TEST(StringCipher, RoundTripsAndSizesByEightByteBlocks) {
    struct Case {
        std::string text;
        size_t digits;
    } cases[] = {
        {"", 0},
        {"a", 16},
        {"12345678", 16},
        {"123456789", 32},
        {"http://127.0.0.1:28028/qivra/config.txt", 80},
        {"自定义算法|(A1+B2)%10|", 64},            // UTF-8, 27 bytes
        {std::string("\xb0\xa1\xff\x80", 4), 16},  // GBK and high bytes
    };
    for (const Case& c : cases) {
        const StoredText stored = Encipher(c.text, kStoredTextKey);
        EXPECT_EQ(stored.size(), c.digits) << c.text;
        EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos) << stored;
        EXPECT_EQ(Decipher(stored, kStoredTextKey), c.text);
    }
}

TEST(StringCipher, StoredTextsStayReadable) {
    // Built-in texts and users' algorithm stores were written with this exact output; a change
    // to the key seed, the derivation or the boxes would make them unreadable.
    EXPECT_EQ(Encipher("QivraData", kStoredTextKey), "E44834403E0D4C273C0972ADB32C7C1C");
}

TEST(StringCipher, DecipherAcceptsLowerCaseAndCutsAtZero) {
    const StoredText stored = Encipher("幸运28", kStoredTextKey);
    std::string lower = stored;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(Decipher(lower, kStoredTextKey), "幸运28");
    EXPECT_EQ(Decipher(Encipher(std::string("ab\0cd", 5), kStoredTextKey), kStoredTextKey), "ab");
}

TEST(StringCipher, WrongKeyGivesOtherText) {
    const StoredText stored = Encipher("PC蛋蛋幸运28", kStoredTextKey);
    EXPECT_NE(Encipher("PC蛋蛋幸运28", "mowtam"), stored);
    EXPECT_NE(Decipher(stored, "mowtam"), "PC蛋蛋幸运28");
    EXPECT_NE(DeriveCipherKey("mowtan"), DeriveCipherKey("mowtam"));
}

TEST(StringCipher, DamagedStoredTextIsInvalid) {
    const StoredText stored = Encipher("QivraData", kStoredTextKey);
    EXPECT_EQ(Decipher("", kStoredTextKey), "");
    EXPECT_EQ(Decipher(stored.substr(1), kStoredTextKey), std::nullopt);         // odd length
    EXPECT_EQ(Decipher("0G" + stored.substr(2), kStoredTextKey), std::nullopt);  // non-hex digit
    EXPECT_EQ(Decipher(stored + "\r\n", kStoredTextKey), std::nullopt);
    EXPECT_EQ(Decipher("-1" + stored.substr(2), kStoredTextKey), std::nullopt);
}

}  // namespace
}  // namespace qivra
