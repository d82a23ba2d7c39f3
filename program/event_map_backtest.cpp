// 【历史回测】: the page's controls report the user's choices and run its operations.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/backtest_page.hpp"
#include "app/program.hpp"
#include "program/event_map.hpp"
#include "ui/controls.hpp"
#include "ui/main_window.hpp"
#include "ui/qt_support.hpp"

namespace qivra {

void ConnectBacktestEvents(Program& program) {
    BacktestPage* page = &program.Backtest();
    const BacktestPageView& v = page->View();
    QObject::connect(program.Window()->Tabs(), &TabBox::currentChanged, page, [page](int index) {
        if (index == page->View().pageIndex) page->ShowPage();
    });
    auto report = [page](auto change) { page->ReportChoice(change); };
    QObject::connect(v.game, &QComboBox::activated, page, [page, report](int index) {
        report([index](BacktestChoices& c) { c.game = index; });
        page->ShowArchiveInfo();
    });
    QObject::connect(v.subject, &QComboBox::activated, page,
                     [report](int index) { report([index](BacktestChoices& c) { c.subject = index; }); });
    QObject::connect(v.kind, &QComboBox::activated, page,
                     [report](int index) { report([index](BacktestChoices& c) { c.kind = index; }); });
    const std::array<QRadioButton*, 3> ranges{v.rangeLast, v.rangeBetween, v.rangeAll};
    for (int mode = 0; mode < 3; ++mode)
        QObject::connect(ranges[static_cast<size_t>(mode)], &QRadioButton::toggled, page, [report, mode](bool on) {
            if (on) report([mode](BacktestChoices& c) { c.rangeMode = mode; });
        });
    auto text = [page, report](QLineEdit* edit, std::string BacktestChoices::*field) {
        QObject::connect(edit, &QLineEdit::textEdited, page, [report, field](const QString& t) {
            report([&](BacktestChoices& c) { c.*field = ToUtf8(t); });
        });
    };
    text(v.lastCount, &BacktestChoices::lastCount);
    text(v.from, &BacktestChoices::from);
    text(v.to, &BacktestChoices::to);
    text(v.window, &BacktestChoices::window);
    QObject::connect(v.start, &QPushButton::clicked, page, [page] { page->StartBacktest(); });
    QObject::connect(v.cancel, &QPushButton::clicked, page, [page] { page->CancelBacktest(); });
    QObject::connect(v.importCsv, &QPushButton::clicked, page, [page] { page->ChooseImportFile(); });
    QObject::connect(v.exportCsv, &QPushButton::clicked, page, [page] { page->ChooseExportFile(); });
}

}  // namespace qivra
