#pragma once
// The plainer control kinds of the layouts: framed boxes, labels that report clicks, the tab
// control, the status strip, the report list, the colour picker and the banner picture.

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

class QStackedWidget;
class QTabBar;

namespace qivra {

// A grey-framed rectangle that groups its children.
class ShapeBox : public QWidget {
    Q_OBJECT
public:
    explicit ShapeBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Label and transparent label. The caption is kept exactly as written (CR LF included) and
// shown with CR LF as a line break.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }

    // A label the user clicks (hand cursor) takes keyboard focus and answers Space, Enter and
    // the assistive press action as a click.
    void SetClickable(bool clickable);
    bool Clickable() const { return clickable_; }
    void Click();

Q_SIGNALS:
    void leftReleased();  // a click: the release lands on the label that got the press
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString caption_;
    bool pressed_ = false;
    bool clickable_ = false;
};

// Tab control with a header exactly kHeaderHeight high, so a page's children sit at their
// layout top minus that height.
class TabBox : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeaderHeight = 32;

    explicit TabBox(QWidget* parent = nullptr);

    QWidget* AddPage(const QString& caption);
    QWidget* Page(int index) const;
    int PageCount() const;
    QString PageCaption(int index) const;
    int CurrentIndex() const;
    void SetCurrentIndex(int index);
    QTabBar* Bar() const { return bar_; }
    // Places the header and the page area for the current size. Runs on every resize; call it
    // after sizing a hidden tab control whose pages must be in place before it is shown.
    void PlaceParts();
    // The header strip stops this far from the left edge (the whole width when not set); tabs
    // that do not fit are reached through the bar's scroll arrows.
    void SetHeaderWidth(int width);

Q_SIGNALS:
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* bar_;
    QStackedWidget* pages_;
    int headerWidth_ = -1;
};

// A strip of text parts of fixed widths; the last part takes the rest.
class StatusStrip : public QFrame {
    Q_OBJECT
public:
    explicit StatusStrip(QWidget* parent = nullptr);

    void SetPartWidths(const QList<int>& widths);  // every part but the last
    int PartCount() const { return static_cast<int>(parts_.size()); }
    void SetPartText(int index, const QString& text);  // an index outside does nothing
    QString PartText(int index) const;
    QLabel* Part(int index) const;

private:
    QList<QLabel*> parts_;
};

// Report-style list: rows and columns from 0; the current row is -1 when none.
class ReportListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit ReportListView(QWidget* parent = nullptr);

    void SetColumns(const QStringList& titles, const QList<int>& widths);  // width 0 hides
    int RowCount() const { return topLevelItemCount(); }
    int InsertRow(int row);  // clamped to 0..RowCount(); returns the new row's index
    void DeleteRow(int row);
    void DeleteAllRows();
    QString CellText(int row, int column) const;
    void SetCellText(int row, int column, const QString& text);
    int CurrentRow() const;
    void SetCurrentRow(int row);

Q_SIGNALS:
    void currentRowChanged(int row);
    // The right button went down, or the menu key was pressed (at the current row).
    void rightPressed(QPoint globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

// A button showing the chosen colour; a click opens the colour dialog.
class ColourPicker : public QPushButton {
    Q_OBJECT
public:
    explicit ColourPicker(QWidget* parent = nullptr);

    QColor colour() const { return colour_; }
    void SetColour(const QColor& colour);

Q_SIGNALS:
    void colourChanged(QColor colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Choose();
    QColor colour_{255, 0, 0};
};

// The banner picture, drawn at run time.
QImage MakeBannerImage(int width, int height);

}  // namespace qivra
