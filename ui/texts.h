#pragma once

#include <string_view>

#include "core/messages.h"
#include "varnick_version.h"

// The window layer's own user-visible texts (UTF-8). Captions of controls live in the window tables.
namespace varnick::ui::texts {

inline constexpr std::string_view kProgramName = "Varnick";
inline constexpr std::string_view kVersion = VARNICK_VERSION_SHORT;
inline constexpr std::string_view kTitlePrefix = "Varnick V";

// The sponsorship notice: three CR LF lines, the second one showing the contact address.
inline constexpr std::string_view kContactAddress = "varnick-sponsor@example.com";
inline constexpr std::string_view kSponsorNotice =
    "作者经费紧张,如果您觉得本软件好用,支持它今后的开发,恳请赞助一下!\r\n"
    "支付宝:varnick-sponsor@example.com\r\n"
    "[点击本消息即可复制收款账号,赞助者的名字将列入论坛帖的感谢名单]";

// The one button of every message box.
inline constexpr std::string_view kOk = "确定";

inline constexpr Message kCopied{MessageKind::Success, "已复制!"};
inline constexpr Message kUnfinished{MessageKind::Failure, "未完成"};

// Start-up failures; the program ends after showing them.
inline constexpr Message kCurrentDirectoryFailed{MessageKind::Failure, "无法进入本软件所在的目录,程序无法继续运行!"};
inline constexpr Message kSkinBindingFailed{MessageKind::Failure,
                                            "无法从 jedata.dll 载入 SkinH_AttachEx,程序无法继续运行!"};
inline constexpr Message kStartWindowFailed{MessageKind::Failure, "无法创建主窗口,程序无法继续运行!"};

}  // namespace varnick::ui::texts
