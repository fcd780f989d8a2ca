#include "core/lookup/PortableLookup.h"

#include <gtest/gtest.h>

namespace {

struct World
{
    CountryTable countries;
    BureauTable bureaus;
    World()
    {
        for (const auto &[prefix, code] :
             std::initializer_list<std::pair<const char *, const char *>>{
                 {"W6XYZ*", "KH6"}, // an exact call: a station that lives in Hawaii
                 {"DL", "DL"},
                 {"G", "G"},
                 {"F", "F"},
                 {"KG4", "KG4"},
                 {"KH6", "KH6"},
                 {"VK9X", "VK9X"},
                 {"VK", "VK"},
                 {"K", "K"},
                 {"W", "K"},
                 {"3D2", "3D2"},
                 {"UA9", "UA9"},
                 {"UA", "UA"},
                 {"P5", "P5"},
                 {"QQ", "QQ"}})
            countries.append({prefix, code});
        bureaus.append({"DL", "Fed. Rep. of Germany", "DL", "DARC QSL bureau", true});
        bureaus.append({"G", "England", "G", "RSGB QSL bureau", true});
        bureaus.append({"F", "France", "F", "REF QSL bureau", true});
        bureaus.append({"KG4", "Guantanamo Bay", "KG4", "", false});
        bureaus.append({"KH6", "Hawaii", "KH6", "ARRL KH6 QSL bureau", true});
        bureaus.append({"VK9X", "Christmas Island", "VK9X", "WIA QSL bureau", true});
        bureaus.append({"VK", "Australia", "VK", "WIA QSL bureau", true});
        bureaus.append({"K", "United States", "K", "ARRL QSL bureau", true});
        bureaus.append({"3D2", "Fiji", "3D2", "FARA QSL bureau", true});
        bureaus.append({"UA9", "Asiatic Russia", "UA", "SRR QSL bureau", true});
        bureaus.append({"UA", "European Russia", "UA", "SRR QSL bureau", true});
        bureaus.append({"P5", "North Korea", "P5", "", false});
    }
};

struct LineCase
{
    std::string_view call;
    std::string_view homeRoute;
    std::string_view location;
    std::string_view line;
};

const LineCase Lines[] = {
    // The cards of a guest go to his home bureau.
    {"VK2/DL1ABC", "DL, DARC QSL bureau", "", "home call DL1ABC: DL, DARC QSL bureau"},
    {"F/G4XYZ", "G, RSGB QSL bureau", "", "home call G4XYZ: G, RSGB QSL bureau"},
    {"3D2/DL1ABC", "DL, DARC QSL bureau", "", "home call DL1ABC: DL, DARC QSL bureau"},
    {"KH6/W1ABC", "K1, ARRL QSL bureau - call area 1", "",
     "home call W1ABC: K1, ARRL QSL bureau - call area 1"},
    {"KG4/W1ABC", "K1, ARRL QSL bureau - call area 1", "",
     "home call W1ABC: K1, ARRL QSL bureau - call area 1"},
    {"VK2/P5ABC", "none", "", "home call P5ABC: none"},
    // A location after the call is where he operates.
    {"DL1ABC/VK2", "", "Australia", "operating from: Australia"},
    {"W1ABC/KH6", "", "Hawaii", "operating from: Hawaii"},
    {"UA9ABC/3", "", "European Russia", "operating from: European Russia"},
    {"DL1ABC/VK", "", "Australia", "operating from: Australia"},
    {"DL1ABC/VK9X", "", "Christmas Island", "operating from: Christmas Island"}, // the longest
    {"K1ABC/MM", "", "maritime mobile, no DXCC entity",
     "operating from: maritime mobile, no DXCC entity"},
    {"W4AB/AM", "", "aeronautical mobile, no DXCC entity",
     "operating from: aeronautical mobile, no DXCC entity"},
    // Both at once: an exact call fits the home call alone, not the whole text.
    {"W6XYZ/VK2", "KH6, ARRL KH6 QSL bureau", "Australia",
     "home call W6XYZ: KH6, ARRL KH6 QSL bureau; operating from: Australia"},
    // A location before the call counts before one after it.
    {"QQ/DL1ABC/VK2", "DL, DARC QSL bureau", "", "home call DL1ABC: DL, DARC QSL bureau"},
    {"W1ABC/VK2/P", "", "Australia", "operating from: Australia"},
    // Nothing that the three answers do not say already.
    {"DL1ABC/P", "", "", ""},
    {"KG4AB/P", "", "", ""},
    {"W1ABC/4", "", "", ""},
    {"VK2/DL", "", "", ""},
    {"DL1ABC", "", "", ""},
    {"DL1ABC/QQ", "", "", ""},  // a location the tables do not know
    {"VK2/QQ1ABC", "", "", ""}, // a home call they do not know
    {"DL1ABC/P   ", "", "", ""},
};

TEST(PortableLookup, theFourthLineSaysWhatTheThreeAnswersDoNot)
{
    const World world;
    for (const LineCase &row : Lines) {
        const auto shown = lookUpCall(row.call, world.countries, world.bureaus);
        ASSERT_TRUE(shown) << row.call;
        const PortableTexts texts = portableTexts(row.call, *shown, world.countries, world.bureaus);
        EXPECT_EQ(texts.homeRoute, row.homeRoute) << row.call;
        EXPECT_EQ(texts.location, row.location) << row.call;
        EXPECT_EQ(texts.line(), row.line) << row.call;
        EXPECT_EQ(texts.empty(), row.line.empty()) << row.call;
    }
}

} // namespace
