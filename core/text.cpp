#include "core/text.hpp"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace qivra {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

size_t Find(std::string_view text, std::string_view needle, size_t from, bool caseSensitive) {
    if (caseSensitive) return text.find(needle, from);
    if (needle.size() > text.size()) return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        size_t j = 0;
        while (j < needle.size() && LowerAscii(text[i + j]) == LowerAscii(needle[j])) ++j;
        if (j == needle.size()) return i;
    }
    return std::string_view::npos;
}

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    out.resize(in.size() * 2 + 16);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    bool ok = true;
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) {
            size_t used = static_cast<size_t>(outPtr - out.data());
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        ok = false;  // EILSEQ or EINVAL: an invalid or truncated sequence
        break;
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(static_cast<size_t>(outPtr - out.data()));
    return out;
}

}  // namespace

int FindText(std::string_view text, std::string_view needle, int start, bool caseSensitive) {
    if (start < 1) start = 1;
    if (static_cast<size_t>(start - 1) > text.size()) return 0;
    size_t p = Find(text, needle, static_cast<size_t>(start - 1), caseSensitive);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right, int start,
                        bool caseSensitive) {
    std::string l = ReplaceAll(left, "#引号", "\"");
    std::string r = ReplaceAll(right, "#引号", "\"");
    if (start < 1) start = 1;
    if (static_cast<size_t>(start - 1) > text.size()) return {};
    size_t a = Find(text, l, static_cast<size_t>(start - 1), caseSensitive);
    if (a == std::string_view::npos) return {};
    size_t from = a + l.size();
    size_t b = Find(text, r, from, caseSensitive);
    if (b == std::string_view::npos) return {};
    return std::string(text.substr(from, b - from));
}

int32_t IntegerValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint32_t value = 0;  // unsigned arithmetic wraps like a 32-bit register, without UB
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

bool IsIntegerText(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
    return digits > 0 && i == text.size();
}

std::string NumberText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.13g", v);
    return buf;
}

std::vector<std::string> SplitText(std::string_view text, std::string_view sep) {
    std::vector<std::string> pieces;
    if (text.empty()) return pieces;
    if (sep.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    size_t from = 0;
    for (;;) {
        size_t p = text.find(sep, from);
        if (p == std::string_view::npos) {
            pieces.emplace_back(text.substr(from));
            break;
        }
        pieces.emplace_back(text.substr(from, p - from));
        from = p + sep.size();
    }
    if (!pieces.empty() && pieces.back().empty()) pieces.pop_back();
    return pieces;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    for (;;) {
        size_t p = text.find(from, pos);
        if (p == std::string_view::npos) break;
        out.append(text.substr(pos, p - pos));
        out.append(to);
        pos = p + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

std::string Trim(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t a = 0, b = text.size();
    while (a < b && blank(text[a])) ++a;
    while (b > a && blank(text[b - 1])) --b;
    return std::string(text.substr(a, b - a));
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Find(text.substr(0, prefix.size()), prefix, 0, false) == 0;
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t n;
        uint32_t cp;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { n = 1; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { n = 2; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { n = 3; cp = c & 0x07; }
        else return false;
        if (i + n >= s.size()) return false;  // truncated sequence
        for (size_t k = 1; k <= n; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Reject overlong forms, surrogates and values past U+10FFFF.
        if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) { return Convert("UTF-8", "GBK", gbk); }
std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
    if (!IsValidUtf8(utf8)) return std::nullopt;
    return Convert("GBK", "UTF-8", utf8);
}

}  // namespace qivra
