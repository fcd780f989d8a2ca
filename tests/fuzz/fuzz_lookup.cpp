// Arbitrary typed text on the shipped tables, the list of exact calls included.

#include "FuzzInput.h"
#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/data/ExactCallList.h"
#include "core/lookup/CallLookup.h"
#include "core/lookup/PortableLookup.h"
#include "core/text/CallText.h"

#include <cstdlib>

namespace {

struct Tables
{
    CountryTable countries;
    BureauTable bureaus;
    Tables()
    {
        if (!loadCountryTable(countries, VORN_SHIPPED_FILES "/country.asc") ||
            !loadBureauTable(bureaus, VORN_SHIPPED_FILES "/vorn.asc") ||
            !loadExactCallList(countries.exactCalls(), VORN_SHIPPED_FILES "/calls.asc"))
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const Tables tables;
    const std::string_view typed(reinterpret_cast<const char *>(data), size);
    const auto result = lookUpCall(typed, tables.countries, tables.bureaus);
    const bool blank = typed.substr(0, 16).find_first_not_of(' ') == std::string_view::npos;
    FUZZ_CHECK(result.has_value() != blank);
    if (!result)
        return 0;
    FUZZ_CHECK(!result->sortText.empty() || result->outcome == LookupOutcome::NoBureau);
    // A portable or guest call's home call is one of its parts, and the line below the answers
    // only ever adds to them.
    if (const auto portable = lookUpPortable(typed, tables.countries, tables.bureaus)) {
        FUZZ_CHECK(!portable->homeCall.empty() &&
                   typed.find(portable->homeCall) != std::string_view::npos);
        const PortableTexts texts = portableTexts(*result, *portable);
        FUZZ_CHECK(texts.homeRoute.empty() || !texts.homeCall.empty());
        FUZZ_CHECK(texts.location != result->entityText || texts.location.empty());
    }
    // The call field hands over what it holds; the look-up of that is the same as of the text.
    const std::string normalized = CallText::normalize(typed);
    if (normalized == typed)
        FUZZ_CHECK(lookUpCall(normalized, tables.countries, tables.bureaus) == result);
    return 0;
}
