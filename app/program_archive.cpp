// The program's draw archive and its 【历史回测】 page: opened with the main window, fed by every
// refresh, read by the page and its worker.

#include <filesystem>

#include "app/archive_keeper.hpp"
#include "app/backtest_page.hpp"
#include "app/custom_page.hpp"
#include "app/program.hpp"
#include "ui/backtest_page_view.hpp"
#include "ui/controls.hpp"
#include "ui/message_boxes.hpp"
#include "ui/qt_support.hpp"

namespace qivra {
namespace {

// Parts 2 and 3 hold the connection and the search; the first part is free.
constexpr int kArchiveStatusPart = 0;

}  // namespace

void Program::CreateBacktestPage() {
    const std::filesystem::path path =
        services_.archivePath.empty() ? DefaultArchivePath() : std::filesystem::path(services_.archivePath);
    std::shared_ptr<const Clock> clock = services_.clock;
    archive_ = std::make_unique<ArchiveKeeper>(path, [clock] { return clock->Now(); });
    // A damaged file has been moved aside, never deleted: the user learns where it lies.
    if (const std::string told = archive_->Open(); !told.empty())
        Messages().Show(nullptr, ToQString("信息："), ToQString(told), MessageBoxes::Icon::Information,
                        MessageBoxes::Buttons::Ok);

    BacktestPageHost host;
    host.mainGame = [this] { return choices_.game; };
    host.freePlans = [this]() -> const std::vector<PlanDefinition>& { return state_.freePlans; };
    host.namedPlans = [this]() -> const std::vector<PlanDefinition>& { return state_.namedPlans; };
    host.storedAlgorithms = [this] {
        // The custom page's list once it is switched on; the store file as it stands before.
        if (custom_->Enabled()) return custom_->Algorithms();
        return LoadStoreFile(custom_->StorePath()).rows;
    };
    host.archive = [this] { return archive_.get(); };
    host.messages = [this]() -> MessageBoxes& { return Messages(); };
    host.dialogParent = [this] { return DialogParent(); };
    host.archiveChanged = [this] {
        archive_->Recount();
        View().status->SetPartText(kArchiveStatusPart, ToQString(archive_->ConflictText(choices_.game)));
    };
    host.nativeDialogs = services_.nativeDialogs;
    backtest_ = std::make_unique<BacktestPage>(BuildBacktestPage(*window_, *window_->Tabs()), std::move(host));
}

void Program::MergeIntoArchive(int game) {
    if (!archive_) return;
    const std::optional<MergeResult> merged = archive_->MergeFeed(game, state_.history);
    std::string status = archive_->ConflictText(game);
    if (merged && !merged->error.empty()) status = "存档写入失败";
    View().status->SetPartText(kArchiveStatusPart, ToQString(status));
    if (backtest_ && merged && merged->inserted > 0 && window_->Tabs()->CurrentIndex() == backtest_->View().pageIndex)
        backtest_->ShowArchiveInfo();
}

}  // namespace qivra
