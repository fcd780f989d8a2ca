#include "core/text/Ascii.h"

#include <cctype>
#include <gtest/gtest.h>
#include <random>

namespace {

TEST(Ascii, OnlyAsciiLettersHaveACase)
{
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        const bool small = byte >= 'a' && byte <= 'z';
        const bool capital = byte >= 'A' && byte <= 'Z';
        EXPECT_EQ(Ascii::upper(c), small ? static_cast<char>(byte - 32) : c) << byte;
        EXPECT_EQ(Ascii::lower(c), capital ? static_cast<char>(byte + 32) : c) << byte;
    }
}

// Against the C library in its "C" locale, which knows ASCII only: every byte above 0x7f, a
// negative char included, is neither letter nor digit.
TEST(Ascii, LettersAndDigitsAreAsciiOnly)
{
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        EXPECT_EQ(Ascii::isDigit(c), std::isdigit(byte) != 0) << byte;
        EXPECT_EQ(Ascii::isUpper(c), std::isupper(byte) != 0) << byte;
        EXPECT_EQ(Ascii::isLower(c), std::islower(byte) != 0) << byte;
        EXPECT_EQ(Ascii::isLetter(c), std::isalpha(byte) != 0) << byte;
        EXPECT_EQ(Ascii::isAlnum(c), std::isalnum(byte) != 0) << byte;
    }
    // One digit at least, and digits alone ("\xb2" is a superscript two in Latin-1).
    const std::pair<std::string_view, bool> digits[] = {
        {"", false},   {"0", true},   {"0072", true}, {"12a", false},
        {" 1", false}, {"-1", false}, {"\xb2", false}};
    for (const auto &[text, expected] : digits)
        EXPECT_EQ(Ascii::isDigits(text), expected) << text;
}

struct CompareCase
{
    std::string_view a;
    std::string_view b;
    bool equal;
    bool aStartsWithB;
};

TEST(Ascii, ComparesIgnoringCase)
{
    const CompareCase cases[] = {
        {"", "", true, true},
        {"dl1abc/p", "DL1ABC/P", true, true},
        {"<HtMl", "<html", true, true},
        {"adif", "ADI", false, true},
        {"AD", "ADI", false, false},
        // Letters above 0x7f and the neighbours of the letter ranges keep their case.
        {"\xe4", "\xc4", false, false},
        {"@[`{", "@[`{", true, true},
        {"`", "@", false, false},
        {"{", "[", false, false},
    };
    for (const CompareCase &row : cases) {
        EXPECT_EQ(Ascii::equalIgnoringCase(row.a, row.b), row.equal) << row.a << " / " << row.b;
        EXPECT_EQ(Ascii::equalIgnoringCase(row.b, row.a), row.equal) << row.b << " / " << row.a;
        EXPECT_EQ(Ascii::startsWithIgnoringCase(row.a, row.b), row.aStartsWithB) << row.a;
    }
    EXPECT_EQ(Ascii::upperText("k1\xe4z/p"), "K1\xe4Z/P");
    EXPECT_EQ(Ascii::lowerText("(C) QSL.EXAMPLE \xc4"), "(c) qsl.example \xc4");
}

// The word-at-a-time fold against upper() of each byte: every byte value in every position,
// among random neighbours, so that no carry or borrow crosses from one byte into the next.
TEST(Ascii, WordFoldEqualsByteFold)
{
    std::mt19937_64 random(20230502);
    for (int position = 0; position < 8; ++position) {
        for (int byte = 0; byte < 256; ++byte) {
            for (int round = 0; round < 16; ++round) {
                std::uint64_t word = random();
                word &= ~(std::uint64_t{0xff} << (8 * position));
                word |= std::uint64_t(byte) << (8 * position);
                std::uint64_t expected = 0;
                for (int i = 0; i < 8; ++i) {
                    const auto c = static_cast<char>(word >> (8 * i));
                    expected |= std::uint64_t{static_cast<unsigned char>(Ascii::upper(c))}
                                << (8 * i);
                }
                ASSERT_EQ(Ascii::upperBytes(word), expected) << std::hex << word;
            }
        }
    }
}

} // namespace
