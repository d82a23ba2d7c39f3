#include "ui/egrid.hpp"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <map>
#include <vector>

#include "ui/qt_support.hpp"

namespace qivra {

namespace {
struct Cell {
    QString text;
    QColor textColour;  // invalid: black
    QColor background;  // invalid: the view's base
    int fontHeight = 12;
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};
}  // namespace

// Owns the cells; grid row 0 is answered as horizontal header data, grid row r >= 1 as model
// row r - 1.
class EGrid::Model : public QAbstractTableModel {
public:
    Model(int rows, int columns, QObject* parent)
        : QAbstractTableModel(parent), rows_(std::max(rows, 1)), columns_(std::max(columns, 1)) {
        cells_.resize(static_cast<size_t>(rows_) * static_cast<size_t>(columns_));
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_ - 1; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : columns_; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        return CellData(index.row() + 1, index.column(), role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal) return {};
        return CellData(0, section, role);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

    bool Contains(int row, int column) const { return row >= 0 && row < rows_ && column >= 0 && column < columns_; }
    Cell& At(int row, int column) { return cells_[static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column)]; }
    const Cell& At(int row, int column) const {
        return cells_[static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column)];
    }
    int Rows() const { return rows_; }
    int Columns() const { return columns_; }

    void Changed(int row1, int column1, int row2, int column2) {
        if (row1 == 0) {
            Q_EMIT headerDataChanged(Qt::Horizontal, column1, column2);
            if (row2 == 0) return;
            row1 = 1;
        }
        Q_EMIT dataChanged(index(row1 - 1, column1), index(row2 - 1, column2));
    }

    void SetRows(int rows) {
        rows = std::max(rows, 1);
        if (rows == rows_) return;
        if (rows > rows_) {
            beginInsertRows({}, rows_ - 1, rows - 2);
            cells_.resize(static_cast<size_t>(rows) * static_cast<size_t>(columns_));
            rows_ = rows;
            endInsertRows();
        } else {
            beginRemoveRows({}, rows - 1, rows_ - 2);
            cells_.resize(static_cast<size_t>(rows) * static_cast<size_t>(columns_));
            rows_ = rows;
            endRemoveRows();
        }
    }

    void SetColumns(int columns) {
        columns = std::max(columns, 1);
        if (columns == columns_) return;
        std::vector<Cell> next(static_cast<size_t>(rows_) * static_cast<size_t>(columns));
        const int keep = std::min(columns, columns_);
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < keep; ++c)
                next[static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c)] = std::move(At(r, c));
        if (columns > columns_) {
            beginInsertColumns({}, columns_, columns - 1);
            cells_ = std::move(next);
            columns_ = columns;
            endInsertColumns();
        } else {
            beginRemoveColumns({}, columns, columns_ - 1);
            cells_ = std::move(next);
            columns_ = columns;
            endRemoveColumns();
        }
    }

private:
    QVariant CellData(int row, int column, int role) const {
        if (!Contains(row, column)) return {};
        const Cell& cell = At(row, column);
        switch (role) {
            case Qt::DisplayRole:
                return cell.text;
            case Qt::ForegroundRole:
                return cell.textColour.isValid() ? QVariant(cell.textColour) : QVariant();
            case Qt::BackgroundRole:
                return cell.background.isValid() ? QVariant(cell.background) : QVariant();
            case Qt::FontRole:
                return FontFor(cell.fontHeight, cell.bold);
            case Qt::TextAlignmentRole:
                return QVariant(static_cast<int>(cell.alignment));
            default:
                return {};
        }
    }

    const QFont& FontFor(int height, bool bold) const {
        const int key = height * 2 + (bold ? 1 : 0);
        auto it = fonts_.find(key);
        if (it == fonts_.end()) it = fonts_.emplace(key, LayoutFont(height, bold)).first;
        return it->second;
    }

    int rows_;
    int columns_;
    std::vector<Cell> cells_;  // row-major, rows_ * columns_
    mutable std::map<int, QFont> fonts_;
};

EGrid::EGrid(QWidget* parent, int rows, int columns, int shownColumns)
    : QTableView(parent), model_(new Model(rows, columns, this)) {
    setModel(model_);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(NoSelection);
    // The arrows move through the cells; Tab leaves the grid for the next control.
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::StrongFocus);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);  // clip long texts as a plain cell grid does
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kDefaultRowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = horizontalHeader();
    header->setMinimumSectionSize(0);
    header->setDefaultSectionSize(kDefaultColumnWidth);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setFixedHeight(kDefaultRowHeight);
    for (int c = std::max(shownColumns, 0); c < model_->Columns(); ++c) setColumnHidden(c, true);
}

