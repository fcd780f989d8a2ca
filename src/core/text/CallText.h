#pragma once

#include "core/text/Ascii.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// A call as the call field holds it: at most 15 characters, ASCII letters in capitals, and none
// of the characters that a keyboard types nothing for. The window's field, vorn-lookup, the log
// readers and the QSL query all make their calls by these rules.
namespace CallText {

inline constexpr std::size_t MaxLength = 15;

// The control characters of single-byte text (C0, DEL, C1) and the soft hyphen.
constexpr bool refuses(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || (byte >= 0x7f && byte <= 0x9f) || byte == 0xad;
}

// The slashed zero that hams write in calls (WØABC), Ø or ø in single-byte text: the digit 0.
constexpr bool isSlashedZero(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte == 0xd8 || byte == 0xf8;
}

// A character as the field keeps it: ASCII letters in capitals, a slashed zero as 0.
constexpr char fold(char c)
{
    return isSlashedZero(c) ? '0' : Ascii::upper(c);
}

// Collects a call one character at a time, as the field takes typed characters: refused ones
// and blanks before the call are left out, and characters past the fifteenth are dropped. A
// slashed zero counts as 0, in single-byte text and as UTF-8 (C3 98, C3 B8), whose second byte
// single-byte text never holds after Ã in a call. Needs no allocation.
class Builder
{
public:
    constexpr void add(char c)
    {
        const bool afterLead = m_afterLead;
        m_afterLead = false;
        const auto byte = static_cast<unsigned char>(c);
        if (afterLead && (byte == 0x98 || byte == 0xb8)) {
            m_call[m_length - 1] = '0';
            return;
        }
        if (m_length >= MaxLength || refuses(c) || (m_length == 0 && c == ' '))
            return;
        m_call[m_length++] = fold(c);
        m_afterLead = byte == 0xc3;
    }
    constexpr void clear()
    {
        m_length = 0;
        m_afterLead = false;
    }
    constexpr std::string_view text() const { return {m_call.data(), m_length}; }

private:
    std::array<char, MaxLength> m_call{};
    std::size_t m_length = 0;
    bool m_afterLead = false; // the last character kept was the first byte of a UTF-8 Ø or ø
};

// The text with every slashed zero, single-byte or UTF-8, turned into 0, so that words of a log
// (a QSL manager, a list of calls) are read as calls.
std::string withPlainZeros(std::string_view text);

// What the field makes of typed text.
std::string normalize(std::string_view typed);

// Blanks and the characters that end a cell or a line (tab, line feed, carriage return, form
// feed, vertical tab, next line): what stands between two calls copied from a list, a log or a
// spreadsheet.
constexpr bool separates(char c)
{
    switch (static_cast<unsigned char>(c)) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case 0x85:
        return true;
    default:
        return false;
    }
}

// The first call of pasted text: the separators before it are skipped, and it ends at the next
// one, so that two calls copied together are never joined into one.
std::string_view firstPasted(std::string_view pasted);

} // namespace CallText
