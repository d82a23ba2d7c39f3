#include "program/event_map.hpp"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

#include "app/custom_page.hpp"
#include "app/program.hpp"
#include "ui/controls.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/main_window.hpp"

namespace qivra {

void ConnectCustomEvents(Program& program) {
    MainWindow* w = program.Window();
    const MainWindowView& v = w->View();
    CustomPage* page = &program.Custom();
    auto onRelease = [&](int n, void (CustomPage::*op)()) {
        QObject::connect(v.Link(n), &HyperLinker::leftReleased, page, op);
    };

    QObject::connect(v.enableCustom, &QPushButton::clicked, page, [page] { page->EnableCustomAlgorithms(); });
    onRelease(73, &CustomPage::RandomizeFormulas);
    onRelease(82, &CustomPage::StartSearch);
    onRelease(84, &CustomPage::ShowHelp);
    onRelease(85, &CustomPage::RefreshCustomPage);
    onRelease(86, &CustomPage::SaveAlgorithm);
    onRelease(89, &CustomPage::OpenStatsWindowList);
    QObject::connect(v.Link(87), &HyperLinker::leftReleased, page, [page] { page->DeleteSelectedAlgorithm(true); });
    for (int n = 74; n <= 81; ++n)
        QObject::connect(v.Link(n), &HyperLinker::leftReleased, page, [page, n] { page->SelectCustomKind(n); });

    QObject::connect(v.statsWindow, &QComboBox::activated, page, &CustomPage::ChooseStatsWindow);
    QObject::connect(v.algorithms, &ReportListView::currentRowChanged, page, &CustomPage::SelectAlgorithm);
    QObject::connect(v.algorithms, &ReportListView::rightPressed, page, &CustomPage::ShowContextMenu);
    if (QAction* a = w->DeleteAlgorithmAction())
        QObject::connect(a, &QAction::triggered, page, [page] { page->DeleteSelectedAlgorithm(false); });
    if (QAction* a = w->ClearAlgorithmsAction())
        QObject::connect(a, &QAction::triggered, page, [page] { page->ClearAlgorithms(); });
}

}  // namespace qivra
