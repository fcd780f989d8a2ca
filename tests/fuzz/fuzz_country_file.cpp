// The country file as bytes through the real loader, then the look-up on what it loaded; the
// same bytes as a list of exact calls, which is taken whole or not at all.

#include "FuzzInput.h"
#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/data/DataFileCheck.h"
#include "core/data/ExactCallList.h"
#include "core/lookup/CallLookup.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t piece = 1;
    const std::string_view bytes = takePieceSize(data, size, piece);
    CountryTable countries;
    PieceSource source(bytes, piece);
    FUZZ_CHECK(loadCountryTable(countries, source));
    FUZZ_CHECK(countries.count() <= CountryTable::MaxRows);
    for (const CountryRow &row : countries.rows()) {
        FUZZ_CHECK(row.prefix.size() <= CountryTable::PrefixWidth);
        FUZZ_CHECK(row.entityCode.size() <= CountryTable::EntityCodeWidth);
    }
    // However it is read, in one go or in pieces, the file gives the same rows.
    CountryTable whole;
    PieceSource wholeSource(bytes, bytes.size() + 1);
    loadCountryTable(whole, wholeSource);
    FUZZ_CHECK(whole.rows() == countries.rows());

    PieceSource checked(bytes, piece);
    checkDataFile(DataFile::Country, checked);

    // A list that loads holds one call for each line; one that does not holds none.
    PieceSource listSource(bytes, piece);
    CountryTable listed;
    const CallListLoad load = loadExactCallList(listed.exactCalls(), listSource);
    if (load) {
        std::string_view text = bytes.substr(0, bytes.find('\x1a'));
        std::size_t lines = 0;
        for (std::size_t at = 0; at < text.size(); ++lines) {
            at = std::min(text.size(), text.find('\r', at)) + 1;
            if (at < text.size() && text[at] == '\n')
                ++at; // an LF right after the CR belongs to the line end
        }
        FUZZ_CHECK(listed.exactCalls().count() == lines);
    } else {
        FUZZ_CHECK(listed.exactCalls().empty());
    }

    BureauTable bureaus;
    bureaus.append({"DL", "Germany", "DL", "DARC", true});
    bureaus.append({"K", "United States", "K", "ARRL", true});
    bureaus.append({"VK", "Australia", "VK", "WIA", true});
    bureaus.append({"KG4", "Guantanamo Bay", "KG4", "", false});
    // The look-up on what was loaded, for the first rows: the index must hold them all.
    const std::size_t looked = std::min<std::size_t>(countries.count(), 64);
    for (std::size_t i = 0; i < looked; ++i) {
        const CountryRow &row = countries.rows()[i];
        const auto result = lookUpCall(row.prefix, countries, bureaus);
        if (result && result->outcome == LookupOutcome::NotFound)
            FUZZ_CHECK(result->sortText == "unknown");
    }
    return 0;
}
