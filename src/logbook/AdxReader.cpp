#include "logbook/AdxReader.h"

#include "core/text/Ascii.h"

namespace {

std::string upperName(QStringView name)
{
    return Ascii::upperText(name.toUtf8().toStdString());
}

// The name an ADX field has in ADIF text.
std::string adifName(const std::string &element, const QXmlStreamAttributes &attributes,
                     bool inHeader)
{
    if (element == "APP")
        return "APP_" + upperName(attributes.value(QLatin1String("PROGRAMID"))) + '_' +
               upperName(attributes.value(QLatin1String("FIELDNAME")));
    if (element == "USERDEF")
        return inHeader ? "USERDEF" + upperName(attributes.value(QLatin1String("FIELDID")))
                        : upperName(attributes.value(QLatin1String("FIELDNAME")));
    return element;
}

} // namespace

void AdxReader::feed(std::string_view bytes)
{
    if (m_stopped)
        return;
    m_xml.addData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    parse();
}

void AdxReader::finish()
{
    if (m_stopped)
        return;
    parse();
    m_stopped = true;
    // A log cut off in the middle: the record that was being read is lost, the others stay.
    if (m_place == Place::Record)
        ++m_damaged;
}

void AdxReader::parse()
{
    while (!m_stopped && !m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::StartElement:
            startElement();
            break;
        case QXmlStreamReader::EndElement:
            endElement();
            break;
        case QXmlStreamReader::Characters:
            if (m_inField)
                m_fieldText += m_xml.text();
            break;
        default:
            break;
        }
    }
    if (m_xml.hasError() && m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        stop(m_xml.errorString());
}

void AdxReader::startElement()
{
    const std::string name = upperName(m_xml.name());
    if (m_inField) {
        ++m_nesting; // ADX fields hold text only; anything inside is read as text
        return;
    }
    switch (m_place) {
    case Place::Outside:
        if (name == "HEADER") {
            m_place = Place::Header;
            m_names.clear();
            m_values.clear();
        } else if (name == "RECORDS")
            m_place = Place::Records;
        break;
    case Place::Records:
        if (name == "RECORD") {
            m_place = Place::Record;
            m_names.clear();
            m_values.clear();
        }
        break;
    case Place::Header:
    case Place::Record:
        m_inField = true;
        m_nesting = 0;
        m_fieldName = adifName(name, m_xml.attributes(), m_place == Place::Header);
        m_fieldText.clear();
        break;
    }
}

void AdxReader::endElement()
{
    if (m_inField) {
        if (m_nesting > 0) {
            --m_nesting;
            return;
        }
        m_inField = false;
        m_names.push_back(m_fieldName);
        m_values.push_back(m_fieldText.toUtf8().toStdString());
        return;
    }
    if (m_place == Place::Records) {
        m_place = Place::Outside;
        return;
    }
    if (m_place != Place::Header && m_place != Place::Record)
        return;
    std::vector<LogFieldView> fields;
    fields.reserve(m_names.size());
    for (std::size_t i = 0; i < m_names.size(); ++i)
        fields.push_back({m_names[i], m_values[i]});
    if (m_place == Place::Header) {
        // The first header counts; one more, or one after the records, is not a header.
        if (!m_headerOrRecordSeen)
            m_sink.header(fields);
        m_place = Place::Outside;
    } else {
        m_sink.record(fields);
        m_place = Place::Records;
    }
    m_headerOrRecordSeen = true;
    m_names.clear();
    m_values.clear();
}

void AdxReader::stop(const QString &message)
{
    m_stopped = true;
    if (m_place == Place::Record)
        ++m_damaged;
    m_error = "XML error in line " + std::to_string(m_xml.lineNumber()) + ": " +
              message.toUtf8().toStdString();
}
