#pragma once

#include "logbook/TextIndex.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What a card and its label say of one QSO, as the log holds it.
struct QsoView
{
    std::string_view date;    // QSO_DATE, YYYYMMDD
    std::string_view time;    // TIME_ON, HHMM or HHMMSS (UTC)
    std::string_view band;    // BAND, as 20m
    std::string_view mode;    // SUBMODE where there is one (FT4 of MFSK), else MODE
    std::string_view rstSent; // RST_SENT
    bool qslReceived = false; // QSL_RCVD Y or V: thank him for his card
};

// The QSOs of a log by entry number, kept compactly: each field's text once (a log repeats its
// dates, times, bands and modes over and over) and three numbers per QSO. Entries that are
// skipped, those without a call, take no room. A field longer than any sensible value is cut.
class QsoBook
{
public:
    static constexpr std::size_t LongestField = 32;

    void reserve(std::size_t qsos);
    // The next entry: a QSO kept, or one skipped.
    void add(const QsoView &qso);
    void skip() { ++m_entries; }
    // Entries added and skipped.
    std::size_t size() const { return m_entries; }
    // QSOs kept.
    std::size_t kept() const { return m_qsos.size(); }
    // The entry of the kept QSO with this number.
    std::size_t entryOf(std::size_t kept) const;
    // A QSO that was added, not skipped.
    QsoView operator[](std::size_t entry) const;
    // The memory it holds, for the benchmarks.
    std::size_t bytes() const;

private:
    struct Stored
    {
        std::uint32_t date;
        std::uint32_t time;
        std::uint32_t rest; // band, mode, RST sent and QSL received, in one text
    };
    // From the first kept QSO of a run of entries without a skip between them, its entry.
    struct Run
    {
        std::size_t kept;
        std::size_t entry;
    };

    std::vector<Stored> m_qsos;
    std::vector<Run> m_runs;
    std::size_t m_entries = 0;
    TextIndex m_dates;
    TextIndex m_times;
    TextIndex m_rests;
};

// "2024-01-15" from 20240115; other text as it stands.
std::string qsoDateText(std::string_view date);
// "1234" from 123456: hours and minutes, as labels give them.
std::string_view qsoTimeText(std::string_view time);
