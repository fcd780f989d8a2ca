#include "core/text/TextLines.h"

#include "support/TestFiles.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct TrimCase
{
    std::string text;
    std::string trimmed;
};

// The text as GoogleTest prints strings, quoted and with control characters escaped.
void PrintTo(const TrimCase &row, std::ostream *out)
{
    *out << testing::PrintToString(row.text);
}

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

void PrintTo(const LinesCase &row, std::ostream *out)
{
    *out << row.name;
}

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
                        "NulIsOrdinary", std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
                    LinesCase{"LongLineCutAtTheBound",
                              std::string(LineReader::MaxLineLength + 5000, 'a') + "\r\nb",
                              {std::string(LineReader::MaxLineLength, 'a'), "b"}}),
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

// A line of size bytes without a line end, made up while it is read, then "\r\nK".
class EndlessLineSource final : public ByteSource
{
public:
    explicit EndlessLineSource(std::size_t size) : m_left(size) {}
    std::ptrdiff_t read(char *buffer, std::size_t size) override
    {
        if (m_left == 0) {
            const std::string_view tail = m_tail;
            m_tail = "";
            tail.copy(buffer, std::min(size, tail.size()));
            return static_cast<std::ptrdiff_t>(std::min(size, tail.size()));
        }
        const std::size_t n = std::min(size, m_left);
        std::fill_n(buffer, n, 'x');
        m_left -= n;
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    std::size_t m_left;
    const char *m_tail = "\r\nK";
};

TEST(LineReaderBound, EndlessLineKeepsMemoryBounded)
{
    // Reading /dev/zero once ended in std::bad_alloc; what is kept must not grow with the line.
    constexpr std::size_t Size = std::size_t{256} << 20;
    EndlessLineSource source(Size);
    LineReader reader(source);
    std::string line;
    ASSERT_EQ(reader.next(line), LineReader::Status::Line);
    EXPECT_EQ(line.size(), LineReader::MaxLineLength);
    EXPECT_LT(line.capacity(), 2 * LineReader::MaxLineLength);
    EXPECT_EQ(reader.lineLength(), Size);
    ASSERT_EQ(reader.next(line), LineReader::Status::Line);
    EXPECT_EQ(line, "K");
    EXPECT_EQ(reader.lineLength(), 1u);
}

} // namespace
