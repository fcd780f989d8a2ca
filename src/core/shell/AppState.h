#pragma once

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/data/DataFolder.h"
#include "core/settings/AppSettings.h"
#include "core/text/LoadResult.h"

#include <filesystem>

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

    // Refills the table of one data file from that file; the result says why it could not be read.
    LoadResult load(DataFile file);
};
