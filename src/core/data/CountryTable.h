#pragma once

#include "core/data/ExactCallList.h"
#include "core/data/PrefixIndex.h"
#include "core/text/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// One line of country.asc: a call-sign prefix and the code of its DXCC / WAE entity.
struct CountryRow
{
    std::string prefix;     // at most 16 characters, in the file's own letter case
    std::string entityCode; // at most 6 characters

    bool operator==(const CountryRow &) const = default;
};

// The prefixes of country.asc in file order; the look-up takes the first prefix that fits. With
// them the list of exact calls of calls.asc, which the look-up asks after the exact rows: it is
// loaded apart, and kept when the rows are loaded anew.
class CountryTable
{
public:
    static constexpr std::size_t Capacity = 3500;
    static constexpr std::size_t MaxRows = Capacity - 1; // the last slot is never filled
    static constexpr std::size_t PrefixWidth = 16;
    static constexpr std::size_t EntityCodeWidth = 6;

    CountryTable() { m_rows.reserve(MaxRows); }

    std::size_t count() const { return m_rows.size(); }
    const std::vector<CountryRow> &rows() const { return m_rows; }

    // Empties the rows; the list of exact calls stays.
    void clear();
    // Appends a row unless the table is full; false when it is.
    bool append(CountryRow row);

    // The first row, in file order, whose prefix fits the start of the search key (at most 16
    // characters; letters compared as capitals); nullptr when none fits. The look-up's answer,
    // from an index that every change of the rows keeps up to date.
    const CountryRow *firstFit(std::string_view searchKey) const
    {
        const std::uint16_t row = m_index.firstFit(searchKey);
        return row == PrefixIndex::NoRow ? nullptr : &m_rows[row - 1];
    }

    const ExactCallList &exactCalls() const { return m_exactCalls; }
    ExactCallList &exactCalls() { return m_exactCalls; }

private:
    static_assert(MaxRows * PrefixIndex::MaxKeyLength < 0xffff, "index node numbers are 16-bit");

    std::vector<CountryRow> m_rows;
    PrefixIndex m_index;
    ExactCallList m_exactCalls;
};

// Splits one line of country.asc into prefix and entity code (first token skipped, the "(" /
// "[" appendix dropped, fields cut to their widths). Any line gives a row, if only an empty one.
CountryRow parseCountryLine(std::string_view line);

// Refills the table from a country file. The result holds the reason when the file could not be
// opened, read or closed (the data-load error); the rows read before a failure stay in the table.
LoadResult loadCountryTable(CountryTable &table, const std::filesystem::path &file);
LoadResult loadCountryTable(CountryTable &table, ByteSource &source);
