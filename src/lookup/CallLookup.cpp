#include "lookup/CallLookup.h"

#include <algorithm>

namespace {

constexpr std::size_t MaxKeyLength = 16;
constexpr char EndMarker = '*';
// Calls that may start with these characters are looked up without the plausibility checks:
// they are (or begin) complete one-character prefixes.
constexpr std::string_view OneCharPrefixes = "2FGIKMNRUW";

// What the key is made of: at most 16 characters, trailing blanks removed.
std::string_view typedPart(std::string_view typed)
{
    typed = typed.substr(0, MaxKeyLength);
    return typed.substr(0, typed.find_last_not_of(' ') + 1);
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upper(x) == upper(y); });
}

const CountryRow *findCountryRow(std::string_view key, const CountryTable &countries)
{
    for (const CountryRow &row : countries.rows()) {
        if (row.prefix.size() <= key.size() &&
            equalsIgnoringCase(key.substr(0, row.prefix.size()), row.prefix))
            return &row;
    }
    return nullptr;
}

const BureauRow *findBureauRow(std::string_view entityCode, const BureauTable &bureaus)
{
    for (const BureauRow &row : bureaus.rows()) {
        if (equalsIgnoringCase(row.entityCode, entityCode))
            return &row;
    }
    return nullptr;
}

LookupResult notFound()
{
    return {LookupOutcome::NotFound, "unknown", "unknown", "unknown"};
}

LookupResult incomplete(LookupOutcome outcome, std::string message)
{
    return {outcome, std::move(message), {}, {}};
}

LookupResult normal(const BureauRow &bureau)
{
    std::string bureauText = bureau.bureauName;
    if (!bureau.isIaru)
        bureauText += " (non IARU)";
    return {LookupOutcome::Normal, bureau.sortPrefix, std::move(bureauText), bureau.entityName};
}

LookupResult normalOrNoBureau(const BureauRow &bureau)
{
    if (bureau.bureauName.empty())
        return {LookupOutcome::NoBureau, {}, "none", bureau.entityName};
    return normal(bureau);
}

LookupResult callArea(const BureauRow &bureau, char digit)
{
    return {LookupOutcome::CallArea, bureau.sortPrefix + digit,
            bureau.bureauName + " - call area " + digit, bureau.entityName};
}

// Guantanamo Bay keeps its two-letter KG4 calls; other KG4 calls are US call area 4. Only the
// call before a '/' counts, so a portable KG4AB/P stays at Guantanamo Bay.
LookupResult guantanamoOrUsa(std::string_view key, std::size_t typedLength, const BureauRow &bureau)
{
    const std::size_t callLength = std::min(typedLength, key.find('/'));
    if (callLength >= 4 && key.starts_with("KG4") && callLength != 5)
        return {LookupOutcome::KG4Usa, "KA4", "USA - call area 4b", "USA"};
    // Guantanamo Bay has no bureau: "none", not a bare " (non IARU)".
    return normalOrNoBureau(bureau);
}

LookupResult usCallArea(std::string_view key, const BureauRow &bureau)
{
    const char digit = firstDigit(key);
    if (digit == ' ')
        return incomplete(LookupOutcome::AreaMissing, "call incomplete (call area missing)");
    if (digit != '4')
        return callArea(bureau, digit);
    // Area 4 has one bureau for one-letter prefixes (K4, N4, W4) and one for two-letter ones.
    if (isDigit(key[1]))
        return {LookupOutcome::UsArea4a, "K4", bureau.bureauName + " - call area 4a",
                bureau.entityName};
    return {LookupOutcome::UsArea4b, "KA4", bureau.bureauName + " - call area 4b",
            bureau.entityName};
}

LookupResult australianCallArea(std::string_view key, const BureauRow &bureau)
{
    const char digit = firstDigit(key);
    if (digit == ' ')
        return incomplete(LookupOutcome::AreaMissing, "call incomplete (call area missing)");
    if (digit == '0' || digit == '9')
        return {LookupOutcome::VkArea90, bureau.sortPrefix + "9",
                bureau.bureauName + " - call area 9/0", bureau.entityName};
    return callArea(bureau, digit);
}

} // namespace

std::string CallField::normalize(std::string_view typed)
{
    std::string text(typed.substr(0, MaxLength));
    std::transform(text.begin(), text.end(), text.begin(), upper);
    return text;
}

std::string makeSearchKey(std::string_view typed)
{
    std::string key(typedPart(typed));
    if (!key.empty() && key.size() < MaxKeyLength)
        key.push_back(EndMarker);
    return key;
}

char firstDigit(std::string_view searchKey)
{
    const auto digit = std::find_if(searchKey.begin(), searchKey.end(), isDigit);
    return digit == searchKey.end() ? ' ' : *digit;
}

std::optional<LookupResult> lookUpCall(std::string_view typed, const CountryTable &countries,
                                       const BureauTable &bureaus)
{
    const std::string key = makeSearchKey(typed);
    if (key.empty())
        return std::nullopt;
    const std::size_t typedLength = typedPart(typed).size();

    const CountryRow *country = findCountryRow(key, countries);
    if (!country)
        return notFound();

    if (OneCharPrefixes.find(key.front()) == std::string_view::npos) {
        if (typedLength == 1)
            return incomplete(LookupOutcome::OneCharacter,
                              "call incomplete (at least 2 characters needed)");
        if (country->prefix.size() == 1 && isDigit(key[1]))
            return notFound();
    }

    const BureauRow *bureau = findBureauRow(country->entityCode, bureaus);
    if (!bureau)
        return notFound();

    if (bureau->sortPrefix == "K")
        return usCallArea(key, *bureau);
    if (bureau->sortPrefix == "VK")
        return australianCallArea(key, *bureau);
    if (bureau->sortPrefix == "KG4")
        return guantanamoOrUsa(key, typedLength, *bureau);
    return normalOrNoBureau(*bureau);
}
