#include "data/TextLines.h"

#include "TestFiles.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct TrimCase
{
    std::string text;
    std::string trimmed;
};

class TrimBlanksTest : public testing::TestWithParam<TrimCase>
{
};

TEST_P(TrimBlanksTest, RemovesOnlyOuterSpaces)
{
    EXPECT_EQ(trimBlanks(GetParam().text), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(Texts, TrimBlanksTest,
                         testing::Values(TrimCase{"", ""}, TrimCase{"   ", ""},
                                         TrimCase{"  K1  ", "K1"},
                                         TrimCase{"Sable Is. ", "Sable Is."},
                                         TrimCase{"a  b", "a  b"},
                                         TrimCase{"\tK\t", "\tK\t"}, // tabs are no blanks
                                         TrimCase{" \r", "\r"}));

struct LinesCase
{
    const char *name;
    std::string bytes;
    std::vector<std::string> lines;
};

std::vector<std::string> readAll(ByteSource &source)
{
    LineReader reader(source);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line) == LineReader::Status::Line)
        lines.push_back(line);
    return lines;
}

class LineReaderTest : public testing::TestWithParam<LinesCase>
{
};

TEST_P(LineReaderTest, SplitsLikeEveryVornTextFile)
{
    // One byte per read puts every CR LF pair across two reads.
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{4096}}) {
        TrickleSource source(GetParam().bytes, piece);
        EXPECT_EQ(readAll(source), GetParam().lines) << "pieces of " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, LineReaderTest,
    testing::Values(LinesCase{"Empty", "", {}}, LinesCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                    LinesCase{"CrOnly", "a\rb\r", {"a", "b"}},
                    LinesCase{"LoneLfStaysInLine", "a\nb\nc", {"a\nb\nc"}},
                    LinesCase{"LfCrIsLfThenLineEnd", "a\n\rb", {"a\n", "b"}},
                    LinesCase{"LastLineWithoutEnd", "a\r\nb", {"a", "b"}},
                    LinesCase{"BlankLinesCount", "a\r\n\r\n\r\nb\r\n", {"a", "", "", "b"}},
                    LinesCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}},
                    LinesCase{"CtrlZEndsFile", "a\r\nb\x1a\r\nc\r\n", {"a", "b"}},
                    LinesCase{"CtrlZAtLineStart",
                              "a\r\n\x1a"
                              "b",
                              {"a"}},
                    LinesCase{"CtrlZFirst",
                              "\x1a"
                              "a\r\n",
                              {}},
                    LinesCase{
                        "NulIsOrdinary", std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}}),
    [](const testing::TestParamInfo<LinesCase> &row) { return row.param.name; });

TEST(LineReaderFailure, KeepsCompleteLinesAndReportsTheError)
{
    FailingSource source("one\r\ntwo\r\nthr", 12);
    LineReader reader(source);
    std::string line;
    ASSERT_EQ(reader.next(line), LineReader::Status::Line);
    EXPECT_EQ(line, "one");
    ASSERT_EQ(reader.next(line), LineReader::Status::Line);
    EXPECT_EQ(line, "two");
    EXPECT_EQ(reader.next(line), LineReader::Status::Error);
    EXPECT_EQ(line, "") << "a line cut off by the error is not handed out";
    EXPECT_EQ(reader.next(line), LineReader::Status::Error) << "the error sticks";
}

TEST(LineReaderFailure, ErrorWhileTestingForTheEndIsAnError)
{
    FailingSource source("one\r\n", 5);
    LineReader reader(source);
    std::string line;
    ASSERT_EQ(reader.next(line), LineReader::Status::Line);
    EXPECT_EQ(reader.next(line), LineReader::Status::Error);
}

} // namespace
