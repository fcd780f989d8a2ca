#include "app/ShippedFiles.h"

#include "data/DataFiles.h"

#include <system_error>

std::filesystem::path shippedFilesDirectory(const std::filesystem::path &programDirectory)
{
    return (programDirectory / VORN_SHARE_DIR_FROM_PROGRAM).lexically_normal();
}

std::filesystem::path helpFilePath(const std::filesystem::path &programDirectory,
                                   const std::filesystem::path &dataDirectory)
{
    const std::filesystem::path shipped =
        shippedFilesDirectory(programDirectory) / DataFiles::HelpFile;
    std::error_code error;
    if (std::filesystem::is_regular_file(shipped, error))
        return shipped;
    return dataDirectory / DataFiles::HelpFile;
}
