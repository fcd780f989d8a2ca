#include "core/shell/StartupSequence.h"

#include "core/data/DataFiles.h"
#include "core/data/DataVersion.h"
#include "core/net/DataSetInstaller.h"
#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"
#include "core/shell/UpdateOperations.h"

#include <string>
#include <vector>

namespace {

// How many rows without a bureau record the warning names one by one.
constexpr std::size_t RowsNamed = 8;

} // namespace

StartupSequence::StartupSequence(AppState &state, MessageBoxes &boxes, UpdateOperations &updates,
                                 StartupWindow &window)
    : m_state(state), m_boxes(boxes), m_updates(updates), m_window(window)
{}

bool StartupSequence::run()
{
    AppSettings &settings = m_state.settings;
    if (settings.qslInfoMode != QslInfoMode::None)
        m_window.applyQslInfoMode();
    // Before anything is loaded or fetched: an update cut short may have left files of two
    // publications side by side.
    undoCutInstallation();

    bool dataReplaced = false;
    std::int32_t publishedDataVersion = 0;
    bool loaded = true;
    bool allLoaded = true; // with updates off, a file that failed is reported and the run goes on
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
        const bool countryLoaded = loadWithoutUpdates(DataFile::Country);
        allLoaded = loadWithoutUpdates(DataFile::Bureau) && countryLoaded;
    }
    if (dataReplaced)
        settings.dataVersion = publishedDataVersion;
    const bool bothLoaded = loaded && allLoaded;
    if (bothLoaded)
        // Data shipped with the program, or copied in by hand, are as new as their heading says:
        // a check must not offer older ones. A file that did not load leaves the number as the
        // failure set it.
        settings.dataVersion =
            installedDataVersion(settings.dataVersion, m_state.bureauFileVersion);
    if (bothLoaded && !m_windowClosed)
        warnOfUnusableRows();
    if (!m_windowClosed)
        loadExactCalls();
    return loaded;
}

void StartupSequence::undoCutInstallation()
{
    const std::vector<DataFile> restored = DataSetInstaller(m_state.folder).recover();
    if (restored.empty())
        return;
    std::string text = "the last update was cut short";
    for (const DataFile file : restored)
        text += "\r\nold copy of " + std::string(DataFolder::shownName(file)) + " restored";
    m_boxes.inform(MessageBoxes::Kind::Information, withHeading(text),
                   m_state.folder.directory().string());
}

void StartupSequence::loadExactCalls()
{
    const CallListLoad &load = m_state.loadExactCalls();
    if (load || load.missing())
        return; // a folder of an older version holds no list: Vorn answers as it did
    const std::string file = m_state.folder.path(DataFiles::CallsFile).string();
    m_boxes.inform(MessageBoxes::Kind::Warning,
                   withHeading(std::string(DataFiles::CallsFile) + " not used: " + load.reason() +
                               "\r\nVorn answers without its list of exact calls."),
                   file + ": " + load.reason());
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

bool StartupSequence::loadWithoutUpdates(DataFile file)
{
    const LoadResult result = m_state.load(file);
    if (result)
        return true;
    m_boxes.inform(MessageBoxes::Kind::Error,
                   withHeading("error reading " + std::string(DataFolder::shownName(file)) +
                               "\r\nYou need to update"),
                   describeFailure(file, result));
    m_state.settings.dataVersion = 0;
    return false;
}

void StartupSequence::warnOfUnusableRows()
{
    std::string text;
    std::string details;
    for (const DataFile file : {DataFile::Country, DataFile::Bureau}) {
        const DataFileProblem problem = m_state.findings(file);
        if (problem == DataFileProblem::None)
            continue;
        text += "\r\n" + m_state.folder.fileOf(file).filename().string() + ": " +
                std::string(explain(problem));
        details +=
            m_state.folder.fileOf(file).string() + ": " + std::string(explain(problem)) + "\n";
    }
    const std::vector<RowWithoutBureau> rows =
        rowsWithoutBureau(m_state.countries, m_state.bureaus);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RowWithoutBureau &row = rows[i];
        const std::string line = std::string(DataFiles::CountryFile) + " line " +
                                 std::to_string(row.line) + ", " + row.prefix + ": entity code " +
                                 row.entityCode + " not in " + DataFiles::BureauFile;
        if (i < RowsNamed)
            text += "\r\n" + line;
        details += line + "\n";
    }
    if (rows.size() > RowsNamed)
        text += "\r\nand " + std::to_string(rows.size() - RowsNamed) + " rows more";
    if (text.empty())
        return;
    // The rows stay as they are: they may be the user's own.
    m_boxes.inform(MessageBoxes::Kind::Warning,
                   withHeading("the data files hold rows that Vorn cannot answer for:" + text),
                   m_state.folder.directory().string() + "\n" + details);
}
