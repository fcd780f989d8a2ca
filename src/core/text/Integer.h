#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// What a number may hold besides decimal digits. The files and answers Vorn reads write their
// numbers in a few ways; each reader names the one it takes.
struct IntegerSyntax
{
    bool leadingBlanks = false;   // blanks (the space character only) before the number
    bool sign = false;            // '+' or '-' before the digits
    bool hexadecimal = false;     // hexadecimal digits after "$", "0x" or "0X"
    bool bareHexadecimal = false; // hexadecimal digits alone, without a prefix
    std::size_t maxDigits = 0;    // more digits than this, leading zeros included, make no number;
                                  // 0 for any number of them
};

namespace IntegerSyntaxes {
// The data version in the bureau file's heading, a size in the update information, the process
// number in a work file's name.
inline constexpr IntegerSyntax Digits{};
// The settings file's "N" line.
inline constexpr IntegerSyntax SignedDecimal{.leadingBlanks = true, .sign = true};
// The two lines of the update information.
inline constexpr IntegerSyntax UpdateInfo{.leadingBlanks = true, .sign = true, .hexadecimal = true};
// Small or capital hexadecimal digits: a digest's, or an XML character reference's after "&#x".
inline constexpr IntegerSyntax HexDigits{.bareHexadecimal = true};
} // namespace IntegerSyntaxes

// The whole text as a 32-bit integer: nothing may follow the digits, not even a blank. Nothing
// when the text is no number of that syntax or the value does not fit.
std::optional<std::int32_t> parseInt32(std::string_view text, IntegerSyntax syntax);

// The whole text as a whole number from 0 to `most`; nothing when the text is no number of that
// syntax, has a minus sign or is larger.
std::optional<std::uint64_t> parseUnsigned(std::string_view text, IntegerSyntax syntax,
                                           std::uint64_t most = UINT64_MAX);
