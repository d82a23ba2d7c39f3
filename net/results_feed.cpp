#include "net/results_feed.hpp"

#include <vector>

#include "core/text.hpp"
#include "net/pattern_matcher.hpp"
#include "net/stored_text.hpp"

namespace qivra {
namespace {

// Short lines are matched in batches: one compile per batch rather than per line.
constexpr size_t kBatchBytes = 16 * 1024;

std::optional<int32_t> DigitValue(std::string_view part) {
    if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    int32_t v = IntegerValue(part);
    if (v > 9) return std::nullopt;
    return v;
}

// The record of one matching line, or nullopt when its digit group is not three digits.
std::optional<DrawRecord> RecordOf(const PatternMatcher& m, int i, int gameIndex) {
    std::string period = m.SubMatchText(i, 1);
    std::string time = gameIndex == 0 ? m.SubMatchText(i, 3).substr(0, 5) : m.SubMatchText(i, 2);
    std::vector<std::string> parts =
        gameIndex == 0 ? SplitText(m.SubMatchText(i, 4), " + ") : SplitText(m.SubMatchText(i, 3), "+");
    if (parts.size() != 3) return std::nullopt;
    std::optional<int32_t> a = DigitValue(parts[0]);
    std::optional<int32_t> b = DigitValue(parts[1]);
    std::optional<int32_t> c = DigitValue(parts[2]);
    if (!a || !b || !c) return std::nullopt;
    return DrawRecord::Make(std::move(period), std::move(time), *a, *b, *c);
}

// Whether a line (ending in LF) can match the game's pattern. The lazy groups take the earliest
// separator each, so looking for the separators in order answers exactly, in linear time, and
// spares the matcher the lines on which its backtracking would grow with the fifth power of
// the line length.
bool CanMatch(std::string_view line, int gameIndex) {
    if (line.size() < 2 || line.substr(line.size() - 2) != "\r\n") return false;
    std::string_view text = line.substr(0, line.size() - 2);
    size_t p = text.find('-');
    if (p == std::string_view::npos) return false;
    if (gameIndex == 1) return text.find('-', p + 1) != std::string_view::npos;
    p = text.find(' ', p + 1);
    if (p == std::string_view::npos) return false;
    p = text.find('-', p + 1);
    if (p == std::string_view::npos) return false;
    return text.find(" = ", p + 1) != std::string_view::npos;
}

}  // namespace

std::optional<DrawHistory> ParseFeed(std::string_view body, int gameIndex, int depth) {
    if (gameIndex != 0 && gameIndex != 1) return std::nullopt;
    const std::string_view pattern = gameIndex == 0 ? kFeedLinePattern0 : kFeedLinePattern1;

    // A match never crosses a line end (the dot does not match LF and the pattern ends at the
    // CR LF), so matching batches of whole lines finds what one run over the body would.
    std::vector<DrawRecord> draws;
    bool done = static_cast<int>(draws.size()) >= depth;
    bool failed = false;
    std::string batch;
    auto matchBatch = [&] {
        PatternMatcher m;
        if (batch.empty()) return;
        if (!m.Create(pattern, batch, false, true, true)) {
            // The matcher gave up (a line built to exhaust its limits): the draws of this batch
            // are unknown, so a history without them would only look complete.
            failed = done = true;
        } else {
            for (int i = 1; i <= m.MatchCount() && !done; ++i) {
                std::optional<DrawRecord> record = RecordOf(m, i, gameIndex);
                if (!record) {
                    done = true;  // the history ends before a broken line
                    break;
                }
                draws.push_back(std::move(*record));
                done = static_cast<int>(draws.size()) >= depth;
            }
        }
        batch.clear();
    };

    size_t pos = 0;
    while (!done && pos < body.size()) {
        size_t lf = body.find('\n', pos);
        if (lf == std::string_view::npos) break;  // an unterminated last line is no draw
        std::string_view line = body.substr(pos, lf + 1 - pos);
        pos = lf + 1;
        if (!CanMatch(line, gameIndex)) continue;
        // A batch is flushed before it would outgrow its size, so a long line is matched alone,
        // after the lines before it, and only when the history still needs it.
        if (!batch.empty() && batch.size() + line.size() > kBatchBytes) {
            matchBatch();
            if (done) break;
        }
        batch += line;
    }
    if (!done) matchBatch();

    if (failed || static_cast<int>(draws.size()) < kMinFeedDraws) return std::nullopt;
    return DrawHistory(std::move(draws));
}

std::string FeedUrl(const RemoteConfig& config, int gameIndex, const DeploymentSettings& settings) {
    if (gameIndex == 0) return DecodeStoredText(config.feedEndpoint1, settings);
    if (gameIndex == 1) return DecodeStoredText(config.feedEndpoint2, settings);
    return {};
}

}  // namespace qivra
