#include "core/file_encoding.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "core/encoding.h"

namespace varnick {

namespace {

// Enough characters to tell Chinese from mojibake; scoring more would only cost time on large files.
constexpr int kScoredCharacters = 4096;

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;

// Whether some byte of the word is below 0x20 or is 0x7F (assumes no byte above 0x7F).
bool hasControlByte(std::uint64_t word) {
    const std::uint64_t below20 = (word - kOnes * 0x20) & ~word & kHighBits;
    const std::uint64_t flipped = word ^ (kOnes * 0x7F);
    const std::uint64_t is7F = (flipped - kOnes) & ~flipped & kHighBits;
    return (below20 | is7F) != 0;
}

bool isAsciiControl(unsigned char byte) {
    return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7F;
}

bool inScore(const ReadingScore& score) {
    return score.chinese + score.other < kScoredCharacters;
}

// GB2312's rows of punctuation (0xA1) and full-width forms (0xA3), and its two levels of ideographs.
bool isGb2312Chinese(unsigned char lead, unsigned char trail) {
    return trail >= 0xA1 && trail <= 0xFE && (lead == 0xA1 || lead == 0xA3 || (lead >= 0xB0 && lead <= 0xF7));
}

constexpr char32_t kFirstIdeograph = 0x4E00;
constexpr char32_t kLastIdeograph = 0x9FFF;

// The ideographs of GB2312, found once by converting its two levels from code page 936.
const std::vector<bool>& gb2312Ideographs() {
    static const std::vector<bool> ideographs = [] {
        std::vector<bool> marks(kLastIdeograph - kFirstIdeograph + 1);
        const auto mark = [&marks](std::string_view utf8) {
            for (std::size_t at = 0; at < utf8.size();) {
                const char32_t c = decodeUtf8At(utf8, at);
                if (c >= kFirstIdeograph && c <= kLastIdeograph) {
                    marks[c - kFirstIdeograph] = true;
                }
            }
        };
        std::string pairs;
        for (int lead = 0xB0; lead <= 0xF7; ++lead) {
            for (int trail = 0xA1; trail <= 0xFE; ++trail) {
                pairs += static_cast<char>(lead);
                pairs += static_cast<char>(trail);
            }
        }
        if (const std::optional<std::string> utf8 = fromCodePage936(pairs)) {
            mark(*utf8);
            return marks;
        }
        // A converter without the few unassigned places of level 1 takes the pairs one by one.
        for (std::size_t at = 0; at < pairs.size(); at += 2) {
            if (const std::optional<std::string> utf8 = fromCodePage936(std::string_view(pairs).substr(at, 2))) {
                mark(*utf8);
            }
        }
        return marks;
    }();
    return ideographs;
}

bool isChinese(char32_t character) {
    if ((character >= 0x3000 && character <= 0x303F) || (character >= 0xFF01 && character <= 0xFF5E) ||
        (character >= 0xFFE0 && character <= 0xFFE5)) {
        return true;
    }
    // An ideograph counts only if GB2312 has it: mojibake yields rare ones as often as common ones.
    return character >= kFirstIdeograph && character <= kLastIdeograph &&
           gb2312Ideographs()[character - kFirstIdeograph];
}

struct Range {
    char32_t first;
    char32_t last;
};

// Default_Ignorable_Code_Point of Unicode 15.
// clang-format off
constexpr Range kDefaultIgnorable[] = {
    {0x00AD, 0x00AD}, {0x034F, 0x034F}, {0x061C, 0x061C}, {0x115F, 0x1160}, {0x17B4, 0x17B5}, {0x180B, 0x180F},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x206F}, {0x3164, 0x3164}, {0xFE00, 0xFE0F}, {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};
// clang-format on

}  // namespace

bool isDefaultIgnorable(char32_t character) {
    const auto after = std::upper_bound(std::begin(kDefaultIgnorable), std::end(kDefaultIgnorable), character,
                                        [](char32_t value, const Range& range) { return value < range.first; });
    return after != std::begin(kDefaultIgnorable) && character <= std::prev(after)->last;
}

bool isRefusedByYamlReader(char32_t character) {
    if (character < 0x80) {
        return isAsciiControl(static_cast<unsigned char>(character));
    }
    return (character < 0xA0 && character != 0x85) || (character >= 0xD800 && character <= 0xDFFF) ||
           character == 0xFFFE || character == 0xFFFF || character > 0x10FFFF;
}

void EncodingSurvey::utf8Character(char32_t character) {
    if (isRefusedByYamlReader(character) && !m_facts.utf8Problem) {
        m_facts.utf8Problem = m_utf8Start;
    }
    if (character >= 0x80 && inScore(m_facts.utf8Reading)) {
        ++(isChinese(character) ? m_facts.utf8Reading.chinese : m_facts.utf8Reading.other);
    }
}

void EncodingSurvey::utf8Malformed() {
    m_facts.validUtf8 = false;
    if (!m_facts.utf8Problem) {
        m_facts.utf8Problem = m_utf8Start;
    }
    if (inScore(m_facts.utf8Reading)) {
        ++m_facts.utf8Reading.other;
    }
    m_utf8Pending = 0;
}

void EncodingSurvey::codePage936Pair(unsigned char lead, unsigned char trail) {
    if (inScore(m_facts.codePage936Reading)) {
        ++(isGb2312Chinese(lead, trail) ? m_facts.codePage936Reading.chinese : m_facts.codePage936Reading.other);
    }
}

void EncodingSurvey::feedByte(unsigned char byte) {
    if (m_headLength < 4) {
        m_head[m_headLength++] = byte;
    }
    if (byte >= 0x80) {
        m_facts.nonAscii = true;
    }

    // UTF-8 reading. A byte that breaks a sequence starts a character of its own.
    bool continued = false;
    if (m_utf8Pending > 0) {
        if (byte < m_utf8Low || byte > m_utf8High) {
            utf8Malformed();
        } else {
            continued = true;
            m_utf8Character = (m_utf8Character << 6) | (byte & 0x3F);
            m_utf8Low = 0x80;
            m_utf8High = 0xBF;
            if (--m_utf8Pending == 0) {
                utf8Character(m_utf8Character);
            }
        }
    }
    if (!continued) {
        m_utf8Start = m_offset;
        m_utf8Low = 0x80;
        m_utf8High = 0xBF;
        if (byte < 0x80) {
            utf8Character(byte);
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            m_utf8Pending = 1;
            m_utf8Character = byte & 0x1F;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            m_utf8Pending = 2;
            m_utf8Character = byte & 0x0F;
            m_utf8Low = byte == 0xE0 ? 0xA0 : 0x80;   // overlong below U+0800
            m_utf8High = byte == 0xED ? 0x9F : 0xBF;  // surrogates
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            m_utf8Pending = 3;
            m_utf8Character = byte & 0x07;
            m_utf8Low = byte == 0xF0 ? 0x90 : 0x80;   // overlong below U+10000
            m_utf8High = byte == 0xF4 ? 0x8F : 0xBF;  // above U+10FFFF
        } else {
            utf8Malformed();
        }
    }

    // Code page 936 reading: 0x81 to 0xFE lead a pair whose trail is 0x40 to 0xFE but not 0x7F; 0x80 is the euro
    // sign on its own.
    if (m_lead != 0) {
        if (byte >= 0x40 && byte <= 0xFE && byte != 0x7F) {
            codePage936Pair(m_lead, byte);
            m_lead = 0;
            return;
        }
        m_facts.validCodePage936 = false;
        if (!m_facts.codePage936Problem) {
            m_facts.codePage936Problem = m_leadOffset;
        }
        m_lead = 0;
    }
    if (byte >= 0x81 && byte <= 0xFE) {
        m_lead = byte;
        m_leadOffset = m_offset;
    } else if (byte == 0xFF) {
        m_facts.validCodePage936 = false;
        if (!m_facts.codePage936Problem) {
            m_facts.codePage936Problem = m_offset;
        }
    } else if (byte == 0x80) {
        if (inScore(m_facts.codePage936Reading)) {
            ++m_facts.codePage936Reading.other;
        }
    } else if (isAsciiControl(byte) && !m_facts.codePage936Problem) {
        m_facts.codePage936Problem = m_offset;
    }
}

void EncodingSurvey::feed(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* const end = p + bytes.size();
    while (p < end) {
        // Weapon files are mostly printable ASCII: step over it eight bytes at a time.
        if (m_utf8Pending == 0 && m_lead == 0 && m_headLength == 4) {
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, 8);
                if ((word & kHighBits) != 0) {
                    break;
                }
                // Line ends and tabs are the control bytes of every line; only the others need a closer look.
                if (hasControlByte(word) &&
                    std::any_of(p, p + 8, [](unsigned char byte) { return isAsciiControl(byte); })) {
                    break;
                }
                p += 8;
                m_offset += 8;
            }
            if (p == end) {
                break;
            }
        }
        feedByte(*p++);
        ++m_offset;
    }
}

