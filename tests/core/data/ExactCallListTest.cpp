#include "core/data/ExactCallList.h"

#include "core/data/DataFileCheck.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

using Problem = DataFileProblem;
using namespace std::string_literals;

const std::string Sound = "263 SV2ASP/A SV/a\r\n291 4U1WB K\r\n13 KC4AAA CE9\r\n";

// A file of exactly size bytes of sound lines: padding in the first token.
std::string fileOfSize(std::size_t size)
{
    std::string text;
    for (std::size_t i = 0; text.size() + 40 <= size; ++i)
        text += "1 Q" + std::to_string(i) + "ZZ E\r\n";
    text.insert(0, size - text.size(), '9');
    return text;
}

struct LoadCase
{
    const char *name;
    std::string bytes;
    std::error_code error; // empty when the list loads
    std::size_t line = 0;
    std::size_t count = 0;
};

void PrintTo(const LoadCase &row, std::ostream *out)
{
    *out << row.name;
}

class ExactCallListLoad : public testing::TestWithParam<LoadCase>
{
};

// Taken whole or not at all: a refused file leaves the list empty, even after a sound one.
TEST_P(ExactCallListLoad, TakesASoundFileWholeAndRefusesAnyOther)
{
    const LoadCase &row = GetParam();
    ExactCallList list;
    MemorySource sound(Sound);
    ASSERT_TRUE(loadExactCallList(list, sound));
    MemorySource source(row.bytes);
    const CallListLoad load = loadExactCallList(list, source);
    EXPECT_EQ(load.error, row.error) << load.reason();
    EXPECT_EQ(load.line, row.line);
    EXPECT_EQ(list.count(), row.count);
    if (row.error) {
        EXPECT_EQ(list.entityOf("SV2ASP/A*"), "");
    }
}

const auto bad = make_error_code(Problem::BadLine);

INSTANTIATE_TEST_SUITE_P(
    Files, ExactCallListLoad,
    testing::Values(
        LoadCase{"Sound", Sound, {}, 0, 3},
        LoadCase{"LastLineWithoutLineEnd", "1 G8ERJ K\r\n2 KP3RK K", {}, 0, 2},
        LoadCase{"BlanksAroundTokens", "  1   G8ERJ  K  \r\n", {}, 0, 1},
        LoadCase{"EndMarkAtTheEnd", Sound + "\x1a", {}, 0, 3},
        LoadCase{"CallOf15", "1 DL1ABCDEFGHIJKL DL\r\n", {}, 0, 1},
        LoadCase{"CallOf16", "1 DL1ABCDEFGHIJKLM DL\r\n", bad, 1},
        LoadCase{"CodeOf6", "1 DL1ABC ABCDEF\r\n", {}, 0, 1},
        LoadCase{"CodeOf7", "1 DL1ABC ABCDEFG\r\n", bad, 1},
        LoadCase{"TwoTokens", Sound + "DL1ABC DL\r\n", bad, 4},
        LoadCase{"FourTokens", "1 DL1ABC DL x\r\n", bad, 1},
        LoadCase{"MarkerInCall", "1 DL1ABC* DL\r\n", bad, 1},
        LoadCase{"EmptyLine", "1 G8ERJ K\r\n\r\n2 KP3RK K\r\n", bad, 2},
        LoadCase{"NotAscii",
                 "1 G8ERJ K\r\n2 W\xd8"
                 "ABC K\r\n",
                 bad, 2},
        LoadCase{"CallTwice", "1 G8ERJ K\r\n2 KP3RK K\r\n3 g8erj F\r\n", bad, 3},
        LoadCase{"OneLfLine",
                 "1 G8ERJ K\r\n2 KP3RK K\n3 KH0CW K\r\n4 4U1WB K\r\n5 W1AW K\r\n" + Sound, bad, 2},
        LoadCase{"LfLineEnds", "1 G8ERJ K\n2 KP3RK K\n3 KH0CW K\n",
                 make_error_code(Problem::OneHugeLine)},
        LoadCase{"NulBytes", "1 G8ERJ K\r\n2 KP3\0RK K\r\n3 KH0CW K\r\n4 4U1WB K\r\n"s,
                 make_error_code(Problem::NulBytes)},
        LoadCase{"Page", "<!DOCTYPE html>\r\n<html><body>Log in</body></html>\r\n",
                 make_error_code(Problem::Markup)},
        LoadCase{"TextAfterEndMark",
                 "1 G8ERJ K\r\n\x1a"
                 "2 KP3RK K\r\n",
                 make_error_code(Problem::HiddenByMark)},
        LoadCase{"Empty", "", make_error_code(Problem::Empty)},
        LoadCase{"AtTheSizeBound", fileOfSize(ExactCallList::MaxFileBytes), {}, 0, 147215},
        LoadCase{"PastTheSizeBound", fileOfSize(ExactCallList::MaxFileBytes + 1),
                 make_error_code(Problem::TooLarge)}),
    [](const testing::TestParamInfo<LoadCase> &row) { return row.param.name; });

