#pragma once

#include <string_view>

namespace varnick {

// How a message box presents its text: as an outcome that succeeded, or as a refusal or failure.
enum class MessageKind { Success, Failure };

// One fixed message shown to the user: its kind and its UTF-8 text (CR LF breaks the line).
struct Message {
    MessageKind kind = MessageKind::Success;
    std::string_view text;
};

}  // namespace varnick

// The fixed messages that the result actions show the user.
namespace varnick::messages {

inline constexpr Message kCopyDone{MessageKind::Success, "复制成功!"};
inline constexpr Message kCopyNothingGenerated{MessageKind::Failure, "先生成后复制!"};
inline constexpr Message kCopyClipboardBusy{MessageKind::Failure, "复制失败!剪贴板正被其他程序占用!"};

inline constexpr Message kAddNothingGenerated{MessageKind::Failure, "先生成后写入!"};
inline constexpr Message kAddNoWeaponsFile{MessageKind::Failure,
                                           "请确定您把本软件放到服务端目录\r\n并安装了crackshot枪械插件"};
inline constexpr Message kAddUnreadableDefinition{
    MessageKind::Failure, "生成的配置无法被插件读取(名称为空,或内容含有引号、冒号、换行等特殊字符),未写入!"};
inline constexpr Message kAddUnencodable{MessageKind::Failure, "内容中有无法保存的字符,未写入!"};
inline constexpr Message kAddDuplicateName{MessageKind::Failure, "配置文件中已有同名武器!请换一个枪械名称再写入!"};
inline constexpr Message kAddWriteFailed{MessageKind::Failure,
                                         "写入失败!配置文件没有被改动,请检查它是否只读或正被其他程序占用!"};
inline constexpr Message kAddBusy{MessageKind::Failure, "配置文件正被另一个程序写入,未写入!请稍后再试。"};
inline constexpr Message kAddWriteFailedPartly{MessageKind::Failure,
                                               "写入失败!配置文件末尾可能留下了不完整的内容,请打开检查!"};
inline constexpr Message kAddDone{MessageKind::Success, "写入成功!请进入游戏测试!"};

}  // namespace varnick::messages
