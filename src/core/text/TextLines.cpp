#include "core/text/TextLines.h"

#include <algorithm>

namespace {
constexpr char Cr = '\r';
constexpr char Lf = '\n';
constexpr char EndOfText = '\x1a';
} // namespace

std::string_view withoutBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string trimBlanks(std::string_view text)
{
    return std::string(withoutBlanks(text));
}

bool LineReader::fill()
{
    if (m_failed || m_ended)
        return false;
    if (m_pos < m_size)
        return true;
    const std::ptrdiff_t n = m_source.read(m_buffer.data(), m_buffer.size());
    if (n <= 0) {
        (n < 0 ? m_failed : m_ended) = true;
        return false;
    }
    m_pos = 0;
    m_size = static_cast<std::size_t>(n);
    return true;
}

LineReader::Status LineReader::next(std::string &line)
{
    line.clear();
    m_lineLength = 0;
    if (!fill())
        return m_failed ? Status::Error : Status::End;
    if (m_buffer[m_pos] == EndOfText) {
        m_ended = true;
        m_atEndMark = true;
        return Status::End;
    }
    for (;;) {
        if (!fill()) {
            if (!m_failed)
                return Status::Line;
            line.clear();
            return Status::Error;
        }
        const char *const begin = m_buffer.data() + m_pos;
        const char *const end = m_buffer.data() + m_size;
        const char *stop = begin;
        while (stop != end && *stop != Cr && *stop != EndOfText && (*stop != Lf || !m_lfEndsLine))
            ++stop;
        const auto length = static_cast<std::size_t>(stop - begin);
        line.append(begin, std::min(length, MaxLineLength - line.size()));
        m_lineLength += length;
        m_pos += length;
        if (stop == end)
            continue;
        if (*stop == EndOfText) {
            m_ended = true;
            m_atEndMark = true;
            return Status::Line;
        }
        ++m_pos;
        if (*stop == Lf)
            return Status::Line;
        // The LF of a CR LF pair belongs to the line end. A device error while looking for it
        // surfaces on the next call, after this complete line has been handed out.
        if (fill() && m_buffer[m_pos] == Lf)
            ++m_pos;
        return Status::Line;
    }
}

bool LineReader::textAfterEndMark()
{
    if (!m_atEndMark)
        return false;
    m_atEndMark = false;
    ++m_pos; // past the mark
    for (;;) {
        for (; m_pos < m_size; ++m_pos) {
            const char c = m_buffer[m_pos];
            if (c != Cr && c != Lf && c != EndOfText)
                return true;
        }
        const std::ptrdiff_t n = m_source.read(m_buffer.data(), m_buffer.size());
        if (n <= 0)
            return false;
        m_pos = 0;
        m_size = static_cast<std::size_t>(n);
    }
}