EncodingFacts EncodingSurvey::finish() {
    if (m_utf8Pending > 0) {
        utf8Malformed();
    }
    if (m_lead != 0) {
        m_facts.validCodePage936 = false;
        if (!m_facts.codePage936Problem) {
            m_facts.codePage936Problem = m_leadOffset;
        }
    }
    const auto headIs = [this](std::string_view mark) {
        return static_cast<std::size_t>(m_headLength) >= mark.size() &&
               std::memcmp(m_head, mark.data(), mark.size()) == 0;
    };
    m_facts.utf8Mark = headIs("\xEF\xBB\xBF");
    m_facts.wideMark = headIs("\xFF\xFE") || headIs("\xFE\xFF") || headIs(std::string_view("\x00\x00\xFE\xFF", 4));
    return m_facts;
}

EncodingFacts surveyEncoding(std::string_view bytes) {
    EncodingSurvey survey;
    survey.feed(bytes);
    return survey.finish();
}

std::optional<FileEncoding> chooseEncoding(const EncodingFacts& facts, bool folderHoldsUtf8Text, Platform platform) {
    if (facts.wideMark) {
        return std::nullopt;
    }
    if (facts.utf8Mark) {
        return FileEncoding::Utf8;
    }
    if (!facts.nonAscii) {
        // A server on Linux or macOS reads UTF-8; on Windows it reads the system's code page unless the folder shows
        // that its files are UTF-8.
        return platform == Platform::Unix || folderHoldsUtf8Text ? FileEncoding::Utf8 : FileEncoding::CodePage936;
    }
    if (facts.validUtf8 != facts.validCodePage936) {
        return facts.validUtf8 ? FileEncoding::Utf8 : FileEncoding::CodePage936;
    }
    if (!facts.validUtf8) {
        return FileEncoding::CodePage936;
    }
    // Valid both ways: the reading that gives Chinese text is the one the file was written in.
    const int utf8 = facts.utf8Reading.chinese - facts.utf8Reading.other;
    const int codePage936 = facts.codePage936Reading.chinese - facts.codePage936Reading.other;
    if (utf8 != codePage936) {
        return utf8 > codePage936 ? FileEncoding::Utf8 : FileEncoding::CodePage936;
    }
    return platform == Platform::Unix ? FileEncoding::Utf8 : FileEncoding::CodePage936;
}

}  // namespace varnick
