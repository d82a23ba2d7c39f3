#pragma once
// The cell grid of the plan, history and trend views. Rows and columns count from 0 and row 0
// is the header row: it is drawn as the grid's column header, so it stays in view while the
// rows scroll, yet its cells are written and read like any other.

#include <QColor>
#include <QString>
#include <QTableView>
#include <memory>

namespace qivra {

class EGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int kDefaultRowHeight = 24;
    static constexpr int kDefaultColumnWidth = 64;

    // rows counts the header row. Columns from shownColumns on start hidden (zero width): the
    // layouts address more columns than a grid shows, and writes there must stay harmless.
    explicit EGrid(QWidget* parent = nullptr, int rows = 101, int columns = 10, int shownColumns = 10);
    ~EGrid() override;

    int RowCount() const;
    void SetRowCount(int rows);  // at least 1; new rows start blank, removed rows are forgotten
    int ColumnCount() const;
    void SetColumnCount(int columns);  // at least 1

    bool Contains(int row, int column) const;

    // Writes outside the grid do nothing; reads outside give empty text, invalid colours.
    void SetCellText(int row, int column, const QString& text);
    QString CellText(int row, int column) const;
    void SetCellTextColour(int row, int column, const QColor& colour);
    QColor CellTextColour(int row, int column) const;   // black unless set
    void SetCellBackground(int row, int column, const QColor& colour);
    QColor CellBackground(int row, int column) const;   // invalid while the grid's default shows
    bool CellBold(int row, int column) const;
    int CellFontHeight(int row, int column) const;      // pixels
    Qt::Alignment CellAlignment(int row, int column) const;

    // Inclusive ranges (row1, column1)..(row2, column2). The part past the grid is clipped;
    // a range that starts outside the grid, or ends before it starts, does nothing.
    void SetRangeTextColour(int row1, int column1, int row2, int column2, const QColor& colour);
    void SetRangeBackground(int row1, int column1, int row2, int column2, const QColor& colour);
    void SetRangeBold(int row1, int column1, int row2, int column2, bool bold);
    void SetRangeFontHeight(int row1, int column1, int row2, int column2, int pixels);
    void SetRangeAlignment(int row1, int column1, int row2, int column2, Qt::Alignment alignment);
    void CentreRange(int row1, int column1, int row2, int column2);

    void SetRowHeight(int row, int height);  // row 0 sets the header's height
    int RowHeight(int row) const;
    void SetColumnWidth(int column, int width);  // 0 hides the column
    int ColumnWidth(int column) const;

private:
    class Model;
    template <class F>
    void ForRange(int row1, int column1, int row2, int column2, F&& apply);

    Model* model_;
};

}  // namespace qivra
