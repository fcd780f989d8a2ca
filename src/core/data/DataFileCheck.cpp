#include "core/data/DataFileCheck.h"

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/data/ExactCallList.h"
#include "core/text/Ascii.h"
#include "core/text/TextLines.h"

#include <algorithm>
#include <array>

namespace {

bool isMarkupStart(std::string_view text)
{
    // Only what web servers and captive portals send first: a declaration, a processing
    // instruction or one of the tags a page opens with. A first token such as "<new>" in a
    // hand-edited country line is no page.
    if (text.starts_with("<!") || text.starts_with("<?"))
        return true;
    static constexpr std::array<std::string_view, 8> Tags = {"html",  "head",   "body", "meta",
                                                             "title", "script", "link", "style"};
    for (std::string_view tag : Tags) {
        if (text.size() < tag.size() + 1 || text[0] != '<')
            continue;
        // A tag name at the end of the line ("<html" CR LF "lang=...>") is a tag all the same.
        const char after = text.size() == tag.size() + 1 ? '\n' : text[tag.size() + 1];
        if (Ascii::equalIgnoringCase(text.substr(1, tag.size()), tag) &&
            (after == '>' || after == ' ' || after == '/' || after == '\t' || after == '\n'))
            return true;
    }
    return false;
}

// What the check gathers while it reads the file line by line.
class Survey
{
public:
    explicit Survey(DataFile kind) : m_kind(kind) {}

    void add(const std::string &line, std::size_t fullLength)
    {
        if (m_lineCount++ == 0)
            m_utf16Mark = line.starts_with("\xff\xfe") || line.starts_with("\xfe\xff");
        m_totalLength += fullLength;
        m_keptLength += line.size();
        m_nulBytes += static_cast<std::size_t>(std::count(line.begin(), line.end(), '\0'));
        if (fullLength > m_longestLength) {
            m_longestLength = fullLength;
            // What the longest line says when it is most of the file. Only the kept part is looked
            // at: LF line ends show within the first lines they join.
            m_longestLine = line.find('\n') != std::string::npos     ? DataFileProblem::OneHugeLine
                            : fullLength > LineReader::MaxLineLength ? DataFileProblem::LineTooLong
                                                                     : DataFileProblem::None;
        }
        if (!m_sawContent) {
            // Blanks, tabs, line feeds and a UTF-8 byte-order mark come before a page's first tag.
            std::string_view text = line;
            text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t\n\xef\xbb\xbf")));
            if (!text.empty()) {
                m_sawContent = true;
                m_markup = isMarkupStart(text);
            }
        }
        m_kind == DataFile::Country ? addCountryLine(line) : addBureauLine(line);
    }

    void endMarkHidesText() { m_hiddenByMark = true; }

    std::size_t usefulRows() const { return m_usefulRows; }

    DataFileProblem problem() const
    {
        // Text of ASCII characters in UTF-16 has a NUL beside each of them: about half its bytes.
        if (m_utf16Mark || (m_nulBytes * 3 >= m_keptLength && m_nulBytes * 3 <= 2 * m_keptLength &&
                            m_nulBytes > 0))
            return DataFileProblem::Utf16;
        if (m_markup)
            return DataFileProblem::Markup;
        // Most of the file in one line that holds line feeds, or is too long for any data line.
        if (m_longestLine != DataFileProblem::None &&
            m_longestLength > m_totalLength - m_longestLength)
            return m_longestLine;
        if (m_usefulRows == 0)
            return DataFileProblem::Empty;
        if (m_nulBytes > 0)
            return DataFileProblem::NulBytes;
        if (m_hiddenByMark)
            return DataFileProblem::HiddenByMark;
        if (m_droppedRows > 0)
            return DataFileProblem::TooManyRows;
        return DataFileProblem::None;
    }

private:
    void addCountryLine(const std::string &line)
    {
        if (m_rows == CountryTable::MaxRows) {
            // A blank line past the end would give nothing that matters.
            if (line.find_first_not_of(' ') != std::string::npos)
                ++m_droppedRows;
            return;
        }
        ++m_rows;
        const CountryRow row = parseCountryLine(line);
        if (!row.prefix.empty() && !row.entityCode.empty())
            ++m_usefulRows;
    }

    void addBureauLine(const std::string &line)
    {
        if (line.size() < BureauTable::RecordLength)
            return;
        if (m_rows == BureauTable::MaxRows) {
            ++m_droppedRows;
            return;
        }
        ++m_rows;
        ++m_usefulRows;
    }

    DataFile m_kind;
    std::size_t m_totalLength = 0;
    std::size_t m_lineCount = 0;
    std::size_t m_keptLength = 0;
    std::size_t m_nulBytes = 0;
    bool m_utf16Mark = false;
    std::size_t m_longestLength = 0;
    DataFileProblem m_longestLine = DataFileProblem::None;
    bool m_sawContent = false;
    bool m_markup = false;
    bool m_hiddenByMark = false;
    std::size_t m_rows = 0;
    std::size_t m_usefulRows = 0;
    std::size_t m_droppedRows = 0;
};

} // namespace

