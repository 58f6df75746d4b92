#pragma once

#include <string_view>

// The fixed texts that the result actions show the user, as UTF-8.
namespace varnick::messages {

inline constexpr std::string_view kCopyDone = "复制成功!";
inline constexpr std::string_view kCopyNothingGenerated = "先生成后复制!";
inline constexpr std::string_view kCopyClipboardBusy = "复制失败!剪贴板正被其他程序占用!";

inline constexpr std::string_view kAddNothingGenerated = "先生成后写入!";
inline constexpr std::string_view kAddNoWeaponsFile = "请确定您把本软件放到服务端目录\r\n并安装了crackshot枪械插件";
// In the texts below, %1 stands for the filled-in part: a key of the definition, a line number or a file name.
inline constexpr std::string_view kAddUnreadableField =
    "生成的配置中 %1 一项无法被插件读取(含有引号、冒号、#、!、& 等特殊字符或控制字符),未写入!";
inline constexpr std::string_view kNameField = "枪械名称";
inline constexpr std::string_view kAddBrokenFile = "配置文件第%1行有格式错误,插件无法读取它,未写入!请先修正该行。";
inline constexpr std::string_view kAddUnsupportedFileShape =
    "配置文件的写法(整体缩进、流式写法、多个文档、以 ... 或 | > 文本块结束)无法在末尾接上新武器,未写入!";
inline constexpr std::string_view kAddWideEncodingFile =
    "配置文件是 UTF-16 或 UTF-32 编码,本软件不能在其中加入武器,未写入!请把它另存为 UTF-8 编码后再试。";
inline constexpr std::string_view kAddDuplicateInOtherFile = "配置文件 %1 中已有同名武器!请换一个枪械名称再写入!";
inline constexpr std::string_view kAddUnencodable = "内容中有无法保存的字符,未写入!";
inline constexpr std::string_view kAddDuplicateName = "配置文件中已有同名武器!请换一个枪械名称再写入!";
inline constexpr std::string_view kAddWriteFailed = "写入失败!配置文件没有被改动,请检查它是否只读或正被其他程序占用!";
inline constexpr std::string_view kAddBusy = "配置文件正被另一个程序写入,未写入!请稍后再试。";
inline constexpr std::string_view kAddWriteFailedPartly = "写入失败!配置文件末尾可能留下了不完整的内容,请打开检查!";
inline constexpr std::string_view kAddDone = "写入成功!请进入游戏测试!";

}  // namespace varnick::messages
