#include "core/data/DataFolder.h"

#include "core/data/DataFileCheck.h"
#include "core/data/DataFiles.h"
#include "core/text/FileReplacement.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <iterator>
#include <system_error>

namespace {

bool anythingAt(const std::filesystem::path &path)
{
    std::error_code ignored;
    return std::filesystem::symlink_status(path, ignored).type() !=
           std::filesystem::file_type::not_found;
}

} // namespace

bool renameWithoutReplacing(const std::filesystem::path &from, const std::filesystem::path &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace flag: test first, accepting the short race.
    if (anythingAt(to))
        return false;
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
}

namespace {

struct NamesOfAFile
{
    const char *file;
    const char *backup;
    const char *shown; // as messages name it
};

// In the order of DataFile.
constexpr NamesOfAFile Names[] = {
    {DataFiles::CountryFile, DataFiles::CountryBackup, "COUNTRY.ASC"},
    {DataFiles::BureauFile, DataFiles::BureauBackup, "VORN.ASC"},
    {DataFiles::CallsFile, DataFiles::CallsBackup, "CALLS.ASC"},
};
static_assert(std::size(Names) == std::size(AllDataFiles));

const NamesOfAFile &namesOf(DataFile file)
{
    return Names[static_cast<std::size_t>(file)];
}

} // namespace

std::string_view DataFolder::nameOf(DataFile file)
{
    return namesOf(file).file;
}

std::filesystem::path DataFolder::fileOf(DataFile file) const
{
    return path(nameOf(file));
}

std::filesystem::path DataFolder::backupOf(DataFile file) const
{
    return path(namesOf(file).backup);
}

std::string_view DataFolder::shownName(DataFile file)
{
    return namesOf(file).shown;
}

namespace {

bool isData(DataFile file, const std::filesystem::path &path, std::string &bytes)
{
    if (!readWholeFile(path, bytes))
        return false;
    MemorySource source(bytes);
    return isUsable(file, checkDataFile(file, source));
}

} // namespace

bool DataFolder::holdsData(DataFile file) const
{
    std::string bytes;
    return isData(file, fileOf(file), bytes);
}

std::error_code DataFolder::backUp(DataFile file) const
{
    std::string bytes;
    if (!isData(file, fileOf(file), bytes))
        return {};
    // A copy, not a second name: a file changed in place must not change its backup too.
    return replaceOwnFile(backupOf(file), bytes);
}

bool DataFolder::hasBackup(DataFile file) const
{
    return anythingAt(backupOf(file));
}

bool DataFolder::restoreBackup(DataFile file) const
{
    if (!hasBackup(file))
        return false;
    // A rename never replaces a file, so whatever lies under the name goes first.
    std::error_code ignored;
    std::filesystem::remove(fileOf(file), ignored);
    return renameWithoutReplacing(backupOf(file), fileOf(file));
}
