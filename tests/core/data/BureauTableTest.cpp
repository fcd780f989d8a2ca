#include "core/data/BureauTable.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

// A record laid out by columns: code 1-6, name 7-28, sort prefix 30-35, bureau 36-57, flag 61.
std::string record(std::string_view code, std::string_view name, std::string_view sort,
                   std::string_view bureau, char flag)
{
    std::string line(61, ' ');
    line.replace(0, code.size(), code);
    line.replace(6, name.size(), name);
    line.replace(29, sort.size(), sort);
    line.replace(35, bureau.size(), bureau);
    line[60] = flag;
    return line;
}

struct RecordCase
{
    const char *name;
    std::string line;
    std::optional<BureauRow> row;
};

void PrintTo(const RecordCase &row, std::ostream *out)
{
    *out << row.name;
}

class BureauLineTest : public testing::TestWithParam<RecordCase>
{
};

TEST_P(BureauLineTest, CutsFieldsByColumn)
{
    EXPECT_EQ(parseBureauLine(GetParam().line), GetParam().row);
}

TEST_P(BureauLineTest, LoadsFromARealFile)
{
    TempDir dir;
    BureauTable table;
    ASSERT_TRUE(loadBureauTable(table, dir.write("vorn.asc", GetParam().line + "\r\n")));
    if (!GetParam().row) {
        EXPECT_EQ(table.count(), 0u) << "a heading takes no slot";
        return;
    }
    ASSERT_EQ(table.count(), 1u);
    EXPECT_EQ(table.rows()[0], *GetParam().row);
}

const BureauRow germany{"DL", "Fed. Rep. of Germany", "DL", "DARC QSL bureau", true};

INSTANTIATE_TEST_SUITE_P(
    Layout, BureauLineTest,
    testing::Values(
        RecordCase{"Record", record("DL", "Fed. Rep. of Germany", "DL", "DARC QSL bureau", 'Y'),
                   germany},
        RecordCase{"SixtyCharactersIsAHeading", std::string(60, 'x'), std::nullopt},
        RecordCase{"EmptyLine", "", std::nullopt},
        RecordCase{"SmallYIsNotIaru",
                   record("DL", "Fed. Rep. of Germany", "DL", "DARC QSL bureau", 'y'),
                   BureauRow{"DL", "Fed. Rep. of Germany", "DL", "DARC QSL bureau", false}},
        RecordCase{"BlankBureau", record("1A", "Sov Mil Order of Malta", "1A", "", 'N'),
                   BureauRow{"1A", "Sov Mil Order of Malta", "1A", "", false}},
        RecordCase{"LongRecordReadLikeItsFirst61",
                   record("DL", "Fed. Rep. of Germany", "DL", "DARC QSL bureau", 'Y') +
                       "NOTES 12345678",
                   germany},
        RecordCase{"CodeRightInItsColumns",
                   record("  DL", "Fed. Rep. of Germany", "DL", "DARC QSL bureau", 'Y'), germany},
        RecordCase{"InnerBlanksStay",
                   record("VP8/h", "South Shetland Is.", "VP8", "VP8 QSL bureau", 'N'),
                   BureauRow{"VP8/h", "South Shetland Is.", "VP8", "VP8 QSL bureau", false}},
        // Every field fills its columns, and the three before the flag are read by none.
        RecordCase{"EveryFieldFillsItsColumns",
                   [] {
                       std::string line = record("3Y/BVT", "Bouvet I. (Dependency)", "3Y/BVT",
                                                 "NRRL QSL bureau, Oslo.", 'Y');
                       line.replace(57, 3, "###");
                       return line;
                   }(),
                   BureauRow{"3Y/BVT", "Bouvet I. (Dependency)", "3Y/BVT", "NRRL QSL bureau, Oslo.",
                             true}},
        RecordCase{"TabIsNotTrimmed", record("\tDL", "x", "DL", "y", 'Y'),
                   BureauRow{"\tDL", "x", "DL", "y", true}},
        RecordCase{"Column29IsNotRead",
                   [] {
                       std::string line =
                           record("DL", "Fed. Rep. of Germany", "DL", "DARC QSL bureau", 'Y');
                       line[28] = '#';
                       return line;
                   }(),
                   germany}),
    [](const testing::TestParamInfo<RecordCase> &row) { return row.param.name; });

