#pragma once

#include "app/AppSettings.h"
#include "data/BureauTable.h"
#include "data/CountryTable.h"
#include "data/DataFolder.h"
#include "data/LoadResult.h"

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
