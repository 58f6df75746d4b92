#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace varnick {

// Pulls the next bytes of a UTF-8 stream into the buffer: returns how many were written (0 at the end of the
// stream), or nothing on a read error.
using ByteSource = std::function<std::optional<std::size_t>(char* buffer, std::size_t capacity)>;

enum class YamlEventKind {
    StreamStart,
    StreamEnd,
    DocumentStart,
    DocumentEnd,
    Alias,
    Scalar,
    SequenceStart,
    SequenceEnd,
    MappingStart,
    MappingEnd,
};

enum class ScalarStyle { Plain, SingleQuoted, DoubleQuoted, Literal, Folded };

// One parser event; its texts stay valid until the stream's next call.
struct YamlEvent {
    YamlEventKind kind = YamlEventKind::StreamStart;
    std::size_t line = 0;  // where the event starts, counted from 0
    std::size_t column = 0;
    bool hasAnchor = false;   // a node with an anchor (&name); an alias always has one: the name it refers to
    std::string_view anchor;  // the anchor's name
    bool hasTag = false;      // a node with an explicit tag, resolved by the parser (for example tag:yaml.org,2002:str)
    std::string_view tag;     // the tag
    std::string_view value;   // a scalar's value after quoting and escapes
    ScalarStyle style = ScalarStyle::Plain;
    bool flow = false;     // a collection written in flow style ({...} or [...])
    bool implicit = true;  // a document start without "---" or a document end without "..."
};

// Where and why parsing stopped.
struct YamlError {
    bool sourceFailed = false;  // the byte source reported a read error
    bool badCharacter = false;  // the stream holds a character the reader refuses or malformed UTF-8
    bool scanner = false;       // a token could not be read (an unclosed quote, a tab where indentation belongs...)
    std::size_t line = 0;       // of the problem, counted from 0
    std::optional<std::size_t> contextLine;  // of the construct being read when the problem was found
};

// The YAML 1.1 event stream of a UTF-8 byte stream, read with libyaml in constant memory.
class YamlEventStream {
public:
    explicit YamlEventStream(ByteSource source);
    ~YamlEventStream();
    YamlEventStream(const YamlEventStream&) = delete;
    YamlEventStream& operator=(const YamlEventStream&) = delete;

    // Returns the next event, valid until the next call; nothing once the stream ended or failed, and then
    // failed() tells which.
    const YamlEvent* next();

    // Returns whether parsing stopped at an error; error() then describes it.
    bool failed() const { return m_failed; }
    const YamlError& error() const { return m_error; }

    struct Parser;

private:
    std::unique_ptr<Parser> m_parser;
    YamlEvent m_event;
    YamlError m_error;
    bool m_failed = false;
    bool m_ended = false;
};

// Returns the text the plugin makes of a mapping key given as a scalar: a plain untagged scalar is resolved by
// the YAML 1.1 rules (yes is true, 010 is 8) and its value written as Java writes it. Nothing for a null, a merge
// key, or when the text cannot be told (a date, most floating-point numbers, an unknown tag).
std::optional<std::string> pluginKeyText(std::string_view value, ScalarStyle style, bool hasTag, std::string_view tag);

}  // namespace varnick
