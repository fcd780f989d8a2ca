#include "data/TextLines.h"

namespace {
constexpr char Cr = '\r';
constexpr char Lf = '\n';
constexpr char EndOfText = '\x1a';
} // namespace

std::string trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

LineReader::Peek LineReader::peek(char &byte)
{
    if (m_failed)
        return Peek::Error;
    if (m_ended)
        return Peek::End;
    if (m_pos == m_size) {
        const std::ptrdiff_t n = m_source.read(m_buffer.data(), m_buffer.size());
        if (n < 0) {
            m_failed = true;
            return Peek::Error;
        }
        if (n == 0) {
            m_ended = true;
            return Peek::End;
        }
        m_pos = 0;
        m_size = static_cast<std::size_t>(n);
    }
    byte = m_buffer[m_pos];
    if (byte == EndOfText) {
        m_ended = true;
        return Peek::End;
    }
    return Peek::Byte;
}

LineReader::Status LineReader::next(std::string &line)
{
    line.clear();
    char byte = 0;
    switch (peek(byte)) {
    case Peek::Error:
        return Status::Error;
    case Peek::End:
        return Status::End;
    case Peek::Byte:
        break;
    }
    for (;;) {
        switch (peek(byte)) {
        case Peek::Error:
            line.clear();
            return Status::Error;
        case Peek::End:
            return Status::Line;
        case Peek::Byte:
            break;
        }
        ++m_pos;
        if (byte != Cr) {
            line.push_back(byte);
            continue;
        }
        // The LF of a CR LF pair belongs to the line end. A device error while looking for it
        // surfaces on the next call, after this complete line has been handed out.
        if (peek(byte) == Peek::Byte && byte == Lf)
            ++m_pos;
        return Status::Line;
    }
}
