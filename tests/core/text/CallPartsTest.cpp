#include "core/text/CallParts.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase
{
    std::string_view call;
    std::string_view prefix;
    std::string_view home;
    std::string_view suffix;
    std::string_view mark;
    CallMark markKind;
    std::string_view location; // what the location is looked up by
};

using M = CallMark;

// Rows from the '/' entries of cty.dat and from common practice.
const SplitCase Splits[] = {
    // Guest calls, the location written first (CEPT) or after the home call.
    {"VK2/DL1ABC", "VK2", "DL1ABC", "", "", M::None, "VK2"},
    {"F/G4XYZ", "F", "G4XYZ", "", "", M::None, "F"},
    {"3D2/DL1ABC", "3D2", "DL1ABC", "", "", M::None, "3D2"},
    {"DL1ABC/VK2", "", "DL1ABC", "VK2", "", M::None, "VK2"},
    {"W1ABC/KH6", "", "W1ABC", "KH6", "", M::None, "KH6"},
    {"W3ASA/KC4", "", "W3ASA", "KC4", "", M::None, "KC4"},
    {"9M6/LA6VM", "9M6", "LA6VM", "", "", M::None, "9M6"},
    {"KG4/W1ABC", "KG4", "W1ABC", "", "", M::None, "KG4"},
    // Two parts shaped like calls: the longer is the home call, the shorter names the location.
    {"AJ3M/BY1RX", "AJ3M", "BY1RX", "", "", M::None, "AJ3M"},
    {"VP2E/K1AB", "VP2E", "K1AB", "", "", M::None, "VP2E"},
    // A single digit is a call area: it takes the place of the area digit.
    {"W1ABC/4", "", "W1ABC", "4", "", M::None, "W4ABC"},
    {"UA9ABC/3", "", "UA9ABC", "3", "", M::None, "UA3ABC"},
    {"9M2/G3TMA/6", "9M2", "G3TMA", "6", "", M::None, "9M6"},
    // Marks that name no location.
    {"DL1ABC/P", "", "DL1ABC", "", "P", M::Ordinary, ""},
    {"KG4AB/P", "", "KG4AB", "", "P", M::Ordinary, ""},
    {"DL1ABC/QRP", "", "DL1ABC", "", "QRP", M::Ordinary, ""},
    {"4X1FC/LH", "", "4X1FC", "", "LH", M::Ordinary, ""},
    {"LU1VFP/X", "", "LU1VFP", "", "X", M::Ordinary, ""},
    {"GQ0OUD/70", "", "GQ0OUD", "", "70", M::Ordinary, ""},
    {"4J5T/FF", "", "4J5T", "", "FF", M::Ordinary, ""},
    {"K1ABC/MM", "", "K1ABC", "", "MM", M::Maritime, ""},
    {"NQ4I/AM", "", "NQ4I", "", "AM", M::Aeronautical, ""},
    // Location and mark together; at sea outweighs any other mark.
    {"3A/4Z5KJ/LH", "3A", "4Z5KJ", "", "LH", M::Ordinary, "3A"},
    {"UF/UA6GG/FF", "UF", "UA6GG", "", "FF", M::Ordinary, "UF"},
    {"DL1ABC/VK2/P", "", "DL1ABC", "VK2", "P", M::Ordinary, "VK2"},
    {"DL1ABC/P/MM", "", "DL1ABC", "", "MM", M::Maritime, ""},
    // Nothing to take apart.
    {"DL1ABC", "", "DL1ABC", "", "", M::None, ""},
    {"DL/", "", "", "", "", M::None, ""},
    {"VK2/KH6", "", "", "", "", M::None, ""},
    {"/P", "", "", "", "", M::None, ""},
    {"", "", "", "", "", M::None, ""},
    // A location after the call has at most four characters; a longer word is no prefix. Empty
    // parts do not count.
    {"DL1ABC/VK9X", "", "DL1ABC", "VK9X", "", M::None, "VK9X"},
    {"DL1ABC/ABCDE", "", "DL1ABC", "", "", M::None, ""},
    {"VK2//DL1ABC/", "VK2", "DL1ABC", "", "", M::None, "VK2"},
};

TEST(CallParts, splitAsHamsWriteThem)
{
    for (const SplitCase &row : Splits) {
        const CallParts parts = splitCall(row.call);
        EXPECT_EQ(parts.prefix, row.prefix) << row.call;
        EXPECT_EQ(parts.home, row.home) << row.call;
        EXPECT_EQ(parts.suffix, row.suffix) << row.call;
        EXPECT_EQ(parts.mark, row.mark) << row.call;
        EXPECT_EQ(parts.markKind, row.markKind) << row.call;
        EXPECT_EQ(locationKey(parts), row.location) << row.call;
    }
}

TEST(CallParts, callShape)
{
    for (const std::string_view call : {"DL1ABC", "2E0XYZ", "9A2AA", "K1A", "VP2E", "3DA0BP"})
        EXPECT_TRUE(hasCallShape(call)) << call;
    for (const std::string_view word : {"KH6", "3D2", "LOTW", "2023", "K1", "DL1ABC.", ""})
        EXPECT_FALSE(hasCallShape(word)) << word;
}

} // namespace
