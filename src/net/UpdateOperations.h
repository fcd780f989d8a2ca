#pragma once

#include "app/AppSettings.h"

#include <cstdint>

class MessageBoxes;

// What the start-up learns from the update check.
struct StartupUpdateResult
{
    bool dataReplaced = false;             // both data files were downloaded anew
    std::int32_t publishedDataVersion = 0; // negative: the check failed with that code
};

// The update operations the rest of the program calls. Each reports its own failures to the
// user; the results say what happened.
class UpdateOperations
{
public:
    virtual ~UpdateOperations() = default;

    // Fetches the update information and, when newer data is published, replaces both data files
    // (asking first in Manual mode). The tables are loaded afterwards by the caller.
    virtual StartupUpdateResult startupUpdateCheck(UpdateMode mode, std::int32_t dataVersion) = 0;
    // Fetch one data file without a backup copy; false when the download failed.
    virtual bool downloadCountryFile() = 0;
    virtual bool downloadBureauFile() = 0;
    // The Settings / Update menu command.
    virtual void updateMenuClick() = 0;
};

// Stands in until the program can download: every transfer fails the way an unreachable server
// makes it fail, with the same messages, and the menu command does nothing.
class OfflineUpdates final : public UpdateOperations
{
public:
    // The check's failure code when no connection can be opened.
    static constexpr std::int32_t CannotConnect = -2;

    explicit OfflineUpdates(MessageBoxes &boxes) : m_boxes(boxes) {}

    StartupUpdateResult startupUpdateCheck(UpdateMode mode, std::int32_t dataVersion) override;
    bool downloadCountryFile() override;
    bool downloadBureauFile() override;
    void updateMenuClick() override {}

private:
    MessageBoxes &m_boxes;
};
