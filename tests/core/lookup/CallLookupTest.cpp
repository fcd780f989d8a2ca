#include "core/lookup/CallLookup.h"

#include <gtest/gtest.h>

// Readable failure messages: the three answers as a user sees them.
void PrintTo(const LookupResult &result, std::ostream *out)
{
    *out << '[' << static_cast<int>(result.outcome) << "] \"" << result.sortText << "\" | \""
         << result.bureauText << "\" | \"" << result.entityText << '"';
}

namespace {

using O = LookupOutcome;

CountryTable countries(std::initializer_list<CountryRow> rows)
{
    CountryTable table;
    for (const auto &row : rows)
        table.append(row);
    return table;
}

BureauTable bureaus(std::initializer_list<BureauRow> rows)
{
    BureauTable table;
    for (const auto &row : rows)
        table.append(row);
    return table;
}

// A small world: exact calls first, then longer prefixes before shorter ones, as a real file.
const CountryTable world = countries({
    {"K1ABC*", "KH6"}, // an exact call that lives elsewhere
    {"KG4", "KG4"},
    {"KH6", "KH6"},
    {"VK9X", "VK9X"},
    {"VK", "VK"},
    {"AX", "VK"},
    {"AA", "K"},
    {"K", "K"},
    {"N", "K"},
    {"W", "K"},
    {"DA", "dl"}, // entity codes match whatever their letter case
    {"DL", "DL"},
    {"BA", "BY"},
    {"B", "BY"},
    {"F", "F"},
    {"1A", "1A"},
    {"ZD8", "ZD8"},
    {"EX", "EX"}, // no bureau row for this entity
});

const BureauTable worldBureaus = bureaus({
    {"K", "United States", "K", "ARRL", true},
    {"KG4", "Guantanamo Bay", "KG4", "KG4 bureau", false},
    {"KH6", "Hawaii", "KH6", "KH6 QSL bureau", true},
    {"VK", "Australia", "VK", "WIA", true},
    {"VK9X", "Christmas Island", "VK", "WIA", true},
    {"BY", "China", "BY", "CRSA QSL bureau", true},
    {"F", "France", "F", "REF QSL bureau", true},
    {"DL", "Fed. Rep. of Germany", "DL", "DARC QSL bureau", true},
    {"1A", "Sov Mil Order of Malta", "1A", "", false},
    {"ZD8", "Ascension Island", "ZD8", "ZD8 QSL bureau", false},
    {"DL", "Second Germany row", "XX", "never found", true},
});

struct CallCase
{
    const char *name;
    std::string typed;
    LookupResult expected;
    const CountryTable *countries = &world;
};

void PrintTo(const CallCase &row, std::ostream *out)
{
    *out << row.name;
}

class LookUpCallTest : public testing::TestWithParam<CallCase>
{
};

TEST_P(LookUpCallTest, GivesTheThreeAnswers)
{
    const auto result = lookUpCall(GetParam().typed, *GetParam().countries, worldBureaus);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, GetParam().expected);
}

const LookupResult unknown{O::NotFound, "unknown", "unknown", "unknown"};
const LookupResult germany{O::Normal, "DL", "DARC QSL bureau", "Fed. Rep. of Germany"};

