#include "core/shell/UpdatePolicy.h"

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/data/DataFileCheck.h"
#include "core/data/DataVersion.h"
#include "core/settings/Version.h"
#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"
#include "core/text/Ascii.h"

namespace {

DownloadKind kindOf(DataFile file)
{
    return file == DataFile::Country ? DownloadKind::CountryFile : DownloadKind::BureauFile;
}

std::string failedToDownload(DataFile file)
{
    return "failed to download " + std::string(DataFolder::shownName(file));
}

// The entity codes that country.asc uses and vorn.asc has no record for, as the files in the
// folder are now.
std::set<std::string> codesWithoutBureau(const DataFolder &folder)
{
    CountryTable countries;
    BureauTable bureaus;
    loadCountryTable(countries, folder.fileOf(DataFile::Country));
    loadBureauTable(bureaus, folder.fileOf(DataFile::Bureau));
    std::set<std::string> codes;
    for (const RowWithoutBureau &row : rowsWithoutBureau(countries, bureaus))
        codes.insert(Ascii::upperText(row.entityCode));
    return codes;
}

} // namespace

UpdatePolicy::UpdatePolicy(AppState &state, MessageBoxes &boxes, Downloader &downloader,
                           UpdateDialog &dialog, std::string host, UpdateClock clock)
    : m_state(state), m_boxes(boxes), m_downloader(downloader), m_dialog(dialog),
      m_host(std::move(host)), m_clock(std::move(clock))
{}

DownloadResult UpdatePolicy::fetchUpdateInfo()
{
    const auto start = std::chrono::steady_clock::now();
    m_deadline = start + m_clock.wholeUpdate;
    DownloadResult info =
        m_downloader.download(DownloadRequest{DownloadKind::UpdateInfo, false, {}, m_deadline});
    // The time a question then waits for the user is not the server's.
    m_timeLeft = std::chrono::duration_cast<std::chrono::milliseconds>(
        m_clock.wholeUpdate - (std::chrono::steady_clock::now() - start));
    if (info.succeeded() && !isPlausibleDataVersion(info.published.data, m_clock.today())) {
        // Stored, it would make every later publication look old.
        info.failure = DownloadFailure::NoDataVersion;
        info.detail = "the update information from " + m_host + " names the data version " +
                      std::to_string(info.published.data) +
                      ", which cannot be one: its first eight digits must be a date no later "
                      "than a year from today";
    }
    if (info.succeeded())
        m_published = info.published;
    else
        m_published.reset();
    return info;
}

void UpdatePolicy::endUpdate()
{
    m_deadline.reset();
    m_timeLeft.reset();
}

bool UpdatePolicy::isNewer(std::int32_t published, std::int32_t installed) const
{
    // A stored number that no check would take today, such as one stored before they were
    // checked, must not hold every publication back.
    if (!isPlausibleDataVersion(installed, m_clock.today()))
        installed = 0;
    return published > installed;
}

void UpdatePolicy::reportFailedCheck(const DownloadResult &result)
{
    m_boxes.inform(MessageBoxes::Kind::Error,
                   withHeading("failed to check for updates (" +
                               std::to_string(checkFailureCode(result.failure)) + ")"),
                   result.detail);
}

DownloadRequest UpdatePolicy::requestFor(DataFile file, bool backupFirst) const
{
    DownloadRequest request{kindOf(file), backupFirst, {}, m_deadline};
    if (m_published)
        request.expected = m_published->fileOf(file);
    return request;
}

bool UpdatePolicy::downloadDataFile(DataFile file)
{
    const DownloadResult result = m_downloader.download(requestFor(file, true));
    if (result.succeeded())
        return true;
    // A failed download never touches the file. When what lies there cannot be used, the backup
    // copy takes its place now, so that "restored" is true.
    const bool usable = m_state.folder.holdsData(file) || m_state.folder.restoreBackup(file);
    m_boxes.inform(MessageBoxes::Kind::Error,
                   withHeading(failedToDownload(file) + (usable ? ", old file restored" : "")),
                   result.detail);
    return false;
}

bool UpdatePolicy::keepOnlyFittingFiles(const std::set<std::string> &codesBefore,
                                        bool countryReplaced, bool bureauReplaced)
{
    std::string lost;
    for (const std::string &code : codesWithoutBureau(m_state.folder)) {
        if (!codesBefore.contains(code))
            lost += (lost.empty() ? "" : ", ") + code;
    }
    if (lost.empty())
        return true;
    // Calls that had an answer would have none: a publisher's mistake, or two files of different
    // publications. The pair goes back to what it was.
    const std::string detail = std::string(DataFiles::CountryFile) + " and " +
                               DataFiles::BureauFile + " from " + m_host +
                               " do not fit together: " + DataFiles::BureauFile +
                               " has no record for the entity codes " + lost;
    for (const auto &[file, replaced] : {std::pair{DataFile::Country, countryReplaced},
                                         std::pair{DataFile::Bureau, bureauReplaced}}) {
        if (replaced && m_state.folder.restoreBackup(file))
            m_boxes.inform(MessageBoxes::Kind::Error,
                           withHeading(failedToDownload(file) + ", old file restored"), detail);
    }
    return false;
}

