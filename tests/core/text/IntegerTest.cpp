#include "core/text/Integer.h"

#include <gtest/gtest.h>

namespace {

using Value = std::optional<std::int32_t>;
constexpr Value None;

// One row per text, one column per syntax: the bureau heading's digits, the settings file's
// signed decimal, the update information's decimal or hexadecimal.
struct IntegerCase
{
    std::string_view text;
    Value digits;
    Value signedDecimal;
    Value updateInfo;
};

TEST(ParseInt32, EachSyntaxTakesItsOwnForms)
{
    const IntegerCase cases[] = {
        {"12", 12, 12, 12},
        {"007", 7, 7, 7},
        {"  12", None, 12, 12},
        {"12 ", None, None, None},
        {"1 2", None, None, None},
        {"+12", None, 12, 12},
        {"-12", None, -12, -12},
        {"  -12", None, -12, -12},
        {"- 12", None, None, None},
        {"--12", None, None, None},
        {"$1F", None, None, 31},
        {"0x1f", None, None, 31},
        {"0X1F", None, None, 31},
        {"-$10", None, None, -16},
        {"$-10", None, None, None},
        {"12a", None, None, None},
        {"", None, None, None},
        {"   ", None, None, None},
        {"-", None, None, None},
        {"$", None, None, None},
        {"0x", None, None, None},
        {"abc", None, None, None},
        {"2147483647", INT32_MAX, INT32_MAX, INT32_MAX},
        {"2147483648", None, None, None},
        {"-2147483648", None, INT32_MIN, INT32_MIN},
        {"-2147483649", None, None, None},
        {"$7fffffff", None, None, INT32_MAX},
        {"$80000000", None, None, None},
        {"-$80000000", None, None, INT32_MIN},
        {"99999999999999999999", None, None, None},
        {"00000000000000000000042", 42, 42, 42},
    };
    for (const IntegerCase &row : cases) {
        EXPECT_EQ(parseInt32(row.text, IntegerSyntaxes::Digits), row.digits) << row.text;
        EXPECT_EQ(parseInt32(row.text, IntegerSyntaxes::SignedDecimal), row.signedDecimal)
            << row.text;
        EXPECT_EQ(parseInt32(row.text, IntegerSyntaxes::UpdateInfo), row.updateInfo) << row.text;
    }
}

using Unsigned = std::optional<std::uint64_t>;
constexpr Unsigned NoValue;

struct UnsignedCase
{
    std::string_view text;
    IntegerSyntax syntax;
    std::uint64_t most;
    Unsigned expected;
};

// Each row at a bound has its neighbour one past it.
TEST(ParseUnsigned, TakesTheSyntaxUpToTheLargestValue)
{
    using namespace IntegerSyntaxes;
    constexpr IntegerSyntax NineDigits{.maxDigits = 9};
    const UnsignedCase cases[] = {
        {"0", Digits, UINT64_MAX, 0},
        {"18446744073709551615", Digits, UINT64_MAX, UINT64_MAX},
        {"18446744073709551616", Digits, UINT64_MAX, NoValue},
        {"99999999999999999999999", Digits, UINT64_MAX, NoValue},
        {"+1", Digits, UINT64_MAX, NoValue},
        {"+1", SignedDecimal, UINT64_MAX, 1},
        {"  7", SignedDecimal, UINT64_MAX, 7},
        {"-1", SignedDecimal, UINT64_MAX, NoValue},
        {"-0", SignedDecimal, UINT64_MAX, NoValue},
        {"-$0", UpdateInfo, UINT64_MAX, NoValue},
        {"$ff", UpdateInfo, UINT64_MAX, 255},
        {"1114111", Digits, 0x10FFFF, 0x10FFFF},
        {"1114112", Digits, 0x10FFFF, NoValue},
        {"5", Digits, 4, NoValue},
        {"ff", HexDigits, UINT64_MAX, 255},
        {"fF", HexDigits, UINT64_MAX, 255},
        {"10FFFF", HexDigits, 0x10FFFF, 0x10FFFF},
        {"110000", HexDigits, 0x10FFFF, NoValue},
        {"ffffffffffffffff", HexDigits, UINT64_MAX, UINT64_MAX},
        {"10000000000000000", HexDigits, UINT64_MAX, NoValue},
        {"fg", HexDigits, UINT64_MAX, NoValue},
        {"0x41", HexDigits, UINT64_MAX, NoValue},
        {"$41", HexDigits, UINT64_MAX, NoValue},
        {" f", HexDigits, UINT64_MAX, NoValue},
        {"", HexDigits, UINT64_MAX, NoValue},
        {"ff", Digits, UINT64_MAX, NoValue},
        {"999999999", NineDigits, UINT64_MAX, 999999999},
        {"1000000000", NineDigits, UINT64_MAX, NoValue},
        {"000000007", NineDigits, UINT64_MAX, 7},
        {"0000000007", NineDigits, UINT64_MAX, NoValue},
    };
    for (const UnsignedCase &row : cases)
        EXPECT_EQ(parseUnsigned(row.text, row.syntax, row.most), row.expected) << row.text;
}

} // namespace
