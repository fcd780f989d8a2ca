#include "core/text/Integer.h"

#include "core/text/Ascii.h"

#include <algorithm>

namespace {

struct Magnitude
{
    bool negative = false;
    std::uint64_t value = 0;
};

// The sign and the size of the number the text holds, as long as the size is at most `most`.
std::optional<Magnitude> parseMagnitude(std::string_view text, IntegerSyntax syntax,
                                        std::uint64_t most)
{
    if (syntax.leadingBlanks)
        text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    Magnitude magnitude;
    if (syntax.sign && !text.empty() && (text.front() == '+' || text.front() == '-')) {
        magnitude.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    unsigned base = syntax.bareHexadecimal ? 16 : 10;
    if (syntax.hexadecimal && text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (syntax.hexadecimal && (text.starts_with("0x") || text.starts_with("0X"))) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || (syntax.maxDigits != 0 && text.size() > syntax.maxDigits))
        return std::nullopt;
    for (const char c : text) {
        unsigned digit = 0;
        if (Ascii::isDigit(c))
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        if (digit > most || magnitude.value > (most - digit) / base)
            return std::nullopt;
        magnitude.value = magnitude.value * base + digit;
    }
    return magnitude;
}

} // namespace

std::optional<std::int32_t> parseInt32(std::string_view text, IntegerSyntax syntax)
{
    // One past the largest magnitude is still needed for the most negative value.
    const std::optional<Magnitude> magnitude =
        parseMagnitude(text, syntax, std::uint64_t{INT32_MAX} + 1);
    if (!magnitude)
        return std::nullopt;
    const std::int64_t value = magnitude->negative ? -static_cast<std::int64_t>(magnitude->value)
                                                   : static_cast<std::int64_t>(magnitude->value);
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::uint64_t> parseUnsigned(std::string_view text, IntegerSyntax syntax,
                                           std::uint64_t most)
{
    const std::optional<Magnitude> magnitude = parseMagnitude(text, syntax, most);
    if (!magnitude || magnitude->negative)
        return std::nullopt;
    return magnitude->value;
}
