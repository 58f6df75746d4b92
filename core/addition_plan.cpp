#include "core/addition_plan.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

#include "core/encoding.h"
#include "core/messages.h"
#include "core/plugin_yaml.h"

namespace varnick {

namespace {

constexpr std::size_t kChunkSize = kReadChunkSize;

OwnedMessage fillIn(const Message& message, std::string_view part) {
    std::string text(message.text);
    const std::size_t at = text.find("%1");
    if (at != std::string::npos) {
        text.replace(at, 2, part);
    }
    return {message.kind, std::move(text)};
}

// ---- The definition as its lines say it should read ----------------------------------------------------------

// The values the builders always write in double quotes.
constexpr std::string_view kQuotedKeys[] = {"Item_Name", "Item_Lore", "Normal"};

// One event the definition's lines call for.
struct ExpectedEvent {
    YamlEventKind kind;
    std::string_view value;  // of a scalar
    ScalarStyle style = ScalarStyle::Plain;
    std::size_t line = 0;  // of the definition, counted from 0
};

struct Definition {
    std::vector<std::string_view> names;
    std::vector<ExpectedEvent> events;    // between the root mapping's start and end
    std::vector<std::string> lineFields;  // for each line, the field named when it cannot be read
};

bool isKeyText(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Whether a line holds a character that the reader refuses, that breaks the line, or that a converter may drop.
bool holdsUnreadableCharacter(std::string_view line) {
    for (std::size_t at = 0; at < line.size();) {
        const char32_t c = decodeUtf8At(line, at);
        if (isRefusedByYamlReader(c) || isDefaultIgnorable(c) || c == '\r' || c == '\n' || c == 0x85 || c == 0x2028 ||
            c == 0x2029) {
            return true;
        }
    }
    return false;
}

// Reads the definition's lines as the builders write them; the refusal message when they cannot be read so.
std::optional<OwnedMessage> modelDefinition(std::string_view text, Definition& definition) {
    std::vector<std::string_view> lines;
    for (;;) {
        const std::size_t end = text.find("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 2);
    }

    // Collections open until a line of smaller indentation closes them: 0 the weapon, 1 its section.
    bool weaponOpen = false;
    bool weaponHasSection = false;
    bool sectionOpen = false;
    bool sectionHasEntry = false;
    std::vector<std::string_view> sectionKeys;  // of the open weapon
    std::vector<std::string_view> entryKeys;    // of the open section
    std::string field(messages::kNameField);
    std::optional<std::size_t> refusedLine;
    auto& events = definition.events;
    // A key whose lines below it held entries closes a mapping; one without them has an empty value.
    const auto close = [&](bool& open, bool hadEntries, std::size_t line) {
        if (open) {
            events.push_back(
                {hadEntries ? YamlEventKind::MappingEnd : YamlEventKind::Scalar, {}, ScalarStyle::Plain, line});
        }
        open = false;
    };
    const auto closeSection = [&](std::size_t line) { close(sectionOpen, sectionHasEntry, line); };
    const auto closeWeapon = [&](std::size_t line) {
        closeSection(line);
        close(weaponOpen, weaponHasSection, line);
    };

    for (std::size_t number = 0; number < lines.size(); ++number) {
        const std::string_view line = lines[number];
        const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
        const std::string_view rest = line.substr(indent);
        bool fits = false;
        if (line.empty()) {
            fits = !weaponOpen && definition.names.empty();  // only the empty line a gun definition begins with
        } else if (indent == 0 && rest.back() == ':') {
            closeWeapon(number);
            const std::string_view name = rest.substr(0, rest.size() - 1);
            definition.names.push_back(name);
            events.push_back({YamlEventKind::Scalar, name, ScalarStyle::Plain, number});
            field = std::string(messages::kNameField);
            weaponOpen = true;
            weaponHasSection = false;
            sectionKeys.clear();
            fits = true;
        } else if (indent == 4 && weaponOpen && !rest.empty()) {
            const bool blankAfterColon = rest.size() >= 2 && rest.substr(rest.size() - 2) == ": ";
            const std::string_view key = rest.substr(0, rest.size() - (blankAfterColon ? 2 : 1));
            // A key given twice would let the later line win; the builders never repeat one.
            if ((blankAfterColon || rest.back() == ':') && isKeyText(key) &&
                std::find(sectionKeys.begin(), sectionKeys.end(), key) == sectionKeys.end()) {
                sectionKeys.push_back(key);
                entryKeys.clear();
                closeSection(number);
                if (!weaponHasSection) {
                    events.push_back({YamlEventKind::MappingStart, {}, ScalarStyle::Plain, number});
                    weaponHasSection = true;
                }
                events.push_back({YamlEventKind::Scalar, key, ScalarStyle::Plain, number});
                field = std::string(key);
                sectionOpen = true;
                sectionHasEntry = false;
                fits = true;
            }
        } else if (indent == 8 && sectionOpen) {
            const std::size_t colon = rest.find(": ");
            const std::string_view key = rest.substr(0, colon);
            if (colon != std::string_view::npos && isKeyText(key) &&
                std::find(entryKeys.begin(), entryKeys.end(), key) == entryKeys.end()) {
                field = std::string(key);
                entryKeys.push_back(key);
                std::string_view value = rest.substr(colon + 2);
                const bool quoted =
                    std::find(std::begin(kQuotedKeys), std::end(kQuotedKeys), key) != std::end(kQuotedKeys);
                // The plugin's reader takes no tab where a plain value begins, though libyaml does.
                const bool tabFirst = !quoted && value.find_first_not_of(' ') != std::string_view::npos &&
                                      value[value.find_first_not_of(' ')] == '\t';
                if ((!quoted || (value.size() >= 2 && value.front() == '"' && value.back() == '"')) && !tabFirst) {
                    if (!sectionHasEntry) {
                        events.push_back({YamlEventKind::MappingStart, {}, ScalarStyle::Plain, number});
                        sectionHasEntry = true;
                    }
                    events.push_back({YamlEventKind::Scalar, key, ScalarStyle::Plain, number});
                    if (quoted) {
                        events.push_back({YamlEventKind::Scalar, value.substr(1, value.size() - 2),
                                          ScalarStyle::DoubleQuoted, number});
                    } else {
                        events.push_back({YamlEventKind::Scalar, trimBlanks(value), ScalarStyle::Plain, number});
                    }
                    fits = true;
                }
            }
        }
        // A line that does not fit belongs to the value before it that a line break or blanks pushed out of place.
        definition.lineFields.push_back(field);
        if (!refusedLine && (!fits || holdsUnreadableCharacter(line))) {
            refusedLine = number;
        }
    }
    closeWeapon(lines.size() - 1);
    if (refusedLine) {
        return fillIn(messages::kAddUnreadableField, definition.lineFields[*refusedLine]);
    }
    if (definition.names.empty()) {
        return fillIn(messages::kAddUnreadableField, messages::kNameField);
    }
    return std::nullopt;
}

bool fitsExpected(const YamlEvent& event, const ExpectedEvent& expected) {
    if (event.kind != expected.kind || event.hasAnchor || event.hasTag) {
        return false;
    }
    if (event.kind == YamlEventKind::MappingStart) {
        return !event.flow;
    }
    if (event.kind == YamlEventKind::Scalar) {
        // A plain value must also keep its text once the plugin resolves it: 010 would become 8 and yes true. An
        // empty value stands for nothing typed, which the plugin takes as no value.
        return event.style == expected.style && event.value == expected.value &&
               (event.style != ScalarStyle::Plain || event.value.empty() ||
                pluginKeyText(event.value, ScalarStyle::Plain, false, {}) == event.value);
    }
    return true;
}

// Whether an event is the given step (0 to 2) of what follows a definition's last event: the end of the root
// mapping, of the document and of the stream.
bool isClosingStep(const YamlEvent& event, std::size_t step) {
    constexpr YamlEventKind kClosing[] = {YamlEventKind::MappingEnd, YamlEventKind::DocumentEnd,
                                          YamlEventKind::StreamEnd};
    return step < std::size(kClosing) && event.kind == kClosing[step] && event.implicit;
}

ByteSource stringSource(std::string_view text) {
    return [text](char* buffer, std::size_t capacity) mutable -> std::optional<std::size_t> {
        const std::size_t count = std::min(capacity, text.size());
        if (count > 0) {
            std::memcpy(buffer, text.data(), count);
            text.remove_prefix(count);
        }
        return count;
    };
}

std::string fieldOfLine(const Definition& definition, std::size_t line) {
    return definition.lineFields[std::min(line, definition.lineFields.size() - 1)];
}

// Reads the definition alone and compares its events with what its lines call for; the refusal when they differ.
std::optional<OwnedMessage> checkDefinitionEvents(std::string_view text, const Definition& definition) {
    YamlEventStream stream(stringSource(text));
    const auto refuseAt = [&](std::size_t line) {
        return fillIn(messages::kAddUnreadableField, fieldOfLine(definition, line));
    };
    std::size_t index = 0;
    std::size_t lastLine = 0;
    int framing = 0;  // stream start, document start, root mapping start
    while (const YamlEvent* event = stream.next()) {
        lastLine = event->line;
        if (framing < 3) {
            const YamlEventKind kinds[] = {YamlEventKind::StreamStart, YamlEventKind::DocumentStart,
                                           YamlEventKind::MappingStart};
            if (event->kind != kinds[framing] || !event->implicit || event->hasAnchor || event->hasTag || event->flow) {
                return refuseAt(event->line);
            }
            ++framing;
            continue;
        }
        if (index < definition.events.size()) {
            const ExpectedEvent& expected = definition.events[index++];
            if (!fitsExpected(*event, expected)) {
                return refuseAt(std::min(event->line, expected.line));
            }
            continue;
        }
        if (!isClosingStep(*event, index++ - definition.events.size())) {
            return refuseAt(event->line);
        }
    }
    if (stream.failed()) {
        const YamlError& error = stream.error();
        return refuseAt(error.scanner && error.contextLine ? *error.contextLine : error.line);
    }
    if (index != definition.events.size() + 3) {
        return refuseAt(lastLine);
    }
    return std::nullopt;
}

// ---- Reading a file ------------------------------------------------------------------------------------------

EncodingFacts surveyFile(const FileReader& reader, bool& readFailed) {
    EncodingSurvey survey;
    std::vector<char> buffer(kChunkSize);
    readFailed = false;
    for (std::uint64_t offset = 0;;) {
        const std::optional<std::size_t> got = reader(offset, buffer.data(), buffer.size());
        if (!got) {
            readFailed = true;
            break;
        }
        if (*got == 0) {
            break;
        }
        survey.feed(std::string_view(buffer.data(), *got));
        offset += *got;
    }
    return survey.finish();
}

// Returns the line, counted from 1, that holds the byte at the offset.
std::optional<std::size_t> lineOfOffset(const FileReader& reader, std::uint64_t target) {
    std::vector<char> buffer(kChunkSize);
    std::size_t breaks = 0;
    bool afterCr = false;
    for (std::uint64_t offset = 0; offset < target;) {
        const std::optional<std::size_t> got = reader(
            offset, buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), target - offset)));
        if (!got || *got == 0) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < *got; ++i) {
            const char c = buffer[i];
            if (c == '\r' || (c == '\n' && !afterCr)) {
                ++breaks;
            }
            afterCr = c == '\r';
        }
        offset += *got;
    }
    return breaks + 1;
}

