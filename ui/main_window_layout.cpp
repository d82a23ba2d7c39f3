// The main window's layout table.

#include <array>
#include <string>

#include "ui/main_window.hpp"

namespace qivra {

namespace {

using enum ControlKind;
using namespace colours;

std::string Link(int n) { return "超级链接框" + std::to_string(n); }

// A column of kind links: the first starts chosen (light blue), the rest plain.
void AddKindLinks(std::vector<ControlRow>& rows, const std::string& page, int firstNumber, int left,
                  std::initializer_list<int> tops, std::initializer_list<const char*> captions) {
    auto top = tops.begin();
    int n = firstNumber;
    for (const char* caption : captions) {
        rows.push_back({Link(n), HyperLinker, page, left, *top++, 64, 32, caption, 0, kBlack,
                        n == firstNumber ? kLightBlue : kLightGrey});
        ++n;
    }
}

struct PlanLinkRow {
    int top;
    std::array<int, 4> numbers;
    std::array<const char*, 4> captions;
};

void AddPlanLinks(std::vector<ControlRow>& rows, const std::string& page, int firstChosen,
                  std::initializer_list<PlanLinkRow> table) {
    constexpr std::array<int, 4> kLefts{8, 87, 166, 245};
    for (const PlanLinkRow& r : table)
        for (size_t i = 0; i < 4; ++i)
            rows.push_back({Link(r.numbers[i]), HyperLinker, page, kLefts[i], r.top, 80, 32, r.captions[i], 0, kBlack,
                            r.numbers[i] == firstChosen ? kLightBlue : kLightGrey});
}

void AddCheckRow(std::vector<ControlRow>& rows, const std::string& page, int firstNumber, int top, int width,
                 std::initializer_list<int> lefts, std::initializer_list<const char*> captions, unsigned flags) {
    auto left = lefts.begin();
    int n = firstNumber;
    for (const char* caption : captions)
        rows.push_back({"选择框" + std::to_string(n++), CheckBox, page, *left++, top, width, 24, caption, flags});
}

const char* const kPeriodCounts = "20|30|40|50|60|70|80|90|100";

std::vector<ControlRow> BuildLayout() {
    std::vector<ControlRow> t = {
        // name, kind, parent, left, top, width, height, text, flags, text colour, background, items, selected
        {"外形框1", ShapeBox, "", 0, 0, 260, 120},
        {"标签1", Label, "外形框1", 2, 2, 256, 32, "幸运28 第000000期", 0, kWhite, kDarkGrey},
        {"标签2", Label, "外形框1", 8, 40, 40, 32, "0", kH20, kWhite, kDarkGrey},
        {"标签3", Label, "外形框1", 56, 40, 40, 32, "0", kH20, kWhite, kDarkGrey},
        {"标签4", Label, "外形框1", 104, 40, 40, 32, "0", kH20, kWhite, kDarkGrey},
        {"标签6", Label, "外形框1", 152, 40, 40, 32, "=", kH20, kWhite, kDarkGrey},
        {"标签5", Label, "外形框1", 200, 40, 48, 32, "00", kH20, kWhite, kDarkGrey},
        {"标签7", Label, "外形框1", 200, 80, 48, 32, "00：00", 0, kWhite, kDarkGrey},
        {"图片框1", PicBox, "", 260, 0, 636, 119},
        {"外形框2", ShapeBox, "", 0, 119, 552, 33},
        {"标签8", TransLabel, "外形框2", 8, 5, 880, 24, "公告：", 0, kRed},
        {"外形框5", ShapeBox, "", 551, 119, 345, 33},
        {"选择框1", CheckBox, "外形框5", 9, 5, 80, 24, "开奖提示"},
        {"选择框2", CheckBox, "外形框5", 95, 5, 80, 24, "历史开奖", kTicked | kDisabled},
        {"选择框4", CheckBox, "外形框5", 173, 5, 60, 24, "提示音"},
        {"选择框3", CheckBox, "外形框5", 240, 5, 80, 24, "火车报警", kBold, kNavy},
        {"编辑框2", EditBox, "", 904, 8, 216, 128, "", kMultiLine},
        {"按钮4", Button, "", 904, 140, 112, 32, "开启自定义算法"},
        {"透明标签1", TransLabel, "", 8, 161, 64, 24, "选择开奖："},
        {"组合框1", ComboBox, "", 72, 160, 144, 25, "", 0, {}, {}, "PC蛋蛋幸运28|加拿大夜场28", 1},
        // Grids: items give "<columns>:<shown columns>"; the layouts address columns past the
        // ones shown.
        {"高级表格1", EGrid, "", 8, 192, 219, 296, "", 0, {}, {}, "10:2"},
        {"透明标签2", TransLabel, "", 16, 496, 40, 24, "期数："},
        {"编辑框1", EditBox, "", 56, 496, 72, 24, "100", kIntegerOnly | kSpinArrows},
        {"按钮1", Button, "", 152, 496, 64, 24, "刷新"},
        {"选择夹1", Tab, "", 224, 152, 896, 592,
         " 【 预测显示 】 | 【 会员计划 】 | 【 走势统计 】 | 【 火车报警 】 | 【 自定义算法 】 | 【 统计检验 】 "},
        // Along the window's lower edge rather than over the draw panel.
        {"状态条1", StatusBar, "", 0, 778, 1129, 24, "", 0, {}, {}, "130|150|300"},
    };

    // Page 0: free plans.
    const std::string p0 = "选择夹1/0";
    t.push_back({"外形框3", ShapeBox, p0, 8, 32, 384, 33});
    t.push_back({"标签9", Label, "外形框3", 8, 4, 312, 24, "以下显示为免费计划，不定时更新 删除或增加", 0, kRed});
    AddPlanLinks(t, p0, 1,
                 {{72, {1, 2, 3, 4}, {"Qivra计划A", "Qivra计划B", "Qivra计划C", "Qivra计划D"}},
                  {103, {5, 6, 7, 8}, {"飞机计划", "可乐计划", "黑马计划", "水草计划"}},
                  {134, {9, 10, 11, 12}, {"轮船计划", "森林计划", "云马计划", "竹影计划"}},
                  {165, {13, 14, 15, 16}, {"青柠计划", "远帆计划", "石头计划", "铁锚计划"}}});
    AddKindLinks(t, p0, 90, 328, {72, 103, 134, 165, 196}, {"组合", "大小", "单双", "杀组", "杀3N"});
    t.push_back({"高级表格2", EGrid, p0, 416, 32, 464, 552, "", 0, {}, {}, "10:7"});

    // Page 1: named plans.
    const std::string p1 = "选择夹1/1";
    t.push_back({"外形框6", ShapeBox, p1, 8, 32, 384, 33});
    t.push_back({"标签13", Label, "外形框6", 8, 4, 328, 24, "对:0 错:0 正确率:0 连中:0 连挂:0 （待标记）", 0, kMaroon});
    AddPlanLinks(t, p1, 17,
                 {{72, {17, 18, 19, 20}, {"Qivra计划E", "Qivra计划F", "Qivra计划G", "Qivra计划H"}},
                  {103, {21, 22, 23, 24}, {"鲨鱼计划A", "鲨鱼计划B", "鲨鱼计划C", "鲨鱼计划D"}},
                  {134, {25, 26, 27, 28}, {"远帆计划A", "远帆计划B", "远帆计划C", "远帆计划D"}},
                  {165, {29, 30, 31, 32}, {"竹影计划A", "竹影计划B", "竹影计划C", "竹影计划D"}},
                  {196, {33, 34, 35, 36}, {"铁锚计划A", "铁锚计划B", "铁锚计划C", "铁锚计划D"}},
                  {227, {38, 39, 40, 41}, {"石头计划A", "石头计划B", "石头计划C", "石头计划D"}},
                  {258, {37, 42, 43, 44}, {"清新计划A", "清新计划B", "清新计划C", "清新计划D"}},
                  {289, {45, 46, 47, 48}, {"西瓜计划A", "西瓜计划B", "西瓜计划C", "西瓜计划D"}},
                  {320, {49, 50, 51, 52}, {"白桦计划A", "白桦计划B", "白桦计划C", "白桦计划D"}},
                  {351, {53, 54, 55, 56}, {"白桦计划E", "白桦计划F", "白桦计划G", "白桦计划H"}},
                  {382, {57, 58, 59, 60}, {"青柠计划A", "青柠计划B", "青柠计划C", "青柠计划D"}},
                  {413, {61, 62, 63, 64}, {"晨露计划A", "晨露计划B", "晨露计划C", "晨露计划D"}},
                  {444, {65, 66, 67, 68}, {"速度计划A", "速度计划B", "速度计划C", "速度计划D"}},
                  {475, {69, 70, 71, 72}, {"动容计划A", "动容计划B", "动容计划C", "动容计划D"}}});
    AddKindLinks(t, p1, 95, 328, {72, 103, 134, 165, 196, 227, 258, 288},
                 {"组合", "大小", "单双", "杀组", "杀3N", "杀4N", "双组", "双项"});
    t.insert(t.end(), {
        {"超级链接框88", HyperLinker, p1, 328, 319, 64, 32, "杀双组", 0, kBlack, kLightGrey},
        {"高级表格4", EGrid, p1, 416, 32, 464, 552, "", 0, {}, {}, "10:7"},
        {"透明标签5", TransLabel, p1, 8, 520, 56, 24, "标记出："},
        {"组合框2", ComboBox, p1, 56, 520, 88, 20, "", 0, {}, {}, "正确|错误|正确率|当前连中|当前连挂", 2},
        {"组合框3", ComboBox, p1, 152, 520, 88, 20, "", 0, {}, {}, "≥大于等于|≤小于等于|＞大于|＜小于", 0},
        {"编辑框3", EditBox, p1, 248, 520, 32, 24, "80", kIntegerOnly},
        {"颜色选择器1", ColorPicker, p1, 296, 520, 48, 24},
        {"按钮3", Button, p1, 352, 520, 56, 24, "标记"},
        {"选择框5", CheckBox, p1, 8, 552, 120, 24, "开启自动标记", kTicked},
        {"透明标签6", TransLabel, p1, 152, 552, 48, 25, "统计："},
        {"组合框4", ComboBox, p1, 192, 552, 48, 24, "", 0, {}, {}, kPeriodCounts, 0},
    });

    // Page 2: trend and outcome statistics.
    const std::string p2 = "选择夹1/2";
    t.insert(t.end(), {
        {"高级表格3", EGrid, p2, 8, 32, 688, 552, "", 0, {}, {}, "12:9"},
        {"超级列表框1", ListView, p2, 704, 32, 184, 552,
         "大|小|单|双|中|边|小单|小双|大双|大单|极大|极小|豹子|3N0|3N1|3N2|4N0|4N1|4N2|4N3|5N0|5N1|5N2|5N3|5N4", 0, {}, {},
         "类型:50|次数:50|概率:50"},
    });

    // Page 3: streak alarm options.
    const std::string p3 = "选择夹1/3";
    t.insert(t.end(), {
        {"透明标签7", TransLabel, p3, 16, 40, 72, 24, "连开≥：", 0, kNavy},
        {"编辑框4", EditBox, p3, 80, 40, 32, 24, "3"},
        {"透明标签8", TransLabel, p3, 112, 40, 72, 24, "则提示", 0, kNavy},
        {"透明标签9", TransLabel, p3, 16, 72, 72, 24, "提示模式："},
        {"选择框6", CheckBox, p3, 80, 72, 80, 24, "提示音", kTicked},
        {"选择框7", CheckBox, p3, 152, 72, 56, 24, "弹窗", kTicked | kDisabled},
        {"选择框8", CheckBox, p3, 216, 72, 80, 24, "气泡提示", kTicked},
        {"单选框1", RadioBox, p3, 16, 112, 128, 24, "统计类型①", kTicked, kRed},
    });
    AddCheckRow(t, p3, 9, 144, 56, {16, 72, 128, 184, 240, 296, 352, 408},
                {"大小", "单双", "组合", "中边", "三余", "四余", "五余", "对子"}, kTicked);
    t.push_back({"单选框2", RadioBox, p3, 16, 176, 160, 24, "统计类型②（待更新）", kDisabled, kRed});
    AddCheckRow(t, p3, 17, 208, 48, {16, 56, 96, 136, 176, 224, 272, 320, 368, 408},
                {"大", "小", "单", "双", "小单", "小双", "大单", "大双", "中", "边"}, 0);
    AddCheckRow(t, p3, 27, 240, 48, {16, 64, 112, 160, 208, 256, 304},
                {"3N0", "3N1", "3N2", "4N0", "4N1", "4N2", "4N3"}, 0);

    // Page 4: custom algorithms.
    const std::string p4 = "选择夹1/4";
    t.insert(t.end(), {
        {"外形框7", ShapeBox, p4, 8, 32, 400, 33},
        {"标签16", Label, "外形框7", 8, 4, 384, 24, "搜索算法的条件不能过大，否则软件有可能卡死！！", 0, kBlue},
        {"超级链接框73", HyperLinker, p4, 8, 72, 80, 32, "随机算法", 0, kWhite, kDarkGrey},
        {"超级链接框89", HyperLinker, p4, 96, 72, 80, 32, "统计 20 期", 0, kWhite, kTeal},
        {"组合框5", ComboBox, p4, 96, 80, 80, 25, "", kHidden, {}, {}, kPeriodCounts, 0},
        {"超级链接框85", HyperLinker, p4, 184, 72, 80, 32, "刷新预测", 0, kWhite, kDarkGrey},
        {"超级链接框84", HyperLinker, p4, 272, 72, 64, 32, "查看说明", 0, kWhite, kDarkGrey},
        {"组合框6", ComboBox, p4, 8, 112, 80, 28, "", kH14, {}, {}, "混合算法|简易算法", 1},
        {"组合框7", ComboBox, p4, 96, 112, 80, 28, "", kH14, {}, {}, "正确≥|错误≥|当前连中|当前连挂", 0},
        {"编辑框9", EditBox, p4, 184, 112, 80, 28, "15", kH16 | kIntegerOnly | kCentred},
        {"超级链接框82", HyperLinker, p4, 272, 112, 64, 28, "开始搜索", 0, kWhite, kDarkGrey},
        {"编辑框5", EditBox, p4, 8, 152, 328, 32, "[1]+[8]+[9]+[12]/[8]*[6]", kH16},
        {"编辑框6", EditBox, p4, 8, 192, 328, 32, "[9]+[5]+2+[2]", kH16},
        {"编辑框7", EditBox, p4, 8, 232, 328, 32, "[1]*[9]+[5]/[2]+[10]", kH16},
        {"编辑框8", EditBox, p4, 8, 272, 120, 32, "Qivra超神算法", kH14},
        {"超级链接框86", HyperLinker, p4, 131, 272, 61, 32, "保存算法", 0, kWhite, kDarkGrey},
        {"超级链接框87", HyperLinker, p4, 194, 272, 64, 32, "删除选中", 0, kWhite, kDarkGrey},
        {"透明标签10", TransLabel, p4, 8, 304, 184, 24, "*右键呼出菜单", 0, kMaroon},
        // The 算法 column holds the formula text and is never shown.
        {"超级列表框2", ListView, p4, 8, 328, 400, 248, "", 0, {}, {},
         "算法名称:100|正确率:70|当前连中:70|当前连挂:70|算法:0"},
    });
    AddKindLinks(t, p4, 74, 344, {72, 103, 134, 165, 196, 227, 258, 288},
                 {"组合", "大小", "单双", "杀组", "杀3N", "杀4N", "杀双组", "双项"});
    t.push_back({"高级表格5", EGrid, p4, 416, 32, 464, 552, "", 0, {}, {}, "10:7"});

    // Page 5: every plan and stored algorithm against chance.
    const std::string p5 = "选择夹1/5";
    t.insert(t.end(), {
        {"透明标签20", TransLabel, p5, 8, 40, 40, 24, "玩法："},
        {"组合框20", ComboBox, p5, 48, 40, 80, 24, "", 0, {}, {}, "组合|大小|单双|杀组|杀3N|杀4N|双组|双项|杀双组", 1},
        {"透明标签21", TransLabel, p5, 144, 40, 40, 24, "统计："},
        {"组合框21", ComboBox, p5, 184, 40, 56, 24, "", 0, {}, {}, kPeriodCounts, 8},
        {"标签20", Label, p5, 256, 40, 624, 24, "", kLeftAligned, kMaroon},
        {"统计表格1", SortTable, p5, 8, 72, 880, 512, "", 0, {}, {},
         "名称:96|类别:72|正确:44|期望:52|准确率:56|机会:52|p值:64|校正后:64|样本外:64|样本外期望:72|样本外p值:72|优于机会:64"},
    });
    return t;
}

}  // namespace

const std::vector<ControlRow>& MainWindow::Layout() {
    static const std::vector<ControlRow> rows = BuildLayout();
    return rows;
}

}  // namespace qivra
