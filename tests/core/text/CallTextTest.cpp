#include "core/text/CallText.h"

#include <gtest/gtest.h>

namespace {

struct CallCase
{
    std::string_view typed;
    std::string_view call;
};

const CallCase Calls[] = {
    {"dl1abc/p", "DL1ABC/P"},
    {"abcdefghijklmnopq", "ABCDEFGHIJKLMNO"},
    {"\xe4k1", "\xe4K1"}, // only ASCII letters change
    {" k 1 ", " K 1 "},   // blanks are typed characters
    // Control characters are refused as the field refuses them, and do not count.
    {"w1\taw\r\n", "W1AW"},
    {"\x01"
     "abcdefghijklmn\x7f\x85\xado",
     "ABCDEFGHIJKLMNO"},
    {"\x1f\x20\x7e\x7f\x9f\xa0\xac\xad\xae", " ~\xa0\xac\xae"},
};

TEST(CallText, TheFieldsRules)
{
    CallText::Builder builder; // reused, as vorn-lookup reuses it line after line
    for (const CallCase &row : Calls) {
        EXPECT_EQ(CallText::normalize(row.typed), row.call) << testing::PrintToString(row.typed);
        builder.clear();
        for (const char c : row.typed)
            builder.add(c);
        EXPECT_EQ(builder.text(), row.call) << testing::PrintToString(row.typed);
    }
}

const CallCase Pasted[] = {
    {"DL1ABC\tG4XYZ", "DL1ABC"}, // two cells of a spreadsheet row
    {"  \t dl1abc\r\n", "dl1abc"},
    {"\r\nW1AW\r\nK1ABC\r\n", "W1AW"}, // a list, copied from its empty first line
    {"VK9XY G4XYZ", "VK9XY"},
    {"JA1ABC\x85"
     "BV2A",
     "JA1ABC"},
    {"DL/K1ABC/P", "DL/K1ABC/P"},
    {"x\x01y", "x\x01y"}, // other controls are the field's business
    {" \t\r\n", ""},
    {"", ""},
};

TEST(CallText, FirstPastedCallAlone)
{
    for (const CallCase &row : Pasted)
        EXPECT_EQ(CallText::firstPasted(row.typed), row.call) << testing::PrintToString(row.typed);
}

} // namespace
