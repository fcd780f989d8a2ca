#include "core/data/BureauTable.h"

#include "core/text/Integer.h"
#include "core/text/TextLines.h"

namespace {

// Columns first..last (counted from 1) of the line, blanks trimmed.
std::string field(std::string_view line, std::size_t first, std::size_t last)
{
    return trimBlanks(line.substr(first - 1, last - first + 1));
}

} // namespace

void BureauTable::clear()
{
    m_rows.clear();
    m_index.clear();
}

bool BureauTable::append(BureauRow row)
{
    if (m_rows.size() >= MaxRows)
        return false;
    if (row.entityCode.size() > EntityCodeWidth)
        row.entityCode.resize(EntityCodeWidth);
    m_rows.push_back(std::move(row));
    m_index.add(m_rows.back().entityCode, static_cast<std::uint16_t>(m_rows.size()));
    return true;
}

std::optional<BureauRow> parseBureauLine(std::string_view line)
{
    if (line.size() < BureauTable::RecordLength)
        return std::nullopt;
    BureauRow row;
    row.entityCode = field(line, 1, 6);
    row.entityName = field(line, 7, 28);
    row.sortPrefix = field(line, 30, 35);
    row.bureauName = field(line, 36, 57);
    row.isIaru = line[60] == 'Y';
    return row;
}

LoadResult loadBureauTable(BureauTable &table, ByteSource &source)
{
    table.clear();
    return readLinesUntilFull(
        source, [&table] { return table.count() >= BureauTable::MaxRows; },
        [&table](const std::string &line) {
            if (auto row = parseBureauLine(line))
                table.append(std::move(*row));
        });
}

LoadResult loadBureauTable(BureauTable &table, const std::filesystem::path &file)
{
    table.clear(); // also when the file cannot be opened
    return readFile(file, [&table](ByteSource &source) { return loadBureauTable(table, source); });
}

std::optional<std::int32_t> bureauFileDataVersion(const std::filesystem::path &file)
{
    constexpr std::string_view Heading = "Vorn QSL bureaus, data ";
    std::optional<std::int32_t> version;
    readFile(file, [&version, Heading](ByteSource &source) {
        LineReader reader(source);
        std::string line;
        while (!version && reader.next(line) == LineReader::Status::Line &&
               line.size() < BureauTable::RecordLength) {
            if (!line.starts_with(Heading))
                continue;
            version =
                parseInt32(std::string_view(line).substr(Heading.size()), IntegerSyntaxes::Digits);
        }
        return LoadResult{};
    });
    return version;
}
