#include "ui/layout_table.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/controls.hpp"
#include "ui/egrid.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/integer_edit.hpp"
#include "ui/keyboard_access.hpp"
#include "ui/qt_support.hpp"
#include "ui/sort_table.hpp"

namespace qivra {

namespace {

QStringList Pieces(const std::string& text) {
    return text.empty() ? QStringList() : ToQString(text).split(QLatin1Char('|'));
}

QWidget* MakeLabel(const ControlRow& row, QWidget* parent) {
    auto* label = new ClickLabel(parent);
    // Before the caption: the label is announced as clickable from the first.
    if (row.flags & kHandCursor) label->SetClickable(true);
    label->SetCaption(ToQString(row.text));
    Qt::Alignment align = row.kind == ControlKind::Label && !(row.flags & kLeftAligned) ? Qt::AlignHCenter : Qt::AlignLeft;
    if (row.flags & kMultiLine) {
        label->setWordWrap(true);
        align |= Qt::AlignTop;
    } else {
        align |= Qt::AlignVCenter;
    }
    label->setAlignment(align);
    if (row.background) SetBackground(label, ToQColor(*row.background));
    return label;
}

QWidget* MakeEdit(const ControlRow& row, QWidget* parent) {
    if (row.flags & kMultiLine) {
        auto* edit = new QPlainTextEdit(parent);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->setTabChangesFocus(true);  // Tab moves on, as from every other box, rather than trapping the keyboard
        edit->setPlainText(ToQString(row.text));
        return edit;
    }
    QLineEdit* edit = (row.flags & kIntegerOnly) ? new IntegerEdit(parent, (row.flags & kSpinArrows) != 0)
                                                 : new QLineEdit(parent);
    edit->setText(ToQString(row.text));
    if (row.flags & kCentred) edit->setAlignment(Qt::AlignCenter);
    return edit;
}

QWidget* MakeCombo(const ControlRow& row, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->addItems(Pieces(row.items));
    combo->setCurrentIndex(row.selected);
    return combo;
}

QWidget* MakeLink(const ControlRow& row, QWidget* parent) {
    auto* link = new HyperLinker(parent);
    link->SetCaption(ToQString(row.text));
    link->SetTextColour(ToQColor(row.textColour.value_or(colours::kBlack)));
    link->SetBackground(ToQColor(row.background.value_or(colours::kLightGrey)));
    return link;
}

QWidget* MakeGrid(const ControlRow& row, QWidget* parent) {
    // items: "<columns>:<shown columns>"
    const QStringList shape = ToQString(row.items).split(QLatin1Char(':'));
    const int columns = shape.value(0).toInt();
    const int shown = shape.size() > 1 ? shape.value(1).toInt() : columns;
    return new EGrid(parent, 101, std::max(columns, 1), shown);
}

// "title:width|…" of a ListView or SortTable row.
void ColumnsOf(const ControlRow& row, QStringList& titles, QList<int>& widths) {
    for (const QString& column : Pieces(row.items)) {
        titles.append(column.section(QLatin1Char(':'), 0, 0));
        widths.append(column.section(QLatin1Char(':'), 1, 1).toInt());
    }
}

QWidget* MakeListView(const ControlRow& row, QWidget* parent) {
    auto* list = new ReportListView(parent);
    QStringList titles;
    QList<int> widths;
    ColumnsOf(row, titles, widths);
    list->SetColumns(titles, widths);
    for (const QString& first : Pieces(row.text)) list->SetCellText(list->InsertRow(list->RowCount()), 0, first);
    return list;
}

QWidget* MakeSortTable(const ControlRow& row, QWidget* parent) {
    auto* table = new SortTable(parent);
    QStringList titles;
    QList<int> widths;
    ColumnsOf(row, titles, widths);
    table->SetColumns(titles, widths);
    return table;
}

QWidget* MakeStatusBar(const ControlRow& row, QWidget* parent) {
    auto* strip = new StatusStrip(parent);
    QList<int> widths;
    for (const QString& w : Pieces(row.items)) widths.append(w.toInt());
    strip->SetPartWidths(widths);
    return strip;
}

QWidget* MakeTab(const ControlRow& row, QWidget* parent) {
    auto* tabs = new TabBox(parent);
    for (const QString& caption : Pieces(row.text)) tabs->AddPage(caption);
    // Sized now, so the pages sit in place (and report their geometry) before the first show.
    tabs->resize(row.width, row.height);
    tabs->PlaceParts();
    return tabs;
}

QWidget* MakeControl(const ControlRow& row, QWidget* parent) {
    switch (row.kind) {
        case ControlKind::ShapeBox:
            return new ShapeBox(parent);
        case ControlKind::Label:
        case ControlKind::TransLabel:
            return MakeLabel(row, parent);
        case ControlKind::Button:
            return new QPushButton(ToQString(row.text), parent);
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(ToQString(row.text), parent);
            box->setChecked(row.flags & kTicked);
            if (row.background) SetBackground(box, ToQColor(*row.background));
            return box;
        }
        case ControlKind::RadioBox: {
            auto* radio = new QRadioButton(ToQString(row.text), parent);
            radio->setChecked(row.flags & kTicked);
            return radio;
        }
        case ControlKind::ComboBox:
            return MakeCombo(row, parent);
        case ControlKind::EditBox:
            return MakeEdit(row, parent);
        case ControlKind::ColorPicker:
            return new ColourPicker(parent);
        case ControlKind::HyperLinker:
            return MakeLink(row, parent);
        case ControlKind::EGrid:
            return MakeGrid(row, parent);
        case ControlKind::ListView:
            return MakeListView(row, parent);
        case ControlKind::PicBox: {
            auto* picture = new QLabel(parent);
            picture->setTextFormat(Qt::PlainText);
            picture->setPixmap(QPixmap::fromImage(MakeBannerImage(row.width, row.height)));
            return picture;
        }
        case ControlKind::StatusBar:
            return MakeStatusBar(row, parent);
        case ControlKind::Tab:
            return MakeTab(row, parent);
        case ControlKind::SortTable:
            return MakeSortTable(row, parent);
    }
    return new QWidget(parent);
}

// The widget a row's children go into, and how far their layout top is shifted there.
QWidget* ResolveParent(QWidget* window, const std::string& parent, int& topShift) {
    topShift = 0;
    if (parent.empty()) return window;
    const QString name = ToQString(parent);
    const qsizetype slash = name.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        QWidget* box = window->findChild<QWidget*>(name);
        return box ? box : window;
    }
    auto* tabs = window->findChild<TabBox*>(name.left(slash));
    QWidget* page = tabs ? tabs->Page(name.mid(slash + 1).toInt()) : nullptr;
    if (!page) return window;
    topShift = TabBox::kHeaderHeight;
    return page;
}

}  // namespace

