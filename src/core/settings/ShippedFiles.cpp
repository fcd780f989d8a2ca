#include "core/settings/ShippedFiles.h"

#include "core/data/DataFiles.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

fs::path shippedFilesDirectory(const fs::path &programDirectory)
{
    return (programDirectory / VORN_SHARE_DIR_FROM_PROGRAM).lexically_normal();
}

std::optional<fs::path> runningProgramDirectory()
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    return self.parent_path();
}

std::optional<fs::path> userDataDirectory()
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome) // an empty one counts as none
        return fs::path(dataHome) / "vorn";
    const char *home = std::getenv("HOME");
    if (home && *home)
        return fs::path(home) / ".local/share/vorn";
    return std::nullopt;
}

namespace {

bool holdsCountryFile(const fs::path &directory)
{
    std::error_code ignored;
    return fs::exists(directory / DataFiles::CountryFile, ignored);
}

} // namespace

std::optional<fs::path> findDataDirectory()
{
    if (holdsCountryFile("."))
        return fs::path(".");
    std::optional<fs::path> shipped = runningProgramDirectory();
    if (shipped)
        shipped = shippedFilesDirectory(*shipped);
    for (const auto &candidate : {userDataDirectory(), shipped}) {
        if (candidate && holdsCountryFile(*candidate))
            return candidate;
    }
    return std::nullopt;
}

fs::path helpFilePath(const fs::path &programDirectory, const fs::path &dataDirectory)
{
    const fs::path shipped = shippedFilesDirectory(programDirectory) / DataFiles::HelpFile;
    std::error_code error;
    if (fs::is_regular_file(shipped, error))
        return shipped;
    return dataDirectory / DataFiles::HelpFile;
}
