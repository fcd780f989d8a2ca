#include "logbook/LogFields.h"

#include <algorithm>

std::string_view fieldValue(LogFields fields, std::string_view name)
{
    const auto found =
        std::find_if(fields.begin(), fields.end(),
                     [name](const LogFieldView &field) { return field.name == name; });
    return found == fields.end() ? std::string_view() : found->value;
}

std::string upperAscii(std::string_view text)
{
    std::string upper(text);
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}