// Hands the parser a file's text as UTF-8, converting code page 936 on the way, then the definition; counts the
// file's line breaks as the parser counts them, so that events can be told apart by the line they start on.
class AdditionSource {
public:
    AdditionSource(const FileReader& reader, FileEncoding encoding, std::string_view definition)
        : m_reader(reader),
          m_encoding(encoding),
          m_definition(definition),
          // Converted pieces stay small enough for the converter's buffers to come from the heap, not fresh pages.
          m_raw(encoding == FileEncoding::CodePage936 ? kChunkSize / 4 : kChunkSize) {}

    std::optional<std::size_t> read(char* buffer, std::size_t capacity) {
        while (m_pending.empty() && !m_fileDone) {
            if (!refill()) {
                return std::nullopt;
            }
        }
        if (!m_pending.empty()) {
            const std::size_t count = std::min(capacity, m_pending.size());
            std::memcpy(buffer, m_pending.data(), count);
            m_pending.remove_prefix(count);
            return count;
        }
        const std::size_t count = std::min(capacity, m_definition.size());
        if (count > 0) {
            std::memcpy(buffer, m_definition.data(), count);
            m_definition.remove_prefix(count);
        }
        return count;
    }

    // Whether every byte of the file has been handed over; only then is fileBreaks() final.
    bool fileDone() const { return m_fileDone && m_pending.empty(); }
    std::size_t fileBreaks() const { return m_breaks; }
    bool fileEndsWithBreak() const { return m_endsWithBreak; }
    bool readFailed() const { return m_readFailed; }
    // The line, counted from 1, where code page 936 text could not be converted, if that stopped the reading.
    std::optional<std::size_t> undecodableLine() const { return m_undecodableLine; }

private:
    bool refill() {
        const std::optional<std::size_t> got = m_reader(m_offset, m_raw.data() + m_carry, m_raw.size() - m_carry);
        if (!got) {
            m_readFailed = true;
            return false;
        }
        m_offset += *got;
        std::size_t size = m_carry + *got;
        m_carry = 0;
        if (*got == 0) {
            m_fileDone = true;
            if (size == 0) {
                return true;
            }
        }
        std::string_view piece(m_raw.data(), size);
        if (m_encoding == FileEncoding::CodePage936) {
            if (!m_fileDone) {
                // Keep a lead byte whose trail byte has not been read yet for the next piece. Bytes below 0x40 are
                // never trail bytes, so pairs can be counted from the last of them.
                std::size_t at = size;
                while (at > 0 && static_cast<unsigned char>(piece[at - 1]) >= 0x40) {
                    --at;
                }
                while (at < size) {
                    const auto byte = static_cast<unsigned char>(piece[at]);
                    if (byte >= 0x81 && byte <= 0xFE) {
                        if (at + 1 == size) {
                            break;
                        }
                        at += 2;
                    } else {
                        ++at;
                    }
                }
                m_carry = size - at;
                piece = piece.substr(0, at);
            }
            std::optional<std::string> converted = fromCodePage936(piece);
            if (!converted) {
                m_undecodableLine = m_breaks + 1 + firstUndecodableLineIn(piece);
                m_readFailed = true;
                return false;
            }
            m_converted = std::move(*converted);
            m_pending = m_converted;
            std::memmove(m_raw.data(), m_raw.data() + size - m_carry, m_carry);
        } else {
            m_pending = piece;
        }
        countBreaks(m_pending);
        if (!m_pending.empty()) {
            m_endsWithBreak = m_pending.back() == '\n' || m_pending.back() == '\r';
        }
        return true;
    }

