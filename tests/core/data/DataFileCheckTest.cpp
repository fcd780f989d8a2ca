#include "core/data/DataFileCheck.h"

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/text/TextLines.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

using Kind = DataFile;
using Problem = DataFileProblem;

std::string countryLines(std::size_t count, const std::string &end = "\r\n")
{
    std::string text;
    for (std::size_t i = 1; i <= count; ++i)
        text += std::to_string(i) + " P" + std::to_string(i) + " E" + end;
    return text;
}

std::string records(std::size_t count, const char *end = "\r\n")
{
    std::string text = "Vorn QSL bureaus\r\n";
    for (std::size_t i = 1; i <= count; ++i) {
        std::string record(61, ' ');
        record.replace(0, 2, "E" + std::to_string(i % 10));
        record.replace(6, 6, "Entity");
        record[60] = 'Y';
        text += record + end;
    }
    return text;
}

// Each byte followed by a NUL, as UTF-16 little-endian writes ASCII text.
std::string utf16(const std::string &text, bool byteOrderMark)
{
    std::string wide = byteOrderMark ? "\xff\xfe" : "";
    for (const char c : text)
        wide += std::string{c, '\0'};
    return wide;
}

const std::string Page = "<!DOCTYPE html>\r\n<html><head><title>Log in</title></head></html>\r\n";

struct CheckCase
{
    const char *name;
    Kind kind;
    std::string bytes;
    Problem problem;
};

void PrintTo(const CheckCase &row, std::ostream *out)
{
    *out << row.name;
}

class DataFileCheckTest : public testing::TestWithParam<CheckCase>
{
};

