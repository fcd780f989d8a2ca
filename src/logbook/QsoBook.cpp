#include "logbook/QsoBook.h"

#include "core/text/Ascii.h"

#include <algorithm>
#include <iterator>

void QsoBook::reserve(std::size_t qsos)
{
    m_qsos.reserve(qsos);
}

void QsoBook::add(const QsoView &qso)
{
    if (m_runs.empty() || m_runs.back().entry + (m_qsos.size() - m_runs.back().kept) != m_entries)
        m_runs.push_back({m_qsos.size(), m_entries});
    // Each field behind its length in one byte: a field holds any byte, and is short.
    std::string rest;
    for (const std::string_view field : {qso.band, qso.mode, qso.rstSent}) {
        const std::string_view cut = field.substr(0, LongestField);
        rest += static_cast<char>(cut.size());
        rest += cut;
    }
    rest += qso.qslReceived ? 'Y' : 'N';
    m_qsos.push_back({m_dates.intern(qso.date.substr(0, LongestField)),
                      m_times.intern(qso.time.substr(0, LongestField)), m_rests.intern(rest)});
    ++m_entries;
}

QsoView QsoBook::operator[](std::size_t entry) const
{
    const auto run = std::upper_bound(m_runs.begin(), m_runs.end(), entry,
                                      [](std::size_t e, const Run &r) { return e < r.entry; });
    const Stored &stored = m_qsos[std::prev(run)->kept + (entry - std::prev(run)->entry)];
    std::string_view rest = m_rests[stored.rest];
    std::string_view fields[3];
    for (std::string_view &field : fields) {
        const auto size = static_cast<unsigned char>(rest.front());
        field = rest.substr(1, size);
        rest.remove_prefix(1 + size);
    }
    return {m_dates[stored.date], m_times[stored.time], fields[0], fields[1], fields[2],
            rest == "Y"};
}

std::size_t QsoBook::entryOf(std::size_t kept) const
{
    const auto run = std::upper_bound(m_runs.begin(), m_runs.end(), kept,
                                      [](std::size_t k, const Run &r) { return k < r.kept; });
    return std::prev(run)->entry + (kept - std::prev(run)->kept);
}

std::size_t QsoBook::bytes() const
{
    return m_qsos.capacity() * sizeof(Stored) + m_runs.capacity() * sizeof(Run) + m_dates.bytes() +
           m_times.bytes() + m_rests.bytes();
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
