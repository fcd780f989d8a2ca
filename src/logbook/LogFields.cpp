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
