#include "net/string_cipher.hpp"

namespace qivra {
namespace {

// clang-format off
// Tables of FIPS 46-3; entries are 1-based bit numbers counted from the most significant bit.
constexpr uint8_t kInitialPermutation[64] = {
    58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};
constexpr uint8_t kFinalPermutation[64] = {
    40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
    38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
    36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
    34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25};
constexpr uint8_t kExpansion[48] = {
    32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11,
    12, 13, 12, 13, 14, 15, 16, 17, 16, 17, 18, 19, 20, 21, 20, 21,
    22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};
constexpr uint8_t kPermutation[32] = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};
constexpr uint8_t kKeyPermutation1[56] = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
    10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
    14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};
constexpr uint8_t kKeyPermutation2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
    26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
    51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};
constexpr uint8_t kRotations[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr SubstitutionBoxes kDesBoxes = {{
    {{{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},
      {0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8},
      {4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0},
      {15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13}}},
    {{{15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
      {3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5},
      {0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15},
      {13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9}}},
    {{{10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},
      {13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1},
      {13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7},
      {1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12}}},
    {{{7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
      {13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9},
      {10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4},
      {3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14}}},
    {{{2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},
      {14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6},
      {4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14},
      {11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3}}},
    {{{12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
      {10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8},
      {9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6},
      {4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13}}},
    {{{4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},
      {13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6},
      {1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2},
      {6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12}}},
    {{{13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
      {1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2},
      {7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8},
      {2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}}},
}};
// clang-format on

constexpr SubstitutionBoxes MakeProgramBoxes() {
    SubstitutionBoxes boxes{};
    auto s1 = kDesBoxes[0];
    s1[0][4] = 1;
    boxes[0] = s1;
    for (int b = 1; b <= 5; ++b) boxes[b] = kDesBoxes[b];
    boxes[6] = s1;
    boxes[7] = kDesBoxes[6];
    return boxes;
}
constexpr SubstitutionBoxes kProgramBoxes = MakeProgramBoxes();

// The start of every derived key. Every stored text and every user's algorithm store was
// enciphered with keys derived from these bytes: they must never change.
constexpr Block kKeySeed = {0x3B, 0x8E, 0x51, 0xC7, 0x2D, 0xF4, 0x69, 0xA0};

// Picks bits of an inWidth-bit value into a new value, table entry by table entry.
template <size_t N>
uint64_t Permute(uint64_t in, int inWidth, const uint8_t (&table)[N]) {
    uint64_t out = 0;
    for (uint8_t bit : table) out = (out << 1) | ((in >> (inWidth - bit)) & 1U);
    return out;
}

uint64_t ToWord(const Block& b) {
    uint64_t v = 0;
    for (uint8_t byte : b) v = (v << 8) | byte;
    return v;
}

Block ToBlock(uint64_t v) {
    Block b{};
    for (int i = 7; i >= 0; --i, v >>= 8) b[i] = static_cast<uint8_t>(v & 0xFF);
    return b;
}

uint32_t Rotate28(uint32_t half, int by) { return ((half << by) | (half >> (28 - by))) & 0x0FFFFFFFU; }

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

const SubstitutionBoxes& StandardDesBoxes() { return kDesBoxes; }
const SubstitutionBoxes& ProgramBoxes() { return kProgramBoxes; }

DesBlockCipher::DesBlockCipher(const Block& key, const SubstitutionBoxes& boxes) : boxes_(boxes) {
    const uint64_t cd = Permute(ToWord(key), 64, kKeyPermutation1);
    uint32_t c = static_cast<uint32_t>(cd >> 28) & 0x0FFFFFFFU;
    uint32_t d = static_cast<uint32_t>(cd) & 0x0FFFFFFFU;
    for (int round = 0; round < 16; ++round) {
        c = Rotate28(c, kRotations[round]);
        d = Rotate28(d, kRotations[round]);
        roundKeys_[round] = Permute((uint64_t{c} << 28) | d, 56, kKeyPermutation2);
    }
}

uint64_t DesBlockCipher::Run(uint64_t block, bool decrypt) const {
    const uint64_t ip = Permute(block, 64, kInitialPermutation);
    uint32_t left = static_cast<uint32_t>(ip >> 32);
    uint32_t right = static_cast<uint32_t>(ip);
    for (int round = 0; round < 16; ++round) {
        const uint64_t x = Permute(right, 32, kExpansion) ^ roundKeys_[decrypt ? 15 - round : round];
        uint32_t s = 0;
        for (int box = 0; box < 8; ++box) {
            const unsigned group = static_cast<unsigned>(x >> (42 - 6 * box)) & 0x3F;
            const unsigned row = ((group >> 4) & 2U) | (group & 1U);
            const unsigned column = (group >> 1) & 0xF;
            s = (s << 4) | boxes_[box][row][column];
        }
        const uint32_t next = left ^ static_cast<uint32_t>(Permute(s, 32, kPermutation));
        left = right;
        right = next;
    }
    return Permute((uint64_t{right} << 32) | left, 64, kFinalPermutation);
}

Block DesBlockCipher::EncryptBlock(const Block& in) const { return ToBlock(Run(ToWord(in), false)); }
Block DesBlockCipher::DecryptBlock(const Block& in) const { return ToBlock(Run(ToWord(in), true)); }

Block DeriveCipherKey(std::string_view keyText) {
    Block k = kKeySeed;
    for (size_t pos = 0; pos < keyText.size(); ++pos) {
        const uint32_t i = static_cast<uint32_t>(pos + 1);
        k[i % 8] =
            static_cast<uint8_t>((k[i % 8] ^ ~(2 * i + 1) ^ static_cast<uint8_t>(keyText[pos])) & 0xFF);
    }
    return k;
}

int32_t HexValue(std::string_view digits) {
    uint32_t value = 0;
    for (char c : digits) {
        const int d = DigitValue(c);
        value = value * 16 + static_cast<uint32_t>(d < 0 ? -2 : d);
    }
    return static_cast<int32_t>(value);
}

StoredText Encipher(std::string_view text, std::string_view keyText) {
    const DesBlockCipher cipher(DeriveCipherKey(keyText), ProgramBoxes());
    StoredText out;
    out.reserve((text.size() + 7) / 8 * 16);
    for (size_t start = 0; start < text.size(); start += 8) {
        Block in{};
        for (size_t i = 0; i < 8 && start + i < text.size(); ++i)
            in[i] = static_cast<uint8_t>(text[start + i]);
        for (uint8_t byte : cipher.EncryptBlock(in)) {
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0xF];
        }
    }
    return out;
}

std::optional<std::string> Decipher(std::string_view stored, std::string_view keyText) {
    if (stored.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(stored.size() / 2 + 8);
    for (size_t i = 0; i < stored.size(); i += 2) {
        const int hi = DigitValue(stored[i]);
        const int lo = DigitValue(stored[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes += static_cast<char>(hi * 16 + lo);
    }
    const DesBlockCipher cipher(DeriveCipherKey(keyText), ProgramBoxes());
    std::string plain;
    plain.reserve(bytes.size() + 8);
    for (size_t start = 0; start < bytes.size(); start += 8) {
        Block in{};
        for (size_t i = 0; i < 8 && start + i < bytes.size(); ++i)
            in[i] = static_cast<uint8_t>(bytes[start + i]);
        for (uint8_t byte : cipher.DecryptBlock(in)) plain += static_cast<char>(byte);
    }
    if (const size_t zero = plain.find('\0'); zero != std::string::npos) plain.resize(zero);
    return plain;
}

}  // namespace qivra
