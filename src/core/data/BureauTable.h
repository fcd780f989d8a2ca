#pragma once

#include "core/data/EntityCodeIndex.h"
#include "core/text/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One record of vorn.asc: an entity, the prefix its cards are sorted under, and its bureau.
struct BureauRow
{
    std::string entityCode; // columns 1-6
    std::string entityName; // columns 7-28
    std::string sortPrefix; // columns 30-35
    std::string bureauName; // columns 36-57; empty when the entity has no bureau
    bool isIaru = false;    // column 61 is "Y"

    bool operator==(const BureauRow &) const = default;
};

// The records of vorn.asc in file order; the look-up takes the first row of an entity code.
class BureauTable
{
public:
    static constexpr std::size_t Capacity = 500;
    static constexpr std::size_t MaxRows = Capacity - 1; // the last slot is never filled
    static constexpr std::size_t RecordLength = 61;      // shorter lines are headings or notes
    static constexpr std::size_t EntityCodeWidth = 6;

    BureauTable() { m_rows.reserve(MaxRows); }

    std::size_t count() const { return m_rows.size(); }
    const std::vector<BureauRow> &rows() const { return m_rows; }

    void clear();
    // Appends a row unless the table is full; false when it is. The entity code is cut to its
    // width, as the file's columns cut it.
    bool append(BureauRow row);

    // The first row whose entity code equals the code as a whole, letters compared as capitals;
    // nullptr when none does. From an index that every change of the rows keeps up to date.
    const BureauRow *firstOf(std::string_view entityCode) const
    {
        const std::uint16_t row = m_index.find(entityCode);
        return row == EntityCodeIndex::NoRow ? nullptr : &m_rows[row - 1];
    }

private:
    static_assert(MaxRows < 512, "the code index is at most half full");

    std::vector<BureauRow> m_rows;
    EntityCodeIndex m_index;
};

// Cuts one line of vorn.asc into its fields; nothing for a line of 60 characters or fewer.
std::optional<BureauRow> parseBureauLine(std::string_view line);

// Refills the table from a bureau file. The result holds the reason when the file could not be
// opened, read or closed (the data-load error); the records stored before a failure stay.
LoadResult loadBureauTable(BureauTable &table, const std::filesystem::path &file);
LoadResult loadBureauTable(BureauTable &table, ByteSource &source);

// The data version that the file's heading names ("Vorn QSL bureaus, data 2023050202", as the
// data generator writes it before the first record), so that it travels with the file; nothing
// when no heading names one or the file cannot be read.
std::optional<std::int32_t> bureauFileDataVersion(const std::filesystem::path &file);
