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
    {"k 1 ", "K 1 "},     // blanks in and after a call are typed characters
    {"  k1", "K1"},       // blanks before it are not
    // Control characters are refused as the field refuses them, and do not count.
    {"w1\taw\r\n", "W1AW"},
    {"\x01"
     "abcdefghijklmn\x7f\x85\xado",
     "ABCDEFGHIJKLMNO"},
    {"\x1f\x20\x7e\x7f\x9f\xa0\xac\xad\xae", "~\xa0\xac\xae"},
    {"\t k1", "K1"},
    // A slashed zero is the digit, in single-byte text and in UTF-8.
    {"w\xd8"
     "abc",
     "W0ABC"},
    {"w\xf8"
     "abc",
     "W0ABC"},
    {"w\xc3\x98"
     "abc",
     "W0ABC"},
    {"w\xc3\xb8"
     "abc",
     "W0ABC"},
    {"\xc3\x98\xc3\x98", "00"},
    {"\xc3"
     "a\xb8",
     "\xc3"
     "A\xb8"},                                      // Ã and ¸ apart are what they are
    {"abcdefghijklmn\xc3\x98", "ABCDEFGHIJKLMN0"},  // the fifteenth character
    {"abcdefghijklmno\xc3\x98", "ABCDEFGHIJKLMNO"}, // the sixteenth
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

TEST(CallText, PlainZerosInLogText)
{
    EXPECT_EQ(CallText::withPlainZeros("via W\xd8"
                                       "ABC, w\xc3\xb8xyz"),
              "via W0ABC, w0xyz");
    EXPECT_EQ(CallText::withPlainZeros("\xc3"), "\xc3");
    EXPECT_EQ(CallText::withPlainZeros("\xc3\xa9t\xc3\xa9"), "\xc3\xa9t\xc3\xa9"); // été
}

TEST(CallText, FirstPastedCallAlone)
{
    for (const CallCase &row : Pasted)
        EXPECT_EQ(CallText::firstPasted(row.typed), row.call) << testing::PrintToString(row.typed);
}

} // namespace
