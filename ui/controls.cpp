#include "ui/controls.hpp"
#include <algorithm>

#include <QColorDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLinearGradient>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStackedWidget>
#include <QTabBar>

#include "ui/keyboard_access.hpp"
#include "ui/qt_support.hpp"

namespace qivra {

ShapeBox::ShapeBox(QWidget* parent) : QWidget(parent) {}

void ShapeBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Captions carry text from outside (the configuration's notice, feed fields): never markup.
ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void ClickLabel::SetCaption(const QString& caption) {
    caption_ = caption;
    setText(caption);
}

void ClickLabel::SetClickable(bool clickable) {
    InstallClickableAccessibility();
    clickable_ = clickable;
    setFocusPolicy(clickable ? Qt::StrongFocus : Qt::NoFocus);
}

void ClickLabel::Click() {
    if (clickable_ && isEnabled()) Q_EMIT leftReleased();
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (clickable_ && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat()) Click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressed_ = true;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        event->button() == Qt::LeftButton && pressed_ && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) Q_EMIT leftReleased();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseDoubleClickEvent(event);
        return;
    }
    // Taken here, so the window behind the label does not see the same double click again.
    event->accept();
    Q_EMIT doubleClicked();
}

namespace {
class FixedHeightTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override {
        QSize s = QTabBar::tabSizeHint(index);
        s.setHeight(TabBox::kHeaderHeight);
        return s;
    }
};
}  // namespace

TabBox::TabBox(QWidget* parent) : QWidget(parent), bar_(new FixedHeightTabBar(this)), pages_(new QStackedWidget(this)) {
    bar_->setDrawBase(false);
    bar_->setExpanding(false);
    bar_->setUsesScrollButtons(true);
    bar_->setElideMode(Qt::ElideNone);
    connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
        pages_->setCurrentIndex(index);
        Q_EMIT currentChanged(index);
    });
}

QWidget* TabBox::AddPage(const QString& caption) {
    auto* page = new QWidget(pages_);
    pages_->addWidget(page);
    bar_->addTab(caption);
    return page;
}

QWidget* TabBox::Page(int index) const { return pages_->widget(index); }
int TabBox::PageCount() const { return pages_->count(); }
QString TabBox::PageCaption(int index) const { return bar_->tabText(index); }
int TabBox::CurrentIndex() const { return bar_->currentIndex(); }
void TabBox::SetCurrentIndex(int index) { bar_->setCurrentIndex(index); }

void TabBox::resizeEvent(QResizeEvent*) { PlaceParts(); }

void TabBox::SetHeaderWidth(int width) {
    headerWidth_ = width;
    PlaceParts();
}

void TabBox::PlaceParts() {
    const int header = headerWidth_ > 0 ? std::min(headerWidth_, width()) : width();
    bar_->setGeometry(0, 0, header, kHeaderHeight);
    pages_->setGeometry(0, kHeaderHeight, width(), std::max(height() - kHeaderHeight, 0));
}

StatusStrip::StatusStrip(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(2);
}

void StatusStrip::SetPartWidths(const QList<int>& widths) {
    auto* row = static_cast<QHBoxLayout*>(layout());
    for (QLabel* part : parts_) delete part;
    parts_.clear();
    for (qsizetype i = 0; i <= widths.size(); ++i) {
        auto* part = new QLabel(this);
        part->setTextFormat(Qt::PlainText);  // the published version lands here
        part->setFrameShape(QFrame::Panel);
        part->setFrameShadow(QFrame::Sunken);
        if (i < widths.size())
            part->setFixedWidth(widths[i]);
        else
            part->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        row->addWidget(part);
        parts_.append(part);
    }
}

void StatusStrip::SetPartText(int index, const QString& text) {
    if (QLabel* part = Part(index)) part->setText(text);
}

QString StatusStrip::PartText(int index) const {
    QLabel* part = Part(index);
    return part ? part->text() : QString();
}

QLabel* StatusStrip::Part(int index) const { return index >= 0 && index < parts_.size() ? parts_[index] : nullptr; }

ReportListView::ReportListView(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                Q_EMIT currentRowChanged(current ? indexOfTopLevelItem(current) : -1);
            });
    // A row selected without moving the current row (assistive technology selects this way)
    // becomes the current row, as a click makes it.
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> chosen = selectedItems();
        if (chosen.size() == 1 && chosen.front() != currentItem()) setCurrentItem(chosen.front());
    });
}

void ReportListView::SetColumns(const QStringList& titles, const QList<int>& widths) {
    setColumnCount(static_cast<int>(titles.size()));
    setHeaderLabels(titles);
    for (int c = 0; c < titles.size() && c < widths.size(); ++c) {
        if (widths[c] == 0)
            setColumnHidden(c, true);
        else
            setColumnWidth(c, widths[c]);
    }
}

