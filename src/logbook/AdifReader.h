#pragma once

#include "logbook/LogReader.h"

#include <string>
#include <vector>

// ADIF text as loggers really write it: field names in any case with an optional type
// (<call:6:s>), an optional header up to <EOH>, any line ends, and free text between fields.
// Data lengths count bytes, as the format says, or characters of UTF-8 text, as some loggers
// write them. A damaged record is skipped and counted; reading goes on with the next one.
// Every byte is looked at a bounded number of times, and the reader holds at most one record
// and one field's data beyond it.
class AdifReader final : public LogFormatReader
{
public:
    AdifReader(LogSink &sink, const LogLimits &limits) : m_sink(sink), m_limits(limits) {}

    void feed(std::string_view bytes) override;
    void finish() override;
    std::size_t heldBytes() const override;

private:
    struct FieldSpan
    {
        std::size_t nameAt;
        std::size_t nameSize;
        std::size_t valueAt;
        std::size_t valueSize;
    };
    enum class Step { Parsed, NeedMore };

    void parse(bool atEnd);
    Step parseTag(std::size_t open, bool atEnd);
    void noteLeadingText(std::size_t end);
    void addField(std::size_t nameAt, std::size_t nameSize, std::size_t valueAt,
                  std::size_t valueSize);
    void checkRecordSpan(std::size_t end);
    void endRecord();
    void endHeader();
    void markDamaged();
    void dropRecord();
    void emit(bool asHeader);
    void compact();

    LogSink &m_sink;
    LogLimits m_limits;
    std::string m_buffer;
    std::size_t m_pos = 0;
    std::vector<FieldSpan> m_fields; // of the entry being read, as offsets into m_buffer
    std::vector<LogFieldView> m_views;
    std::size_t m_skip = 0; // data of a field too long to keep, still to be passed over
    bool m_hasCall = false;
    bool m_recordDamaged = false;
    bool m_recordSeen = false; // once a record has ended, <EOH> can no longer end a header
    // The file began with text, so what comes before <EOH> is a header: free text in which a
    // broken tag is only text.
    bool m_startKnown = false;
    bool m_inHeaderText = false;
    bool m_finished = false;
};
