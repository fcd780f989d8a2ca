#pragma once

#include <span>
#include <string>
#include <string_view>

// One field of a log entry as read: its name in capitals and its data as the file held them.
struct LogFieldView
{
    std::string_view name;
    std::string_view value;
};

using LogFields = std::span<const LogFieldView>;

// Receives what a log reader finds, in file order. The views are valid during the call only.
class LogSink
{
public:
    virtual ~LogSink() = default;
    // The fields of the file's header (ADIF and ADX only); at most once, before any record.
    virtual void header(LogFields fields) { (void)fields; }
    // One QSO.
    virtual void record(LogFields fields) = 0;
};

// The names of the fields that sorting reads; every other field is only carried along.
namespace LogField {
inline constexpr std::string_view Call = "CALL";
inline constexpr std::string_view QslVia = "QSL_VIA";
inline constexpr std::string_view QslSent = "QSL_SENT";
inline constexpr std::string_view QslSentVia = "QSL_SENT_VIA";
inline constexpr std::string_view QslSentDate = "QSLSDATE";
inline constexpr std::string_view QsoDate = "QSO_DATE";
inline constexpr std::string_view TimeOn = "TIME_ON";
inline constexpr std::string_view Band = "BAND";
inline constexpr std::string_view Mode = "MODE";
inline constexpr std::string_view Submode = "SUBMODE";
inline constexpr std::string_view RstSent = "RST_SENT";
inline constexpr std::string_view QslRcvd = "QSL_RCVD";
} // namespace LogField

// The data of the first field of that name, empty when the entry has none.
std::string_view fieldValue(LogFields fields, std::string_view name);

// The field's data without blanks, tabs and line ends at either end.
std::string_view trimmed(std::string_view value);
// The first character of the trimmed data in capitals, as fields of one letter (QSL_SENT,
// QSL_SENT_VIA, QSL_RCVD) are read; a blank when the data are empty.
char firstLetter(std::string_view value);

// A value from a log as messages quote it: at most 40 characters on one line, elided with
// "..." after that, so that a status line or a message box stays the size of a sentence
// whatever the log holds. Line ends and other control characters become blanks.
std::string logExcerpt(std::string_view value);