INSTANTIATE_TEST_SUITE_P(
    Outcomes, LookUpCallTest,
    testing::Values(
        // Ordinary entities and the first bureau row of an entity.
        CallCase{"Normal", "DL1ABC", germany}, CallCase{"EntityCodeCaseIgnored", "DA0XYZ", germany},
        CallCase{"PrefixCaseIgnored", "dl1abc", germany},
        CallCase{
            "NonIaru", "ZD8A", {O::Normal, "ZD8", "ZD8 QSL bureau (non IARU)", "Ascension Island"}},
        CallCase{"NoBureau", "1A0KM", {O::NoBureau, "", "none", "Sov Mil Order of Malta"}},
        CallCase{"NoBureauRow", "EX8AB", unknown}, CallCase{"NoCountryRow", "QQ1A", unknown},
        CallCase{"LeadingBlankKept", " DL1ABC", unknown},
        CallCase{"TrailingBlanksDropped", "DL1ABC   ", germany},
        CallCase{"PrefixBeforeSlashDecides", "DL/K1XYZ", germany},
        CallCase{"BarePrefix", "DL", germany},
        // Plausibility checks.
        CallCase{"OneCharPrefixLookedUp", "F", {O::Normal, "F", "REF QSL bureau", "France"}},
        CallCase{"OtherSingleCharacter",
                 "B",
                 {O::OneCharacter, "call incomplete (at least 2 characters needed)", "", ""}},
        CallCase{"SingleCharacterWithoutRow", "Q", unknown},
        CallCase{"OneCharPrefixThenDigit", "B1ABC", unknown},
        CallCase{"TwoCharPrefix", "BA1ABC", {O::Normal, "BY", "CRSA QSL bureau", "China"}},
        CallCase{"OneCharPrefixThenLetter", "BZ1A", {O::Normal, "BY", "CRSA QSL bureau", "China"}},
        // US call areas.
        CallCase{"ExactCallWins", "K1ABC", {O::Normal, "KH6", "KH6 QSL bureau", "Hawaii"}},
        CallCase{"ExactCallOnlyWhole",
                 "K1ABCD",
                 {O::CallArea, "K1", "ARRL - call area 1", "United States"}},
        CallCase{"USArea1", "W1AW", {O::CallArea, "K1", "ARRL - call area 1", "United States"}},
        CallCase{"USArea4OneLetterPrefix",
                 "K4XYZ",
                 {O::UsArea4a, "K4", "ARRL - call area 4a", "United States"}},
        CallCase{"USArea4N4", "N4", {O::UsArea4a, "K4", "ARRL - call area 4a", "United States"}},
        CallCase{"USArea4TwoLetterPrefix",
                 "KA4XYZ",
                 {O::UsArea4b, "KA4", "ARRL - call area 4b", "United States"}},
        CallCase{"USArea4AAPrefix",
                 "AA4BC",
                 {O::UsArea4b, "KA4", "ARRL - call area 4b", "United States"}},
        CallCase{"USPortableKeepsHomeArea",
                 "W1AW/4",
                 {O::CallArea, "K1", "ARRL - call area 1", "United States"}},
        CallCase{"USDigitAfterSlash",
                 "K/DL",
                 {O::AreaMissing, "call incomplete (call area missing)", "", ""}},
        CallCase{"USAreaMissing",
                 "KABC",
                 {O::AreaMissing, "call incomplete (call area missing)", "", ""}},
        CallCase{"KAlone", "K", {O::AreaMissing, "call incomplete (call area missing)", "", ""}},
        CallCase{"USArea0", "N0AX", {O::CallArea, "K0", "ARRL - call area 0", "United States"}},
        // Guantanamo Bay and the KG4 calls of US area 4.
        CallCase{"KG4Alone", "KG4", {O::Normal, "KG4", "KG4 bureau (non IARU)", "Guantanamo Bay"}},
        CallCase{"KG4TwoLetters",
                 "KG4AB",
                 {O::Normal, "KG4", "KG4 bureau (non IARU)", "Guantanamo Bay"}},
        CallCase{"KG4Slash",
                 "KG4/DL1ABC",
                 {O::Normal, "KG4", "KG4 bureau (non IARU)", "Guantanamo Bay"}},
        CallCase{"KG4OneLetter", "KG4A", {O::KG4Usa, "KA4", "USA - call area 4b", "USA"}},
        CallCase{"KG4ThreeLetters", "KG4ABC", {O::KG4Usa, "KA4", "USA - call area 4b", "USA"}},
        CallCase{"KG4TwoLettersPortable",
                 "KG4AB/P",
                 {O::Normal, "KG4", "KG4 bureau (non IARU)", "Guantanamo Bay"}},
        CallCase{
            "KG4ThreeLettersPortable", "KG4ABC/P", {O::KG4Usa, "KA4", "USA - call area 4b", "USA"}},
        CallCase{
            "KG4OneLetterPortable", "KG4A/MM", {O::KG4Usa, "KA4", "USA - call area 4b", "USA"}},
        // Australian call areas.
        CallCase{"VKArea3", "VK3ABC", {O::CallArea, "VK3", "WIA - call area 3", "Australia"}},
        CallCase{"AXArea2", "AX2A", {O::CallArea, "VK2", "WIA - call area 2", "Australia"}},
        CallCase{"VKArea0", "VK0EK", {O::VkArea90, "VK9", "WIA - call area 9/0", "Australia"}},
        CallCase{
            "VK9Entity", "VK9XY", {O::VkArea90, "VK9", "WIA - call area 9/0", "Christmas Island"}},
        CallCase{
            "VKAreaMissing", "VK", {O::AreaMissing, "call incomplete (call area missing)", "", ""}},
        CallCase{"FifteenCharacters", "DL1ABCDEFGHIJKL", germany}),
    [](const testing::TestParamInfo<CallCase> &row) { return row.param.name; });

