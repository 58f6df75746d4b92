#include "ui/windows/gun_maker.h"

#include <string>

#include "core/gun_definition.h"
#include "core/result_actions.h"
#include "ui/texts.h"
#include "ui/toolkit/window.h"

namespace varnick::ui {
namespace {

constexpr std::string_view kProjectiles[] = {"arrow", "snowball", "fireball", "egg"};
constexpr FontSpec kGenerateFont{"微软雅黑", 29, 700};

// Records in stacking order; the toolkit creates them from the last one up, which gives the Tab order.
// clang-format off
constexpr ControlDef kControls[] = {
    //           name              parent     left  top  width height  content
    checkBox   ("选择框_双枪1",    "分组框4", {  8, 160,  72,  32}, "是否双枪"),
    groupBox   ("分组框6",                    {560,   0, 368, 112}, "连发设置[未完成]"),
    button     ("按钮4",           "分组框5", {  8, 168, 232,  24}, "制造附件?点我!"),
    editBox    ("编辑框_原文本",   "分组框5", {208,  96,  32,  32}).multiLineBox().hidden(),
    editBox    ("编辑框_换弹时间", "分组框3", { 88,  64, 152,  16}).disabled(),
    transLabel ("透明标签19",      "分组框3", {  8,  64,  80,  16}, "换弹时间"),
    editBox    ("编辑框_子弹精准", "分组框4", { 88, 136, 144,  16}, "1"),
    transLabel ("透明标签18",      "分组框4", {  8, 136,  72,  16}, "子弹精准度"),
    transLabel ("透明标签17",      "分组框4", {  8, 112, 136,  16}, "开火时后座力[0则没有]"),
    editBox    ("编辑框_后坐力",   "分组框4", {160, 112, 144,  16}, "1"),
    checkBox   ("选择框_双枪",     "分组框4", {232, 128,  72,  32}, "是否双枪"),
    editBox    ("编辑框_射出数量", "分组框4", {160,  88, 144,  16}, "1"),
    transLabel ("透明标签16",      "分组框4", {  8,  88, 144,  16}, "一次射出去的弹射物数量"),
    comboBox   ("组合框1",         "分组框4", {112,  64, 192,  20}, kProjectiles, 1),
    transLabel ("透明标签15",      "分组框4", {  8,  64,  80,  16}, "射出去的东西"),
    editBox    ("编辑框5",         "分组框5", { 80, 144, 144,  16}).disabled(),
    transLabel ("透明标签14",      "分组框5", {  8, 144,  64,  16}, "瞄准的大小"),
    checkBox   ("选择框2",         "分组框5", {  8, 120, 160,  16}, "是否开启右键瞄准"),
    transLabel ("透明标签13",      "分组框5", {  8,  96,  80,  16}, "右键瞄准设置"),
    transLabel ("透明标签12",      "分组框5", {  8,  56, 224,  24}, "死亡者变量为 <victim> 导致死亡者死亡的人变量为 <shooter>").wrapping(),
    editBox    ("编辑框4",         "分组框5", {  8,  40, 232,  16}, "&b<shooter> 使用 xxx 把 <victim> 枪毙"),
    transLabel ("透明标签11",      "分组框5", {  8,  16, 168,  16}, "使用枪械K人死亡后的广播信息"),
    button     ("按钮1",           "",        {  0, 464, 560,  64}, "做好了?点我生成!").withFont(kGenerateFont),
    groupBox   ("分组框5",                    {312, 112, 248, 200}, "扩展设置"),
    editBox    ("编辑框_枪械ID",   "分组框2", {104,  88, 200,  16}, "418"),
    transLabel ("透明标签10",      "分组框2", {  8,  88,  88,  16}, "枪械显示物品ID"),
    editBox    ("编辑框_威力",     "分组框4", {112,  40, 192,  16}, "4"),
    transLabel ("透明标签9",       "分组框4", {  8,  40, 104,  16}, "枪械威力"),
    editBox    ("编辑框_射程",     "分组框4", {112,  16, 192,  16}, "20"),
    transLabel ("透明标签8",       "分组框4", {  8,  16, 104,  16}, "射程[1-1000]"),
    groupBox   ("分组框4",                    {  0, 112, 312, 200}, "枪械射击设置"),
    editBox    ("编辑框_子弹数量", "分组框3", { 88,  40, 152,  16}).disabled(),
    transLabel ("透明标签7",       "分组框3", {  8,  40,  72,  16}, "最大子弹数量"),
    editBox    ("编辑框_子弹ID",   "分组框3", { 56,  16, 184,  16}).disabled(),
    transLabel ("透明标签6",       "分组框3", {  8,  40,  40,  16}, ""),
    transLabel ("透明标签5",       "分组框3", {  8,  16,  40,  16}, "子弹ID"),
    checkBox   ("选择框1",         "分组框3", {  8,  88, 224,  16}, "是否开启弹药功能[关闭子弹无限]"),
    groupBox   ("分组框3",                    {312,   0, 248, 112}, "弹药设置"),
    transLabel ("透明标签4",       "分组框2", {  8, 112, 144,  16}, ""),
    transLabel ("透明标签3",       "分组框2", {  8,  64, 144,  16}, "枪械介绍[使用\"|\"来分行]"),
    editBox    ("编辑框_介绍",     "分组框2", {152,  64, 152,  16}, "m4"),
    editBox    ("编辑框_手持名称", "分组框2", { 80,  40, 224,  16}, "&eM4A1"),
    editBox    ("编辑框_名称",     "分组框2", { 80,  16, 224,  16}, "M4A1"),
    transLabel ("透明标签2",       "分组框2", {  8,  40,  80,  16}, "枪械手持名称"),
    transLabel ("透明标签1",       "分组框2", {  8,  16,  48,  16}, "枪械名称"),
    button     ("按钮3",           "分组框1", {192, 368, 176,  32}, "直接加入到配置文件"),
    button     ("按钮2",           "分组框1", {  8, 368, 184,  32}, "复制结果"),
    groupBox   ("分组框2",                    {  0,   0, 312, 112}, "枪械基本设置"),
    editBox    ("编辑框_结果",     "分组框1", {  8,  16, 360, 344}).multiLineBox().readOnly(),
    groupBox   ("分组框1",                    {560, 112, 376, 416}, "结果"),
};

// Which control fills which field of the record that the generate button builds.
constexpr FieldBinding<GunValues> kFields[] = {
    //  control              field
    {"编辑框_名称",      &GunValues::name},
    {"编辑框_手持名称",  &GunValues::heldName},
    {"编辑框_枪械ID",    &GunValues::itemType},
    {"编辑框_介绍",      &GunValues::lore},
    {"编辑框_后坐力",    &GunValues::recoilAmount},
    {"编辑框_射出数量",  &GunValues::projectileAmount},
    {"组合框1",          &GunValues::projectileType},
    {"编辑框_威力",      &GunValues::projectileDamage},
    {"编辑框_射程",      &GunValues::projectileSpeed},
    {"编辑框_子弹精准",  &GunValues::bulletSpread},
    {"编辑框4",          &GunValues::deathMessage},
    {"编辑框5",          &GunValues::zoomAmount},
    {"编辑框_子弹ID",    &GunValues::ammoItemId},
    {"编辑框_子弹数量",  &GunValues::reloadAmount},
    {"编辑框_换弹时间",  &GunValues::reloadDuration},
    {"选择框_双枪",      &GunValues::dualWield},
    {"选择框2",          &GunValues::scopeEnabled},
    {"选择框1",          &GunValues::ammoEnabled},
};
// clang-format on

bool doNothing(Window&, const Event&) {
    return true;
}

bool onGenerate(Window& window, const Event&) {
    window.setText("编辑框_结果", buildGunDefinition(readRecord<GunValues>(window, kFields)));
    return true;
}

bool onCopy(Window& window, const Event&) {
    QtDesktopServices desktop;
    copyResult(window.text("编辑框_结果"), desktop);
    return true;
}

bool onAdd(Window& window, const Event&) {
    QtDesktopServices desktop;
    addToWeaponsFile(window.text("编辑框_结果"), desktop);
    return true;
}

// An option's fields take input only while the option is on; their text stays either way.
bool onAmmoOption(Window& window, const Event&) {
    const bool on = window.isChecked("选择框1");
    for (const char* field : {"编辑框_子弹ID", "编辑框_子弹数量", "编辑框_换弹时间"}) window.setEnabled(field, on);
    return true;
}

bool onScopeOption(Window& window, const Event&) {
    window.setEnabled("编辑框5", window.isChecked("选择框2"));
    return true;
}

bool onAttachment(Window&, const Event&) {
    showMessage(texts::kUnfinished);
    return true;
}

// clang-format off
constexpr Binding kBindings[] = {
    //  control          event        handler
    {"",             kEventMain,  doNothing},
    {"按钮1",        kEventMain,  onGenerate},
    {"按钮2",        kEventMain,  onCopy},
    {"按钮3",        kEventMain,  onAdd},
    {"选择框1",      kEventMain,  onAmmoOption},
    {"选择框2",      kEventMain,  onScopeOption},
    {"选择框_双枪",  kEventMain,  doNothing},
    {"按钮4",        kEventMain,  onAttachment},
    {"编辑框_结果",  kEventMain,  doNothing},
};
// clang-format on

constexpr WindowDef kGunMaker{.caption = "Varnick - 枪械制作",
                              .width = 940,
                              .height = 561,
                              .background = kWhite,
                              .controls = kControls,
                              .bindings = kBindings};

}  // namespace

const WindowDef& gunMakerWindow() {
    return kGunMaker;
}

std::span<const FieldBinding<GunValues>> gunMakerFields() {
    return kFields;
}

}  // namespace varnick::ui
