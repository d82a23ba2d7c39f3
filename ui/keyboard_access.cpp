#include "ui/keyboard_access.hpp"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>

#include <map>
#include <mutex>
#include <string>

#include "ui/controls.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/layout_table.hpp"
#include "ui/qt_text.hpp"

namespace qivra {
namespace {

// A control the user clicks that Qt knows nothing of: its press action is the click.
class ClickableAccessible : public QAccessibleWidget {
public:
    ClickableAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (!widget()->isEnabled()) return;
        if (auto* link = qobject_cast<HyperLinker*>(widget()))
            link->Click();
        else if (auto* label = qobject_cast<ClickLabel*>(widget()))
            label->Click();
    }

    // A label's name is its caption as it reads now.
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            if (auto* label = qobject_cast<ClickLabel*>(widget())) return label->Caption().simplified();
        return QAccessibleWidget::text(t);
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction()) return {QStringLiteral("Space"), QStringLiteral("Return")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }
};

QAccessibleInterface* ClickableFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(HyperLinker::staticMetaObject.className()))
        return new ClickableAccessible(static_cast<QWidget*>(object), QAccessible::Link);
    if (className == QLatin1String(ClickLabel::staticMetaObject.className())) {
        auto* label = static_cast<ClickLabel*>(object);
        // A plain label stays Qt's static text.
        if (label->Clickable()) return new ClickableAccessible(label, QAccessible::Button);
    }
    return nullptr;
}

class EnterClicks : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        auto* button = static_cast<QAbstractButton*>(watched);
        if (!key->isAutoRepeat() && button->isEnabled()) button->click();
        return true;
    }
};

// Names for the controls that show no text of their own, by layout name.
const std::map<std::string, const char*>& Names() {
    static const std::map<std::string, const char*> names = {
        {"外形框1", "最新开奖"},      {"外形框2", "公告栏"},          {"外形框3", "免费计划说明"},
        {"外形框5", "选项栏"},        {"外形框6", "会员计划统计"},    {"外形框7", "算法说明"},
        {"图片框1", "横幅图片"},      {"编辑框1", "期数"},            {"编辑框2", "更新说明"},
        {"编辑框3", "标记数值"},      {"编辑框4", "连开期数"},        {"编辑框5", "算法公式一"},
        {"编辑框6", "算法公式二"},    {"编辑框7", "算法公式三"},      {"编辑框8", "算法名称"},
        {"编辑框9", "搜索条件数值"},  {"组合框1", "选择开奖"},        {"组合框2", "标记项目"},
        {"组合框3", "标记比较"},      {"组合框4", "标记统计期数"},    {"组合框5", "算法统计期数"},
        {"组合框6", "算法生成方式"},  {"组合框7", "搜索条件"},        {"高级表格1", "历史开奖表"},
        {"高级表格2", "免费计划表"},  {"高级表格3", "走势表"},        {"高级表格4", "会员计划表"},
        {"高级表格5", "自定义算法表"}, {"超级列表框1", "开奖统计列表"}, {"超级列表框2", "算法列表"},
        {"选择夹1", "功能页"},        {"状态条1", "状态栏"},          {"颜色选择器1", "标记颜色"},
        {"组合框20", "检验玩法"},     {"组合框21", "检验期数"},       {"标签20", "检验摘要"},
        {"统计表格1", "统计检验表"},
        {"回测组合框1", "回测开奖"},  {"回测组合框2", "回测对象"},     {"回测组合框3", "回测玩法"},
        {"回测编辑框1", "最近期数"},  {"回测编辑框2", "起始日期"},     {"回测编辑框3", "结束日期"},
        {"回测编辑框4", "滚动窗口"},  {"回测标签1", "回测结果"},       {"回测标签2", "档案信息"},
    };
    return names;
}

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::ShapeBox: return "分组框";
        case ControlKind::EditBox: return "编辑框";
        case ControlKind::ComboBox: return "下拉框";
        case ControlKind::ColorPicker: return "颜色选择";
        case ControlKind::EGrid: return "表格";
        case ControlKind::ListView: return "列表";
        case ControlKind::PicBox: return "图片";
        case ControlKind::StatusBar: return "状态栏";
        case ControlKind::Tab: return "选项卡";
        default: return nullptr;  // shows its own text
    }
}

}  // namespace

void InstallClickableAccessibility() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(&ClickableFactory); });
}

void MakeEnterClick(QAbstractButton* button) {
    // One filter per button, owned by it.
    button->installEventFilter(new EnterClicks(button));
}

QString AccessibleNameFor(const ControlRow& row) {
    // A named control is named whatever its kind: a label may start empty, a table has no text.
    const auto it = Names().find(row.name);
    if (it != Names().end()) return ToQString(it->second);
    const char* kind = KindName(row.kind);
    return kind ? ToQString(kind) : QString();
}

}  // namespace qivra
