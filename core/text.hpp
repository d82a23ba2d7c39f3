#pragma once
// Text helpers shared by every layer. Positions are 1-based, as everywhere in the program.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qivra {

// The text between the first `left` found from `start` and the next `right` after it;
// empty when either marker is missing. "#引号" in a marker stands for a double quote.
// Letter case is ignored unless caseSensitive (ASCII folding, safe for UTF-8 and GBK).
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right, int start = 1,
                        bool caseSensitive = false);

// 1-based position of needle in text from start, 0 when absent.
int FindText(std::string_view text, std::string_view needle, int start = 1, bool caseSensitive = true);

// The leading integer of a text: optional blanks, sign, digits; 32-bit wrap; 0 when none.
int32_t IntegerValue(std::string_view text);
// True when the whole text (after optional blanks) is an optional sign and at least one digit.
bool IsIntegerText(std::string_view text);

// C "%.13g".
std::string NumberText(double v);

// Pieces between separators; an empty text gives none and a trailing empty piece is dropped,
// leading and inner empty pieces stay.
std::vector<std::string> SplitText(std::string_view text, std::string_view sep);

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
std::string Trim(std::string_view text);  // spaces, tabs, CR and LF at both ends
std::string ToLowerAscii(std::string_view text);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

bool IsValidUtf8(std::string_view bytes);
// Conversions report invalid input as nullopt rather than mangling it.
std::optional<std::string> GbkToUtf8(std::string_view gbk);
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

}  // namespace qivra