TEST_P(DataFileCheckTest, TellsTheMostSeriousProblem)
{
    TempDir dir;
    EXPECT_EQ(checkDataFile(GetParam().kind, dir.write("data.asc", GetParam().bytes)),
              GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DataFileCheckTest,
    testing::Values(
        CheckCase{"CountryFile", Kind::Country, countryLines(20), Problem::None},
        CheckCase{"CountryFileWithoutLastLineEnd", Kind::Country, "1 DL DL\r\n2 F F",
                  Problem::None},
        CheckCase{"CountryLfEnds", Kind::Country, countryLines(20, "\n"), Problem::OneHugeLine},
        CheckCase{"CountryLinesAddedWithLfEnds", Kind::Country,
                  countryLines(50) + countryLines(3, "\n"), Problem::None},
        CheckCase{"NoLineEndsAtAll", Kind::Country, std::string(10000, 'x'), Problem::LineTooLong},
        // A line as long as a line may be is read whole; one byte more and it is cut.
        CheckCase{"LineAtTheLengthBound", Kind::Country,
                  "1 DL DL\r\n" + std::string(LineReader::MaxLineLength, 'x') + "\r\n",
                  Problem::None},
        CheckCase{"LinePastTheLengthBound", Kind::Country,
                  "1 DL DL\r\n" + std::string(LineReader::MaxLineLength + 1, 'x') + "\r\n",
                  Problem::LineTooLong},
        CheckCase{"OneShortLine", Kind::Country, "1 DL DL", Problem::None},
        CheckCase{"CountryPage", Kind::Country, Page, Problem::Markup},
        CheckCase{"PageWithLfEndsIsMarkupFirst", Kind::Country,
                  "\n\n<HTML>\n<body>Log in</body>\n</HTML>\n", Problem::Markup},
        // A captive portal's page as it comes, and one whose first tag goes on on the next line.
        CheckCase{"PortalPage", Kind::Country,
                  "<html lang=\"en\">\r\n<head>\r\n<meta name=\"viewport\" content=\"width=1\">\r\n"
                  "<title>Sign in</title></head>\r\n<body>Accept the terms</body></html>\r\n",
                  Problem::Markup},
        CheckCase{"FirstTagBrokenAfterItsName", Kind::Bureau,
                  "<html\r\nlang=\"en\"><head><title>x</title></head>\r\n" + std::string(70, 'x'),
                  Problem::Markup},
        CheckCase{"XmlWithByteOrderMark", Kind::Country, "\xef\xbb\xbf<?xml version=\"1.0\"?>\r\n",
                  Problem::Markup},
        CheckCase{"AngleBracketFirstToken", Kind::Country, "<new> K1 K\r\n2 DL DL\r\n",
                  Problem::None},
        CheckCase{"EmptyFile", Kind::Country, "", Problem::Empty},
        CheckCase{"BlankAndSingleTokenLines", Kind::Country, "\r\n   \r\nx\r\n", Problem::Empty},
        CheckCase{"CountryFull", Kind::Country, countryLines(3499) + "\r\n", Problem::None},
        CheckCase{"CountryOverfull", Kind::Country, countryLines(3500), Problem::TooManyRows},
        CheckCase{"CountryUtf16", Kind::Country, utf16(countryLines(20), true), Problem::Utf16},
        CheckCase{"CountryUtf16WithoutMark", Kind::Country, utf16(countryLines(20), false),
                  Problem::Utf16},
        CheckCase{"CountryNulLine", Kind::Country,
                  countryLines(20) + std::string(40, '\0') + "\r\n" + countryLines(20),
                  Problem::NulBytes},
        // No row at all is the reason that matters: such a file is no data.
        CheckCase{"OnlyNulBytes", Kind::Country, std::string(4000, '\0'), Problem::Empty},
        CheckCase{"BureauFile", Kind::Bureau, records(20), Problem::None},
        CheckCase{"BureauUtf16", Kind::Bureau, utf16(records(20), true), Problem::Utf16},
        CheckCase{"BureauNulInARecord", Kind::Bureau,
                  records(5) + std::string("E1\0", 3) + records(5), Problem::NulBytes},
        CheckCase{"BureauHeadingsOnly", Kind::Bureau, "Vorn QSL bureaus\r\nnote\r\n",
                  Problem::Empty},
        CheckCase{"BureauLfEnds", Kind::Bureau, records(20, "\n"), Problem::OneHugeLine},
        CheckCase{"BureauPage", Kind::Bureau, Page + std::string(70, 'x'), Problem::Markup},
        CheckCase{"BureauFull", Kind::Bureau, records(499), Problem::None},
        CheckCase{"BureauOverfull", Kind::Bureau, records(500), Problem::TooManyRows},
        // Files that pass as data but are not what was meant.
        CheckCase{"JunkRowsInFront", Kind::Country, countryLines(3600) + "1 DL DL\r\n",
                  Problem::TooManyRows},
        CheckCase{"NulInEveryLine", Kind::Country, countryLines(20, std::string("\0\r\n", 3)),
                  Problem::NulBytes},
        CheckCase{"BureauWithNul", Kind::Bureau, records(20) + std::string(1, '\0'),
                  Problem::NulBytes},
        CheckCase{"EndMarkHidesTheRest", Kind::Country,
                  countryLines(20) + "\x1a" + countryLines(20), Problem::HiddenByMark},
        CheckCase{"EndMarkInsideALine", Kind::Bureau, records(3) + "DL  \x1a  Germany\r\n",
                  Problem::HiddenByMark},
        CheckCase{"EndMarkAtTheEnd", Kind::Country, countryLines(20) + "\x1a", Problem::None},
        CheckCase{"EndMarkThenLineEndsOnly", Kind::Bureau, records(20) + "\x1a\r\n\x1a",
                  Problem::None}),
    [](const testing::TestParamInfo<CheckCase> &row) { return row.param.name; });

TEST(DataFileCheck, ShippedFilesAreSound)
{
    const std::filesystem::path shipped = VORN_SHIPPED_FILES;
    EXPECT_EQ(checkDataFile(Kind::Country, shipped / "country.asc"), Problem::None);
    EXPECT_EQ(checkDataFile(Kind::Bureau, shipped / "vorn.asc"), Problem::None);
}

// A user's file with rows beyond the table or odd bytes is still his data; a download is not.
TEST(DataFileCheck, WhatRulesOutDataAndWhatRefusesADownload)
{
    for (Problem problem :
         {Problem::None, Problem::NulBytes, Problem::HiddenByMark, Problem::TooManyRows})
        EXPECT_FALSE(rulesOutData(problem));
    for (Problem problem : {Problem::Empty, Problem::Markup, Problem::OneHugeLine,
                            Problem::LineTooLong, Problem::Utf16})
        EXPECT_TRUE(rulesOutData(problem));
    EXPECT_FALSE(refusedAsDownload(Problem::None));
    for (Problem problem :
         {Problem::Empty, Problem::Markup, Problem::OneHugeLine, Problem::LineTooLong,
          Problem::Utf16, Problem::NulBytes, Problem::HiddenByMark, Problem::TooManyRows})
        EXPECT_TRUE(refusedAsDownload(problem));
    EXPECT_EQ(std::error_code(Problem::Markup).message(), explain(Problem::Markup));
}

TEST(DataFileCheck, RowsWithoutBureauRecordInFileOrder)
{
    CountryTable countries;
    for (const char *line : {"x DL DL", "x QQ1 qq", "", "x K1", "x dz1 dl", "x ZZ ZZ"})
        countries.append(parseCountryLine(line));
    BureauTable bureaus;
    bureaus.append({"DL", "Germany", "DL", "DARC", true});
    bureaus.append({"QQ", "Nowhere", "QQ", "", false});

    const std::vector<RowWithoutBureau> rows = rowsWithoutBureau(countries, bureaus);
    ASSERT_EQ(rows.size(), 1u); // codes compare as the look-up compares them; no code, no row
    EXPECT_EQ(rows[0].line, 6u);
    EXPECT_EQ(rows[0].prefix, "ZZ");
    EXPECT_EQ(rows[0].entityCode, "ZZ");
}

} // namespace
