#pragma once
// A read-only table the user sorts by clicking a column's header. Number columns sort by their
// value, not by the text they show ("9" before "10", "<0.0001" before "0.002").

#include <QColor>
#include <QString>
#include <QTableWidget>

#include <optional>
#include <vector>

namespace qivra {

struct SortTableCell {
    QString text;                // shown as plain text
    std::optional<double> key;   // the value the column sorts by; none: sorts by the text
};

struct SortTableRow {
    std::vector<SortTableCell> cells;
    std::optional<QColor> background;  // the whole row's
};

class SortTable : public QTableWidget {
    Q_OBJECT
public:
    explicit SortTable(QWidget* parent = nullptr);

    void SetColumns(const QStringList& titles, const QList<int>& widths);
    // Replaces every row. The order the user chose (column and direction) is kept; until the
    // user chooses one, rows stay in the order given.
    void SetRows(const std::vector<SortTableRow>& rows);
    int RowCount() const { return rowCount(); }
    QString CellText(int row, int column) const;
    // The column with this title, -1 when none.
    int ColumnOf(const QString& title) const;
};

}  // namespace qivra
