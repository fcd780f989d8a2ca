#pragma once

#include "app/AppSettings.h"
#include "data/BureauTable.h"
#include "data/CountryTable.h"

#include <filesystem>

class MessageBoxes;
class UpdateOperations;

// What the start-up sequence asks of the main window.
class StartupWindow
{
public:
    virtual ~StartupWindow() = default;
    // Brings the query window in line with the QSL information mode.
    virtual void applyQslInfoMode() = 0;
    // Closes the main window, which saves the settings and ends the program once the sequence
    // has returned to the event loop.
    virtual void closeMainWindow() = 0;
};

// Brings both data files into memory on the first activation of the main window: runs the
// update check when updates are on, loads country.asc and vorn.asc, and recovers a file that
// cannot be read by a download or its backup copy; ends the program when that fails too.
class StartupSequence
{
public:
    StartupSequence(AppSettings &settings, CountryTable &countries, BureauTable &bureaus,
                    std::filesystem::path dataDirectory, MessageBoxes &boxes,
                    UpdateOperations &updates, StartupWindow &window);

    // Runs the whole sequence once. False when the data could not be loaded and the main window
    // was closed.
    bool run();

private:
    enum class DataFile { Country, Bureau };

    bool loadWithRecovery(DataFile file, bool &dataReplaced);
    bool load(DataFile file);
    bool download(DataFile file);
    void loadWithoutUpdates(DataFile file);
    std::filesystem::path pathOf(const char *name) const { return m_dataDirectory / name; }

    AppSettings &m_settings;
    CountryTable &m_countries;
    BureauTable &m_bureaus;
    std::filesystem::path m_dataDirectory;
    MessageBoxes &m_boxes;
    UpdateOperations &m_updates;
    StartupWindow &m_window;
    bool m_windowClosed = false;
};

// Renames a file unless the new name is taken; false when nothing was renamed.
bool renameWithoutReplacing(const std::filesystem::path &from, const std::filesystem::path &to);
