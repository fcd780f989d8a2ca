#include "core/shell/UpdatePolicy.h"

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "core/data/DataFileCheck.h"
#include "core/data/DataVersion.h"
#include "core/data/ExactCallList.h"
#include "core/settings/Version.h"
#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"
#include "core/text/Ascii.h"

namespace {

std::string failedToDownload(DataFile file)
{
    return "failed to download " + std::string(DataFolder::shownName(file));
}

// The entity codes that the country rows and the list of exact calls use and the bureau file has
// no record for: of the staged files of a set where it has them, else of those in the folder.
std::set<std::string> codesWithoutBureau(const DataFolder &folder,
                                         const std::vector<StagedFile> &staged = {})
{
    const auto pathOf = [&](DataFile file) {
        for (const StagedFile &stagedFile : staged) {
            if (stagedFile.file == file)
                return stagedFile.path;
        }
        return folder.fileOf(file);
    };
    CountryTable countries;
    BureauTable bureaus;
    loadCountryTable(countries, pathOf(DataFile::Country));
    loadBureauTable(bureaus, pathOf(DataFile::Bureau));
    std::set<std::string> codes;
    for (const RowWithoutBureau &row : rowsWithoutBureau(countries, bureaus))
        codes.insert(Ascii::upperText(row.entityCode));
    ExactCallList calls;
    if (loadExactCallList(calls, pathOf(DataFile::Calls))) {
        for (const std::string &code : calls.entityCodes()) {
            if (bureaus.firstOf(code) == nullptr)
                codes.insert(Ascii::upperText(code));
        }
    }
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
    DownloadRequest request{Download::kindOf(file), backupFirst, {}, m_deadline, false};
    if (m_published)
        request.expected = m_published->fileOf(file);
    return request;
}

std::vector<DataFile> UpdatePolicy::filesOfTheUpdate() const
{
    // The list only when the publisher names it: one of an older publication stays as it is.
    if (m_published && m_published->calls)
        return {DataFile::Country, DataFile::Bureau, DataFile::Calls};
    return {DataFile::Country, DataFile::Bureau};
}

void UpdatePolicy::reportRefusedSet(const std::vector<StagedFile> &set, const std::string &detail)
{
    for (const StagedFile &staged : set)
        m_boxes.inform(MessageBoxes::Kind::Error,
                       withHeading(failedToDownload(staged.file) + ", old file restored"), detail);
}

std::optional<std::filesystem::path> UpdatePolicy::downloadDataFile(DataFile file)
{
    DownloadRequest request = requestFor(file, true);
    request.staged = true;
    const DownloadResult result = m_downloader.download(request);
    if (result.succeeded() && !result.stagedFile.empty())
        return result.stagedFile;
    // A failed download never touches the file. When what lies there cannot be used, the backup
    // copy takes its place now, so that "restored" is true.
    const bool usable = m_state.folder.holdsData(file) || m_state.folder.restoreBackup(file);
    std::string text = failedToDownload(file) + (usable ? ", old file restored" : "");
    // A publication that is sound but far smaller is a publisher's matter: the counts are said.
    if (result.failure == DownloadFailure::MuchSmaller)
        text += "\r\n" + result.detail;
    m_boxes.inform(MessageBoxes::Kind::Error, withHeading(text), result.detail);
    return std::nullopt;
}

bool UpdatePolicy::fitsTogether(const std::set<std::string> &codesBefore,
                                const std::vector<StagedFile> &set)
{
    std::string lost;
    for (const std::string &code : codesWithoutBureau(m_state.folder, set)) {
        if (!codesBefore.contains(code))
            lost += (lost.empty() ? "" : ", ") + code;
    }
    if (lost.empty())
        return true;
    // Calls that had an answer would have none: a publisher's mistake, or files of different
    // publications. None of the set takes its name.
    reportRefusedSet(set, std::string("the data files from ") + m_host +
                              " do not fit together: " + DataFiles::BureauFile +
                              " has no record for the entity codes " + lost);
    return false;
}

bool UpdatePolicy::downloadDataFiles()
{
    m_deadline = std::chrono::steady_clock::now() + m_timeLeft.value_or(m_clock.wholeUpdate);
    const std::set<std::string> codesBefore = codesWithoutBureau(m_state.folder);
    // Every file of the set is fetched and checked before any takes its name; after a failure
    // the rest would only be thrown away.
    std::vector<StagedFile> set;
    for (const DataFile file : filesOfTheUpdate()) {
        const std::optional<std::filesystem::path> staged = downloadDataFile(file);
        if (!staged) {
            DataSetInstaller::discard(set);
            endUpdate();
            return false;
        }
        set.push_back({file, *staged});
    }
    endUpdate();
    if (!fitsTogether(codesBefore, set)) {
        DataSetInstaller::discard(set);
        return false;
    }
    if (const std::error_code error =
            DataSetInstaller(m_state.folder, m_installSteps).install(set)) {
        reportRefusedSet(set, "cannot put the new data files in place in " +
                                  m_state.folder.directory().string() + ": " + error.message());
        return false;
    }
    return true;
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

bool UpdatePolicy::reloadList()
{
    const CallListLoad result = m_state.loadExactCalls();
    if (result)
        return true;
    if (m_state.folder.restoreBackup(DataFile::Calls))
        m_state.loadExactCalls();
    m_boxes.inform(MessageBoxes::Kind::Information, withHeading(failedToDownload(DataFile::Calls)),
                   m_state.folder.fileOf(DataFile::Calls).string() + ": " + result.reason());
    return false;
}

void UpdatePolicy::installUpdate(std::int32_t publishedVersion)
{
    const bool replaced = downloadDataFiles();
    const bool countryLoads = reloadOrRestore(DataFile::Country);
    const bool bureauLoads = reloadOrRestore(DataFile::Bureau);
    // The list is read anew, as the tables are, when the update brought one.
    const bool listLoads = !replaced || filesOfTheUpdate().size() < 3 || reloadList();
    if (replaced && countryLoads && bureauLoads && listLoads)
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
