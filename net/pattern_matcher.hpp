#pragma once
// One regular expression run over one text, its matches kept for later questions.
// Perl syntax (PCRE2, byte mode): the dot matches CR but not LF, so "(.*?)\r\n" ends a lazy
// group exactly at a CR LF line end. Texts are bytes: UTF-8, GBK or anything else is fine.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qivra {

// Bounds of one run of the engine (one search for the next match), so a text built to make
// the backtracking explode fails quickly instead of hanging. A legitimate feed line costs about
// one step per byte and a depth of a dozen frames. A global Create makes one run per match, so
// its cost is bounded by the matches times the limit, not by the text's length alone.
inline constexpr uint32_t kMatchStepLimit = 1'000'000;
inline constexpr uint32_t kMatchDepthLimit = 10'000;

class PatternMatcher {
public:
    // Compiles pattern and runs it over source: every match left to right when global, else
    // the first. With quotePlaceholder every "#引号" in the pattern stands for a double quote.
    // False for an invalid pattern or a failed run (a limit hit included); then there are no
    // matches, not even those found before the failure.
    bool Create(std::string_view pattern, std::string_view source, bool caseSensitive = false,
                bool multiLine = true, bool global = true, bool quotePlaceholder = false);

    std::string PatternText() const;  // as compiled (placeholders replaced); "" when none
    // The source with the matches replaced. In the replacement "$1".."$99" is a group, "$&" the
    // whole match, "$`" / "$'" the text before / after it, "$$" a dollar; "" when nothing compiled.
    std::string Replace(std::string_view replacement) const;
    int MatchCount() const;
    // 1-based i; position gets the 0-based byte offset, or -1 when there is no such match.
    std::string MatchText(int i, int* position = nullptr) const;
    // 1-based i, j; a group that took no part gives "" and position -1.
    std::string SubMatchText(int i, int j, int* position = nullptr) const;
    int SubMatchCount() const;  // groups of the first match; 0 when there is no match
    // Whether the last Create failed because a run reached kMatchStepLimit or kMatchDepthLimit.
    bool LimitHit() const { return limitHit_; }

private:
    using Span = std::pair<size_t, size_t>;  // offset, length; offset npos = group unset

    void Clear();
    const Span* Find(int i, int j) const;

    // The compiled code and match data live only inside Create (owned there), so copies and
    // moves share nothing and a copy may be used on another thread.
    bool compiled_ = false;
    bool limitHit_ = false;
    std::string pattern_;
    std::string source_;
    int groupCount_ = 0;
    std::vector<std::vector<Span>> matches_;  // per match: [0] whole match, [j] group j
};

}  // namespace qivra
