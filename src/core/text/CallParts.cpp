#include "core/text/CallParts.h"

#include "core/text/Ascii.h"

#include <algorithm>
#include <array>

namespace {

struct MarkWord
{
    std::string_view text;
    CallMark kind;
};

// Marks of more than one letter that hams write after a call and that name no location, as
// cty.dat's own '/' entries use them. Any single letter is a mark as well (/P, /M, /A, and the
// provinces of Argentina), and so is a number of two or more digits (/70, /2000).
constexpr MarkWord Marks[] = {
    {"MM", CallMark::Maritime},                                   // maritime mobile
    {"AM", CallMark::Aeronautical},                               // aeronautical mobile
    {"QRP", CallMark::Ordinary},    {"QRPP", CallMark::Ordinary}, // low power
    {"LH", CallMark::Ordinary},     {"LGT", CallMark::Ordinary},  // lighthouses
    {"LS", CallMark::Ordinary},     {"LV", CallMark::Ordinary},   // lightships
    {"FF", CallMark::Ordinary},                                   // flora and fauna
    {"YL", CallMark::Ordinary},                                   // a lady operator
    {"ND", CallMark::Ordinary},                                   // national day
    {"JOTA", CallMark::Ordinary},   {"YOTA", CallMark::Ordinary}, // scouting and youth events
};

// A location after the home call is a prefix: at most this long (VK9X, KH6, 4).
constexpr std::size_t LongestSuffixLocation = 4;

CallMark markOf(std::string_view part)
{
    for (const MarkWord &mark : Marks) {
        if (mark.text == part)
            return mark.kind;
    }
    if (part.size() == 1 && Ascii::isUpper(part.front()))
        return CallMark::Ordinary;
    if (part.size() >= 2 && Ascii::isDigits(part))
        return CallMark::Ordinary;
    return CallMark::None;
}

// The position of the area digit: the last digit, where only letters follow it.
std::size_t areaDigitAt(std::string_view text)
{
    const std::size_t at = text.find_last_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return at != std::string_view::npos && Ascii::isDigit(text[at]) ? at : std::string_view::npos;
}

} // namespace

bool hasCallShape(std::string_view word)
{
    if (word.size() < 3)
        return false;
    const std::size_t digit = areaDigitAt(word);
    return digit != std::string_view::npos && digit >= 1 && digit + 1 < word.size() &&
           std::all_of(word.begin(), word.end(),
                       [](char c) { return Ascii::isUpper(c) || Ascii::isDigit(c); });
}

CallParts splitCall(std::string_view call)
{
    // A call of the call field has at most eight parts; the rest of a longer text is ignored.
    std::array<std::string_view, 8> parts;
    std::size_t count = 0;
    for (std::size_t at = 0; at <= call.size() && count < parts.size();) {
        const std::size_t end = std::min(call.find('/', at), call.size());
        if (end > at)
            parts[count++] = call.substr(at, end - at);
        at = end + 1;
    }

    std::size_t home = count;
    for (std::size_t i = 0; i < count; ++i) {
        if (hasCallShape(parts[i]) && (home == count || parts[i].size() >= parts[home].size()))
            home = i;
    }
    CallParts split;
    if (home == count)
        return split;
    split.home = parts[home];
    if (home > 0)
        split.prefix = parts[home - 1];
    for (std::size_t i = home + 1; i < count; ++i) {
        const CallMark mark = markOf(parts[i]);
        if (mark == CallMark::None) {
            if (split.suffix.empty() && parts[i].size() <= LongestSuffixLocation)
                split.suffix = parts[i];
        } else if (split.mark.empty() || mark != CallMark::Ordinary) {
            // At sea or in the air outweighs any other mark.
            split.mark = parts[i];
            split.markKind = mark;
        }
    }
    return split;
}

std::string locationKey(const CallParts &parts)
{
    if (parts.suffix.size() == 1 && Ascii::isDigit(parts.suffix.front())) {
        std::string key(parts.prefix.empty() ? parts.home : parts.prefix);
        if (const std::size_t at = areaDigitAt(key); at != std::string::npos)
            key[at] = parts.suffix.front();
        return key;
    }
    if (!parts.prefix.empty())
        return std::string(parts.prefix);
    return std::string(parts.suffix);
}