EGrid::~EGrid() = default;

int EGrid::RowCount() const { return model_->Rows(); }
void EGrid::SetRowCount(int rows) { model_->SetRows(rows); }
int EGrid::ColumnCount() const { return model_->Columns(); }
void EGrid::SetColumnCount(int columns) { model_->SetColumns(columns); }
bool EGrid::Contains(int row, int column) const { return model_->Contains(row, column); }

void EGrid::SetCellText(int row, int column, const QString& text) {
    if (!Contains(row, column)) return;
    Cell& cell = model_->At(row, column);
    if (cell.text == text) return;
    cell.text = text;
    model_->Changed(row, column, row, column);
}

QString EGrid::CellText(int row, int column) const {
    return Contains(row, column) ? model_->At(row, column).text : QString();
}

void EGrid::SetCellTextColour(int row, int column, const QColor& colour) {
    SetRangeTextColour(row, column, row, column, colour);
}

QColor EGrid::CellTextColour(int row, int column) const {
    if (!Contains(row, column)) return {};
    const QColor& c = model_->At(row, column).textColour;
    return c.isValid() ? c : QColor(0, 0, 0);
}

void EGrid::SetCellBackground(int row, int column, const QColor& colour) {
    SetRangeBackground(row, column, row, column, colour);
}

QColor EGrid::CellBackground(int row, int column) const {
    return Contains(row, column) ? model_->At(row, column).background : QColor();
}

bool EGrid::CellBold(int row, int column) const { return Contains(row, column) && model_->At(row, column).bold; }

int EGrid::CellFontHeight(int row, int column) const {
    return Contains(row, column) ? model_->At(row, column).fontHeight : 0;
}

Qt::Alignment EGrid::CellAlignment(int row, int column) const {
    return Contains(row, column) ? model_->At(row, column).alignment : Qt::Alignment();
}

template <class F>
void EGrid::ForRange(int row1, int column1, int row2, int column2, F&& apply) {
    if (!Contains(row1, column1) || row2 < row1 || column2 < column1) return;
    row2 = std::min(row2, RowCount() - 1);
    column2 = std::min(column2, ColumnCount() - 1);
    for (int r = row1; r <= row2; ++r)
        for (int c = column1; c <= column2; ++c) apply(model_->At(r, c));
    model_->Changed(row1, column1, row2, column2);
}

void EGrid::SetRangeTextColour(int row1, int column1, int row2, int column2, const QColor& colour) {
    ForRange(row1, column1, row2, column2, [&](Cell& c) { c.textColour = colour; });
}

void EGrid::SetRangeBackground(int row1, int column1, int row2, int column2, const QColor& colour) {
    ForRange(row1, column1, row2, column2, [&](Cell& c) { c.background = colour; });
}

void EGrid::SetRangeBold(int row1, int column1, int row2, int column2, bool bold) {
    ForRange(row1, column1, row2, column2, [&](Cell& c) { c.bold = bold; });
}

void EGrid::SetRangeFontHeight(int row1, int column1, int row2, int column2, int pixels) {
    if (pixels <= 0) return;
    ForRange(row1, column1, row2, column2, [&](Cell& c) { c.fontHeight = pixels; });
}

void EGrid::SetRangeAlignment(int row1, int column1, int row2, int column2, Qt::Alignment alignment) {
    ForRange(row1, column1, row2, column2, [&](Cell& c) { c.alignment = alignment; });
}

void EGrid::CentreRange(int row1, int column1, int row2, int column2) {
    SetRangeAlignment(row1, column1, row2, column2, Qt::AlignCenter);
}

void EGrid::SetRowHeight(int row, int height) {
    if (row < 0 || row >= RowCount() || height < 0) return;
    if (row == 0)
        horizontalHeader()->setFixedHeight(height);
    else
        verticalHeader()->resizeSection(row - 1, height);
}

int EGrid::RowHeight(int row) const {
    if (row < 0 || row >= RowCount()) return 0;
    return row == 0 ? horizontalHeader()->height() : verticalHeader()->sectionSize(row - 1);
}

void EGrid::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= ColumnCount() || width < 0) return;
    if (width == 0) {
        setColumnHidden(column, true);
        return;
    }
    setColumnHidden(column, false);
    horizontalHeader()->resizeSection(column, width);
}

int EGrid::ColumnWidth(int column) const {
    if (column < 0 || column >= ColumnCount() || isColumnHidden(column)) return 0;
    return horizontalHeader()->sectionSize(column);
}

}  // namespace qivra