    std::size_t firstUndecodableLineIn(std::string_view piece) const {
        std::size_t line = 0;
        for (std::size_t start = 0; start < piece.size(); ++line) {
            const std::size_t end = std::min(piece.find('\n', start), piece.size());
            if (!fromCodePage936(piece.substr(start, end - start))) {
                return line;
            }
            start = end + 1;
        }
        return line;
    }

    void countBreaks(std::string_view text) {
        m_breaks += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        // A CR counts unless a line feed follows it, which was counted already.
        for (std::size_t at = text.find('\r'); at != std::string_view::npos; at = text.find('\r', at + 1)) {
            if (at + 1 < text.size() ? text[at + 1] != '\n' : true) {
                ++m_breaks;
            }
        }
        // A CR at the end of one piece was counted; if the next piece begins with LF, that LF is not a break.
        if (m_crAtEnd && !text.empty() && text.front() == '\n') {
            --m_breaks;
        }
        if (!text.empty()) {
            m_crAtEnd = text.back() == '\r';
        }
    }

    const FileReader& m_reader;
    FileEncoding m_encoding;
    std::string_view m_definition;
    std::vector<char> m_raw;
    std::size_t m_carry = 0;  // bytes at the raw buffer's front that belong to the next piece
    std::string m_converted;
    std::string_view m_pending;
    std::uint64_t m_offset = 0;
    std::size_t m_breaks = 0;
    bool m_crAtEnd = false;
    bool m_endsWithBreak = false;
    bool m_fileDone = false;
    bool m_readFailed = false;
    std::optional<std::size_t> m_undecodableLine;
};