TEST(LookUpCall, NothingForEmptyOrBlankText)
{
    EXPECT_FALSE(lookUpCall("", world, worldBureaus).has_value());
    EXPECT_FALSE(lookUpCall("    ", world, worldBureaus).has_value());
}

TEST(LookUpCall, RowOrderNotPrefixLengthDecides)
{
    const auto table = countries({{"D", "DX"}, {"DL", "DL"}});
    const auto bureauRows =
        bureaus({{"DX", "D entity", "D", "D bureau", true}, {"DL", "Germany", "DL", "DARC", true}});
    EXPECT_EQ(lookUpCall("DL1ABC", table, bureauRows)->entityText, "D entity");
    EXPECT_EQ(lookUpCall("DLX", table, bureauRows)->entityText, "D entity");
}

TEST(LookUpCall, EmptyPrefixStopsEverySearchThatReachesIt)
{
    const auto table = countries({{"DL", "DL"}, {"", "F"}, {"G", "G"}});
    const auto bureauRows =
        bureaus({{"F", "France", "F", "REF", true}, {"G", "England", "G", "RSGB", true}});
    EXPECT_EQ(lookUpCall("G4ABC", table, bureauRows)->entityText, "France");
}

TEST(LookUpCall, EmptyTablesFindNothing)
{
    EXPECT_EQ(lookUpCall("DL1ABC", CountryTable{}, BureauTable{}), unknown);
}

TEST(LookUpCall, AreaRulesKeepEmptyBureauNames)
{
    const auto table = countries({{"K", "K"}});
    const auto bureauRows = bureaus({{"K", "United States", "K", "", false}});
    EXPECT_EQ(*lookUpCall("K1A", table, bureauRows),
              (LookupResult{O::CallArea, "K1", " - call area 1", "United States"}));
}

TEST(LookUpCall, GuantanamoWithoutBureauSaysNone)
{
    // Not a bare " (non IARU)": the KG4 row answers like every entity without a bureau.
    const auto table = countries({{"KG4", "KG4"}});
    const auto bureauRows = bureaus({{"KG4", "Guantanamo Bay", "KG4", "", false}});
    EXPECT_EQ(*lookUpCall("KG4AB", table, bureauRows),
              (LookupResult{O::NoBureau, "", "none", "Guantanamo Bay"}));
    EXPECT_EQ(*lookUpCall("KG4", table, bureauRows),
              (LookupResult{O::NoBureau, "", "none", "Guantanamo Bay"}));
    EXPECT_EQ(lookUpCall("KG4ABC", table, bureauRows)->outcome, O::KG4Usa);
}

