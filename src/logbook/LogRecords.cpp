#include "logbook/LogRecords.h"

void LogRecords::header(LogFields fields)
{
    m_header = store(fields);
    m_hasHeader = true;
}

void LogRecords::record(LogFields fields)
{
    m_records.push_back(store(fields));
}

LogRecords::Span LogRecords::store(LogFields fields)
{
    const Span span{m_text.size(), m_sizes.size(), fields.size()};
    for (const LogFieldView &field : fields) {
        m_text += field.name;
        m_text += field.value;
        m_sizes.push_back({static_cast<std::uint32_t>(field.name.size()),
                           static_cast<std::uint32_t>(field.value.size())});
    }
    return span;
}

std::vector<LogFieldView> LogRecords::fieldsOf(const Span &span) const
{
    std::vector<LogFieldView> fields;
    fields.reserve(span.fieldCount);
    std::size_t at = span.textAt;
    const std::string_view text(m_text);
    for (std::size_t i = 0; i < span.fieldCount; ++i) {
        const Sizes &sizes = m_sizes[span.firstField + i];
        fields.push_back({text.substr(at, sizes.name), text.substr(at + sizes.name, sizes.value)});
        at += sizes.name + sizes.value;
    }
    return fields;
}
