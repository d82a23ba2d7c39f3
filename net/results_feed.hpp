#pragma once
// The results feed: one draw per CR LF-terminated line, newest first, one line format per game.

#include <optional>
#include <string>
#include <string_view>

#include "core/draw.hpp"
#include "net/deployment.hpp"
#include "net/remote_config.hpp"

namespace qivra {

// Game 0: "period-date time-a + b + c = sum"; game 1: "period-time-a+b+c".
inline constexpr std::string_view kFeedLinePattern0 = "(.*?)-(.*?) (.*?)-(.*?) = (.*?)\r\n";
inline constexpr std::string_view kFeedLinePattern1 = "(.*?)-(.*?)-(.*?)\r\n";

inline constexpr int kMinFeedDraws = 5;

// The newest `depth` draws of the feed, newest first, sums computed from the digits. Fewer
// matching lines than kMinFeedDraws gives nullopt. A matching line whose digit group is not
// three digits 0-9 ends the history before it; if fewer than kMinFeedDraws draws remain, nullopt.
// A line the matcher cannot finish within its limits (see kMatchStepLimit) makes the whole
// body unreadable: nullopt, never a history with a gap. Time is linear in the body's size.
std::optional<DrawHistory> ParseFeed(std::string_view body, int gameIndex,
                                     int depth = kDefaultHistoryDepth + kHistoryLookback);

// The decoded feed address of a game (its endpoint field of the configuration); "" when the
// game is unknown or the field is missing or damaged.
std::string FeedUrl(const RemoteConfig& config, int gameIndex, const DeploymentSettings& settings);

}  // namespace qivra
