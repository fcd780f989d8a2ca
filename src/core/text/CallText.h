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

// Collects a call one character at a time, as the field takes typed characters: refused ones
// are left out, and characters past the fifteenth are dropped. Needs no allocation.
class Builder
{
public:
    constexpr void add(char c)
    {
        if (m_length < MaxLength && !refuses(c))
            m_call[m_length++] = Ascii::upper(c);
    }
    constexpr void clear() { m_length = 0; }
    constexpr std::string_view text() const { return {m_call.data(), m_length}; }

private:
    std::array<char, MaxLength> m_call{};
    std::size_t m_length = 0;
};

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
