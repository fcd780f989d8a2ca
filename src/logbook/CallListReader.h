#pragma once

#include "logbook/LogReader.h"

#include <string>

// A plain list of calls separated by blanks, tabs, commas, semicolons or line ends. Each call
// is one QSO with a CALL field.
class CallListReader final : public LogFormatReader
{
public:
    explicit CallListReader(LogSink &sink) : m_sink(sink) {}

    void feed(std::string_view bytes) override;
    void finish() override;

private:
    void emitCall();

    LogSink &m_sink;
    std::string m_call; // the call being read, possibly cut by the end of a piece
};
