#include "logbook/QsoBook.h"

#include "core/text/Ascii.h"

void QsoBook::reserve(std::size_t qsos)
{
    m_qsos.reserve(qsos);
    m_text.reserve(qsos * 20);
}

void QsoBook::add(const QsoView &qso)
{
    Stored stored{static_cast<std::uint32_t>(m_text.size()), {}, qso.qslReceived};
    const std::string_view fields[Fields] = {qso.date, qso.time, qso.band, qso.mode, qso.rstSent};
    for (std::size_t i = 0; i < Fields; ++i) {
        const std::string_view field = fields[i].substr(0, LongestField);
        stored.sizes[i] = static_cast<std::uint8_t>(field.size());
        m_text += field;
    }
    m_qsos.push_back(stored);
}

QsoView QsoBook::operator[](std::size_t entry) const
{
    const Stored &stored = m_qsos[entry];
    std::string_view fields[Fields];
    std::size_t at = stored.textAt;
    for (std::size_t i = 0; i < Fields; ++i) {
        fields[i] = std::string_view(m_text).substr(at, stored.sizes[i]);
        at += stored.sizes[i];
    }
    return {fields[0], fields[1], fields[2], fields[3], fields[4], stored.qslReceived};
}

std::string qsoDateText(std::string_view date)
{
    if (date.size() != 8 || !Ascii::isDigits(date))
        return std::string(date);
    return std::string(date.substr(0, 4)) + '-' + std::string(date.substr(4, 2)) + '-' +
           std::string(date.substr(6, 2));
}

std::string_view qsoTimeText(std::string_view time)
{
    return time.size() == 6 ? time.substr(0, 4) : time;
}
