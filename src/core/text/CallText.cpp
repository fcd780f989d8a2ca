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

std::string CallText::withPlainZeros(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == 0xc3 && (next == 0x98 || next == 0xb8)) {
            plain += '0';
            ++i;
        } else {
            plain += isSlashedZero(text[i]) ? '0' : text[i];
        }
    }
    return plain;
}
