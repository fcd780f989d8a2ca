// A server's answer in pieces of any size: framing, then the header cut off what is stored.

#include "FuzzInput.h"
#include "core/net/Download.h"
#include "core/net/HttpResponseReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t piece = 1;
    const std::string_view bytes = takePieceSize(data, size, piece);
    HttpResponseReader reader(HttpResponseReader::Limits{4096, 65536});
    std::string body;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        reader.feed(bytes.substr(at, piece), body);
    reader.finish(body);

    HttpResponseReader whole(HttpResponseReader::Limits{4096, 65536});
    std::string wholeBody;
    whole.feed(bytes, wholeBody);
    whole.finish(wholeBody);
    // The pieces never change the outcome, and never hand on more than was received.
    FUZZ_CHECK(whole.state() == reader.state());
    FUZZ_CHECK(wholeBody == body);
    FUZZ_CHECK(reader.headerBytes().size() + body.size() <= bytes.size());
    FUZZ_CHECK(bytes.starts_with(reader.headerBytes()));
    if (reader.state() != HttpResponseReader::State::Complete)
        return 0;

    // What a download stores: the header as received and the decoded body, with the header cut
    // off again.
    const std::string received = reader.headerBytes() + body;
    PieceSource source(received, piece);
    std::string stored;
    FUZZ_CHECK(stripHttpHeader(source, [&stored](std::string_view line) {
        stored += line;
        return true;
    }));
    // Every line is written with CR LF, and a CR never stands alone.
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\r')
            FUZZ_CHECK(i + 1 < stored.size() && stored[i + 1] == '\n');
        FUZZ_CHECK(stored[i] != '\x1a');
    }
    FUZZ_CHECK(stored.empty() || stored.ends_with("\r\n"));
    return 0;
}
