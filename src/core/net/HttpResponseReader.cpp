#include "core/net/HttpResponseReader.h"

#include <boost/beast/core/error.hpp>
#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>

namespace http = boost::beast::http;
using boost::beast::error_code;

// Beast's response parser with a body that goes straight to the caller's string.
class HttpResponseReader::Parser final : public http::basic_parser<false>
{
public:
    std::string *body = nullptr;
    int status = 0;
    std::string reason;

private:
    void on_request_impl(http::verb, boost::beast::string_view, boost::beast::string_view, int,
                         error_code &) override
    {}
    void on_response_impl(int code, boost::beast::string_view reasonPhrase, int,
                          error_code &) override
    {
        status = code;
        reason.assign(reasonPhrase.data(), reasonPhrase.size());
    }
    void on_field_impl(http::field, boost::beast::string_view, boost::beast::string_view,
                       error_code &) override
    {}
    void on_header_impl(error_code &) override {}
    void on_body_init_impl(const boost::optional<std::uint64_t> &, error_code &) override {}
    std::size_t on_body_impl(boost::beast::string_view piece, error_code &) override
    {
        body->append(piece.data(), piece.size());
        return piece.size();
    }
    void on_chunk_header_impl(std::uint64_t, boost::beast::string_view, error_code &) override {}
    std::size_t on_chunk_body_impl(std::uint64_t, boost::beast::string_view piece,
                                   error_code &) override
    {
        body->append(piece.data(), piece.size());
        return piece.size();
    }
    void on_finish_impl(error_code &) override {}
};

HttpResponseReader::HttpResponseReader(Limits limits)
    : m_parser(std::make_unique<Parser>()), m_headerLimit(limits.header)
{
    // The parser counts its limit from the status line or from the fields, depending on how
    // the bytes arrived; the reader keeps the limit on the whole header itself, and the
    // parser's own is only a backstop.
    m_parser->header_limit(static_cast<std::uint32_t>(2 * limits.header));
    m_parser->body_limit(limits.body);
}

HttpResponseReader::~HttpResponseReader() = default;

bool HttpResponseReader::headerComplete() const
{
    return m_headerAccepted;
}

int HttpResponseReader::status() const
{
    return headerComplete() ? m_parser->status : 0;
}

std::optional<std::uint64_t> HttpResponseReader::contentLength() const
{
    const boost::optional<std::uint64_t> length = m_parser->content_length();
    if (!headerComplete() || !length)
        return std::nullopt;
    return *length;
}

std::string HttpResponseReader::statusText() const
{
    if (!headerComplete())
        return {};
    std::string text = std::to_string(m_parser->status);
    if (!m_parser->reason.empty())
        text += ' ' + m_parser->reason;
    return text;
}

HttpResponseReader::State HttpResponseReader::fail(std::string error)
{
    m_state = State::Failed;
    m_error = std::move(error);
    m_pending.clear();
    return m_state;
}

HttpResponseReader::State HttpResponseReader::feed(std::string_view bytes, std::string &body)
{
    if (m_state == State::Complete || m_state == State::Failed)
        return m_state;
    m_pending.append(bytes);
    m_parser->body = &body;
    while (!m_pending.empty() && !m_parser->is_done()) {
        error_code error;
        const std::size_t taken =
            m_parser->put(boost::asio::const_buffer(m_pending.data(), m_pending.size()), error);
        if (m_state == State::Header) {
            // Until the header is complete, whatever the parser takes belongs to it.
            m_header.append(m_pending, 0, taken);
            if (m_parser->is_header_done() && m_header.size() > m_headerLimit)
                return fail("header limit exceeded");
            if (m_parser->is_header_done()) {
                m_headerAccepted = true;
                m_state = State::Body;
                // From here on each call goes as far into the body as the bytes allow.
                m_parser->eager(true);
            }
        }
        m_pending.erase(0, taken);
        if (error == http::error::need_more)
            break;
        if (error)
            return fail(error.message());
    }
    // Until the header is complete, every byte held belongs to it. In the body, what is held
    // is the start of a chunk's size line, which may carry extensions without end: it is bounded
    // like a header, so that neither memory nor the parser's work on it can grow.
    if (m_state == State::Header && m_header.size() + m_pending.size() > m_headerLimit)
        return fail("header limit exceeded");
    if (m_state == State::Body && !m_parser->is_done() && m_pending.size() > m_headerLimit)
        return fail("chunk header too long");
    if (m_parser->is_done())
        m_state = State::Complete;
    return m_state;
}

HttpResponseReader::State HttpResponseReader::finish(std::string &body)
{
    if (m_state == State::Complete || m_state == State::Failed)
        return m_state;
    if (!m_parser->got_some())
        return fail("the server closed the connection without an answer");
    m_parser->body = &body;
    error_code error;
    m_parser->put_eof(error);
    if (error)
        return fail(error.message());
    m_state = State::Complete;
    return m_state;
}