std::string records(std::size_t count)
{
    std::string text;
    for (std::size_t i = 1; i <= count; ++i)
        text +=
            record("E" + std::to_string(i), "Entity " + std::to_string(i), "S", "B", 'Y') + "\r\n";
    return text;
}

// Codes are compared in their six columns: a longer one handed to the table is cut, as the
// country file's codes are.
TEST(BureauTable, KeepsSixCharactersOfACode)
{
    const std::pair<const char *, const char *> rows[] = {{"3Y/BVT", "3Y/BVT"},
                                                          {"3Y/BVTX", "3Y/BVT"}};
    for (const auto &[code, kept] : rows) {
        BureauTable table;
        ASSERT_TRUE(table.append({code, "Bouvet", "3Y", "", true}));
        EXPECT_EQ(table.rows()[0].entityCode, kept) << code;
        EXPECT_EQ(table.firstOf(kept), &table.rows()[0]) << code;
    }
}

TEST(LoadBureauTable, HeadingsTakeNoSlot)
{
    TempDir dir;
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "Vorn bureau file, heading line " + std::to_string(i) + "\r\n";
    text += records(2);
    BureauTable table;
    ASSERT_TRUE(loadBureauTable(table, dir.write("vorn.asc", text)));
    ASSERT_EQ(table.count(), 2u);
    EXPECT_EQ(table.rows()[0].entityCode, "E1");
}

TEST(LoadBureauTable, StopsOneShortOfCapacityWithoutError)
{
    TempDir dir;
    BureauTable table;
    ASSERT_TRUE(loadBureauTable(table, dir.write("vorn.asc", records(600))));
    ASSERT_EQ(table.count(), 499u);
    EXPECT_EQ(table.rows()[498].entityCode, "E499");
}

TEST(LoadBureauTable, FileWithoutRecordsIsNoError)
{
    TempDir dir;
    BureauTable table;
    EXPECT_TRUE(loadBureauTable(table, dir.write("vorn.asc", "just a note\r\n")));
    EXPECT_EQ(table.count(), 0u);
}

TEST(LoadBureauTable, MissingOrUnreadableFileFails)
{
    TempDir dir;
    BureauTable table;
    ASSERT_TRUE(loadBureauTable(table, dir.write("vorn.asc", records(3))));
    EXPECT_FALSE(loadBureauTable(table, dir.path() / "nothing.asc"));
    EXPECT_EQ(table.count(), 0u);
    std::filesystem::create_directory(dir.path() / "dir.asc");
    EXPECT_FALSE(loadBureauTable(table, dir.path() / "dir.asc"));
}

TEST(LoadBureauTable, ReadErrorKeepsTheRecordsStoredBefore)
{
    const std::string text = records(3);
    FailingSource source(text, text.size() - 10);
    BureauTable table;
    EXPECT_FALSE(loadBureauTable(table, source));
    EXPECT_EQ(table.count(), 2u);
}

TEST(LoadBureauTable, CtrlZAndLfRulesAsInTheCountryFile)
{
    TempDir dir;
    BureauTable table;
    const std::string one = record("DL", "Germany", "DL", "DARC", 'Y');
    ASSERT_TRUE(loadBureauTable(table, dir.write("vorn.asc", one + "\r\n\x1a" + one + "\r\n")));
    EXPECT_EQ(table.count(), 1u);
    ASSERT_TRUE(loadBureauTable(table, dir.write("vorn.asc", one + "\n" + one + "\n")));
    EXPECT_EQ(table.count(), 1u) << "lone LF does not end a record";
}

} // namespace