bool UpdatePolicy::downloadDataFiles()
{
    m_deadline = std::chrono::steady_clock::now() + m_timeLeft.value_or(m_clock.wholeUpdate);
    const std::set<std::string> codesBefore = codesWithoutBureau(m_state.folder);
    // The bureau file is fetched even when the country file failed.
    const bool countryReplaced = downloadDataFile(DataFile::Country);
    const bool bureauReplaced = downloadDataFile(DataFile::Bureau);
    endUpdate();
    if (!countryReplaced && !bureauReplaced)
        return false;
    return keepOnlyFittingFiles(codesBefore, countryReplaced, bureauReplaced) && countryReplaced &&
           bureauReplaced;
}

bool UpdatePolicy::downloadWithoutBackup(DataFile file)
{
    const DownloadResult result = m_downloader.download(requestFor(file, false));
    if (result.succeeded())
        return true;
    m_boxes.inform(MessageBoxes::Kind::Error, withHeading(failedToDownload(file)), result.detail);
    return false;
}

bool UpdatePolicy::downloadCountryFile()
{
    return downloadWithoutBackup(DataFile::Country);
}

bool UpdatePolicy::downloadBureauFile()
{
    return downloadWithoutBackup(DataFile::Bureau);
}

StartupUpdateResult UpdatePolicy::startupUpdateCheck(UpdateMode mode, std::int32_t dataVersion)
{
    StartupUpdateResult result;
    const DownloadResult info = fetchUpdateInfo();
    if (!info.succeeded()) {
        reportFailedCheck(info);
    } else if (isNewer(info.published.data, dataVersion) &&
               (mode != UpdateMode::Manual ||
                m_boxes.askYes(MessageBoxes::Kind::Information,
                               withHeading("new update available, download now ?")))) {
        result = {downloadDataFiles(), info.published.data};
    }
    endUpdate();
    return result;
}

bool UpdatePolicy::reloadOrRestore(DataFile file)
{
    const LoadResult result = m_state.load(file);
    if (result)
        return true;
    if (m_state.folder.restoreBackup(file))
        m_state.load(file);
    // Said even when the old copy loads again: the update did not take.
    m_boxes.inform(MessageBoxes::Kind::Information, withHeading(failedToDownload(file)),
                   m_state.folder.fileOf(file).string() + ": " + result.error.message());
    return false;
}

void UpdatePolicy::installUpdate(std::int32_t publishedVersion)
{
    const bool replaced = downloadDataFiles();
    const bool countryLoads = reloadOrRestore(DataFile::Country);
    const bool bureauLoads = reloadOrRestore(DataFile::Bureau);
    if (replaced && countryLoads && bureauLoads)
        m_state.settings.dataVersion =
            installedDataVersion(publishedVersion, m_state.bureauFileVersion);
}

void UpdatePolicy::updateMenuClick()
{
    const UpdateDialog::Choice choice =
        m_dialog.exec(m_state.settings.updateMode, m_state.installedDataInWords());
    if (choice.button == UpdateDialog::Button::Ok)
        m_state.settings.updateMode = choice.mode;
    // Only the button pressed in this showing checks: a dialog left with Escape or its close box
    // runs nothing, whatever an earlier showing asked for.
    if (choice.button != UpdateDialog::Button::CheckNow)
        return;

    const DownloadResult info = fetchUpdateInfo();
    if (!info.succeeded()) {
        reportFailedCheck(info);
        endUpdate();
        return;
    }
    // The update mode plays no part here: "Check now" asks in every mode.
    if (isNewer(info.published.data, m_state.settings.dataVersion)) {
        if (m_boxes.askYes(MessageBoxes::Kind::Information,
                           withHeading("new update available, download now ?")))
            installUpdate(info.published.data);
    } else {
        m_boxes.inform(MessageBoxes::Kind::Information, withHeading("no new update available"));
    }
    endUpdate();
    if (info.published.program > ProgramVersionNumber)
        m_boxes.inform(MessageBoxes::Kind::Information,
                       withHeading("a new version of Vorn is can be downloaded from " + m_host));
}