// The outcome of reading a file, with a definition after it or alone.
struct PassOutcome {
    enum Kind { Readable, ReadFailed, Broken, UnsupportedShape } kind = Readable;
    std::size_t brokenLine = 0;  // counted from 1
    bool holdsName = false;      // a top-level key of the file is one of the names
};

// Reads a file, followed by the definition if one is given, and tells whether a top-level key of the file is one of
// the names.
PassOutcome readPass(const FileReader& reader, FileEncoding encoding, const std::vector<std::string_view>& names,
                     const Definition* definition, std::string_view definitionText) {
    AdditionSource source(reader, encoding, definition != nullptr ? definitionText : std::string_view());
    YamlEventStream stream([&source](char* buffer, std::size_t capacity) { return source.read(buffer, capacity); });
    PassOutcome outcome;

    struct Frame {
        bool mapping;
        bool expectKey;
    };
    std::vector<Frame> stack;
    int documents = 0;
    bool explicitEnd = false;
    bool shapeUnsupported = false;   // a root that is no block mapping at column 0, or more than one document
    bool lastIsBlockScalar = false;  // the file's last node is a | or > text, which a following line would extend
    std::size_t rootLine = 0;
    std::size_t lastFileLine = 0;
    std::map<std::string, std::optional<std::string>, std::less<>> anchors;
    std::optional<std::size_t> matched;  // events of the definition matched so far
    bool tail = false;                   // the file's end keeps the definition from reading as it should

    const auto inDefinition = [&](std::size_t line) {
        return definition != nullptr && source.fileDone() && line > source.fileBreaks();
    };
    const auto nodeDone = [&] {
        if (!stack.empty() && stack.back().mapping) {
            stack.back().expectKey = !stack.back().expectKey;
        }
    };
    const auto holdsName = [&](const std::optional<std::string>& key) {
        return key && std::find(names.begin(), names.end(), *key) != names.end();
    };

    while (const YamlEvent* event = stream.next()) {
        if (matched) {
            const std::size_t index = (*matched)++;
            const auto& events = definition->events;
            if (index < events.size()) {
                if (!fitsExpected(*event, events[index])) {
                    tail = true;
                    break;
                }
            } else if (!isClosingStep(*event, index - events.size())) {
                tail = true;
                break;
            }
            continue;
        }
        // A file without content leaves the document and its root mapping to the definition.
        const bool opensDefinitionRoot =
            (event->kind == YamlEventKind::DocumentStart && documents == 0 && event->implicit) ||
            (event->kind == YamlEventKind::MappingStart && stack.empty() && documents == 1 && !event->flow &&
             !event->hasAnchor && !event->hasTag);
        const bool ending = event->kind == YamlEventKind::MappingEnd || event->kind == YamlEventKind::SequenceEnd;
        if (inDefinition(event->line) && !ending && !opensDefinitionRoot) {
            // The definition's first event must be its name, as a key of the root block mapping.
            if (stack.size() == 1 && stack.back().mapping && stack.back().expectKey && !shapeUnsupported &&
                !explicitEnd && fitsExpected(*event, definition->events.front())) {
                matched = 1;
                continue;
            }
            tail = true;
            break;
        }
        if (!inDefinition(event->line)) {
            lastFileLine = event->line;
            if (event->kind != YamlEventKind::MappingEnd && event->kind != YamlEventKind::SequenceEnd) {
                lastIsBlockScalar = event->kind == YamlEventKind::Scalar &&
                                    (event->style == ScalarStyle::Literal || event->style == ScalarStyle::Folded);
            }
        }
        switch (event->kind) {
            case YamlEventKind::StreamStart:
            case YamlEventKind::StreamEnd:
                break;
            case YamlEventKind::DocumentStart:
                if (++documents > 1) {
                    shapeUnsupported = true;
                }
                break;
            case YamlEventKind::DocumentEnd:
                explicitEnd = explicitEnd || !event->implicit;
                break;
            case YamlEventKind::Alias:
            case YamlEventKind::Scalar:
            case YamlEventKind::SequenceStart:
            case YamlEventKind::MappingStart: {
                const bool isMapping = event->kind == YamlEventKind::MappingStart;
                if (stack.empty()) {
                    rootLine = event->line;
                    if (!isMapping || event->flow || event->column != 0) {
                        shapeUnsupported = true;
                    }
                } else if (stack.size() == 1 && stack.back().mapping && stack.back().expectKey) {
                    std::optional<std::string> key;
                    if (event->kind == YamlEventKind::Scalar) {
                        key = pluginKeyText(event->value, event->style, event->hasTag, event->tag);
                    } else if (event->kind == YamlEventKind::Alias) {
                        const auto anchor = anchors.find(event->anchor);
                        if (anchor != anchors.end()) {
                            key = anchor->second;
                        }
                    }
                    outcome.holdsName = outcome.holdsName || holdsName(key);
                }
                if (event->kind == YamlEventKind::Scalar && event->hasAnchor) {
                    anchors[std::string(event->anchor)] =
                        pluginKeyText(event->value, event->style, event->hasTag, event->tag);
                }
                if (event->kind == YamlEventKind::Scalar || event->kind == YamlEventKind::Alias) {
                    nodeDone();
                } else {
                    stack.push_back({isMapping, true});
                }
                break;
            }
            case YamlEventKind::SequenceEnd:
            case YamlEventKind::MappingEnd:
                if (!stack.empty()) {
                    stack.pop_back();
                }
                nodeDone();
                break;
        }
    }

    if (source.readFailed()) {
        if (source.undecodableLine()) {
            outcome.kind = PassOutcome::Broken;
            outcome.brokenLine = *source.undecodableLine();
        } else {
            outcome.kind = PassOutcome::ReadFailed;
        }
        return outcome;
    }
    if (stream.failed()) {
        const YamlError& error = stream.error();
        if (!inDefinition(error.line)) {
            outcome.kind = PassOutcome::Broken;
            outcome.brokenLine = error.line + 1;
            return outcome;
        }
        tail = true;
        if (error.scanner && error.contextLine && !inDefinition(*error.contextLine) && *error.contextLine != rootLine) {
            lastFileLine = *error.contextLine;
        }
    }
    if (definition != nullptr && !tail && (!matched || *matched != definition->events.size() + 3)) {
        tail = true;
    }
    // Without a line break at the file's end, the definition's first one would become part of that text.
    if (definition != nullptr && lastIsBlockScalar && !source.fileEndsWithBreak()) {
        outcome.kind = PassOutcome::UnsupportedShape;
        return outcome;
    }
    if (tail) {
        if (shapeUnsupported || explicitEnd) {
            outcome.kind = PassOutcome::UnsupportedShape;
        } else {
            outcome.kind = PassOutcome::Broken;
            outcome.brokenLine = lastFileLine + 1;
        }
    }
    return outcome;
}

