#pragma once

#include "data/BureauTable.h"
#include "data/CountryTable.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// How a look-up ended; each outcome has its own way of composing the three answer texts.
enum class LookupOutcome {
    NotFound,     // "unknown" three times
    OneCharacter, // a single character that needs a second one
    AreaMissing,  // a US or Australian call without its call-area digit
    NoBureau,     // the entity has no QSL bureau: "none"
    Normal,       // sort prefix, bureau (marked when not IARU) and entity
    KG4Usa,       // a KG4 call that is not Guantanamo Bay but US call area 4
    UsArea4a,     // US call area 4, one-letter prefix
    UsArea4b,     // US call area 4, two-letter prefix
    CallArea,     // a US or Australian call area given by its digit
    VkArea90,     // Australian call areas 9 and 0 share one bundle
};

// The three answers: "Sort QSL under :", "QSL bureau :" and "DXCC / WAE :".
struct LookupResult
{
    LookupOutcome outcome = LookupOutcome::NotFound;
    std::string sortText;
    std::string bureauText;
    std::string entityText;

    bool operator==(const LookupResult &) const = default;
};

namespace CallField {
inline constexpr std::size_t MaxLength = 15;
// What the call field makes of typed text: ASCII letters in capitals, at most 15 characters.
std::string normalize(std::string_view typed);
} // namespace CallField

// The typed text (at most 16 characters) without trailing blanks, followed by the end marker
// "*"; empty when nothing but blanks was typed.
std::string makeSearchKey(std::string_view typed);

// The first decimal digit anywhere in the key, or a blank when it holds none.
char firstDigit(std::string_view searchKey);

// Looks up a typed call or prefix: the first country row whose prefix fits, the first bureau
// row of its entity, then the call-area rules. Nothing when the text is empty or blanks only.
std::optional<LookupResult> lookUpCall(std::string_view typed, const CountryTable &countries,
                                       const BureauTable &bureaus);
