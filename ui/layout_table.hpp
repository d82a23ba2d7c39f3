#pragma once
// Windows are built from layout tables: one row per control, read like the layout it comes
// from, and one small factory per control kind. Every control is named by its layout name
// (objectName and accessible description), which is how tests and the event map find it.

#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "core/colour.hpp"

namespace qivra {

enum class ControlKind {
    ShapeBox,
    Label,
    TransLabel,
    Button,
    CheckBox,
    RadioBox,
    ComboBox,
    EditBox,
    ColorPicker,
    HyperLinker,
    EGrid,
    ListView,
    PicBox,
    StatusBar,
    Tab,
    SortTable,
};

// State and style flags of a row.
enum ControlFlag : unsigned {
    kTicked = 1u << 0,       // CheckBox ticked, RadioBox selected
    kDisabled = 1u << 1,
    kHidden = 1u << 2,
    kBold = 1u << 3,
    kH14 = 1u << 4,          // font pixel heights other than 12
    kH16 = 1u << 5,
    kH20 = 1u << 6,
    kMultiLine = 1u << 7,    // EditBox with a vertical scroll bar; Label wrapping at the top
    kIntegerOnly = 1u << 8,  // EditBox
    kSpinArrows = 1u << 9,   // EditBox, with kIntegerOnly
    kCentred = 1u << 10,     // EditBox text centred
    kLeftAligned = 1u << 11, // Label (labels are centred otherwise)
    kHandCursor = 1u << 12,
};

struct ControlRow {
    std::string name;
    ControlKind kind;
    // "" for the window, a ShapeBox's name, or "<tab name>/<page>" for a tab page: children of
    // a page give their top as laid out, counted from the tab control's top edge.
    std::string parent;
    int left, top, width, height;
    // Caption or content. ListView: the first column's rows, '|'-separated; Tab: the page
    // captions, '|'-separated.
    std::string text = {};
    unsigned flags = 0;
    std::optional<Rgb> textColour = {};
    std::optional<Rgb> background = {};
    // ComboBox: items, '|'-separated. ListView, SortTable: columns as "title:width", '|'-separated.
    std::string items = {};
    int selected = -1;  // ComboBox index
};

// Creates every row's control under window, in table order (a parent row before its children).
// Rows whose parent is not found are created on the window itself.
void BuildControls(QWidget* window, const std::vector<ControlRow>& rows);

// The font a row asks for.
int FontHeightOf(const ControlRow& row);

// A top-level window built from a layout table.
class LayoutWindow : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The control of this window with the given layout name, or null: for tests and outside
    // automation. The program's own code goes through the window's typed view.
    template <class T = QWidget>
    T* Control(const QString& name) const {
        return findChild<T*>(name);
    }
};

}  // namespace qivra
