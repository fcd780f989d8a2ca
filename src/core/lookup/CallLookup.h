#pragma once

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"

#include <array>
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

// The answer before its texts are put together: how the look-up ended, and the bureau row and
// call-area digit that its texts come from.
struct LookupAnswer
{
    LookupOutcome outcome = LookupOutcome::NotFound;
    // For the outcomes that show a bureau row's texts, and for AreaMissing, whose entity is known
    // although its texts do not show it.
    const BureauRow *bureau = nullptr;
    char digit = ' '; // the call area of CallArea
};

// One answer text in up to three pieces, so that it can be written out without being built.
struct AnswerText
{
    std::array<std::string_view, 3> pieces;

    std::string str() const;
};

// The three answer texts; they point into the answer, its bureau row and fixed texts.
struct AnswerTexts
{
    AnswerText sort;
    AnswerText bureau;
    AnswerText entity;
};

// What a typed text is looked up by: its first 16 characters without trailing blanks, followed
// by the end marker "*" when there is room; empty when nothing but blanks was typed. Made
// without allocation, as every look-up makes one.
class SearchKey
{
public:
    static constexpr std::size_t MaxLength = 16;
    static constexpr char EndMarker = '*';

    explicit SearchKey(std::string_view typed);

    std::string_view text() const { return {m_key.data(), m_length}; }
    // The key in all 16 bytes, NUL after its end, its letters folded to capitals.
    const char *padded() const { return m_key.data(); }
    // The typed characters in the key, the marker not counted.
    std::size_t typedLength() const { return m_typedLength; }

private:
    std::array<char, MaxLength> m_key{};
    std::size_t m_length = 0;
    std::size_t m_typedLength = 0;
};

// The first decimal digit anywhere in the key, or a blank when it holds none.
char firstDigit(std::string_view searchKey);

// Looks up a typed call or prefix: an exact row of country.asc, else the table's list of exact
// calls, else the first country row whose prefix fits; then the first bureau row of its entity
// and the call-area rules. Nothing when the text is empty or blanks only.
std::optional<LookupAnswer> findAnswer(std::string_view typed, const CountryTable &countries,
                                       const BureauTable &bureaus);

// The texts of an answer, valid while the answer and the tables are.
AnswerTexts answerTexts(const LookupAnswer &answer);

// The answer with its texts put together.
LookupResult resultOf(const LookupAnswer &answer);

// findAnswer with its texts put together: the three answers as the window shows them.
std::optional<LookupResult> lookUpCall(std::string_view typed, const CountryTable &countries,
                                       const BureauTable &bureaus);
