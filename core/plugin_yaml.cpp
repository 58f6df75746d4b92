#include "core/plugin_yaml.h"

#include <yaml.h>

#include <cstdint>
#include <regex>

namespace varnick {

struct YamlEventStream::Parser {
    yaml_parser_t parser;
    yaml_event_t event;
    bool hasEvent = false;
    ByteSource source;
    bool sourceFailed = false;
};

namespace {

int readFromSource(void* data, unsigned char* buffer, std::size_t size, std::size_t* sizeRead) {
    auto* parser = static_cast<YamlEventStream::Parser*>(data);
    const std::optional<std::size_t> got = parser->source(reinterpret_cast<char*>(buffer), size);
    if (!got) {
        parser->sourceFailed = true;
        return 0;
    }
    *sizeRead = *got;
    return 1;
}

std::string_view text(const yaml_char_t* value) {
    return value == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(value));
}

ScalarStyle styleOf(yaml_scalar_style_t style) {
    switch (style) {
        case YAML_SINGLE_QUOTED_SCALAR_STYLE:
            return ScalarStyle::SingleQuoted;
        case YAML_DOUBLE_QUOTED_SCALAR_STYLE:
            return ScalarStyle::DoubleQuoted;
        case YAML_LITERAL_SCALAR_STYLE:
            return ScalarStyle::Literal;
        case YAML_FOLDED_SCALAR_STYLE:
            return ScalarStyle::Folded;
        default:
            return ScalarStyle::Plain;
    }
}

}  // namespace

YamlEventStream::YamlEventStream(ByteSource source) : m_parser(new Parser()) {
    m_parser->source = std::move(source);
    yaml_parser_initialize(&m_parser->parser);
    yaml_parser_set_input(&m_parser->parser, readFromSource, m_parser.get());
}

YamlEventStream::~YamlEventStream() {
    if (m_parser->hasEvent) {
        yaml_event_delete(&m_parser->event);
    }
    yaml_parser_delete(&m_parser->parser);
}

const YamlEvent* YamlEventStream::next() {
    if (m_failed || m_ended) {
        return nullptr;
    }
    if (m_parser->hasEvent) {
        yaml_event_delete(&m_parser->event);
        m_parser->hasEvent = false;
    }
    yaml_event_t& event = m_parser->event;
    if (!yaml_parser_parse(&m_parser->parser, &event)) {
        const yaml_parser_t& parser = m_parser->parser;
        m_failed = true;
        m_error.sourceFailed = m_parser->sourceFailed;
        m_error.badCharacter = parser.error == YAML_READER_ERROR && !m_parser->sourceFailed;
        m_error.scanner = parser.error == YAML_SCANNER_ERROR;
        m_error.line = parser.problem_mark.line;
        if (parser.context != nullptr) {
            m_error.contextLine = parser.context_mark.line;
        }
        return nullptr;
    }
    m_parser->hasEvent = true;

    m_event = YamlEvent();
    m_event.line = event.start_mark.line;
    m_event.column = event.start_mark.column;
    const yaml_char_t* anchor = nullptr;
    const yaml_char_t* tag = nullptr;
    switch (event.type) {
        case YAML_STREAM_START_EVENT:
            m_event.kind = YamlEventKind::StreamStart;
            break;
        case YAML_STREAM_END_EVENT:
            m_event.kind = YamlEventKind::StreamEnd;
            m_ended = true;
            break;
        case YAML_DOCUMENT_START_EVENT:
            m_event.kind = YamlEventKind::DocumentStart;
            m_event.implicit = event.data.document_start.implicit != 0;
            break;
        case YAML_DOCUMENT_END_EVENT:
            m_event.kind = YamlEventKind::DocumentEnd;
            m_event.implicit = event.data.document_end.implicit != 0;
            break;
        case YAML_ALIAS_EVENT:
            m_event.kind = YamlEventKind::Alias;
            anchor = event.data.alias.anchor;
            break;
        case YAML_SCALAR_EVENT:
            m_event.kind = YamlEventKind::Scalar;
            anchor = event.data.scalar.anchor;
            tag = event.data.scalar.tag;
            m_event.value =
                std::string_view(reinterpret_cast<const char*>(event.data.scalar.value), event.data.scalar.length);
            m_event.style = styleOf(event.data.scalar.style);
            break;
        case YAML_SEQUENCE_START_EVENT:
            m_event.kind = YamlEventKind::SequenceStart;
            anchor = event.data.sequence_start.anchor;
            tag = event.data.sequence_start.tag;
            m_event.flow = event.data.sequence_start.style == YAML_FLOW_SEQUENCE_STYLE;
            break;
        case YAML_SEQUENCE_END_EVENT:
            m_event.kind = YamlEventKind::SequenceEnd;
            break;
        case YAML_MAPPING_START_EVENT:
            m_event.kind = YamlEventKind::MappingStart;
            anchor = event.data.mapping_start.anchor;
            tag = event.data.mapping_start.tag;
            m_event.flow = event.data.mapping_start.style == YAML_FLOW_MAPPING_STYLE;
            break;
        case YAML_MAPPING_END_EVENT:
            m_event.kind = YamlEventKind::MappingEnd;
            break;
        case YAML_NO_EVENT:
            m_failed = true;
            return nullptr;
    }
    m_event.hasAnchor = anchor != nullptr;
    m_event.anchor = text(anchor);
    m_event.hasTag = tag != nullptr;
    m_event.tag = text(tag);
    return &m_event;
}

