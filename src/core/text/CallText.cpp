#include "core/text/CallText.h"

#include <algorithm>

std::string CallText::normalize(std::string_view typed)
{
    Builder call;
    for (const char c : typed)
        call.add(c);
    return std::string(call.text());
}

std::string_view CallText::firstPasted(std::string_view pasted)
{
    const auto begin = std::find_if_not(pasted.begin(), pasted.end(), separates);
    const auto end = std::find_if(begin, pasted.end(), separates);
    return pasted.substr(static_cast<std::size_t>(begin - pasted.begin()),
                         static_cast<std::size_t>(end - begin));
}
