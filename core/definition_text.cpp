#include "core/definition_text.h"

#include <utility>

namespace varnick {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSectionIndent = "    ";
constexpr std::string_view kEntryIndent = "        ";

}  // namespace

void DefinitionText::startLine(std::string_view indent) {
    if (m_hasLine) {
        m_text += kLineEnd;
    } else {
        m_text.reserve(1024);
        m_hasLine = true;
    }
    m_text += indent;
}

void DefinitionText::emptyLine() {
    startLine({});
}

void DefinitionText::nameLine(std::string_view name) {
    startLine({});
    m_text += name;
    m_text += ':';
}

void DefinitionText::sectionLine(std::string_view key) {
    startLine(kSectionIndent);
    m_text += key;
    m_text += ':';
}

void DefinitionText::sectionLineWithBlank(std::string_view key) {
    sectionLine(key);
    m_text += ' ';
}

void DefinitionText::entryLine(std::string_view key, std::string_view value) {
    startLine(kEntryIndent);
    m_text += key;
    m_text += ": ";
    m_text += value;
}

void DefinitionText::quotedEntryLine(std::string_view key, std::string_view value) {
    startLine(kEntryIndent);
    m_text += key;
    m_text += ": \"";
    m_text += value;
    m_text += '"';
}

std::string DefinitionText::take() {
    m_hasLine = false;
    return std::exchange(m_text, {});
}

}  // namespace varnick
