#pragma once

#include "core/lookup/CallLookup.h"
#include "core/text/CallParts.h"

#include <optional>
#include <string>
#include <string_view>

// What a portable or guest call adds to the three answers, which come from the call as typed:
// the route of the home call, whose bureau holds the cards of a station away from home, and
// the entity where he operates.
struct PortableAnswer
{
    std::string homeCall;
    CallMark mark = CallMark::None;
    // The look-up of the home call; nothing when it gives no pile (unknown or incomplete).
    std::optional<LookupAnswer> home;
    // The entity where he operates ("Australia", or at sea or in the air no entity); empty when
    // the call names no location, or none that the tables know.
    std::string location;
};

// The look-up of a call's parts; nothing when the call is not taken apart (no '/', or no part
// with a call's shape). Trailing blanks are ignored, as the look-up ignores them.
std::optional<PortableAnswer> lookUpPortable(std::string_view call, const CountryTable &countries,
                                             const BureauTable &bureaus);

// A look-up that gives a pile: an entity with a bureau, with none, or outside the IARU.
bool givesRoute(const LookupAnswer &answer);

// The sort prefix and the bureau of an answer as one text: "DL, DARC QSL bureau", or "none".
std::string routeText(const LookupAnswer &answer);

// What the window shows below the three answers, and vorn-lookup in two more columns: each
// part only when it says something the three answers do not.
struct PortableTexts
{
    std::string homeCall;   // DL1ABC, when homeRoute is set
    std::string homeRoute;  // "DL, DARC QSL bureau": the home call's pile differs
    std::string homeSort;   // its two pieces: "DL", or "" for a home entity without a bureau
    std::string homeBureau; // "DARC QSL bureau", or "none"
    std::string location;   // "Australia": the entity where he operates differs

    bool empty() const { return homeRoute.empty() && location.empty(); }
    // "home call DL1ABC: DL, DARC QSL bureau", "operating from: Australia", or both joined.
    std::string line(std::string_view separator = "; ") const;
};

PortableTexts portableTexts(const LookupResult &shown, const PortableAnswer &portable);

// Both steps for a typed call whose three answers are shown.
PortableTexts portableTexts(std::string_view typed, const LookupResult &shown,
                            const CountryTable &countries, const BureauTable &bureaus);