int ReportListView::InsertRow(int row) {
    row = std::clamp(row, 0, RowCount());
    insertTopLevelItem(row, new QTreeWidgetItem());
    return row;
}

void ReportListView::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    delete takeTopLevelItem(row);
}

void ReportListView::DeleteAllRows() { clear(); }

QString ReportListView::CellText(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && column >= 0 && column < columnCount() ? item->text(column) : QString();
}

void ReportListView::SetCellText(int row, int column, const QString& text) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (item && column >= 0 && column < columnCount()) item->setText(column, text);
}

int ReportListView::CurrentRow() const {
    QTreeWidgetItem* item = currentItem();
    return item ? indexOfTopLevelItem(item) : -1;
}

void ReportListView::SetCurrentRow(int row) { setCurrentItem(topLevelItem(row)); }

void ReportListView::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    if (event->button() == Qt::RightButton) Q_EMIT rightPressed(event->globalPosition().toPoint());
}

void ReportListView::contextMenuEvent(QContextMenuEvent* event) {
    // The mouse's menu came with its press; the keyboard's opens at the current row.
    if (event->reason() != QContextMenuEvent::Keyboard) {
        QTreeWidget::contextMenuEvent(event);
        return;
    }
    event->accept();
    QTreeWidgetItem* item = currentItem();
    const QRect row = item ? visualItemRect(item) : QRect(QPoint(0, 0), QSize(0, 0));
    Q_EMIT rightPressed(viewport()->mapToGlobal(item ? row.center() : QPoint(0, 0)));
}

ColourPicker::ColourPicker(QWidget* parent) : QPushButton(parent) {
    connect(this, &QPushButton::clicked, this, &ColourPicker::Choose);
}

void ColourPicker::SetColour(const QColor& colour) {
    if (!colour.isValid() || colour == colour_) return;
    colour_ = colour;
    update();
    Q_EMIT colourChanged(colour_);
}

void ColourPicker::Choose() {
    const QColor chosen = QColorDialog::getColor(colour_, this);
    if (chosen.isValid()) SetColour(chosen);
}

void ColourPicker::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter p(this);
    const QRect swatch = rect().adjusted(5, 5, -14, -5);
    p.fillRect(swatch, colour_);
    p.setPen(QColor(64, 64, 64));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
    // The drop-down mark of a colour chooser.
    const int x = width() - 11, y = height() / 2 - 2;
    QPainterPath arrow;
    arrow.moveTo(x, y);
    arrow.lineTo(x + 6, y);
    arrow.lineTo(x + 3, y + 4);
    arrow.closeSubpath();
    p.fillPath(arrow, QColor(64, 64, 64));
}

QImage MakeBannerImage(int width, int height) {
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, image.width(), image.height());
    sky.setColorAt(0.0, QColor(18, 42, 96));
    sky.setColorAt(0.55, QColor(40, 98, 178));
    sky.setColorAt(1.0, QColor(0, 128, 128));
    p.fillRect(image.rect(), sky);

    // Faint digits drifting across the background.
    p.setFont(LayoutFont(22, true));
    p.setPen(QColor(255, 255, 255, 40));
    const char* digits = "0123456789";
    for (int i = 0; i < 16; ++i)
        p.drawText(QPoint(12 + i * 40, 30 + (i * 37) % 80), QString(QChar::fromLatin1(digits[(i * 7) % 10])));

    p.setFont(LayoutFont(44, true));
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRect(24, 0, 260, image.height()), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Qivra28"));

    // Three drawn balls, a plus sign between them and the sum.
    const int texts[] = {3, 5, 8};
    const int r = 22;
    int x = 300;
    const int cy = image.height() / 2;
    p.setFont(LayoutFont(22, true));
    for (int i = 0; i < 3; ++i) {
        QRadialGradient ball(x - 6, cy - 8, r * 1.4);
        ball.setColorAt(0.0, QColor(255, 236, 160));
        ball.setColorAt(1.0, QColor(230, 120, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(ball);
        p.drawEllipse(QPoint(x, cy), r, r);
        p.setPen(QColor(90, 30, 0));
        p.drawText(QRect(x - r, cy - r, 2 * r, 2 * r), Qt::AlignCenter, QString::number(texts[i]));
        p.setPen(QColor(255, 255, 255));
        p.drawText(QRect(x + r, cy - r, 30, 2 * r), Qt::AlignCenter, i < 2 ? QStringLiteral("+") : QStringLiteral("="));
        x += 2 * r + 30;
    }
    p.setBrush(QColor(200, 20, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(x + 4, cy), r + 4, r + 4);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRect(x + 4 - r - 4, cy - r - 4, 2 * r + 8, 2 * r + 8), Qt::AlignCenter, QStringLiteral("16"));
    return image;
}

}  // namespace qivra
