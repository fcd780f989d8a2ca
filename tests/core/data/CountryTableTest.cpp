#include "core/data/CountryTable.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

struct LineCase
{
    const char *name;
    std::string line;
    CountryRow row;
};

void PrintTo(const LineCase &row, std::ostream *out)
{
    *out << row.name;
}

class CountryLineTest : public testing::TestWithParam<LineCase>
{
};

TEST_P(CountryLineTest, GivesPrefixAndEntityCode)
{
    EXPECT_EQ(parseCountryLine(GetParam().line), GetParam().row);
}

TEST_P(CountryLineTest, LoadsFromARealFile)
{
    TempDir dir;
    CountryTable table;
    ASSERT_TRUE(loadCountryTable(table, dir.write("country.asc", GetParam().line + "\r\n")));
    ASSERT_EQ(table.count(), 1u) << "every line takes a slot";
    EXPECT_EQ(table.rows()[0], GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, CountryLineTest,
    testing::Values(
        LineCase{"Plain", "x K1 K", {"K1", "K"}},
        LineCase{"BlanksAndAppendix", "   x    VP8(13)[73]   VP8F   rest", {"VP8", "VP8F"}},
        LineCase{
            "FieldsCutToWidth", "x ABCDEFGHIJKLMNOPQRST ABCDEFGH", {"ABCDEFGHIJKLMNOP", "ABCDEF"}},
        LineCase{"TabIsPartOfFirstToken", "x\tK1 K", {"K", ""}},
        LineCase{"EmptyLine", "", {"", ""}}, LineCase{"BlanksOnly", "     ", {"", ""}},
        LineCase{"SingleToken", "x", {"", ""}}, LineCase{"TwoTokens", "x K1", {"K1", ""}},
        LineCase{"AppendixFirstGivesEmptyPrefix", "x (1)K K", {"", "K"}},
        LineCase{"SquareAppendix", "291 KG4[11] KG4", {"KG4", "KG4"}},
        LineCase{"EndMarkerKept", "291 K1ABC* K", {"K1ABC*", "K"}},
        LineCase{"SlashKept", "248 IT9/ *IT9", {"IT9/", "*IT9"}},
        LineCase{"LetterCaseKept", "1 dl DL", {"dl", "DL"}},
        LineCase{"CommentAfterCode", "230 DA DL Germany, federal republic", {"DA", "DL"}},
        LineCase{"ControlCharacterIsOrdinary", "x K\x1b K", {"K\x1b", "K"}}),
    [](const testing::TestParamInfo<LineCase> &row) { return row.param.name; });

std::string lines(std::size_t count)
{
    std::string text;
    for (std::size_t i = 1; i <= count; ++i)
        text +=
            std::to_string(i) + " P" + std::to_string(i) + " E" + std::to_string(i % 1000) + "\r\n";
    return text;
}

TEST(LoadCountryTable, ReadsRowsInFileOrderWithBlankLinesTakingSlots)
{
    TempDir dir;
    const auto file = dir.write("country.asc", "1 DL DL\r\n\r\n2 F F\r\n");
    CountryTable table;
    ASSERT_TRUE(loadCountryTable(table, file));
    ASSERT_EQ(table.count(), 3u);
    EXPECT_EQ(table.rows()[0], (CountryRow{"DL", "DL"}));
    EXPECT_EQ(table.rows()[1], (CountryRow{"", ""}));
    EXPECT_EQ(table.rows()[2], (CountryRow{"F", "F"}));
}

TEST(LoadCountryTable, StopsOneShortOfCapacityWithoutError)
{
    TempDir dir;
    const auto file = dir.write("country.asc", lines(4000));
    CountryTable table;
    ASSERT_TRUE(loadCountryTable(table, file));
    ASSERT_EQ(table.count(), 3499u);
    EXPECT_EQ(table.rows()[3498].prefix, "P3499");
}

TEST(LoadCountryTable, ExactlyFullFileLoadsEveryRow)
{
    TempDir dir;
    CountryTable table;
    ASSERT_TRUE(loadCountryTable(table, dir.write("country.asc", lines(3499))));
    EXPECT_EQ(table.count(), 3499u);
}

TEST(LoadCountryTable, LinesEndedByLfAloneAreOneLine)
{
    TempDir dir;
    CountryTable table;
    ASSERT_TRUE(loadCountryTable(table, dir.write("country.asc", "1 DL DL\n2 F F\n3 G G\n")));
    ASSERT_EQ(table.count(), 1u);
    EXPECT_EQ(table.rows()[0], (CountryRow{"DL", "DL\n2"}));
}

TEST(LoadCountryTable, CtrlZEndsTheLoadWithoutError)
{
    TempDir dir;
    CountryTable table;
    ASSERT_TRUE(loadCountryTable(table, dir.write("country.asc", "1 DL DL\r\n\x1a"
                                                                 "2 F F\r\n")));
    EXPECT_EQ(table.count(), 1u);
}

TEST(LoadCountryTable, LastLineNeedsNoLineEnd)
{
    TempDir dir;
    CountryTable table;
    ASSERT_TRUE(loadCountryTable(table, dir.write("country.asc", "1 DL DL\r\n2 F F")));
    ASSERT_EQ(table.count(), 2u);
    EXPECT_EQ(table.rows()[1], (CountryRow{"F", "F"}));
}

TEST(LoadCountryTable, EmptyFileGivesNoRowsAndNoError)
{
    TempDir dir;
    CountryTable table;
    EXPECT_TRUE(loadCountryTable(table, dir.write("country.asc", "")));
    EXPECT_EQ(table.count(), 0u);
}

TEST(LoadCountryTable, MissingFileFailsAndALaterGoodLoadSucceeds)
{
    TempDir dir;
    CountryTable table;
    ASSERT_TRUE(loadCountryTable(table, dir.write("country.asc", lines(10))));
    EXPECT_FALSE(loadCountryTable(table, dir.path() / "missing.asc"));
    EXPECT_EQ(table.count(), 0u) << "a failed open leaves no old rows";
    EXPECT_TRUE(loadCountryTable(table, dir.path() / "country.asc"));
    EXPECT_EQ(table.count(), 10u);
}

TEST(LoadCountryTable, UnreadableFileFails)
{
    // A directory opens but cannot be read: the same path a broken disk takes.
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "country.asc");
    CountryTable table;
    EXPECT_FALSE(loadCountryTable(table, dir.path() / "country.asc"));
    EXPECT_EQ(table.count(), 0u);
}

TEST(LoadCountryTable, ReadErrorKeepsTheRowsReadBefore)
{
    const std::string text = "1 DL DL\r\n2 F F\r\n3 G G\r\n";
    FailingSource source(text, text.find("3 G"));
    CountryTable table;
    EXPECT_EQ(loadCountryTable(table, source).error, std::errc::io_error);
    ASSERT_EQ(table.count(), 2u);
    EXPECT_EQ(table.rows()[1], (CountryRow{"F", "F"}));
}

TEST(LoadCountryTable, ShorterFileLeavesNoOldRowsBehind)
{
    TempDir dir;
    CountryTable table;
    ASSERT_TRUE(loadCountryTable(table, dir.write("country.asc", lines(50))));
    ASSERT_TRUE(loadCountryTable(table, dir.write("country.asc", "1 DL DL\r\n")));
    ASSERT_EQ(table.count(), 1u);
    EXPECT_EQ(table.rows()[0], (CountryRow{"DL", "DL"}));
}

} // namespace