int FontHeightOf(const ControlRow& row) {
    if (row.flags & kH20) return 20;
    if (row.flags & kH16) return 16;
    if (row.flags & kH14) return 14;
    return 12;
}

void BuildControls(QWidget* window, const std::vector<ControlRow>& rows) {
    for (const ControlRow& row : rows) {
        int topShift = 0;
        QWidget* parent = ResolveParent(window, row.parent, topShift);
        QWidget* w = MakeControl(row, parent);
        const QString name = ToQString(row.name);
        w->setObjectName(name);
        w->setAccessibleDescription(name);
        if (const QString spoken = AccessibleNameFor(row); !spoken.isEmpty()) w->setAccessibleName(spoken);
        if (auto* button = qobject_cast<QAbstractButton*>(w)) MakeEnterClick(button);
        w->setFont(LayoutFont(FontHeightOf(row), (row.flags & kBold) != 0));
        w->setGeometry(row.left, row.top - topShift, row.width, row.height);
        if (row.textColour && row.kind != ControlKind::HyperLinker) SetTextColour(w, ToQColor(*row.textColour));
        if (row.flags & kHandCursor) w->setCursor(Qt::PointingHandCursor);
        if (row.flags & kDisabled) w->setEnabled(false);
        if (row.flags & kHidden) w->hide();
    }
}

}  // namespace qivra
