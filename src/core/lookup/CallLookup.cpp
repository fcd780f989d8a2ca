#include "core/lookup/CallLookup.h"

#include "core/text/Ascii.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// Calls that may start with these characters are looked up without the plausibility checks:
// they are (or begin) complete one-character prefixes.
bool isOneCharPrefix(char c)
{
    switch (c) {
    case '2':
    case 'F':
    case 'G':
    case 'I':
    case 'K':
    case 'M':
    case 'N':
    case 'R':
    case 'U':
    case 'W':
        return true;
    default:
        return false;
    }
}

// The sort prefixes that switch on a call-area rule, compared exactly and as a whole.
enum class AreaRule { None, Usa, Australia, Guantanamo };

AreaRule areaRule(std::string_view sortPrefix)
{
    if (sortPrefix == "K")
        return AreaRule::Usa;
    if (sortPrefix == "VK")
        return AreaRule::Australia;
    if (sortPrefix == "KG4")
        return AreaRule::Guantanamo;
    return AreaRule::None;
}

constexpr std::string_view Unknown = "unknown";
constexpr std::string_view NeedsTwoCharacters = "call incomplete (at least 2 characters needed)";
constexpr std::string_view AreaMissing = "call incomplete (call area missing)";

LookupAnswer answer(LookupOutcome outcome, const BureauRow *bureau = nullptr, char digit = ' ')
{
    return {outcome, bureau, digit};
}

LookupAnswer normalOrNoBureau(const BureauRow &bureau)
{
    return answer(bureau.bureauName.empty() ? LookupOutcome::NoBureau : LookupOutcome::Normal,
                  &bureau);
}

// Guantanamo Bay keeps its two-letter KG4 calls; other KG4 calls are US call area 4. Only the
// call before a '/' counts, so a portable KG4AB/P stays at Guantanamo Bay.
LookupAnswer guantanamoOrUsa(std::string_view key, std::size_t typedLength, const BureauRow &bureau)
{
    const std::size_t callLength = std::min(typedLength, key.find('/'));
    if (callLength >= 4 && key.starts_with("KG4") && callLength != 5)
        return answer(LookupOutcome::KG4Usa);
    // Guantanamo Bay has no bureau: "none", not a bare " (non IARU)".
    return normalOrNoBureau(bureau);
}

// The length of the prefix of a part of a call written as the calls of the US mainland are
// written, with the call-area digit right after it: K, N or W alone or with a second letter, or
// AA to AK; 0 for any other part. A second letter H, L or P makes a call of Alaska, Hawaii or
// the islands, whose digit names no call area of the mainland.
std::size_t mainlandPrefixLength(std::string_view part)
{
    if (part.size() < 2)
        return 0;
    const char first = part[0]; // the search key holds capitals
    const char second = part[1];
    const bool knw = first == 'K' || first == 'N' || first == 'W';
    if (Ascii::isDigit(second))
        return knw ? 1 : 0;
    if (part.size() < 3 || !Ascii::isDigit(part[2]) || !Ascii::isLetter(second))
        return 0;
    if (first == 'A')
        return second <= 'K' ? 2 : 0;
    return knw && second != 'H' && second != 'L' && second != 'P' ? 2 : 0;
}

// The call area is the digit after a mainland prefix, in the first part of the call that has
// one (W1AW/4 is area 1, W/K4ABC area 4a). A call of the USA without such a part has no call
// area: 4U1WB, G8ERJ or KP3RK, stations that cty.dat lists under the USA, answer the bureau of
// the USA without one; only a call without any digit is incomplete.
LookupAnswer usCallArea(std::string_view key, const BureauRow &bureau)
{
    // A '/' is neither a letter nor a digit, so a part's prefix reads the same with the rest of
    // the call after it: the end of a part is sought only to step past a part without one.
    for (std::string_view rest = key; !rest.empty();) {
        const std::size_t prefixLength = mainlandPrefixLength(rest);
        if (prefixLength == 0) {
            const std::size_t slash = rest.find('/');
            if (slash == std::string_view::npos)
                break;
            rest.remove_prefix(slash + 1);
            continue;
        }
        const char digit = rest[prefixLength];
        if (digit != '4')
            return answer(LookupOutcome::CallArea, &bureau, digit);
        // Area 4 has one bureau for one-letter prefixes (K4, N4, W4) and one for two-letter
        // ones.
        return answer(prefixLength == 1 ? LookupOutcome::UsArea4a : LookupOutcome::UsArea4b,
                      &bureau);
    }
    if (firstDigit(key) == ' ')
        return answer(LookupOutcome::AreaMissing, &bureau);
    return normalOrNoBureau(bureau);
}

