#include "logbook/LogFields.h"

#include "core/text/Ascii.h"

#include <algorithm>

std::string_view fieldValue(LogFields fields, std::string_view name)
{
    const auto found =
        std::find_if(fields.begin(), fields.end(),
                     [name](const LogFieldView &field) { return field.name == name; });
    return found == fields.end() ? std::string_view() : found->value;
}

std::string_view trimmed(std::string_view value)
{
    constexpr std::string_view blanks = " \t\r\n\f\v";
    const std::size_t first = value.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return value.substr(first, value.find_last_not_of(blanks) - first + 1);
}

char firstLetter(std::string_view value)
{
    value = trimmed(value);
    return value.empty() ? ' ' : Ascii::upper(value.front());
}

std::string logExcerpt(std::string_view value)
{
    constexpr std::size_t MostCharacters = 40;
    std::string excerpt;
    std::size_t characters = 0;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        // A UTF-8 character is cut before its first byte only, never inside it.
        const bool continues = (byte & 0xC0) == 0x80;
        if (!continues && characters++ == MostCharacters)
            return excerpt + "...";
        excerpt += byte < 0x20 || byte == 0x7F ? ' ' : c;
    }
    return excerpt;
}
