#pragma once

#include "core/data/DataFolder.h"
#include "core/text/LoadResult.h"

#include <string>

struct AppState;
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

// Brings both data files into memory on the first activation of the main window: puts the
// backup copies back when an update was cut short while its files took their names, runs the
// update check when updates are on, loads country.asc and vorn.asc, and recovers a file that
// cannot be read, or cannot be a data file, by a download or its backup copy; ends the program
// when that fails too. Rows that the data files hold but cannot answer for are named in a
// warning: they stay the user's. Once both files are loaded, the installed data version is
// brought in line with them (installedDataVersion). Then loads the list of exact calls,
// calls.asc, whose absence changes nothing and whose damage only draws a warning.
class StartupSequence
{
public:
    StartupSequence(AppState &state, MessageBoxes &boxes, UpdateOperations &updates,
                    StartupWindow &window);

    // Runs the whole sequence once. False when the data could not be loaded and the main window
    // was closed.
    bool run();

private:
    // Undoes an update whose files were taking their names when the program ended, and says so
    // in one box.
    void undoCutInstallation();
    bool loadWithRecovery(DataFile file, bool &dataReplaced);
    bool download(DataFile file);
    bool loadWithoutUpdates(DataFile file);
    void warnOfUnusableRows();
    // Loads the list of exact calls; one that cannot be read or is refused is named in a warning.
    void loadExactCalls();
    // The full path and the system's reason, for a box's details.
    std::string describeFailure(DataFile file, const LoadResult &result) const;

    AppState &m_state;
    MessageBoxes &m_boxes;
    UpdateOperations &m_updates;
    StartupWindow &m_window;
    bool m_windowClosed = false;
};
