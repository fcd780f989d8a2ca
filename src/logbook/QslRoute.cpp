#include "logbook/QslRoute.h"

#include "core/text/Ascii.h"
#include "core/text/CallText.h"
#include "logbook/LogFields.h"

#include <algorithm>

namespace {

bool isLetter(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Prefix, digit, letters: "DL1ABC", "2E0XYZ", "K1A"; not "LOTW", "KH6" or "2023".
bool hasCallShape(std::string_view word)
{
    if (word.size() < 3 || word.size() > CallText::MaxLength)
        return false;
    const std::size_t suffix = word.find_last_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return suffix != std::string_view::npos && suffix >= 1 && suffix + 1 < word.size() &&
           isDigit(word[suffix]) &&
           std::all_of(word.begin(), word.end(), [](char c) { return isLetter(c) || isDigit(c); });
}

} // namespace

std::string_view trimmed(std::string_view value)
{
    constexpr std::string_view blanks = " \t\r\n\f\v";
    const std::size_t first = value.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return value.substr(first, value.find_last_not_of(blanks) - first + 1);
}

std::string managerCall(std::string_view qslVia)
{
    const std::string text = Ascii::upperText(qslVia);
    std::size_t at = 0;
    while (at < text.size()) {
        // Words are runs of letters and digits; '/' parts are words of their own.
        while (at < text.size() && !isLetter(text[at]) && !isDigit(text[at]))
            ++at;
        std::size_t end = at;
        while (end < text.size() && (isLetter(text[end]) || isDigit(text[end])))
            ++end;
        const std::string_view word = std::string_view(text).substr(at, end - at);
        if (hasCallShape(word))
            return CallText::normalize(word);
        at = end;
    }
    return {};
}
