#pragma once

#include <string>
#include <string_view>

namespace varnick {

// Assembles weapon-definition text: lines joined by CR LF with none after the last, the name at column 0,
// sections indented by four spaces and entries by eight, values inserted unchanged.
class DefinitionText {
public:
    // Adds a line with no text, as the gun definition opens with.
    void emptyLine();

    // Adds the weapon's name line: the name followed by ":".
    void nameLine(std::string_view name);

    // Adds a section line: four spaces, the key and ":" with nothing after it.
    void sectionLine(std::string_view key);

    // Adds a section line that keeps one blank after its colon.
    void sectionLineWithBlank(std::string_view key);

    // Adds an entry line: eight spaces, the key, ": " and the value as it is.
    void entryLine(std::string_view key, std::string_view value);

    // Adds an entry line whose value is wrapped in double quotes, the value itself unchanged.
    void quotedEntryLine(std::string_view key, std::string_view value);

    // Returns the text assembled so far and leaves the builder empty.
    std::string take();

private:
    void startLine(std::string_view indent);

    std::string m_text;
    bool m_hasLine = false;
};

}  // namespace varnick
