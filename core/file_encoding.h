#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace varnick {

// The encodings a definition can be appended in.
enum class FileEncoding { Utf8, CodePage936 };

// The system whose plugin server reads the weapons folder: it decides what an ASCII-only file is taken for.
enum class Platform { Unix, Windows };

#ifdef _WIN32
inline constexpr Platform kBuildPlatform = Platform::Windows;
#else
inline constexpr Platform kBuildPlatform = Platform::Unix;
#endif

// How much of a reading's non-ASCII text looks like Chinese.
struct ReadingScore {
    int chinese = 0;  // GB2312 ideographs, CJK punctuation and full-width forms
    int other = 0;    // every other non-ASCII character, and every malformed sequence
};

// What one pass over a file's bytes tells about its encoding. Offsets count bytes from the file's start.
struct EncodingFacts {
    bool utf8Mark = false;  // the file begins with the UTF-8 byte-order mark
    bool wideMark = false;  // the file begins with a UTF-16 or UTF-32 byte-order mark
    bool nonAscii = false;  // some byte is above 0x7F
    bool validUtf8 = true;
    bool validCodePage936 = true;
    ReadingScore utf8Reading;         // of the first non-ASCII characters, read as UTF-8
    ReadingScore codePage936Reading;  // of the same bytes, read as code page 936
    // The first byte that the YAML reader refuses in each reading (malformed, or a control character), if any.
    std::optional<std::uint64_t> utf8Problem;
    std::optional<std::uint64_t> codePage936Problem;
};

// Gathers EncodingFacts from a file's bytes handed over in pieces of any size, in constant memory.
class EncodingSurvey {
public:
    // Takes the next piece of the file.
    void feed(std::string_view bytes);

    // Returns the facts of everything fed; the survey must not be fed afterwards.
    EncodingFacts finish();

private:
    void feedByte(unsigned char byte);
    void utf8Character(char32_t character);
    void utf8Malformed();
    void codePage936Pair(unsigned char lead, unsigned char trail);

    EncodingFacts m_facts;
    std::uint64_t m_offset = 0;  // of the byte being fed
    unsigned char m_head[4] = {};
    int m_headLength = 0;
    // UTF-8 decoding state.
    int m_utf8Pending = 0;
    char32_t m_utf8Character = 0;
    unsigned char m_utf8Low = 0x80;
    unsigned char m_utf8High = 0xBF;
    std::uint64_t m_utf8Start = 0;
    // Code page 936 decoding state: the lead byte waiting for its trail byte, or 0.
    unsigned char m_lead = 0;
    std::uint64_t m_leadOffset = 0;
};

// Returns the facts of bytes held in memory.
EncodingFacts surveyEncoding(std::string_view bytes);

// Returns the encoding an addition to a file must use so that the file keeps one encoding, or nothing for a
// UTF-16 or UTF-32 file. folderHoldsUtf8Text tells whether another .yml file of the folder holds non-ASCII UTF-8
// text; it matters only to an ASCII-only file on Windows.
std::optional<FileEncoding> chooseEncoding(const EncodingFacts& facts, bool folderHoldsUtf8Text, Platform platform);

// Returns whether a code point is Default_Ignorable_Code_Point: characters that converters may drop unseen.
bool isDefaultIgnorable(char32_t character);

// Returns whether the YAML 1.1 reader refuses a code point anywhere in a stream: C0 controls other than tab,
// line feed and carriage return, DEL, C1 controls other than NEL, surrogates, U+FFFE and U+FFFF.
bool isRefusedByYamlReader(char32_t character);

}  // namespace varnick
