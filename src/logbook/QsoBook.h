#pragma once

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

// The QSOs of a log, one per entry in reading order, kept compactly: their texts in one
// string and their sizes beside it. A field longer than any sensible value is cut.
class QsoBook
{
public:
    static constexpr std::size_t LongestField = 32;

    void reserve(std::size_t qsos);
    void add(const QsoView &qso);
    std::size_t size() const { return m_qsos.size(); }
    QsoView operator[](std::size_t entry) const;

private:
    static constexpr std::size_t Fields = 5;
    struct Stored
    {
        std::uint32_t textAt;
        std::uint8_t sizes[Fields];
        bool qslReceived;
    };

    std::string m_text;
    std::vector<Stored> m_qsos;
};

// "2024-01-15" from 20240115; other text as it stands.
std::string qsoDateText(std::string_view date);
// "1234" from 123456: hours and minutes, as labels give them.
std::string_view qsoTimeText(std::string_view time);
