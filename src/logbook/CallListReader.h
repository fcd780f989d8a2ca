#pragma once

#include "logbook/LogReader.h"

#include <string>

// A plain list of calls separated by blanks, tabs, commas, semicolons or line ends. Each call
// is one QSO with a CALL field; a word longer than any call is a damaged record.
class CallListReader final : public LogFormatReader
{
public:
    CallListReader(LogSink &sink, const LogLimits &limits) : m_sink(sink), m_limits(limits) {}

    void feed(std::string_view bytes) override;
    void finish() override;
    std::size_t heldBytes() const override { return m_call.size(); }

    // What stands between two calls of a list: blanks, tabs, commas, semicolons and line ends.
    static bool separates(char c)
    {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';' ||
               c == '\f' || c == '\v';
    }

private:
    void emitCall();

    LogSink &m_sink;
    LogLimits m_limits;
    std::string m_call;     // the call being read, possibly cut by the end of a piece
    bool m_tooLong = false; // the word being read is past the bound: it is skipped
};