namespace {

// The implicit types of YAML 1.1 as the plugin's reader resolves plain scalars.
const std::regex& boolPattern() {
    static const std::regex pattern("yes|Yes|YES|no|No|NO|true|True|TRUE|false|False|FALSE|on|On|ON|off|Off|OFF");
    return pattern;
}

const std::regex& intPattern() {
    static const std::regex pattern(
        "[-+]?0b[0-1_]+|[-+]?0[0-7_]+|[-+]?(?:0|[1-9][0-9_]*)|[-+]?0x[0-9a-fA-F_]+|[-+]?[1-9][0-9_]*(?::[0-5]?[0-9])+");
    return pattern;
}

const std::regex& floatPattern() {
    static const std::regex pattern(
        "[-+]?(?:\\.[0-9]+|[0-9_]+(?:\\.[0-9_]*)?)(?:[eE][-+]?[0-9]+)?|[-+]?[0-9][0-9_]*(?::[0-5]?[0-9])+\\.[0-9_]*|"
        "[-+]?\\.(?:inf|Inf|INF)|\\.(?:nan|NaN|NAN)");
    return pattern;
}

const std::regex& timestampPattern() {
    static const std::regex pattern(
        "[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]|[0-9][0-9][0-9][0-9]-[0-9][0-9]?-[0-9][0-9]?(?:[Tt]|[ \\t]+)"
        "[0-9][0-9]?:[0-9][0-9]:[0-9][0-9](?:\\.[0-9]*)?(?:[ \\t]*(?:Z|[-+][0-9][0-9]?(?::[0-9][0-9])?))?");
    return pattern;
}

// Decimal numbers of a form that Java's Double.toString writes back unchanged: at most 15 digits, no exponent.
const std::regex& plainDecimalPattern() {
    static const std::regex pattern(
        "-?(?:[1-9][0-9]{0,6}\\.(?:0|[0-9]{0,7}[1-9])|0\\.(?:0|0{0,2}[1-9](?:[0-9]{0,5}[1-9])?))");
    return pattern;
}

bool matches(std::string_view value, const std::regex& pattern) {
    return std::regex_match(value.begin(), value.end(), pattern);
}

// The value of an integer in YAML 1.1 form written in decimal, as Java's Integer, Long and BigInteger write it;
// nothing if it does not fit 64 bits.
std::optional<std::string> integerText(std::string_view value) {
    std::string digits;
    for (const char c : value) {
        if (c != '_') {
            digits += c;
        }
    }
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    const auto parse = [](std::string_view text, unsigned base) -> std::optional<std::uint64_t> {
        std::uint64_t result = 0;
        for (const char c : text) {
            const unsigned digit = c >= 'a'   ? static_cast<unsigned>(c - 'a' + 10)
                                   : c >= 'A' ? static_cast<unsigned>(c - 'A' + 10)
                                              : static_cast<unsigned>(c - '0');
            if (result > (UINT64_MAX - digit) / base) {
                return std::nullopt;
            }
            result = result * base + digit;
        }
        return result;
    };
    std::optional<std::uint64_t> magnitude;
    if (digits == "0") {
        magnitude = 0;
    } else if (digits.rfind("0b", 0) == 0) {
        magnitude = parse(std::string_view(digits).substr(2), 2);
    } else if (digits.rfind("0x", 0) == 0) {
        magnitude = parse(std::string_view(digits).substr(2), 16);
    } else if (digits[0] == '0') {
        magnitude = parse(digits, 8);
    } else if (digits.find(':') != std::string::npos) {
        std::uint64_t total = 0;
        std::size_t start = 0;
        for (;;) {
            const std::size_t colon = digits.find(':', start);
            const auto part = parse(std::string_view(digits).substr(start, colon - start), 10);
            if (!part || total > (UINT64_MAX - *part) / 60) {
                return std::nullopt;
            }
            total = total * 60 + *part;
            if (colon == std::string::npos) {
                break;
            }
            start = colon + 1;
        }
        magnitude = total;
    } else {
        // Decimal digits are written back as they stand, however large.
        std::string text = negative ? "-" : "";
        return text += digits;
    }
    if (!magnitude) {
        return std::nullopt;
    }
    if (*magnitude == 0) {
        return std::string("0");
    }
    std::string text = negative ? "-" : "";
    return text += std::to_string(*magnitude);
}

std::optional<std::string> floatText(std::string_view value) {
    if (value == ".nan" || value == ".NaN" || value == ".NAN") {
        return std::string("NaN");
    }
    if (value.find("inf") != std::string_view::npos || value.find("Inf") != std::string_view::npos ||
        value.find("INF") != std::string_view::npos) {
        return value[0] == '-' ? std::string("-Infinity") : std::string("Infinity");
    }
    if (matches(value, plainDecimalPattern())) {
        return std::string(value);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> pluginKeyText(std::string_view value, ScalarStyle style, bool hasTag, std::string_view tag) {
    if (hasTag) {
        if (tag == "tag:yaml.org,2002:str" || tag == "!") {
            return std::string(value);
        }
        if (tag == "tag:yaml.org,2002:int" && matches(value, intPattern())) {
            return integerText(value);
        }
        return std::nullopt;
    }
    if (style != ScalarStyle::Plain) {
        return std::string(value);
    }
    if (value.empty() || value == "~" || value == "null" || value == "Null" || value == "NULL") {
        return std::nullopt;  // a null key is no text: the server fails on it
    }
    if (value == "<<") {
        return std::nullopt;
    }
    // Most keys are names that no implicit type can match; their first character tells, as in the plugin's reader.
    const char first = value[0];
    const bool maybeBool = std::string_view("yYnNtTfFoO").find(first) != std::string_view::npos && value.size() <= 5;
    const bool maybeNumber = std::string_view("-+0123456789.").find(first) != std::string_view::npos;
    if (!maybeBool && !maybeNumber) {
        return std::string(value);
    }
    if (maybeBool && matches(value, boolPattern())) {
        return std::string(first == 'y' || first == 'Y' || first == 't' || first == 'T' || value == "on" ||
                                   value == "On" || value == "ON"
                               ? "true"
                               : "false");
    }
    if (maybeNumber && matches(value, intPattern())) {
        return integerText(value);
    }
    if (maybeNumber && matches(value, floatPattern())) {
        return floatText(value);
    }
    if (maybeNumber && matches(value, timestampPattern())) {
        return std::nullopt;
    }
    return std::string(value);
}

}  // namespace varnick