LookupAnswer australianCallArea(std::string_view key, const BureauRow &bureau)
{
    const char digit = firstDigit(key);
    if (digit == ' ')
        return answer(LookupOutcome::AreaMissing, &bureau);
    if (digit == '0' || digit == '9')
        return answer(LookupOutcome::VkArea90, &bureau);
    return answer(LookupOutcome::CallArea, &bureau, digit);
}

// At most 16 bytes of text as two words, NUL after its end, read in whole words from where the
// text lies. The key is built in registers and stored in the words that the list reads: a key put
// together from smaller stores and read back as words would stall every look-up.
struct KeyWords
{
    std::uint64_t low = 0;
    std::uint64_t high = 0;
};

KeyWords keyWordsOf(std::string_view text)
{
    const std::size_t n = text.size();
    const char *from = text.data();
    const auto load = [](const char *at, std::size_t size) {
        std::uint64_t word = 0;
        std::memcpy(&word, at, size);
        return word;
    };
    if constexpr (std::endian::native != std::endian::little) {
        char bytes[16] = {};
        std::memcpy(bytes, from, n);
        return {load(bytes, 8), load(bytes + 8, 8)};
    } else if (n >= 8) {
        // The last eight bytes, shifted down to drop the ones that the first word holds.
        return {load(from, 8), n == 8 ? 0 : load(from + n - 8, 8) >> (8 * (16 - n))};
    } else if (n >= 4) {
        return {load(from, 4) | (load(from + n - 4, 4) >> (8 * (8 - n))) << 32, 0};
    } else {
        return {load(from, n), 0};
    }
}

// The entity code that answers for a search key, and the length of the row's prefix that fits
// (that of "CALL*" for an exact call).
struct Fit
{
    bool found = false;
    std::string_view entityCode;
    std::size_t prefixLength = 0;
    bool listed = false; // found in the list of exact calls
};

// An exact row of country.asc answers first, so that a user's own rows win; then the list of
// exact calls; then the first row that fits.
Fit fitOf(const SearchKey &searchKey, const CountryTable &countries)
{
    const std::string_view key = searchKey.text();
    const CountryRow *row = countries.firstFit(key);
    if (row == nullptr || !row->prefix.ends_with(SearchKey::EndMarker)) {
        const std::string_view code = countries.exactCalls().entityOfCapitals(searchKey.padded());
        if (!code.empty())
            return {true, code, key.size(), true};
    }
    if (row == nullptr)
        return {};
    return {true, row->entityCode, row->prefix.size()};
}

} // namespace

std::string AnswerText::str() const
{
    std::string text;
    text.reserve(pieces[0].size() + pieces[1].size() + pieces[2].size());
    for (const std::string_view piece : pieces)
        text += piece;
    return text;
}

SearchKey::SearchKey(std::string_view typed)
{
    typed = typed.substr(0, MaxLength);
    typed = typed.substr(0, typed.find_last_not_of(' ') + 1);
    KeyWords words = keyWordsOf(typed);
    m_typedLength = m_length = typed.size();
    if (m_length != 0 && m_length < MaxLength) {
        const std::size_t byte = m_length % 8;
        const std::uint64_t marker =
            std::uint64_t{EndMarker}
            << 8 * (std::endian::native == std::endian::little ? byte : 7 - byte);
        (m_length < 8 ? words.low : words.high) |= marker;
        ++m_length;
    }
    // Letters are compared as capitals everywhere below: folded once here, eight at a time.
    words.low = Ascii::upperBytes(words.low);
    words.high = Ascii::upperBytes(words.high);
    std::memcpy(m_key.data(), &words.low, 8);
    std::memcpy(m_key.data() + 8, &words.high, 8);
}

