#include "core/net/DataSetInstaller.h"

#include "core/data/DataFiles.h"
#include "core/net/Sha256.h"
#include "core/text/ByteSource.h"
#include "core/text/FileReplacement.h"

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>

namespace {

constexpr std::string_view JournalHeading = "Vorn data files being installed";

std::optional<Sha256::Digest> digestOfFile(const std::filesystem::path &path)
{
    std::string bytes;
    if (!readWholeFile(path, bytes))
        return std::nullopt;
    return Sha256::of(bytes);
}

std::optional<DataFile> dataFileNamed(std::string_view name)
{
    for (const DataFile file : AllDataFiles) {
        if (name == DataFolder::nameOf(file))
            return file;
    }
    return std::nullopt;
}

} // namespace

struct DataSetInstaller::Entry
{
    DataFile file;
    Sha256::Digest sha256;
    std::string staged; // a name in the folder
};

DataSetInstaller::DataSetInstaller(const DataFolder &folder,
                                   std::function<void(std::string_view)> onStep)
    : m_folder(folder), m_onStep(std::move(onStep))
{}

void DataSetInstaller::step(std::string_view what) const
{
    if (m_onStep)
        m_onStep(what);
}

void DataSetInstaller::discard(const std::vector<StagedFile> &set)
{
    for (const StagedFile &staged : set) {
        std::error_code ignored;
        std::filesystem::remove(staged.path, ignored);
    }
}

std::error_code DataSetInstaller::install(const std::vector<StagedFile> &set) const
{
    const std::filesystem::path journal = m_folder.path(DataFiles::InstallJournal);
    std::vector<Entry> entries;
    std::string text = std::string(JournalHeading) + "\r\n";
    for (const StagedFile &staged : set) {
        const std::optional<Sha256::Digest> digest = digestOfFile(staged.path);
        if (!digest) {
            discard(set);
            return std::make_error_code(std::errc::io_error);
        }
        entries.push_back({staged.file, *digest, staged.path.filename().string()});
        text += std::string(DataFolder::nameOf(staged.file)) + " " + Sha256::toHex(*digest) + " " +
                entries.back().staged + "\r\n";
    }
    // The staged files and the backup copies are on disk before the journal names them.
    std::error_code error = syncFolder(m_folder.directory());
    if (!error)
        error = replaceOwnFile(journal, text);
    if (!error)
        error = syncFolder(m_folder.directory());
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(journal, ignored);
        discard(set);
        return error;
    }
    step("journal written");
    for (std::size_t i = 0; i < set.size(); ++i) {
        if (std::rename(set[i].path.c_str(), m_folder.fileOf(set[i].file).c_str()) != 0) {
            error = {errno, std::system_category()};
            rollBack(entries);
            discard(set);
            std::error_code ignored;
            std::filesystem::remove(journal, ignored);
            syncFolder(m_folder.directory());
            return error;
        }
        step(std::string(DataFolder::nameOf(set[i].file)) + " in place");
    }
    // Every new name on disk before the journal that would undo them goes.
    error = syncFolder(m_folder.directory());
    std::error_code removed;
    std::filesystem::remove(journal, removed);
    syncFolder(m_folder.directory());
    step("journal removed");
    // A folder that cannot be synced has its names in the system's hands all the same.
    return {};
}

std::vector<DataFile> DataSetInstaller::rollBack(const std::vector<Entry> &entries) const
{
    std::vector<DataFile> restored;
    for (const Entry &entry : entries) {
        std::error_code ignored;
        std::filesystem::remove(m_folder.path(entry.staged), ignored);
        const std::filesystem::path target = m_folder.fileOf(entry.file);
        // Only a file that the installation put there: anything else is left as it is.
        if (digestOfFile(target) != entry.sha256)
            continue;
        std::string backup;
        if (readWholeFile(m_folder.backupOf(entry.file), backup)) {
            // The same file as before: nothing to put back.
            if (Sha256::of(backup) == entry.sha256)
                continue;
            // A copy: the backup stays, and a crash in the middle leaves either file whole.
            if (replaceOwnFile(target, backup))
                continue;
        } else if (!std::filesystem::remove(target, ignored)) {
            // It had no file before the installation: it has none again.
            continue;
        }
        restored.push_back(entry.file);
    }
    syncFolder(m_folder.directory());
    return restored;
}

std::vector<DataFile> DataSetInstaller::recover() const
{
    const std::filesystem::path journal = m_folder.path(DataFiles::InstallJournal);
    std::string text;
    if (!readWholeFile(journal, text))
        return {};
    std::vector<Entry> entries;
    std::istringstream lines(text);
    std::string line;
    bool headed = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!headed) {
            headed = line == JournalHeading;
            if (!headed)
                break;
            continue;
        }
        std::istringstream words(line);
        std::string name, hex, staged, more;
        if (!(words >> name >> hex >> staged) || (words >> more))
            continue;
        const std::optional<DataFile> file = dataFileNamed(name);
        const std::optional<Sha256::Digest> digest = Sha256::fromHex(hex);
        // A staged name is a plain name in the folder, never a path elsewhere.
        if (file && digest && staged.find('/') == std::string::npos && staged != "." &&
            staged != "..")
            entries.push_back({*file, *digest, staged});
    }
    // A journal that says nothing Vorn can act on changes no data file.
    const std::vector<DataFile> restored = headed ? rollBack(entries) : std::vector<DataFile>{};
    std::error_code ignored;
    std::filesystem::remove(journal, ignored);
    syncFolder(m_folder.directory());
    step("recovered");
    return restored;
}
