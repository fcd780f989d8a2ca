#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// What a number may hold besides decimal digits. The files Vorn reads write their numbers in
// three ways; each reader names the one it takes.
struct IntegerSyntax
{
    bool leadingBlanks = false; // blanks (the space character only) before the number
    bool sign = false;          // '+' or '-' before the digits
    bool hexadecimal = false;   // hexadecimal digits after "$", "0x" or "0X"
};

namespace IntegerSyntaxes {
// The data version in the bureau file's heading.
inline constexpr IntegerSyntax Digits{};
// The settings file's "N" line.
inline constexpr IntegerSyntax SignedDecimal{.leadingBlanks = true, .sign = true};
// The two lines of the update information.
inline constexpr IntegerSyntax UpdateInfo{.leadingBlanks = true, .sign = true, .hexadecimal = true};
} // namespace IntegerSyntaxes

// The whole text as a 32-bit integer: nothing may follow the digits, not even a blank. Nothing
// when the text is no number of that syntax or the value does not fit.
std::optional<std::int32_t> parseInt32(std::string_view text, IntegerSyntax syntax);
