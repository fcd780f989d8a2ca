#pragma once

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/data/DataFileCheck.h"
#include "core/data/DataFolder.h"
#include "core/data/ExactCallList.h"
#include "core/settings/AppSettings.h"
#include "core/text/LoadResult.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

// What the windows share for the whole run: the user's settings, the two tables and the folder
// that holds the files. main() owns it and hands it to the main window, the update operations
// and the query window, which all work on this one instance.
struct AppState
{
    explicit AppState(std::filesystem::path dataDirectory = {}) : folder(std::move(dataDirectory))
    {}

    AppSettings settings;
    CountryTable countries;
    BureauTable bureaus;
    DataFolder folder;
    // The data version that the loaded vorn.asc names in its heading, if it names one.
    std::optional<std::int32_t> bureauFileVersion;

    // Refills the table of one data file from that file and checks it. The result says why the
    // file could not be read, or why it cannot be a data file (a DataFileProblem that rules out
    // data), which the program handles alike; the table then holds what the loader put into it.
    LoadResult load(DataFile file);
    // What the last load of the file found that does not keep it from being used, such as rows
    // beyond the table's size; None when it found nothing.
    DataFileProblem findings(DataFile file) const
    {
        return file == DataFile::Country ? m_countryFindings : m_bureauFindings;
    }
    // The installed data version in words, as the About box and the Update dialog show it: the
    // number the update check compares with (settings.dataVersion), which the start-up and every
    // update bring in line with the loaded vorn.asc (installedDataVersion).
    std::string installedDataInWords() const;

    // Loads calls.asc into the country table's list of exact calls. A file that is missing,
    // cannot be read or is refused leaves the list empty, and the look-up answers as without it.
    const CallListLoad &loadExactCalls();
    // What the last load of calls.asc came to; a missing file before the first.
    const CallListLoad &exactCallsLoad() const { return m_exactCallsLoad; }

private:
    DataFileProblem m_countryFindings = DataFileProblem::None;
    DataFileProblem m_bureauFindings = DataFileProblem::None;
    CallListLoad m_exactCallsLoad{std::make_error_code(std::errc::no_such_file_or_directory)};
};
