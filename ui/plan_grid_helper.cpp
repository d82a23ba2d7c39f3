#include "ui/plan_grid_helper.hpp"

#include <charconv>
#include <cmath>

#include "ui/qt_support.hpp"

namespace qivra {

void PlanGridHelper::SetCellText(int row, int column, const QString& text) {
    if (grid_) grid_->SetCellText(row, column, text);
}

void PlanGridHelper::SetCellText(int row, int column, const std::string& utf8) {
    if (grid_) grid_->SetCellText(row, column, ToQString(utf8));
}

QString PlanGridHelper::CellText(int row, int column) const {
    return grid_ ? grid_->CellText(row, column) : QString();
}

double PlanGridHelper::CellNumber(int row, int column) const {
    const QByteArray text = CellText(row, column).trimmed().toUtf8();
    const char* first = text.constData();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;  // from_chars takes a minus only
    double value = 0;
    // Independent of the process locale, which QApplication sets from the environment.
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && std::isfinite(value) ? value : 0.0;
}

void PlanGridHelper::SetCellInteger(int row, int column, int64_t value) {
    SetCellText(row, column, QString::number(value));
}

int PlanGridHelper::DataRowCount() const { return grid_ ? std::max(grid_->RowCount() - 2, 0) : 0; }

void PlanGridHelper::SetColumnWidth(int column, int width) {
    if (grid_) grid_->SetColumnWidth(column, width);
}

void PlanGridHelper::SetColumnWidths(const QList<int>& widths) {
    for (int i = 0; i < widths.size(); ++i) SetColumnWidth(i, widths[i]);
}

void PlanGridHelper::CentreRange(int row1, int column1, int row2, int column2) {
    if (grid_) grid_->CentreRange(row1, column1, row2, column2);
}

void PlanGridHelper::SetCellTextColour(int row, int column, const QColor& colour) {
    if (grid_) grid_->SetCellTextColour(row, column, colour);
}

void PlanGridHelper::SetCellTextColour(int row, int column, Rgb colour) {
    SetCellTextColour(row, column, ToQColor(colour));
}

void PlanGridHelper::SetCellBackground(int row, int column, const QColor& colour) {
    if (grid_) grid_->SetCellBackground(row, column, colour);
}

void PlanGridHelper::CellTextRed(int row, int column) { SetCellTextColour(row, column, colours::kRed); }

void PlanGridHelper::CellBackgroundRed(int row, int column) {
    SetCellBackground(row, column, ToQColor(colours::kRed));
}

void PlanGridHelper::CellTextGreen(int row, int column) { SetCellTextColour(row, column, colours::kGreen); }

void PlanGridHelper::SetRangeTextColour(int row1, int column1, int row2, int column2, const QColor& colour) {
    if (grid_) grid_->SetRangeTextColour(row1, column1, row2, column2, colour);
}

void PlanGridHelper::ReadTwoColumns(int columnA, int columnB, int n, QStringList& a, QStringList& b) const {
    a.clear();
    b.clear();
    if (!grid_) return;
    const int rows = std::min(n, grid_->RowCount());
    for (int r = 0; r < rows; ++r) {
        a.append(grid_->CellText(r, columnA));
        b.append(grid_->CellText(r, columnB));
    }
}

}  // namespace qivra
