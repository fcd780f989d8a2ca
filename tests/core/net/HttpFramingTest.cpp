#include "core/net/Download.h"
#include "core/net/HttpResponseReader.h"
#include "support/TestFiles.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

using State = HttpResponseReader::State;

struct FramingCase
{
    const char *name;
    std::string response;
    bool peerCloses; // the connection ends after the bytes
    State state;
    int status;
    std::string body;
};

void PrintTo(const FramingCase &row, std::ostream *out)
{
    *out << row.name;
}

} // namespace

void PrintTo(HttpResponseReader::State state, std::ostream *out)
{
    constexpr const char *Names[] = {"Header", "Body", "Complete", "Failed"};
    *out << Names[static_cast<int>(state)];
}

namespace {

const std::string Ok = "HTTP/1.1 200 OK\r\n";

// Every answer is fed whole, byte by byte and in pieces of seven, and must frame the same.
class HttpFramingTest : public testing::TestWithParam<FramingCase>
{
};

TEST_P(HttpFramingTest, FramesTheSameInAnyPieces)
{
    const FramingCase &row = GetParam();
    // 20 bytes take the status line whole but not the header.
    for (const std::size_t piece :
         {row.response.size() + 1, std::size_t(1), std::size_t(7), std::size_t(20)}) {
        HttpResponseReader reader;
        std::string body;
        for (std::size_t at = 0; at < row.response.size(); at += piece)
            reader.feed(std::string_view(row.response).substr(at, piece), body);
        if (row.peerCloses)
            reader.finish(body);
        SCOPED_TRACE("pieces of " + std::to_string(piece));
        EXPECT_EQ(reader.state(), row.state) << reader.error();
        EXPECT_EQ(reader.status(), row.status);
        EXPECT_EQ(body, row.body);
        // The header is kept as received, however it arrived.
        EXPECT_TRUE(row.response.starts_with(reader.headerBytes()));
        if (reader.headerComplete()) {
            EXPECT_TRUE(reader.headerBytes().ends_with("\r\n\r\n"));
        }
        EXPECT_LE(reader.headerBytes().size() + body.size(), row.response.size());
    }
}

const std::string Big = std::string(100000, 'x');

// clang-format off
INSTANTIATE_TEST_SUITE_P(Answers, HttpFramingTest, testing::Values(
    FramingCase{"ContentLength", Ok + "Content-Length: 4\r\n\r\nA\r\nB", false, State::Complete, 200, "A\r\nB"},
    FramingCase{"KeepAliveIgnoresWhatFollows", Ok + "Content-Length: 3\r\n\r\nabcHTTP/1.1" + Big, false, State::Complete, 200, "abc"},
    FramingCase{"Chunked", Ok + "Transfer-Encoding: chunked\r\n\r\n3\r\nA\r\n\r\n2\r\nB\n\r\n0\r\n\r\n", false, State::Complete, 200, "A\r\nB\n"},
    FramingCase{"ToTheEndOfTheConnection", Ok + "\r\nA\r\n\r\nB", true, State::Complete, 200, "A\r\n\r\nB"},
    FramingCase{"NotFoundIsFramedAsWell", "HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno", false, State::Complete, 404, "no"},
    FramingCase{"ShortBody", Ok + "Content-Length: 10\r\n\r\nshort", true, State::Failed, 200, "short"},
    FramingCase{"ChunkedWithoutLastChunk", Ok + "Transfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n", true, State::Failed, 200, "abc"},
    FramingCase{"NoEmptyLine", Ok + "Content-Length: 3\r\nabc", true, State::Failed, 0, ""},
    FramingCase{"NothingAtAll", "", true, State::Failed, 0, ""},
    FramingCase{"NotHttp", "<html>portal</html>\r\n\r\n", false, State::Failed, 0, ""},
    FramingCase{"ChunkSizeOverflows", Ok + "Transfer-Encoding: chunked\r\n\r\n1ffffffffffffffff\r\nx", false, State::Failed, 200, ""},
    FramingCase{"BodyOverTheLimit", Ok + "Content-Length: 99999999999\r\n\r\n", false, State::Failed, 200, ""},
    FramingCase{"EndlessHeader", Ok + "X: " + Big, false, State::Failed, 0, ""},
    // Found by fuzzing: the limit holds for the whole header, however it arrives.
    FramingCase{"EndlessChunkExtension", Ok + "Transfer-Encoding: chunked\r\n\r\n3;x=" + Big, false, State::Failed, 200, ""},
    FramingCase{"HeaderJustOverTheLimit", Ok + "X: " + std::string(16370, 'a') + "\r\n\r\nbody", true, State::Failed, 0, ""},
    // A header of 16 KiB from the status line to the empty line is taken, one byte more is not.
    FramingCase{"HeaderAtTheLimit", Ok + "X: " + std::string(16360, 'a') + "\r\n\r\nbody", true, State::Complete, 200, "body"},
    FramingCase{"HeaderOneByteOverTheLimit", Ok + "X: " + std::string(16361, 'a') + "\r\n\r\nbody", true, State::Failed, 0, ""}
), [](const testing::TestParamInfo<FramingCase> &row) { return std::string(row.param.name); });
// clang-format on

TEST(HttpFramingTest, KeepsTheHeaderAsReceived)
{
    HttpResponseReader reader;
    std::string body;
    const std::string header = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nServer: test\r\n\r\n";
    reader.feed(header + "ab", body);
    EXPECT_EQ(reader.headerBytes(), header);
    EXPECT_EQ(reader.statusText(), "200 OK");
}

struct StripCase
{
    std::string received;
    bool stripped;
    std::string stored;
};

std::string readAll(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(StripHttpHeaderTest, KeepsTheBodyInCrLfLines)
{
    const std::string header = "HTTP/1.1 200 OK\r\nServer: x\r\n\r\n";
    const StripCase cases[] = {
        {header + "A\r\nB\r\n", true, "A\r\nB\r\n"},
        {header + "A\r\n\r\nB", true, "A\r\n\r\nB\r\n"}, // empty lines kept, last line ended
        {header + "A\nB\r\n", true, "A\nB\r\n"},         // a lone LF is part of the line
        {header + "A\r\n\x1a"
                  "B\r\n",
         true, "A\r\n"}, // Ctrl-Z ends the file
        {header, true, ""},
        {"HTTP/1.1 200 OK\r\nno end", false, ""}, // no header: not a download
    };
    for (const StripCase &c : cases) {
        TempDir dir;
        const auto received = dir.write("country.asc.part", c.received);
        FileReplacement stripped(dir.path() / "country.asc", {"vorn_file"});
        EXPECT_EQ(stripHttpHeader(received, stripped), c.stripped) << c.received;
        if (c.stripped) {
            EXPECT_EQ(readAll(stripped.workFile()), c.stored) << c.received;
            ASSERT_FALSE(stripped.commit());
            EXPECT_EQ(readAll(dir.path() / "country.asc"), c.stored) << c.received;
        }
    }
}

} // namespace
