#pragma once

#include "logbook/LogReader.h"

#include <string>
#include <vector>

// ADIF text as loggers really write it: field names in any case with an optional type
// (<call:6:s>), an optional header up to <EOH>, any line ends, and free text between fields.
// Data lengths count bytes, as the format says, or characters of UTF-8 text, as some loggers
// write them. A damaged record is skipped and counted; reading goes on with the next one.
class AdifReader final : public LogFormatReader
{
public:
    explicit AdifReader(LogSink &sink) : m_sink(sink) {}

    void feed(std::string_view bytes) override;
    void finish() override;

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
    void addField(std::size_t nameAt, std::size_t nameSize, std::size_t valueAt,
                  std::size_t valueSize);
    void endRecord();
    void endHeader();
    void markDamaged();
    void dropRecord();
    void emit(bool asHeader);
    void compact();

    LogSink &m_sink;
    std::string m_buffer;
    std::size_t m_pos = 0;
    std::vector<FieldSpan> m_fields; // of the entry being read, as offsets into m_buffer
    std::vector<LogFieldView> m_views;
    bool m_recordDamaged = false;
    bool m_recordSeen = false; // once a record has ended, <EOH> can no longer end a header
    bool m_finished = false;
};
