#pragma once

#include <string_view>

// The fixed texts that the result actions show the user, as UTF-8.
namespace varnick::messages {

inline constexpr std::string_view kCopyDone = "复制成功!";
inline constexpr std::string_view kCopyNothingGenerated = "先生成后复制!";
inline constexpr std::string_view kCopyClipboardBusy = "复制失败!剪贴板正被其他程序占用!";

inline constexpr std::string_view kAddNothingGenerated = "先生成后写入!";
inline constexpr std::string_view kAddNoWeaponsFile = "请确定您把本软件放到服务端目录\r\n并安装了crackshot枪械插件";
inline constexpr std::string_view kAddUnreadableDefinition =
    "生成的配置无法被插件读取(名称为空,或内容含有引号、冒号、换行等特殊字符),未写入!";
inline constexpr std::string_view kAddUnencodable = "内容中有无法保存的字符,未写入!";
inline constexpr std::string_view kAddDuplicateName = "配置文件中已有同名武器!请换一个枪械名称再写入!";
inline constexpr std::string_view kAddWriteFailed = "写入失败!配置文件没有被改动,请检查它是否只读或正被其他程序占用!";
inline constexpr std::string_view kAddBusy = "配置文件正被另一个程序写入,未写入!请稍后再试。";
inline constexpr std::string_view kAddWriteFailedPartly = "写入失败!配置文件末尾可能留下了不完整的内容,请打开检查!";
inline constexpr std::string_view kAddDone = "写入成功!请进入游戏测试!";

}  // namespace varnick::messages
