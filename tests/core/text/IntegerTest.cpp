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

} // namespace
