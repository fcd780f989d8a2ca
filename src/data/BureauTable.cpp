#include "data/BureauTable.h"

#include "data/TextLines.h"

namespace {

// Columns first..last (counted from 1) of the line, blanks trimmed, cut to width.
std::string field(std::string_view line, std::size_t first, std::size_t last, std::size_t width)
{
    const std::string_view columns = line.substr(first - 1, last - first + 1);
    std::string value = trimBlanks(columns);
    if (value.size() > width)
        value.resize(width);
    return value;
}

} // namespace

const BureauRow &BureauTable::slot(std::size_t n) const
{
    static const BureauRow empty;
    return n >= 1 && n <= m_rows.size() ? m_rows[n - 1] : empty;
}

bool BureauTable::append(BureauRow row)
{
    if (m_rows.size() >= MaxRows)
        return false;
    m_rows.push_back(std::move(row));
    return true;
}

std::optional<BureauRow> parseBureauLine(std::string_view line)
{
    if (line.size() < BureauTable::RecordLength)
        return std::nullopt;
    BureauRow row;
    row.entityCode = field(line, 1, 6, BureauTable::EntityCodeWidth);
    row.entityName = field(line, 7, 28, BureauTable::NameWidth);
    row.sortPrefix = field(line, 30, 35, BureauTable::SortPrefixWidth);
    row.bureauName = field(line, 36, 57, BureauTable::NameWidth);
    row.isIaru = line[60] == 'Y';
    return row;
}

LoadResult loadBureauTable(BureauTable &table, ByteSource &source)
{
    table.clear();
    LineReader reader(source);
    std::string line;
    while (table.count() < BureauTable::MaxRows) {
        switch (reader.next(line)) {
        case LineReader::Status::Line:
            if (auto row = parseBureauLine(line))
                table.append(std::move(*row));
            continue;
        case LineReader::Status::End:
            return {};
        case LineReader::Status::Error:
            return {source.error()};
        }
    }
    return {};
}

LoadResult loadBureauTable(BureauTable &table, const std::filesystem::path &file)
{
    table.clear(); // also when the file cannot be opened
    return readFile(file, [&table](ByteSource &source) { return loadBureauTable(table, source); });
}
