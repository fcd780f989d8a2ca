#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Frames one HTTP/1.1 response as its bytes arrive in pieces of any size: the status line and
// header fields up to the empty line, then the body by its Content-Length, by chunked transfer
// coding, or up to the end of the connection. The body comes out decoded. The header and the
// body are bounded, so a hostile server cannot make the reader hold more than the limits.
class HttpResponseReader
{
public:
    enum class State {
        Header,   // the header is still incomplete
        Body,     // the header is complete and the body is arriving
        Complete, // the whole response has arrived
        Failed,   // not a valid response, incomplete at the end of the connection, or too large
    };

    struct Limits
    {
        std::size_t header = 16 * 1024;
        std::uint64_t body = 8 * 1024 * 1024;
    };

    explicit HttpResponseReader(Limits limits);
    HttpResponseReader() : HttpResponseReader(Limits{}) {}
    ~HttpResponseReader();
    HttpResponseReader(const HttpResponseReader &) = delete;
    HttpResponseReader &operator=(const HttpResponseReader &) = delete;

    // Takes received bytes and appends the decoded body bytes they complete to body. Bytes
    // after a complete response are not taken.
    State feed(std::string_view bytes, std::string &body);
    // The peer closed the connection: this completes a body that runs to the end of the
    // connection; any other response that is still open fails as incomplete.
    State finish(std::string &body);

    State state() const { return m_state; }
    bool headerComplete() const;
    // The status code once the header is complete, else 0.
    int status() const;
    bool statusOk() const { return status() >= 200 && status() <= 299; }
    // The body's length as the header gives it, if it does.
    std::optional<std::uint64_t> contentLength() const;
    // The status line's code and reason, e.g. "404 Not Found", for messages.
    std::string statusText() const;
    // The header exactly as received, from the status line to the empty line that ends it.
    const std::string &headerBytes() const { return m_header; }
    // What went wrong, in words, once the reader has failed.
    const std::string &error() const { return m_error; }

private:
    class Parser;

    State fail(std::string error);

    std::unique_ptr<Parser> m_parser;
    std::size_t m_headerLimit;
    bool m_headerAccepted = false; // complete and within the limit
    std::string m_pending;         // received bytes that the parser has not taken yet
    std::string m_header;
    std::string m_error;
    State m_state = State::Header;
};
