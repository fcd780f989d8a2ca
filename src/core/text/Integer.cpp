#include "core/text/Integer.h"

#include <algorithm>

std::optional<std::int32_t> parseInt32(std::string_view text, IntegerSyntax syntax)
{
    if (syntax.leadingBlanks)
        text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    bool negative = false;
    if (syntax.sign && !text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    unsigned base = 10;
    if (syntax.hexadecimal && text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (syntax.hexadecimal && (text.starts_with("0x") || text.starts_with("0X"))) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        magnitude = magnitude * base + digit;
        // One past the largest magnitude is still needed for the most negative value.
        if (magnitude > std::int64_t{INT32_MAX} + 1)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}
