#pragma once

#include "logbook/LogFields.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Every field of every entry of a log, kept compactly so that the log can be written back:
// the names and data of all fields in one text, and their sizes beside it.
class LogRecords final : public LogSink
{
public:
    void header(LogFields fields) override;
    void record(LogFields fields) override;

    std::size_t size() const { return m_records.size(); }
    bool hasHeader() const { return m_hasHeader; }
    std::vector<LogFieldView> headerFields() const { return fieldsOf(m_header); }
    // The fields of one entry, as read; valid until the next entry is added.
    std::vector<LogFieldView> fields(std::size_t entry) const { return fieldsOf(m_records[entry]); }

private:
    struct Span
    {
        std::size_t textAt;
        std::size_t firstField;
        std::size_t fieldCount;
    };
    struct Sizes
    {
        std::uint32_t name;
        std::uint32_t value;
    };

    Span store(LogFields fields);
    std::vector<LogFieldView> fieldsOf(const Span &span) const;

    std::string m_text;
    std::vector<Sizes> m_sizes;
    std::vector<Span> m_records;
    Span m_header{0, 0, 0};
    bool m_hasHeader = false;
};
