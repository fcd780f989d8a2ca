#include "logbook/LogFields.h"

#include <algorithm>

std::string_view fieldValue(LogFields fields, std::string_view name)
{
    const auto found =
        std::find_if(fields.begin(), fields.end(),
                     [name](const LogFieldView &field) { return field.name == name; });
    return found == fields.end() ? std::string_view() : found->value;
}