// ---- The other files of the folder ---------------------------------------------------------------------------

bool isOtherYamlFile(const std::filesystem::directory_entry& entry, const std::filesystem::path& weaponsFile) {
    std::error_code error;
    if (!entry.is_regular_file(error)) {
        return false;
    }
    // The plugin loads the files whose names end in ".yml", spelt so.
    return entry.path().extension() == ".yml" && !std::filesystem::equivalent(entry.path(), weaponsFile, error);
}

struct FolderFacts {
    bool holdsUtf8Text = false;
    std::optional<std::string> fileWithName;  // the first other file that holds one of the names
};

FolderFacts surveyFolder(const std::filesystem::path& weaponsFile, const std::vector<std::string_view>& names,
                         Platform platform) {
    FolderFacts facts;
    std::error_code error;
    std::vector<std::filesystem::path> others;
    for (std::filesystem::directory_iterator
             it(weaponsFile.parent_path().empty() ? "." : weaponsFile.parent_path(), error),
         end;
         !error && it != end; it.increment(error)) {
        if (isOtherYamlFile(*it, weaponsFile)) {
            others.push_back(it->path());
        }
    }
    std::sort(others.begin(), others.end());
    for (const std::filesystem::path& path : others) {
        const FileReader reader = plainFileReader(path);
        bool readFailed = false;
        const EncodingFacts encodingFacts = surveyFile(reader, readFailed);
        if (readFailed) {
            continue;
        }
        const std::optional<FileEncoding> encoding = chooseEncoding(encodingFacts, false, platform);
        if (!encoding) {
            continue;
        }
        if (encodingFacts.nonAscii && *encoding == FileEncoding::Utf8) {
            facts.holdsUtf8Text = true;
        }
        if (facts.fileWithName) {
            continue;
        }
        // A file the plugin cannot read gives it no weapons, so its keys are no duplicates.
        const auto& problem =
            *encoding == FileEncoding::Utf8 ? encodingFacts.utf8Problem : encodingFacts.codePage936Problem;
        if (problem) {
            continue;
        }
        const PassOutcome outcome = readPass(reader, *encoding, names, nullptr, {});
        if (outcome.kind == PassOutcome::Readable && outcome.holdsName) {
            const std::u8string name = path.filename().u8string();
            facts.fileWithName = std::string(reinterpret_cast<const char*>(name.data()), name.size());
        }
    }
    return facts;
}

}  // namespace

