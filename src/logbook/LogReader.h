#pragma once

#include "logbook/LogFields.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// The forms of log that Vorn reads.
enum class LogFormat {
    Adif,     // ADIF text: <NAME:length>data fields, records ended by <EOR>
    Adx,      // ADIF as XML
    CallList, // calls separated by blanks, commas or line ends, as pasted from anywhere
};

// Tells the form of a log from its first bytes (a few kilobytes are plenty).
LogFormat detectLogFormat(std::string_view firstBytes);

// Reads one form of log from pieces of bytes of any size, handing each entry to a sink as
// soon as it is complete.
class LogFormatReader
{
public:
    virtual ~LogFormatReader() = default;

    // The next piece of the input.
    virtual void feed(std::string_view bytes) = 0;
    // The input has ended: what is still open is finished or counted as damaged.
    virtual void finish() = 0;

    // Records that were skipped because they were damaged.
    std::size_t damagedRecords() const { return m_damaged; }
    // Why the read could not go on (only a broken XML log stops it); empty when it could.
    const std::string &error() const { return m_error; }

protected:
    std::size_t m_damaged = 0;
    std::string m_error;
};

std::unique_ptr<LogFormatReader> makeLogReader(LogFormat format, LogSink &sink);
