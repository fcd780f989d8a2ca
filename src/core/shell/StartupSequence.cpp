#include "core/shell/StartupSequence.h"

#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"
#include "core/shell/UpdateOperations.h"

#include <string>

StartupSequence::StartupSequence(AppState &state, MessageBoxes &boxes, UpdateOperations &updates,
                                 StartupWindow &window)
    : m_state(state), m_boxes(boxes), m_updates(updates), m_window(window)
{}

bool StartupSequence::run()
{
    AppSettings &settings = m_state.settings;
    if (settings.qslInfoMode != QslInfoMode::None)
        m_window.applyQslInfoMode();

    bool dataReplaced = false;
    std::int32_t publishedDataVersion = 0;
    bool loaded = true;
    if (settings.updateMode != UpdateMode::None) {
        const StartupUpdateResult update =
            m_updates.startupUpdateCheck(settings.updateMode, settings.dataVersion);
        dataReplaced = update.dataReplaced;
        publishedDataVersion = update.publishedDataVersion;
        // The bureau file goes through its recovery even after the country file has failed:
        // its backup copy may still be put back.
        loaded = loadWithRecovery(DataFile::Country, dataReplaced);
        loaded = loadWithRecovery(DataFile::Bureau, dataReplaced) && loaded;
    } else {
        loadWithoutUpdates(DataFile::Country);
        loadWithoutUpdates(DataFile::Bureau);
    }
    if (dataReplaced)
        settings.dataVersion = publishedDataVersion;
    return loaded;
}

bool StartupSequence::download(DataFile file)
{
    return file == DataFile::Country ? m_updates.downloadCountryFile()
                                     : m_updates.downloadBureauFile();
}

std::string StartupSequence::describeFailure(DataFile file, const LoadResult &result) const
{
    return m_state.folder.fileOf(file).string() + ": " + result.error.message();
}

bool StartupSequence::loadWithRecovery(DataFile file, bool &dataReplaced)
{
    const std::string shown(DataFolder::shownName(file));
    const LoadResult first = m_state.load(file);
    bool loaded = static_cast<bool>(first);
    if (!loaded) {
        dataReplaced = false;
        const std::string question = "error reading " + shown + ", download this file ?";
        if (m_boxes.askYes(MessageBoxes::Kind::Error, withHeading(question),
                           describeFailure(file, first)) &&
            download(file))
            loaded = static_cast<bool>(m_state.load(file));
    }
    if (!loaded && m_state.folder.restoreBackup(file)) {
        loaded = static_cast<bool>(m_state.load(file));
        if (loaded) {
            m_boxes.inform(MessageBoxes::Kind::Information,
                           withHeading("old copy of " + shown + " restored"));
        }
    }
    if (!loaded && !m_windowClosed) {
        m_windowClosed = true;
        m_window.closeMainWindow();
    }
    return loaded;
}

void StartupSequence::loadWithoutUpdates(DataFile file)
{
    const LoadResult result = m_state.load(file);
    if (result)
        return;
    m_boxes.inform(MessageBoxes::Kind::Error,
                   withHeading("error reading " + std::string(DataFolder::shownName(file)) +
                               "\r\nYou need to update"),
                   describeFailure(file, result));
    m_state.settings.dataVersion = 0;
}