TEST(LookUpCall, LongestTypedTextStillFits)
{
    // A 16th character never reaches the key's marker, so an exact-call row cannot match it.
    const auto table = countries({{"DL1ABCDEFGHIJKL*", "DL"}, {"DL", "F"}});
    const auto bureauRows =
        bureaus({{"DL", "Germany", "DL", "DARC", true}, {"F", "Other", "F", "REF", true}});
    EXPECT_EQ(lookUpCall("DL1ABCDEFGHIJKL", table, bureauRows)->entityText, "Germany");
    EXPECT_EQ(lookUpCall("DL1ABCDEFGHIJKLM", table, bureauRows)->entityText, "Other");
}

struct KeyCase
{
    std::string typed;
    std::string key;
};

void PrintTo(const KeyCase &row, std::ostream *out)
{
    *out << testing::PrintToString(row.typed);
}

class SearchKeyTest : public testing::TestWithParam<KeyCase>
{
};

// The key is put together from whole words: each length at a word's bound must keep every byte,
// fold only letters and leave NUL after its end, which the list of exact calls compares too.
TEST_P(SearchKeyTest, EndsWithMarkerWhenItFits)
{
    const SearchKey key(GetParam().typed);
    EXPECT_EQ(key.text(), GetParam().key);
    std::string padded = GetParam().key;
    padded.resize(SearchKey::MaxLength, '\0');
    EXPECT_EQ(std::string_view(key.padded(), SearchKey::MaxLength), padded);
}

