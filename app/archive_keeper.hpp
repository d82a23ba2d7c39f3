#pragma once
// The program's draw archive: opened once at start-up, every parsed feed merged into it on the
// user-interface thread (a 110-line merge takes well under a millisecond), and the running count
// of conflicts the status bar shows.

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/draw_archive.hpp"
#include "core/draw.hpp"
#include "custom/custom_forecast.hpp"
#include "plans/prediction.hpp"
#include "stats/judged_runs.hpp"

namespace qivra {

class ArchiveKeeper {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    ArchiveKeeper(std::filesystem::path path, Clock clock);
    ~ArchiveKeeper();

    // Opens the archive. Returns what the user must be told: a damaged file moved aside and a
    // new one started, or no archive at all ("" when it opened as it should).
    std::string Open();

    // Null when no archive could be opened.
    DrawArchive* Archive() const { return archive_.get(); }
    const std::filesystem::path& Path() const { return path_; }

    // One refresh's parsed feed (newest first), dated by the clock's local time, in one
    // transaction. nullopt without an archive.
    std::optional<MergeResult> MergeFeed(int game, const DrawHistory& feed);
    // Counts again after something other than a feed changed the archive (an import).
    void Recount();

    // Other digits seen for archived periods of a game.
    int64_t Conflicts(int game) const;
    // "档案冲突：3" for the status bar; "" without conflicts.
    std::string ConflictText(int game) const;

    // Up to `count` archived draws of a game older than the history's oldest record, newest
    // first, stopping at the first missing period: the continuation an out-of-sample check
    // may judge. Empty without an archive, or when the history's oldest period is not archived
    // next to an older one.
    std::vector<DrawRecord> OlderDraws(int game, const DrawHistory& history, int count) const;

private:
    std::filesystem::path path_;
    Clock clock_;
    std::unique_ptr<DrawArchive> archive_;
    std::array<int64_t, 2> conflicts_{};
};

// The most archived draws an out-of-sample check reads beyond the history: enough for a
// verdict, few enough to judge on the user-interface thread in a few milliseconds.
inline constexpr int kOutOfSampleArchiveDraws = 2000;

// A search result's out-of-sample check (CheckOutOfSample). Where the history alone leaves no
// older period to judge, the archive's draws before the history are judged as well. keeper
// may be null.
std::optional<OutOfSampleCheck> CheckOutOfSampleWithArchive(const ArchiveKeeper* keeper, int game,
                                                            const DrawHistory& history, const FormulaSet& formulas,
                                                            PredictionKind kind, int window, int depth);

// An archived draw as a feed record (the time of day as the feed gives it).
DrawRecord RecordFromArchived(const ArchivedDraw& draw);

}  // namespace qivra
