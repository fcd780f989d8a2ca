#include "core/text/CallText.h"

std::string CallText::normalize(std::string_view typed)
{
    Builder call;
    for (const char c : typed)
        call.add(c);
    return std::string(call.text());
}