DataFileSurvey surveyDataFile(DataFile kind, ByteSource &source)
{
    if (kind == DataFile::Calls) {
        // The list's own loader is its check: it takes the file whole or names why not.
        ExactCallList list;
        const CallListLoad load = loadExactCallList(list, source);
        if (load.error && load.error.category() == dataFileProblemCategory())
            return {static_cast<DataFileProblem>(load.error.value()), 0};
        return {DataFileProblem::None, list.count()};
    }
    Survey survey(kind);
    LineReader reader(source);
    std::string line;
    for (;;) {
        switch (reader.next(line)) {
        case LineReader::Status::Line:
            survey.add(line, reader.lineLength());
            continue;
        case LineReader::Status::End:
            if (reader.textAfterEndMark())
                survey.endMarkHidesText();
            return {survey.problem(), survey.usefulRows()};
        case LineReader::Status::Error:
            return {};
        }
    }
}

DataFileSurvey surveyDataFile(DataFile kind, const std::filesystem::path &file)
{
    DataFileSurvey survey;
    readFile(file, [&](ByteSource &source) {
        survey = surveyDataFile(kind, source);
        return LoadResult{};
    });
    return survey;
}

DataFileProblem checkDataFile(DataFile kind, ByteSource &source)
{
    return surveyDataFile(kind, source).problem;
}

DataFileProblem checkDataFile(DataFile kind, const std::filesystem::path &file)
{
    return surveyDataFile(kind, file).problem;
}

std::string_view rowsOf(DataFile kind)
{
    switch (kind) {
    case DataFile::Country:
        break;
    case DataFile::Bureau:
        return "records";
    case DataFile::Calls:
        return "calls";
    }
    return "rows";
}

bool rulesOutData(DataFileProblem problem)
{
    switch (problem) {
    case DataFileProblem::Empty:
    case DataFileProblem::Markup:
    case DataFileProblem::OneHugeLine:
    case DataFileProblem::LineTooLong:
    case DataFileProblem::Utf16:
    case DataFileProblem::BadLine:
    case DataFileProblem::TooLarge:
        return true;
    case DataFileProblem::None:
    case DataFileProblem::NulBytes:
    case DataFileProblem::HiddenByMark:
    case DataFileProblem::TooManyRows:
        break;
    }
    return false;
}

bool isUsable(DataFile kind, DataFileProblem problem)
{
    return kind == DataFile::Calls ? problem == DataFileProblem::None : !rulesOutData(problem);
}

std::string_view explain(DataFileProblem problem)
{
    switch (problem) {
    case DataFileProblem::None:
        break;
    case DataFileProblem::Empty:
        return "it holds no line that Vorn can use";
    case DataFileProblem::Markup:
        return "it is an HTML or XML page, not a data file";
    case DataFileProblem::OneHugeLine:
        return "it has LF line ends; Vorn reads CR or CR LF";
    case DataFileProblem::LineTooLong:
        static_assert(LineReader::MaxLineLength == 4096, "the text names the bound");
        return "a line is too long: most of it is one line of more than 4096 bytes";
    case DataFileProblem::Utf16:
        return "it is UTF-16 text; Vorn reads single-byte text";
    case DataFileProblem::NulBytes:
        return "it holds NUL bytes: it is damaged or not single-byte text";
    case DataFileProblem::HiddenByMark:
        return "a byte 0x1A ends it before its last line; Vorn reads nothing after that byte";
    case DataFileProblem::TooManyRows:
        return "it holds more rows than Vorn's table takes; the last ones are left out";
    case DataFileProblem::BadLine:
        return "a line is not a call and an entity code, or a call listed before";
    case DataFileProblem::TooLarge:
        return "it is larger than the 2 MiB that Vorn takes";
    }
    return {};
}

namespace {

class DataFileProblemCategory final : public std::error_category
{
public:
    const char *name() const noexcept override { return "vorn-data"; }
    std::string message(int problem) const override
    {
        const std::string_view text = explain(static_cast<DataFileProblem>(problem));
        return text.empty() ? std::string("a sound data file") : std::string(text);
    }
};

} // namespace

const std::error_category &dataFileProblemCategory()
{
    static const DataFileProblemCategory category;
    return category;
}

std::vector<RowWithoutBureau> rowsWithoutBureau(const CountryTable &countries,
                                                const BureauTable &bureaus)
{
    std::vector<RowWithoutBureau> rows;
    std::size_t line = 0;
    for (const CountryRow &row : countries.rows()) {
        ++line;
        if (!row.entityCode.empty() && bureaus.firstOf(row.entityCode) == nullptr)
            rows.push_back({line, row.prefix, row.entityCode});
    }
    return rows;
}
