#include "ui/windows/throwable_maker.h"

#include "core/throwable_definition.h"
#include "ui/toolkit/window.h"

namespace varnick::ui {
namespace {

constexpr FontSpec kGenerateFont{"宋体", 20, 700};

// Records in stacking order; the toolkit creates them from the last one up, which gives the Tab order.
// clang-format off
constexpr ControlDef kControls[] = {
    //           name                    parent     left  top  width height  content
    editBox    ("编辑框_杀人信息",       "分组框4", { 56,  16, 160,  16}, "&b<shooter> 使用 xxx 把 <victim> 给炸死了"),
    transLabel ("透明标签12",            "分组框5", {  8,  88,  24,  16}, "音效"),
    editBox    ("编辑框_音效",           "分组框5", { 40,  88, 168,  16}).integerText(),
    transLabel ("透明标签11",            "分组框5", {  8,  64, 136,  16}, "投掷力度[炸弹飞行速度]"),
    editBox    ("编辑框_炸弹投掷力度",   "分组框5", {144,  64,  64,  16}).integerText(),
    editBox    ("编辑框_发出去的东西ID", "分组框5", { 96,  40, 112,  16}).integerText(),
    transLabel ("透明标签10",            "分组框5", {  8,  40,  88,  16}, "射出去的物品ID"),
    transLabel ("透明标签9",             "分组框5", {  8,  16,  48,  16}, "发射数量"),
    editBox    ("编辑框_发出去的数量",   "分组框5", { 56,  16, 160,  16}).integerText(),
    groupBox   ("分组框5",                          {  8, 240, 216, 144}, "发射设置"),
    editBox    ("编辑框_爆炸延迟",       "分组框3", { 80,  64, 136,  16}).integerText(),
    transLabel ("透明标签8",             "分组框3", {  8,  64,  72,  16}, "爆炸延迟[秒]"),
    transLabel ("透明标签7",             "分组框4", {  8,  16,  48,  16}, "杀人信息"),
    groupBox   ("分组框4",                          {  8, 384, 216,  48}, "其他"),
    editBox    ("编辑框_物品ID",         "分组框1", { 56,  64, 152,  16}),
    transLabel ("透明标签6",             "分组框1", {  8,  64,  48,  16}, "物品材质"),
    button     ("按钮1",                 "",        {  8, 432, 216,  40}, "生成").withFont(kGenerateFont),
    editBox    ("编辑框_爆炸范围",       "分组框3", { 56,  40, 160,  16}).integerText().maxBytes(4),
    editBox    ("编辑框_爆炸威力",       "分组框3", { 56,  16, 160,  16}).integerText(),
    transLabel ("透明标签5",             "分组框3", {  8,  40,  48,  16}, "爆炸半径"),
    transLabel ("透明标签4",             "分组框3", {  8,  16,  48,  16}, "爆炸威力"),
    groupBox   ("分组框3",                          {  8, 128, 216, 112}, "爆炸设置"),
    editBox    ("编辑框_结果",           "分组框2", {  8,  16, 296, 440}).multiLineBox().readOnly(),
    groupBox   ("分组框2",                          {224,   8, 312, 464}, "生成结果"),
    editBox    ("编辑框_武器介绍",       "分组框1", { 56,  88, 152,  16}),
    transLabel ("透明标签3",             "分组框1", {  8,  88,  48,  16}, "武器介绍"),
    editBox    ("编辑框_手持名称",       "分组框1", { 56,  40, 152,  16}),
    transLabel ("透明标签2",             "分组框1", {  8,  40,  48,  16}, "手持名称"),
    transLabel ("透明标签1",             "分组框1", {  8,  16,  48,  16}, "武器名称"),
    editBox    ("编辑框_名称",           "分组框1", { 56,  16, 152,  16}),
    groupBox   ("分组框1",                          {  8,   8, 216, 112}, "基本设置"),
};

// Which control fills which field of the record that the generate button builds.
constexpr FieldBinding<ThrowableValues> kFields[] = {
    //  control                  field
    {"编辑框_名称",           &ThrowableValues::name},
    {"编辑框_手持名称",       &ThrowableValues::heldName},
    {"编辑框_物品ID",         &ThrowableValues::itemType},
    {"编辑框_武器介绍",       &ThrowableValues::lore},
    {"编辑框_爆炸威力",       &ThrowableValues::explosionPower},
    {"编辑框_爆炸范围",       &ThrowableValues::explosionRadius},
    {"编辑框_爆炸延迟",       &ThrowableValues::explosionDelay},
    {"编辑框_发出去的数量",   &ThrowableValues::projectileAmount},
    {"编辑框_发出去的东西ID", &ThrowableValues::projectileSubtype},
    {"编辑框_炸弹投掷力度",   &ThrowableValues::projectileSpeed},
    {"编辑框_音效",           &ThrowableValues::shootSound},
    {"编辑框_杀人信息",       &ThrowableValues::deathMessage},
};
// clang-format on

bool doNothing(Window&, const Event&) {
    return true;
}

bool onGenerate(Window& window, const Event&) {
    window.setText("编辑框_结果", buildThrowableDefinition(readRecord<ThrowableValues>(window, kFields)));
    return true;
}

// clang-format off
constexpr Binding kBindings[] = {
    //  control   event        handler
    {"",      kEventMain,  doNothing},
    {"按钮1", kEventMain,  onGenerate},
};
// clang-format on

constexpr WindowDef kThrowableMaker{.caption = "Varnick - 投掷型武器制作",
                                    .width = 542,
                                    .height = 505,
                                    .background = kDefaultColour,
                                    .controls = kControls,
                                    .bindings = kBindings};

}  // namespace

const WindowDef& throwableMakerWindow() {
    return kThrowableMaker;
}

std::span<const FieldBinding<ThrowableValues>> throwableMakerFields() {
    return kFields;
}

}  // namespace varnick::ui
