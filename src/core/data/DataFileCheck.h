#pragma once

#include "core/data/DataFiles.h"
#include "core/text/ByteSource.h"

#include <filesystem>
#include <string_view>

// Why a file that loads may still not be a sound data file.
enum class DataFileProblem {
    None,
    Empty,       // no line that gives a row (country) / no record (bureau)
    Markup,      // an HTML or XML page, e.g. a captive portal served with status 200
    OneHugeLine, // LF or no line ends: the CR line rule reads the file as one huge line
    Utf16,       // UTF-16 text: every other byte is NUL, and no line reads as data
    NulBytes,    // lines that hold NUL bytes: a damaged or binary file
    TooManyRows, // loads, but holds more rows than the table takes: the last are dropped
};

// Reads the file as the loader reads it and tells the most serious reason why it is not a sound
// data file of that kind; None when it looks like one. A file that cannot be read gives None:
// the loader's result tells that. Hand-edited files with a few odd lines pass.
DataFileProblem checkDataFile(DataFile kind, const std::filesystem::path &file);
DataFileProblem checkDataFile(DataFile kind, ByteSource &source);

// True for the problems that mean the file is not data at all (all but None and TooManyRows).
bool rulesOutData(DataFileProblem problem);

// A short English explanation for messages, e.g. "it has LF line ends; Vorn reads CR or CR LF".
std::string_view explain(DataFileProblem problem);