INSTANTIATE_TEST_SUITE_P(Keys, SearchKeyTest,
                         testing::Values(KeyCase{"", ""}, KeyCase{"   ", ""},
                                         KeyCase{"DL1ABC", "DL1ABC*"},
                                         KeyCase{"DL1ABC  ", "DL1ABC*"}, KeyCase{" K 1 ", " K 1*"},
                                         KeyCase{"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO*"},
                                         KeyCase{"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},
                                         KeyCase{"ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOP"},
                                         KeyCase{"ABCDEFGHIJKLMNO P", "ABCDEFGHIJKLMNO*"},
                                         KeyCase{"k", "K*"}, KeyCase{"dl1", "DL1*"},
                                         KeyCase{"dl1a", "DL1A*"}, KeyCase{"dl1abc/", "DL1ABC/*"},
                                         KeyCase{"dl1abc/p", "DL1ABC/P*"},
                                         KeyCase{"vk2/dl1abc", "VK2/DL1ABC*"},
                                         KeyCase{"w\xc3\xb8"
                                                 "abc",
                                                 "W\xc3\xb8"
                                                 "ABC*"},
                                         KeyCase{"abcdefghijklmnop", "ABCDEFGHIJKLMNOP"}));

// The world with a list of exact calls, as calls.asc gives it.
CountryTable withList(std::string_view calls)
{
    CountryTable table = world;
    std::size_t badLine = 0;
    if (!table.exactCalls().build(calls, badLine))
        ADD_FAILURE() << "line " << badLine;
    return table;
}

const CountryTable listed = withList("1 K1ABC F\r\n"  // country.asc holds an exact row
                                     "1 DL1ABC F\r\n" // the prefix DL says Germany
                                     "1 DL2ABC/P F\r\n"
                                     "1 B1ABC BY\r\n"   // a one-character prefix and a digit
                                     "1 KG4ABC KG4\r\n" // the KG4 rule leaves it alone
                                     "1 4U1WB K\r\n"    // calls of the USA of other forms
                                     "1 G8ERJ K\r\n"
                                     "1 KP3RK K\r\n"
                                     "1 AL7QQ K\r\n"
                                     "1 K9XYZ K\r\n"     // one of the mainland's form
                                     "1 QQ1ABC ZZ\r\n"); // no bureau row for the code

// The list answers after the exact rows and before the prefixes.
std::vector<CallCase> withTheList(std::vector<CallCase> rows)
{
    for (CallCase &row : rows)
        row.countries = &listed;
    return rows;
}

const LookupResult france{O::Normal, "F", "REF QSL bureau", "France"};
const LookupResult usaWithoutArea{O::Normal, "K", "ARRL", "United States"};

INSTANTIATE_TEST_SUITE_P(
    ExactCallList, LookUpCallTest,
    testing::ValuesIn(withTheList(
        {CallCase{"ExactRowWins", "K1ABC", {O::Normal, "KH6", "KH6 QSL bureau", "Hawaii"}},
         CallCase{"ListBeforePrefix", "DL1ABC", france},
         CallCase{"ListInAnyLetterCase", "dl1abc", france},
         CallCase{"ListWithTrailingBlanks", "DL1ABC  ", france},
         CallCase{"PortableFormListed", "DL2ABC/P", france},
         CallCase{"OnlyTheWholeCall", "DL1ABCD", germany},
         CallCase{"NotAPartOfIt", "DL1AB", germany},
         CallCase{"PortableFormNotListed", "DL1ABC/P", germany},
         CallCase{"NoPlausibilityVeto", "B1ABC", {O::Normal, "BY", "CRSA QSL bureau", "China"}},
         CallCase{"ListedKg4CallStays",
                  "KG4ABC",
                  {O::Normal, "KG4", "KG4 bureau (non IARU)", "Guantanamo Bay"}},
         CallCase{"Kg4RuleForTheOthers", "KG4ABD", {O::KG4Usa, "KA4", "USA - call area 4b", "USA"}},
         CallCase{"UsaOfAnotherForm", "4U1WB", usaWithoutArea},
         CallCase{"UsaFromAnotherCountry", "G8ERJ", usaWithoutArea},
         CallCase{"UsaWithAnIslandPrefix", "KP3RK", usaWithoutArea},
         CallCase{"UsaWithAlaskasPrefix", "AL7QQ", usaWithoutArea},
         CallCase{"UsaOfTheMainland",
                  "K9XYZ",
                  {O::CallArea, "K9", "ARRL - call area 9", "United States"}},
         CallCase{"CodeWithoutBureau", "QQ1ABC", unknown}})),
    [](const testing::TestParamInfo<CallCase> &row) { return row.param.name; });

// A call area comes only from a part of the call written as the mainland's calls are.
INSTANTIATE_TEST_SUITE_P(
    UsCallAreas, LookUpCallTest,
    testing::Values(
        CallCase{"GuestWithoutArea", "W/DL1ABC", {O::Normal, "K", "ARRL", "United States"}},
        CallCase{"AreaFromTheHomeCall",
                 "W/K4ABC",
                 {O::UsArea4a, "K4", "ARRL - call area 4a", "United States"}},
        CallCase{"AreaOfTwoLetterPrefix",
                 "N/KA4XYZ",
                 {O::UsArea4b, "KA4", "ARRL - call area 4b", "United States"}},
        CallCase{"WhIsNot", "WH6/K", {O::Normal, "K", "ARRL", "United States"}}),
    [](const testing::TestParamInfo<CallCase> &row) { return row.param.name; });

TEST(ExactCallList, ALongestTypedTextNeverMatchesIt)
{
    // Sixteen characters leave no room for the marker: no call of the list is typed so.
    const CountryTable table = withList("1 DL1ABCDEFGHIJKL F\r\n");
    EXPECT_EQ(*lookUpCall("DL1ABCDEFGHIJKL", table, worldBureaus), france);
    EXPECT_EQ(*lookUpCall("DL1ABCDEFGHIJKLM", table, worldBureaus), germany);
}

TEST(FirstDigit, ScansTheWholeKey)
{
    EXPECT_EQ(firstDigit("W1AW/4*"), '1');
    EXPECT_EQ(firstDigit("K/DL3X*"), '3');
    EXPECT_EQ(firstDigit("KABC*"), ' ');
    EXPECT_EQ(firstDigit(""), ' ');
}

} // namespace
