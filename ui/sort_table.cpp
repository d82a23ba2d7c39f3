#include "ui/sort_table.hpp"

#include <QHeaderView>

#include <cmath>
#include <limits>

namespace qivra {
namespace {

constexpr int kSortKeyRole = Qt::UserRole;

// Compares by the sort key when both cells have one; a cell without a value ("—") sorts after
// every number in ascending order.
class SortItem final : public QTableWidgetItem {
public:
    SortItem() { setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable); }

    void Show(const SortTableCell& cell, const std::optional<QColor>& background) {
        if (text() != cell.text) setText(cell.text);
        const QVariant key = cell.key && !std::isnan(*cell.key) ? QVariant(*cell.key) : QVariant();
        if (data(kSortKeyRole) != key) setData(kSortKeyRole, key);
        const QBrush brush = background ? QBrush(*background) : QBrush();
        if (this->background() != brush) setBackground(brush);
    }

    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant mine = data(kSortKeyRole);
        const QVariant theirs = other.data(kSortKeyRole);
        if (!mine.isValid() && !theirs.isValid()) return QTableWidgetItem::operator<(other);
        const double inf = std::numeric_limits<double>::infinity();
        const double a = mine.isValid() ? mine.toDouble() : inf;
        const double b = theirs.isValid() ? theirs.toDouble() : inf;
        return a < b;
    }
};

}  // namespace

SortTable::SortTable(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setWordWrap(false);
    // Tab leaves the table for the next control; the arrow keys move between its cells.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(22);
    horizontalHeader()->setSortIndicatorShown(true);
    // No order until the user picks one: the rows keep the order they are given in.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
}

void SortTable::SetColumns(const QStringList& titles, const QList<int>& widths) {
    setColumnCount(static_cast<int>(titles.size()));
    setHorizontalHeaderLabels(titles);
    for (int c = 0; c < titles.size() && c < widths.size(); ++c) setColumnWidth(c, widths[c]);
}

void SortTable::SetRows(const std::vector<SortTableRow>& rows) {
    // Sorting while filling would move rows under the loop; it is switched back on at the end,
    // which sorts once by the user's column.
    // The items already there are written over (whichever rows they sort into): a recompute
    // changes a few figures, and only those cells change.
    setSortingEnabled(false);
    setRowCount(static_cast<int>(rows.size()));
    const SortTableCell empty;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const SortTableRow& row = rows[static_cast<size_t>(r)];
        for (int c = 0; c < columnCount(); ++c) {
            auto* cell = static_cast<SortItem*>(item(r, c));
            if (!cell) {
                cell = new SortItem;
                setItem(r, c, cell);
            }
            cell->Show(static_cast<size_t>(c) < row.cells.size() ? row.cells[static_cast<size_t>(c)] : empty, row.background);
        }
    }
    setSortingEnabled(true);
}

QString SortTable::CellText(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

int SortTable::ColumnOf(const QString& title) const {
    for (int c = 0; c < columnCount(); ++c)
        if (const QTableWidgetItem* h = horizontalHeaderItem(c); h && h->text() == title) return c;
    return -1;
}

}  // namespace qivra