TEST(ExactCallList, AsksByTheWholeCallWithItsMarkerInAnyLetterCase)
{
    ExactCallList list;
    MemorySource source(Sound);
    ASSERT_TRUE(loadExactCallList(list, source));
    EXPECT_EQ(list.entityOf("SV2ASP/A*"), "SV/a");
    EXPECT_EQ(list.entityOf("sv2asp/a*"), "SV/a");
    EXPECT_EQ(list.entityOf("4U1WB*"), "K");
    EXPECT_EQ(list.entityOf("4U1WB"), "");      // no marker: the typed text goes on
    EXPECT_EQ(list.entityOf("4U1WBX*"), "");    // a longer call
    EXPECT_EQ(list.entityOf("4U1W*"), "");      // a shorter one
    EXPECT_EQ(list.entityOf("SV2ASP/A*X"), ""); // longer than any key of 16
    EXPECT_EQ(ExactCallList().entityOf("4U1WB*"), "");
}

// The smallest lists, whose index has the fewest buckets.
TEST(ExactCallList, FindsTheCallsOfTheSmallestLists)
{
    for (const std::string_view file : {"1 G8ERJ K\r\n", "1 G8ERJ K\r\n2 KP3RK K\r\n",
                                        "1 G8ERJ K\r\n2 KP3RK K\r\n3 W1AW K\r\n"}) {
        ExactCallList list;
        MemorySource source(file);
        ASSERT_TRUE(loadExactCallList(list, source));
        EXPECT_EQ(list.entityOf("G8ERJ*"), "K") << file;
        EXPECT_EQ(list.entityOf("G8ERK*"), "") << file;
    }
}

// The index against a plain map, on random lists of calls that share their beginnings and
// random keys, half of them listed.
TEST(ExactCallList, FindsWhatAPlainMapFinds)
{
    std::mt19937 random(7);
    const std::string letters = "AB01/";
    for (int round = 0; round < 20; ++round) {
        std::map<std::string, std::string> calls;
        std::string file;
        const std::size_t size = random() % 3000;
        while (calls.size() < size) {
            std::string call(1 + random() % 15, 'A');
            for (char &c : call)
                c = letters[random() % letters.size()];
            const std::string code = "E" + std::to_string(random() % 400);
            if (calls.emplace(call, code).second)
                file += "1 " + call + " " + code + "\r\n";
        }
        ExactCallList list;
        MemorySource source(file);
        ASSERT_EQ(loadExactCallList(list, source).error, std::error_code()) << "round " << round;
        ASSERT_EQ(list.count(), calls.size());
        for (const auto &[call, code] : calls)
            ASSERT_EQ(list.entityOf(call + "*"), code) << call;
        for (int i = 0; i < 2000; ++i) {
            std::string call(1 + random() % 15, 'A');
            for (char &c : call)
                c = letters[random() % letters.size()];
            const auto listed = calls.find(call);
            ASSERT_EQ(list.entityOf(call + "*"), listed == calls.end() ? "" : listed->second)
                << call;
        }
    }
}

TEST(ExactCallList, AMissingFileIsNoFault)
{
    TempDir dir;
    ExactCallList list;
    const CallListLoad load = loadExactCallList(list, dir.path() / "calls.asc");
    EXPECT_TRUE(load.missing());
    EXPECT_EQ(describeExactCallList(load, list.count()), "exact calls: none (no calls.asc)");
    const CallListLoad loaded = loadExactCallList(list, dir.write("calls.asc", Sound));
    EXPECT_EQ(describeExactCallList(loaded, list.count()), "exact calls: 3 (calls.asc)");
    const CallListLoad refused =
        loadExactCallList(list, dir.write("calls.asc", "1 G8ERJ K\r\nG8ERJ\r\n"));
    EXPECT_EQ(describeExactCallList(refused, list.count()),
              "exact calls: none (calls.asc not used)");
    EXPECT_EQ(describeExactCallList(refused, list.count(), true),
              "exact calls: none (calls.asc not used: line 2 is not a call and an entity code, "
              "or a call listed before)");
}

} // namespace
