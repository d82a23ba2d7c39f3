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
    MainWindow* w = program.mainWindow();
    CustomPage* page = &program.custom();
    auto link = [w](int n) { return w->control<HyperLinker>(QStringLiteral("超级链接框%1").arg(n)); };
    auto onRelease = [&](int n, void (CustomPage::*op)()) {
        if (HyperLinker* l = link(n)) QObject::connect(l, &HyperLinker::leftReleased, page, op);
    };

    if (auto* enable = w->control<QPushButton>(QStringLiteral("按钮4")))
        QObject::connect(enable, &QPushButton::clicked, page, [page] { page->EnableCustomAlgorithms(); });
    onRelease(73, &CustomPage::RandomizeFormulas);
    onRelease(82, &CustomPage::StartSearch);
    onRelease(84, &CustomPage::ShowHelp);
    onRelease(85, &CustomPage::RefreshCustomPage);
    onRelease(86, &CustomPage::SaveAlgorithm);
    onRelease(89, &CustomPage::OpenStatsWindowList);
    if (HyperLinker* l = link(87))
        QObject::connect(l, &HyperLinker::leftReleased, page, [page] { page->DeleteSelectedAlgorithm(true); });
    for (int n = 74; n <= 81; ++n)
        if (HyperLinker* l = link(n))
            QObject::connect(l, &HyperLinker::leftReleased, page, [page, n] { page->SelectCustomKind(n); });

    if (auto* window = w->control<QComboBox>(QStringLiteral("组合框5")))
        QObject::connect(window, &QComboBox::activated, page, &CustomPage::ChooseStatsWindow);
    if (auto* list = w->control<ReportListView>(QStringLiteral("超级列表框2"))) {
        QObject::connect(list, &ReportListView::currentRowChanged, page, &CustomPage::SelectAlgorithm);
        QObject::connect(list, &ReportListView::rightPressed, page, &CustomPage::ShowContextMenu);
    }
    if (QAction* a = w->DeleteAlgorithmAction())
        QObject::connect(a, &QAction::triggered, page, [page] { page->DeleteSelectedAlgorithm(false); });
    if (QAction* a = w->ClearAlgorithmsAction())
        QObject::connect(a, &QAction::triggered, page, [page] { page->ClearAlgorithms(); });
}

}  // namespace qivra
