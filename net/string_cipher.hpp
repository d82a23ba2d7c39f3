#pragma once
// The cipher of the program's stored texts: a DES-structured block cipher with its own
// substitution boxes, used block by block (8 bytes, zero padding), written as hexadecimal.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qivra {

// Every stored text of the program (built-in texts, the algorithm store) uses this key.
inline constexpr std::string_view kStoredTextKey = "mowtan";

// An enciphered text: two upper-case hexadecimal digits per byte.
using StoredText = std::string;

using Block = std::array<uint8_t, 8>;
// [box][row][column]; row from the outer bits of the 6-bit group, column from the middle four.
using SubstitutionBoxes = std::array<std::array<std::array<uint8_t, 16>, 4>, 8>;

const SubstitutionBoxes& StandardDesBoxes();  // DES S1..S8
// The program's boxes: box 1 = box 7 = S1 with row 0 column 4 set to 1; boxes 2-6 = S2-S6; box 8 = S7.
const SubstitutionBoxes& ProgramBoxes();

// DES structure (IP, E, P, PC-1, PC-2, key schedule, 16 rounds, IP^-1); the boxes are a
// parameter so the standard DES vectors can check the structure.
class DesBlockCipher {
public:
    DesBlockCipher(const Block& key, const SubstitutionBoxes& boxes);
    Block EncryptBlock(const Block& in) const;
    Block DecryptBlock(const Block& in) const;

private:
    uint64_t Run(uint64_t block, bool decrypt) const;

    std::array<uint64_t, 16> roundKeys_{};  // 48-bit keys in the low bits
    SubstitutionBoxes boxes_;               // a copy: callers may pass a temporary
};

// The 8-byte cipher key of a key text.
Block DeriveCipherKey(std::string_view keyText);

// Value of a hexadecimal digit string, either case, wrapping at 32 bits. A character that is
// not a hexadecimal digit makes the value meaningless: callers validate first.
int32_t HexValue(std::string_view digits);

// Upper-case hexadecimal of the zero-padded enciphered bytes; "" gives "".
StoredText Encipher(std::string_view text, std::string_view keyText);

// The plain text, cut at its first zero byte; "" gives "". Odd length or a non-hexadecimal
// character gives nullopt, so a damaged store is refused rather than read as garbage.
std::optional<std::string> Decipher(std::string_view stored, std::string_view keyText);

}  // namespace qivra
