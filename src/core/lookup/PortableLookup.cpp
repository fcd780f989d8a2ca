#include "core/lookup/PortableLookup.h"

namespace {

constexpr std::string_view AtSea = "maritime mobile, no DXCC entity";
constexpr std::string_view InTheAir = "aeronautical mobile, no DXCC entity";

// The entity of a location; empty when the tables know none for it.
std::string entityOf(std::string_view key, const CountryTable &countries,
                     const BureauTable &bureaus)
{
    const auto found = findAnswer(key, countries, bureaus);
    if (!found)
        return {};
    switch (found->outcome) {
    case LookupOutcome::NotFound:
    case LookupOutcome::OneCharacter:
        return {};
    case LookupOutcome::AreaMissing: // a bare VK or W names its entity all the same
        return found->bureau ? found->bureau->entityName : std::string();
    default:
        return answerTexts(*found).entity.str();
    }
}

} // namespace

bool givesRoute(const LookupAnswer &answer)
{
    switch (answer.outcome) {
    case LookupOutcome::NotFound:
    case LookupOutcome::OneCharacter:
    case LookupOutcome::AreaMissing:
        return false;
    default:
        return true;
    }
}

std::string routeText(const LookupAnswer &answer)
{
    const AnswerTexts texts = answerTexts(answer);
    std::string sort = texts.sort.str();
    if (sort.empty())
        return texts.bureau.str();
    return sort + ", " + texts.bureau.str();
}

std::optional<PortableAnswer> lookUpPortable(std::string_view call, const CountryTable &countries,
                                             const BureauTable &bureaus)
{
    call = call.substr(0, call.find_last_not_of(' ') + 1);
    const CallParts parts = splitCall(call);
    if (!parts.split())
        return std::nullopt;
    PortableAnswer portable;
    portable.homeCall = parts.home;
    portable.mark = parts.markKind;
    if (const auto home = findAnswer(parts.home, countries, bureaus); home && givesRoute(*home))
        portable.home = *home;
    if (parts.markKind == CallMark::Maritime)
        portable.location = AtSea;
    else if (parts.markKind == CallMark::Aeronautical)
        portable.location = InTheAir;
    else if (const std::string key = locationKey(parts); !key.empty())
        portable.location = entityOf(key, countries, bureaus);
    return portable;
}

std::string PortableTexts::line(std::string_view separator) const
{
    std::string text;
    if (!homeRoute.empty())
        text = "home call " + homeCall + ": " + homeRoute;
    if (!location.empty()) {
        if (!text.empty())
            text += separator;
        text += "operating from: " + location;
    }
    return text;
}

PortableTexts portableTexts(const LookupResult &shown, const PortableAnswer &portable)
{
    PortableTexts texts;
    if (portable.home) {
        const AnswerTexts home = answerTexts(*portable.home);
        if (home.sort.str() != shown.sortText || home.bureau.str() != shown.bureauText) {
            texts.homeCall = portable.homeCall;
            texts.homeRoute = routeText(*portable.home);
            texts.homeSort = home.sort.str();
            texts.homeBureau = home.bureau.str();
        }
    }
    if (!portable.location.empty() && portable.location != shown.entityText)
        texts.location = portable.location;
    return texts;
}

PortableTexts portableTexts(std::string_view typed, const LookupResult &shown,
                            const CountryTable &countries, const BureauTable &bureaus)
{
    const auto portable = lookUpPortable(typed, countries, bureaus);
    return portable ? portableTexts(shown, *portable) : PortableTexts();
}
