#pragma once

#include "core/settings/AppSettings.h"

#include <cstdint>

// What the start-up learns from the update check.
struct StartupUpdateResult
{
    bool dataReplaced = false;             // the data files were downloaded anew, as one set
    std::int32_t publishedDataVersion = 0; // their version, when they were
};

// The update operations that the start-up and the main window call. Each reports its own
// failures to the user; the results say what happened.
class UpdateOperations
{
public:
    virtual ~UpdateOperations() = default;

    // Fetches the update information and, when newer data is published, replaces the data files
    // (asking first in Manual mode). The tables are loaded afterwards by the caller.
    virtual StartupUpdateResult startupUpdateCheck(UpdateMode mode, std::int32_t dataVersion) = 0;
    // Fetch one data file without a backup copy; false when the download failed.
    virtual bool downloadCountryFile() = 0;
    virtual bool downloadBureauFile() = 0;
    // The Settings / Update menu command.
    virtual void updateMenuClick() = 0;
};
