#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

// Letters, digits and letter case as Vorn knows them: only 'a' to 'z' and 'A' to 'Z' are letters
// and have a case, only '0' to '9' are digits. Every other byte, those of single-byte text above
// 0x7f included, is none of them and is compared exactly; no locale is asked. Inline and
// constexpr, because the look-up's indexes fold every byte they see.
namespace Ascii {

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

constexpr bool isLower(char c)
{
    return c >= 'a' && c <= 'z';
}

constexpr bool isLetter(char c)
{
    return isUpper(c) || isLower(c);
}

constexpr bool isAlnum(char c)
{
    return isLetter(c) || isDigit(c);
}

// One digit or more, and nothing else.
constexpr bool isDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

constexpr char upper(char c)
{
    return isLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char lower(char c)
{
    return isUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string upperText(std::string_view text)
{
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), upper);
    return folded;
}

inline std::string lowerText(std::string_view text)
{
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), lower);
    return folded;
}

constexpr bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upper(x) == upper(y); });
}

constexpr bool startsWithIgnoringCase(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && equalIgnoringCase(text.substr(0, start.size()), start);
}

// upper() of each of the eight bytes of a word at once. A byte is small when its low seven bits
// reach 'a' but not beyond 'z' and its top bit is clear; such a byte loses 0x20.
constexpr std::uint64_t upperBytes(std::uint64_t bytes)
{
    constexpr std::uint64_t Ones = 0x0101010101010101u;
    const std::uint64_t low7 = bytes & (0x7f * Ones);
    const std::uint64_t fromA = low7 + (0x80 - 'a') * Ones;
    const std::uint64_t pastZ = low7 + (0x80 - 'z' - 1) * Ones;
    const std::uint64_t small = fromA & ~pastZ & ~bytes & (0x80 * Ones);
    return bytes - (small >> 2);
}

} // namespace Ascii
