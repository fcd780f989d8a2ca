#include "core/data/CountryTable.h"

#include "core/text/TextLines.h"

namespace {

bool startsWithAny(std::string_view text, std::string_view stops)
{
    return !text.empty() && stops.find(text.front()) != std::string_view::npos;
}

// Takes characters from the front of text up to (not including) the first of stops.
std::string_view takeUntil(std::string_view &text, std::string_view stops)
{
    std::size_t n = 0;
    while (n < text.size() && stops.find(text[n]) == std::string_view::npos)
        ++n;
    const std::string_view taken = text.substr(0, n);
    text.remove_prefix(n);
    return taken;
}

} // namespace

void CountryTable::clear()
{
    m_rows.clear();
    m_index.clear();
}

bool CountryTable::append(CountryRow row)
{
    if (m_rows.size() >= MaxRows)
        return false;
    m_rows.push_back(std::move(row));
    m_index.add(m_rows.back().prefix, static_cast<std::uint16_t>(m_rows.size()));
    return true;
}

CountryRow parseCountryLine(std::string_view line)
{
    std::string_view rest = withoutBlanks(line);
    takeUntil(rest, " "); // the first token means nothing to the program
    rest = withoutBlanks(rest);

    CountryRow row;
    row.prefix = std::string(takeUntil(rest, " ([").substr(0, CountryTable::PrefixWidth));
    if (startsWithAny(rest, "(["))
        takeUntil(rest, " "); // zone appendix such as (13)[73]
    rest = withoutBlanks(rest);
    row.entityCode = std::string(takeUntil(rest, " ").substr(0, CountryTable::EntityCodeWidth));
    return row;
}

LoadResult loadCountryTable(CountryTable &table, ByteSource &source)
{
    table.clear();
    return readLinesUntilFull(
        source, [&table] { return table.count() >= CountryTable::MaxRows; },
        [&table](const std::string &line) { table.append(parseCountryLine(line)); });
}

LoadResult loadCountryTable(CountryTable &table, const std::filesystem::path &file)
{
    table.clear(); // also when the file cannot be opened
    return readFile(file, [&table](ByteSource &source) { return loadCountryTable(table, source); });
}