FileReader plainFileReader(const std::filesystem::path& path) {
    auto stream = std::make_shared<std::ifstream>();
    return [stream, path](std::uint64_t offset, char* buffer, std::size_t capacity) -> std::optional<std::size_t> {
        if (!stream->is_open()) {
            stream->open(path, std::ios::binary);
            if (!stream->is_open()) {
                return std::nullopt;
            }
        }
        stream->clear();
        stream->seekg(static_cast<std::streamoff>(offset));
        if (!*stream) {
            return std::nullopt;
        }
        stream->read(buffer, static_cast<std::streamsize>(capacity));
        if (stream->bad()) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(stream->gcount());
    };
}

AppendPlan planAddition(const FileReader& readWeaponsFile, std::string_view definitionUtf8,
                        const std::filesystem::path& weaponsFile, Platform platform) {
    AppendPlan plan;
    const auto refuse = [&plan](OwnedMessage message) {
        plan.refusal = std::move(message);
        return plan;
    };

    if (!isValidUtf8(definitionUtf8)) {
        return refuse(messages::kAddUnencodable);
    }
    Definition definition;
    if (auto refusal = modelDefinition(definitionUtf8, definition)) {
        return refuse(std::move(*refusal));
    }
    if (auto refusal = checkDefinitionEvents(definitionUtf8, definition)) {
        return refuse(std::move(*refusal));
    }
    for (std::size_t i = 0; i < definition.names.size(); ++i) {
        const std::string_view name = definition.names[i];
        if (pluginKeyText(name, ScalarStyle::Plain, false, {}) != name) {
            return refuse(fillIn(messages::kAddUnreadableField, messages::kNameField));
        }
        if (std::find(definition.names.begin(), definition.names.begin() + static_cast<std::ptrdiff_t>(i), name) !=
            definition.names.begin() + static_cast<std::ptrdiff_t>(i)) {
            return refuse(messages::kAddDuplicateName);
        }
    }

    bool readFailed = false;
    const EncodingFacts facts = surveyFile(readWeaponsFile, readFailed);
    if (readFailed) {
        return refuse(messages::kAddWriteFailed);
    }
    const FolderFacts folder = surveyFolder(weaponsFile, definition.names, platform);
    const std::optional<FileEncoding> encoding = chooseEncoding(facts, folder.holdsUtf8Text, platform);
    if (!encoding) {
        return refuse(messages::kAddWideEncodingFile);
    }
    const auto& problem = *encoding == FileEncoding::Utf8 ? facts.utf8Problem : facts.codePage936Problem;
    if (problem) {
        const std::optional<std::size_t> line = lineOfOffset(readWeaponsFile, *problem);
        if (!line) {
            return refuse(messages::kAddWriteFailed);
        }
        return refuse(fillIn(messages::kAddBrokenFile, std::to_string(*line)));
    }

    if (*encoding == FileEncoding::Utf8) {
        plan.bytes = std::string(definitionUtf8);
    } else {
        std::optional<std::string> bytes = toCodePage936(definitionUtf8);
        // A converter may drop or swap a character unseen; only a text that reads back unchanged is written. The
        // euro sign's single byte 0x80 is left out too: Java's GBK, which servers read with, has no such byte.
        if (!bytes || fromCodePage936(*bytes) != definitionUtf8 || bytes->find('\x80') != std::string::npos) {
            return refuse(messages::kAddUnencodable);
        }
        plan.bytes = std::move(*bytes);
    }

    const PassOutcome outcome = readPass(readWeaponsFile, *encoding, definition.names, &definition, definitionUtf8);
    switch (outcome.kind) {
        case PassOutcome::ReadFailed:
            return refuse(messages::kAddWriteFailed);
        case PassOutcome::Broken:
            return refuse(fillIn(messages::kAddBrokenFile, std::to_string(outcome.brokenLine)));
        case PassOutcome::UnsupportedShape:
            return refuse(messages::kAddUnsupportedFileShape);
        case PassOutcome::Readable:
            break;
    }
    if (outcome.holdsName) {
        return refuse(messages::kAddDuplicateName);
    }
    if (folder.fileWithName) {
        return refuse(fillIn(messages::kAddDuplicateInOtherFile, *folder.fileWithName));
    }
    plan.refusal = {};
    return plan;
}

}  // namespace varnick
