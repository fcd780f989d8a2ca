#pragma once

#include "core/data/DataFiles.h"
#include "core/text/ByteSource.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

class BureauTable;
class CountryTable;

// Why a file that loads may still not be a sound data file.
enum class DataFileProblem {
    None,
    Empty,        // no line that gives a row (country) / no record (bureau)
    Markup,       // an HTML or XML page, e.g. a captive portal served with status 200
    OneHugeLine,  // LF line ends: the CR line rule reads the file as one huge line
    LineTooLong,  // most of the file is one line beyond LineReader::MaxLineLength, without LF
    Utf16,        // UTF-16 text: every other byte is NUL, and no line reads as data
    NulBytes,     // lines that hold NUL bytes: damaged, or not single-byte text
    HiddenByMark, // a byte 0x1A before the last line ends the file there, hiding the rest
    TooManyRows,  // loads, but holds more rows than the table takes: the last are dropped
    // Only the list of exact calls, which is taken whole or not at all:
    BadLine,  // a line that is not a call and an entity code, or a call listed twice
    TooLarge, // more bytes than the list takes
};

// Reads the file as the loader reads it and tells the most serious reason why it is not a sound
// data file of that kind; None when it looks like one. A file that cannot be read gives None:
// the loader's result tells that. Hand-edited files with a few odd lines pass. The list of
// exact calls is taken whole or not at all: any line it refuses is a problem.
DataFileProblem checkDataFile(DataFile kind, const std::filesystem::path &file);
DataFileProblem checkDataFile(DataFile kind, ByteSource &source);

// The same reading, with how much the file gives: country rows with a prefix and an entity code,
// bureau records, or calls of the list (none when the list is refused). An update measures a new
// file against the installed one by it.
struct DataFileSurvey
{
    DataFileProblem problem = DataFileProblem::None;
    std::size_t rows = 0;
};
DataFileSurvey surveyDataFile(DataFile kind, const std::filesystem::path &file);
DataFileSurvey surveyDataFile(DataFile kind, ByteSource &source);
// "rows", "records" or "calls": what surveyDataFile counts of that kind, for messages.
std::string_view rowsOf(DataFile kind);

// True for the problems that mean the file is not data at all (Empty, Markup, OneHugeLine,
// LineTooLong, Utf16): a file of the user's with any other problem is still his data and is used.
bool rulesOutData(DataFileProblem problem);
// Whether a file of that kind with that problem is used: the two data files unless the problem
// rules out data, the list of exact calls only without any problem.
bool isUsable(DataFile kind, DataFileProblem problem);

// A downloaded file must have no problem at all before it may replace a data file.
inline bool refusedAsDownload(DataFileProblem problem)
{
    return problem != DataFileProblem::None;
}

// A short English explanation for messages, e.g. "it has LF line ends; Vorn reads CR or CR LF".
std::string_view explain(DataFileProblem problem);

// As an error code, so that a file that cannot be data is reported like one that cannot be read:
// its message is the explanation.
const std::error_category &dataFileProblemCategory();
inline std::error_code make_error_code(DataFileProblem problem)
{
    return {static_cast<int>(problem), dataFileProblemCategory()};
}
template<> struct std::is_error_code_enum<DataFileProblem> : std::true_type
{
};

// A row of country.asc whose entity code no record of vorn.asc has: the look-up answers
// "unknown" for every call that it fits.
struct RowWithoutBureau
{
    std::size_t line; // counted from 1: each line of the country file fills one row
    std::string prefix;
    std::string entityCode;
};

// The rows, in file order, whose entity code has no bureau record; rows without a code are not
// counted. Codes are compared as the look-up compares them.
std::vector<RowWithoutBureau> rowsWithoutBureau(const CountryTable &countries,
                                                const BureauTable &bureaus);
