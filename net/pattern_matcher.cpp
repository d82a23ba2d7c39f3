#include "net/pattern_matcher.hpp"

#include <pcre2.h>

#include <memory>

#include "core/text.hpp"

namespace qivra {
namespace {

struct CodeFree {
    void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};

constexpr size_t kUnset = std::string::npos;

}  // namespace

void PatternMatcher::Clear() {
    compiled_ = false;
    limitHit_ = false;
    pattern_.clear();
    source_.clear();
    groupCount_ = 0;
    matches_.clear();
}

bool PatternMatcher::Create(std::string_view pattern, std::string_view source, bool caseSensitive,
                            bool multiLine, bool global, bool quotePlaceholder) {
    Clear();
    std::string text = quotePlaceholder ? ReplaceAll(pattern, "#引号", "\"") : std::string(pattern);

    std::unique_ptr<pcre2_compile_context, CompileContextFree> context(pcre2_compile_context_create(nullptr));
    if (!context) return false;
    // LF only: a CR is an ordinary character, so the dot takes it and "\r\n" closes a line.
    // Set explicitly because the library's default is a build option.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    // Byte mode, and a pattern may not switch UTF on by itself: feed bytes are never rejected.
    uint32_t options = PCRE2_NEVER_UTF;
    if (!caseSensitive) options |= PCRE2_CASELESS;
    if (multiLine) options |= PCRE2_MULTILINE;
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    std::unique_ptr<pcre2_code, CodeFree> code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.data()),
                                                             text.size(), options, &error, &errorOffset,
                                                             context.get()));
    if (!code) return false;
    std::unique_ptr<pcre2_match_data, MatchDataFree> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr));
    if (!data) return false;
    // The texts come from outside: every run is bounded in steps and in backtracking depth
    // (which also bounds the engine's heap).
    std::unique_ptr<pcre2_match_context, MatchContextFree> matchContext(pcre2_match_context_create(nullptr));
    if (!matchContext) return false;
    pcre2_set_match_limit(matchContext.get(), kMatchStepLimit);
    pcre2_set_depth_limit(matchContext.get(), kMatchDepthLimit);
    uint32_t groups = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);

    const auto subject = reinterpret_cast<PCRE2_SPTR>(source.data());
    const size_t length = source.size();
    std::vector<std::vector<Span>> found;
    size_t offset = 0;
    uint32_t flags = 0;
    while (offset <= length) {
        const int rc = pcre2_match(code.get(), subject, length, offset, flags, data.get(), matchContext.get());
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (flags == 0) break;
            // The last match was empty and no non-empty one starts there: step one character,
            // taking CR LF as one so no match is reported inside a line end.
            offset += (offset + 1 < length && source[offset] == '\r' && source[offset + 1] == '\n') ? 2 : 1;
            flags = 0;
            continue;
        }
        if (rc < 0) {
            // A run that gave up proves nothing about the rest of the text: no partial result.
            limitHit_ = rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT || rc == PCRE2_ERROR_HEAPLIMIT;
            return false;
        }
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data.get());
        if (ov[0] > ov[1] || ov[1] > length) return false;  // \K tricks; never a reversed span
        std::vector<Span> spans(groups + 1, Span{kUnset, 0});
        for (uint32_t g = 0; g <= groups && g < static_cast<uint32_t>(rc); ++g) {
            if (ov[2 * g] != PCRE2_UNSET && ov[2 * g] <= ov[2 * g + 1])
                spans[g] = {ov[2 * g], ov[2 * g + 1] - ov[2 * g]};
        }
        found.push_back(std::move(spans));
        if (!global) break;
        offset = ov[1];
        flags = ov[0] == ov[1] ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0;
    }

    compiled_ = true;
    pattern_ = std::move(text);
    source_ = std::string(source);
    groupCount_ = static_cast<int>(groups);
    matches_ = std::move(found);
    return true;
}

std::string PatternMatcher::PatternText() const { return pattern_; }

int PatternMatcher::MatchCount() const { return static_cast<int>(matches_.size()); }

int PatternMatcher::SubMatchCount() const { return matches_.empty() ? 0 : groupCount_; }

const PatternMatcher::Span* PatternMatcher::Find(int i, int j) const {
    if (i < 1 || static_cast<size_t>(i) > matches_.size() || j < 0 || j > groupCount_) return nullptr;
    const Span& span = matches_[static_cast<size_t>(i - 1)][static_cast<size_t>(j)];
    return span.first == kUnset ? nullptr : &span;
}

std::string PatternMatcher::MatchText(int i, int* position) const {
    const Span* span = Find(i, 0);
    if (position) *position = span ? static_cast<int>(span->first) : -1;
    return span ? source_.substr(span->first, span->second) : std::string();
}

std::string PatternMatcher::SubMatchText(int i, int j, int* position) const {
    const Span* span = j >= 1 ? Find(i, j) : nullptr;
    if (position) *position = span ? static_cast<int>(span->first) : -1;
    return span ? source_.substr(span->first, span->second) : std::string();
}

std::string PatternMatcher::Replace(std::string_view replacement) const {
    if (!compiled_) return {};
    std::string out;
    size_t copied = 0;
    for (const std::vector<Span>& match : matches_) {
        const Span& whole = match[0];
        out.append(source_, copied, whole.first - copied);
        copied = whole.first + whole.second;
        for (size_t k = 0; k < replacement.size(); ++k) {
            const char c = replacement[k];
            const char next = k + 1 < replacement.size() ? replacement[k + 1] : '\0';
            if (c != '$' || next == '\0') {
                out += c;
                continue;
            }
            auto isDigit = [](char d) { return d >= '0' && d <= '9'; };
            if (next == '$') {
                out += '$';
                ++k;
            } else if (next == '&') {
                out.append(source_, whole.first, whole.second);
                ++k;
            } else if (next == '`') {
                out.append(source_, 0, whole.first);
                ++k;
            } else if (next == '\'') {
                out.append(source_, copied);
                ++k;
            } else if (isDigit(next)) {
                // Two digits when they name a group, else one, else the text stays as written.
                int group = next - '0';
                size_t used = 1;
                if (k + 2 < replacement.size() && isDigit(replacement[k + 2])) {
                    const int two = group * 10 + (replacement[k + 2] - '0');
                    if (two >= 1 && two <= groupCount_) {
                        group = two;
                        used = 2;
                    }
                }
                if (group < 1 || group > groupCount_) {
                    out += c;
                    continue;
                }
                const Span& span = match[static_cast<size_t>(group)];
                if (span.first != kUnset) out.append(source_, span.first, span.second);
                k += used;
            } else {
                out += c;
            }
        }
    }
    out.append(source_, copied);
    return out;
}

}  // namespace qivra
