#include "data/StartupSequence.h"

#include "app/MessageBoxes.h"
#include "data/DataFiles.h"
#include "net/UpdateOperations.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <utility>

namespace {

struct FileNames
{
    const char *file;
    const char *backup;
    const char *shown; // as the messages name it
};

constexpr FileNames CountryNames{DataFiles::CountryFile, DataFiles::CountryBackup, "COUNTRY.ASC"};
constexpr FileNames BureauNames{DataFiles::BureauFile, DataFiles::BureauBackup, "VORN.ASC"};

} // namespace

bool renameWithoutReplacing(const std::filesystem::path &from, const std::filesystem::path &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace flag: test first, accepting the short race.
    std::error_code error;
    if (std::filesystem::symlink_status(to, error).type() != std::filesystem::file_type::not_found)
        return false;
    std::filesystem::rename(from, to, error);
    return !error;
}

StartupSequence::StartupSequence(AppSettings &settings, CountryTable &countries,
                                 BureauTable &bureaus, std::filesystem::path dataDirectory,
                                 MessageBoxes &boxes, UpdateOperations &updates,
                                 StartupWindow &window)
    : m_settings(settings), m_countries(countries), m_bureaus(bureaus),
      m_dataDirectory(std::move(dataDirectory)), m_boxes(boxes), m_updates(updates),
      m_window(window)
{}

bool StartupSequence::run()
{
    if (m_settings.qslInfoMode != QslInfoMode::None)
        m_window.applyQslInfoMode();

    bool dataReplaced = false;
    std::int32_t publishedDataVersion = 0;
    bool loaded = true;
    if (m_settings.updateMode != UpdateMode::None) {
        const StartupUpdateResult update =
            m_updates.startupUpdateCheck(m_settings.updateMode, m_settings.dataVersion);
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
        m_settings.dataVersion = publishedDataVersion;
    return loaded;
}

bool StartupSequence::load(DataFile file)
{
    if (file == DataFile::Country)
        return static_cast<bool>(loadCountryTable(m_countries, pathOf(DataFiles::CountryFile)));
    return static_cast<bool>(loadBureauTable(m_bureaus, pathOf(DataFiles::BureauFile)));
}

bool StartupSequence::download(DataFile file)
{
    return file == DataFile::Country ? m_updates.downloadCountryFile()
                                     : m_updates.downloadBureauFile();
}

bool StartupSequence::loadWithRecovery(DataFile file, bool &dataReplaced)
{
    const FileNames &names = file == DataFile::Country ? CountryNames : BureauNames;
    bool loaded = load(file);
    if (!loaded) {
        dataReplaced = false;
        const std::string question =
            std::string("error reading ") + names.shown + ", download this file ?";
        if (m_boxes.askYes(MessageBoxes::Kind::Error, withHeading(question)) && download(file))
            loaded = load(file);
    }
    std::error_code ignored;
    if (!loaded && std::filesystem::exists(pathOf(names.backup), ignored)) {
        // A rename never replaces a file, so the unreadable one goes first.
        std::filesystem::remove(pathOf(names.file), ignored);
        if (renameWithoutReplacing(pathOf(names.backup), pathOf(names.file))) {
            loaded = load(file);
            if (loaded) {
                m_boxes.inform(
                    MessageBoxes::Kind::Information,
                    withHeading(std::string("old copy of ") + names.shown + " restored"));
            }
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
    if (load(file))
        return;
    const FileNames &names = file == DataFile::Country ? CountryNames : BureauNames;
    m_boxes.inform(MessageBoxes::Kind::Error, withHeading(std::string("error reading ") +
                                                          names.shown + "\r\nYou need to update"));
    m_settings.dataVersion = 0;
}
