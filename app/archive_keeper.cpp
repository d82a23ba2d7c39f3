#include "app/archive_keeper.hpp"

#include <algorithm>

#include "archive/date_time.hpp"
#include "core/text.hpp"

namespace qivra {

ArchiveKeeper::ArchiveKeeper(std::filesystem::path path, Clock clock) : path_(std::move(path)), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return std::chrono::system_clock::now(); };
}

ArchiveKeeper::~ArchiveKeeper() = default;

std::string ArchiveKeeper::Open() {
    DrawArchive::Opening opening = DrawArchive::Open(path_, clock_);
    archive_ = std::move(opening.archive);
    Recount();
    return opening.report.Message();
}

std::optional<MergeResult> ArchiveKeeper::MergeFeed(int game, const DrawHistory& feed) {
    if (!archive_ || feed.empty()) return std::nullopt;
    MergeResult result = archive_->Merge(game, feed, LocalDateTimeText(clock_()));
    if (game >= 0 && game < static_cast<int>(conflicts_.size())) conflicts_[static_cast<size_t>(game)] += result.newConflicts;
    return result;
}

void ArchiveKeeper::Recount() {
    for (size_t g = 0; g < conflicts_.size(); ++g)
        conflicts_[g] = archive_ ? archive_->Summary(static_cast<int>(g)).conflicts : 0;
}

int64_t ArchiveKeeper::Conflicts(int game) const {
    return game >= 0 && game < static_cast<int>(conflicts_.size()) ? conflicts_[static_cast<size_t>(game)] : 0;
}

std::string ArchiveKeeper::ConflictText(int game) const {
    const int64_t n = Conflicts(game);
    return n > 0 ? "档案冲突：" + std::to_string(n) : std::string();
}

DrawRecord RecordFromArchived(const ArchivedDraw& draw) {
    const std::string_view at(draw.drawnAt);
    return DrawRecord::Make(std::to_string(draw.period), std::string(at.substr(std::min<size_t>(11, at.size()))),
                            draw.digit1, draw.digit2, draw.digit3);
}

std::vector<DrawRecord> ArchiveKeeper::OlderDraws(int game, const DrawHistory& history, int count) const {
    std::vector<DrawRecord> older;
    if (!archive_ || history.empty() || count <= 0) return older;
    const int64_t oldest = IntegerValue(history.at(history.size()).period);
    if (oldest <= 1) return older;
    const std::vector<ArchivedDraw> rows = archive_->ReadPeriods(game, std::max<int64_t>(1, oldest - count), oldest - 1);
    // Newest first, and only while the periods run on without a gap: a forecast must never
    // read a wrong neighbour.
    int64_t expected = oldest - 1;
    for (auto it = rows.rbegin(); it != rows.rend() && it->period == expected; ++it, --expected)
        older.push_back(RecordFromArchived(*it));
    return older;
}

std::optional<OutOfSampleCheck> CheckOutOfSampleWithArchive(const ArchiveKeeper* keeper, int game,
                                                            const DrawHistory& history, const FormulaSet& formulas,
                                                            PredictionKind kind, int window, int depth) {
    std::optional<OutOfSampleCheck> check = CheckOutOfSample(history, formulas, kind, window, depth);
    if (!check || check->HasOutOfSample() || !keeper) return check;
    const std::vector<DrawRecord> older = keeper->OlderDraws(game, history, kOutOfSampleArchiveDraws);
    if (older.empty()) return check;
    return CheckOutOfSample(history, formulas, kind, window, depth, older);
}

}  // namespace qivra
