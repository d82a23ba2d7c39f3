#pragma once
// The plan views' handle on one grid. Copyable; an unbound helper ignores writes and reads as
// empty, so a view that runs before creation has bound it changes nothing.

#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

#include "plans/prediction.hpp"
#include "ui/egrid.hpp"

namespace qivra {

class PlanGridHelper final : public CellSink {
public:
    PlanGridHelper() = default;
    explicit PlanGridHelper(EGrid* grid) : grid_(grid) {}

    void Bind(EGrid* grid) { grid_ = grid; }
    EGrid* Grid() const { return grid_.data(); }
    bool IsBound() const { return !grid_.isNull(); }

    void SetCellText(int row, int column, const QString& text);
    void SetCellText(int row, int column, const std::string& utf8) override;
    QString CellText(int row, int column) const;
    // The cell's leading number (blanks, sign, digits, fraction, exponent); 0 when none.
    double CellNumber(int row, int column) const;
    void SetCellInteger(int row, int column, int64_t value);

    // Rows below the header and the coming-period row; never negative.
    int DataRowCount() const;

    void SetColumnWidth(int column, int width);
    void SetColumnWidths(const QList<int>& widths);  // column i gets widths[i]
    void CentreRange(int row1, int column1, int row2, int column2);

    void SetCellTextColour(int row, int column, const QColor& colour);
    void SetCellTextColour(int row, int column, Rgb colour) override;
    void SetCellBackground(int row, int column, const QColor& colour);
    void CellTextRed(int row, int column);        // (255, 0, 0): a right item
    void CellBackgroundRed(int row, int column);
    void CellTextGreen(int row, int column);      // (0, 128, 0): a wrong item
    void SetRangeTextColour(int row1, int column1, int row2, int column2, const QColor& colour);

    // Texts of columns a and b over rows 0 .. n - 1, clipped to the grid's rows.
    void ReadTwoColumns(int columnA, int columnB, int n, QStringList& a, QStringList& b) const;

private:
    QPointer<EGrid> grid_;
};

}  // namespace qivra