char firstDigit(std::string_view searchKey)
{
    const auto digit = std::find_if(searchKey.begin(), searchKey.end(), Ascii::isDigit);
    return digit == searchKey.end() ? ' ' : *digit;
}

std::optional<LookupAnswer> findAnswer(std::string_view typed, const CountryTable &countries,
                                       const BureauTable &bureaus)
{
    const SearchKey searchKey(typed);
    const std::size_t typedLength = searchKey.typedLength();
    if (typedLength == 0)
        return std::nullopt;
    const std::string_view key = searchKey.text();

    const Fit fit = fitOf(searchKey, countries);
    if (!fit.found)
        return answer(LookupOutcome::NotFound);

    if (!isOneCharPrefix(key.front())) {
        if (typedLength == 1)
            return answer(LookupOutcome::OneCharacter);
        if (fit.prefixLength == 1 && Ascii::isDigit(key[1]))
            return answer(LookupOutcome::NotFound);
    }

    const BureauRow *bureau = bureaus.firstOf(fit.entityCode);
    if (!bureau)
        return answer(LookupOutcome::NotFound);

    switch (areaRule(bureau->sortPrefix)) {
    case AreaRule::Usa:
        return usCallArea(key, *bureau);
    case AreaRule::Australia:
        return australianCallArea(key, *bureau);
    case AreaRule::Guantanamo:
        // The KG4 rule tells Guantanamo Bay from US area 4 by the form of a call that nobody
        // listed; a call that the list names (KG44WW) is where the list puts it.
        if (fit.listed)
            return normalOrNoBureau(*bureau);
        return guantanamoOrUsa(key, typedLength, *bureau);
    case AreaRule::None:
        break;
    }
    return normalOrNoBureau(*bureau);
}

AnswerTexts answerTexts(const LookupAnswer &answer)
{
    using O = LookupOutcome;
    const BureauRow *row = answer.bureau;
    const std::string_view digit(&answer.digit, 1);
    switch (answer.outcome) {
    case O::NotFound:
        break;
    case O::OneCharacter:
        return {{{NeedsTwoCharacters}}, {}, {}};
    case O::AreaMissing:
        return {{{AreaMissing}}, {}, {}};
    case O::NoBureau:
        return {{}, {{"none"}}, {{row->entityName}}};
    case O::Normal:
        return {{{row->sortPrefix}},
                {{row->bureauName, row->isIaru ? "" : " (non IARU)"}},
                {{row->entityName}}};
    case O::KG4Usa:
        return {{{"KA4"}}, {{"USA - call area 4b"}}, {{"USA"}}};
    case O::UsArea4a:
        return {{{"K4"}}, {{row->bureauName, " - call area 4a"}}, {{row->entityName}}};
    case O::UsArea4b:
        return {{{"KA4"}}, {{row->bureauName, " - call area 4b"}}, {{row->entityName}}};
    case O::CallArea:
        return {{{row->sortPrefix, digit}},
                {{row->bureauName, " - call area ", digit}},
                {{row->entityName}}};
    case O::VkArea90:
        return {
            {{row->sortPrefix, "9"}}, {{row->bureauName, " - call area 9/0"}}, {{row->entityName}}};
    }
    return {{{Unknown}}, {{Unknown}}, {{Unknown}}};
}

LookupResult resultOf(const LookupAnswer &answer)
{
    const AnswerTexts texts = answerTexts(answer);
    return {answer.outcome, texts.sort.str(), texts.bureau.str(), texts.entity.str()};
}

std::optional<LookupResult> lookUpCall(std::string_view typed, const CountryTable &countries,
                                       const BureauTable &bureaus)
{
    const auto found = findAnswer(typed, countries, bureaus);
    if (!found)
        return std::nullopt;
    return resultOf(*found);
}
