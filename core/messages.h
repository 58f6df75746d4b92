#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace varnick {

// How a message box presents its text: as an outcome that succeeded, or as a refusal or failure.
enum class MessageKind { Success, Failure };

// One fixed message shown to the user: its kind and its UTF-8 text (CR LF breaks the line).
struct Message {
    MessageKind kind = MessageKind::Success;
    std::string_view text;
};

// A message that owns its text, for texts with a part filled in when they are shown (a key, a line, a file name).
struct OwnedMessage {
    MessageKind kind = MessageKind::Success;
    std::string text;

    OwnedMessage() = default;
    OwnedMessage(MessageKind messageKind, std::string messageText) : kind(messageKind), text(std::move(messageText)) {}
    // A fixed message becomes an owned one wherever one is expected.
    OwnedMessage(const Message& message) : kind(message.kind), text(message.text) {}

    // Returns the message to show; valid while this object lives and is not changed.
    Message view() const { return {kind, text}; }
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
// In the texts below, %1 stands for the filled-in part: a key of the definition, a line number or a file name.
inline constexpr Message kAddUnreadableField{
    MessageKind::Failure, "生成的配置中 %1 一项无法被插件读取(含有引号、冒号、#、!、& 等特殊字符或控制字符),未写入!"};
inline constexpr std::string_view kNameField = "枪械名称";
inline constexpr Message kAddBrokenFile{MessageKind::Failure,
                                        "配置文件第%1行有格式错误,插件无法读取它,未写入!请先修正该行。"};
inline constexpr Message kAddUnsupportedFileShape{
    MessageKind::Failure,
    "配置文件的写法(整体缩进、流式写法、多个文档、以 ... 或 | > 文本块结束)无法在末尾接上新武器,未写入!"};
inline constexpr Message kAddWideEncodingFile{
    MessageKind::Failure,
    "配置文件是 UTF-16 或 UTF-32 编码,本软件不能在其中加入武器,未写入!请把它另存为 UTF-8 编码后再试。"};
inline constexpr Message kAddDuplicateInOtherFile{MessageKind::Failure,
                                                  "配置文件 %1 中已有同名武器!请换一个枪械名称再写入!"};
inline constexpr Message kAddUnencodable{MessageKind::Failure, "内容中有无法保存的字符,未写入!"};
inline constexpr Message kAddDuplicateName{MessageKind::Failure, "配置文件中已有同名武器!请换一个枪械名称再写入!"};
inline constexpr Message kAddWriteFailed{MessageKind::Failure,
                                         "写入失败!配置文件没有被改动,请检查它是否只读或正被其他程序占用!"};
inline constexpr Message kAddBusy{MessageKind::Failure, "配置文件正被另一个程序写入,未写入!请稍后再试。"};
inline constexpr Message kAddWriteFailedPartly{MessageKind::Failure,
                                               "写入失败!配置文件末尾可能留下了不完整的内容,请打开检查!"};
inline constexpr Message kAddDone{MessageKind::Success, "写入成功!请进入游戏测试!"};

}  // namespace varnick::messages
