#include "core/shell/UpdatePolicy.h"

#include "core/settings/Version.h"
#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"

namespace {

DownloadKind kindOf(DataFile file)
{
    return file == DataFile::Country ? DownloadKind::CountryFile : DownloadKind::BureauFile;
}

std::string failedToDownload(DataFile file)
{
    return "failed to download " + std::string(DataFolder::shownName(file));
}

} // namespace

UpdatePolicy::UpdatePolicy(AppState &state, MessageBoxes &boxes, Downloader &downloader,
                           UpdateDialog &dialog, std::string host)
    : m_state(state), m_boxes(boxes), m_downloader(downloader), m_dialog(dialog),
      m_host(std::move(host))
{}

DownloadResult UpdatePolicy::fetchUpdateInfo()
{
    return m_downloader.download(DownloadKind::UpdateInfo, false);
}

void UpdatePolicy::reportFailedCheck(const DownloadResult &result)
{
    m_boxes.inform(MessageBoxes::Kind::Error,
                   withHeading("failed to check for updates (" +
                               std::to_string(checkFailureCode(result.failure)) + ")"),
                   result.detail);
}

bool UpdatePolicy::downloadDataFile(DataFile file)
{
    const DownloadResult result = m_downloader.download(kindOf(file), true);
    if (result.succeeded())
        return true;
    // A failed download never touches the file, so the old one is still in place.
    m_boxes.inform(MessageBoxes::Kind::Error,
                   withHeading(failedToDownload(file) + ", old file restored"), result.detail);
    return false;
}

bool UpdatePolicy::downloadDataFiles()
{
    // The bureau file is fetched even when the country file failed.
    const bool countryReplaced = downloadDataFile(DataFile::Country);
    const bool bureauReplaced = downloadDataFile(DataFile::Bureau);
    return countryReplaced && bureauReplaced;
}

bool UpdatePolicy::downloadWithoutBackup(DataFile file)
{
    const DownloadResult result = m_downloader.download(kindOf(file), false);
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
    const DownloadResult info = fetchUpdateInfo();
    if (!info.succeeded()) {
        reportFailedCheck(info);
        return {};
    }
    if (info.published.data <= dataVersion)
        return {};
    if (mode == UpdateMode::Manual &&
        !m_boxes.askYes(MessageBoxes::Kind::Information,
                        withHeading("new update available, download now ?")))
        return {};
    return {downloadDataFiles(), info.published.data};
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
        m_state.settings.dataVersion = publishedVersion;
}

void UpdatePolicy::updateMenuClick()
{
    const UpdateDialog::Choice choice = m_dialog.exec(m_state.settings.updateMode);
    switch (choice.button) {
    case UpdateDialog::Button::Ok:
        m_state.settings.updateMode = choice.mode;
        m_checkNowRequested = false;
        break;
    case UpdateDialog::Button::Cancel:
        m_checkNowRequested = false;
        break;
    case UpdateDialog::Button::CheckNow:
        m_checkNowRequested = true;
        break;
    case UpdateDialog::Button::CloseBox:
        // The close box changes nothing: the last button pressed decides.
        break;
    }
    if (!m_checkNowRequested)
        return;

    const DownloadResult info = fetchUpdateInfo();
    if (!info.succeeded()) {
        reportFailedCheck(info);
        return;
    }
    // The update mode plays no part here: "Check now" asks in every mode.
    if (info.published.data > m_state.settings.dataVersion) {
        if (m_boxes.askYes(MessageBoxes::Kind::Information,
                           withHeading("new update available, download now ?")))
            installUpdate(info.published.data);
    } else {
        m_boxes.inform(MessageBoxes::Kind::Information, withHeading("no new update available"));
    }
    if (info.published.program > ProgramVersionNumber)
        m_boxes.inform(MessageBoxes::Kind::Information,
                       withHeading("a new version of Vorn is can be downloaded from " + m_host));
}
