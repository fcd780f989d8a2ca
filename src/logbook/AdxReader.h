#pragma once

#include "logbook/LogReader.h"

#include <QXmlStreamReader>
#include <string>
#include <vector>

// ADIF in its XML form: <ADX><HEADER>…</HEADER><RECORDS><RECORD><CALL>…</CALL>…</RECORD>…
// Application fields become APP_<program>_<name> and user-defined ones take their own name, as
// in ADIF text. XML that is not well-formed stops the read; the records before it are kept.
class AdxReader final : public LogFormatReader
{
public:
    explicit AdxReader(LogSink &sink) : m_sink(sink) {}

    void feed(std::string_view bytes) override;
    void finish() override;

private:
    enum class Place { Outside, Header, Records, Record };

    void parse();
    void startElement();
    void endElement();
    void stop(const QString &message);

    LogSink &m_sink;
    QXmlStreamReader m_xml;
    Place m_place = Place::Outside;
    bool m_inField = false;
    int m_nesting = 0; // elements inside a field
    std::string m_fieldName;
    QString m_fieldText;
    std::vector<std::string> m_names;  // of the entry being read
    std::vector<std::string> m_values; // the same, UTF-8
    bool m_stopped = false;
    bool m_headerOrRecordSeen = false;
};
