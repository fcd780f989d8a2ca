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
    NotALog,  // anything else: a picture, a spreadsheet, a page, an empty file
};

// Tells the form of a log from its first bytes (a few kilobytes are plenty).
LogFormat detectLogFormat(std::string_view firstBytes);
// Why the first bytes are not a log, as the end of a sentence ("it holds binary data, not
// text"); empty when they are one.
std::string_view whyNotALog(std::string_view firstBytes);

// How large the parts of a log may be. Each is far beyond what a logger writes; anything larger
// is a damaged record, so that a reader's memory stays small and its time linear whatever the
// input holds.
struct LogLimits
{
    std::size_t fieldBytes = 1024 * 1024;      // the data of one field
    std::size_t recordBytes = 4 * 1024 * 1024; // the names and data of one record
    std::size_t recordFields = 1000;           // the fields of one record
    std::size_t attributes = 64;               // the attributes of one ADX element
    std::size_t nesting = 16;                  // ADX elements inside one another
    std::size_t wordBytes = 64;                // one word of a list of calls
};

// Reads one form of log from pieces of bytes of any size, handing each entry to a sink as
// soon as it is complete. The pieces never change what is read.
class LogFormatReader
{
public:
    virtual ~LogFormatReader() = default;

    // The next piece of the input.
    virtual void feed(std::string_view bytes) = 0;
    // The input has ended: what is still open is finished or counted as damaged.
    virtual void finish() = 0;
    // The bytes the reader holds between pieces: bounded by its limits, not by the input.
    virtual std::size_t heldBytes() const = 0;

    // Records that were skipped because they were damaged.
    std::size_t damagedRecords() const { return m_damaged; }
    // Why the read could not go on (only a broken XML log stops it); empty when it could.
    const std::string &error() const { return m_error; }
    // Why the input is not a log of this form after all (XML that is not ADX, an encoding
    // that is not read); empty while it may be one. Nothing more is read then.
    const std::string &refusal() const { return m_refusal; }

protected:
    // Hands a finished record to the sink, or counts it as damaged when its call cannot be one.
    void deliver(LogSink &sink, LogFields fields);

    std::size_t m_damaged = 0;
    std::string m_error;
    std::string m_refusal;
};

std::unique_ptr<LogFormatReader> makeLogReader(LogFormat format, LogSink &sink,
                                               const LogLimits &limits = {});

// Whether the data of a CALL field can be a call at all: no blanks inside, no angle brackets or
// control characters, not longer than any call. An empty field is "without a call", not this.
bool canBeCall(std::string_view value);
