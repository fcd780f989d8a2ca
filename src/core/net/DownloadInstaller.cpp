#include "core/net/DownloadInstaller.h"

#include "core/data/DataFileCheck.h"
#include "core/data/DataFiles.h"
#include "core/text/FileReplacement.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <system_error>

DownloadInstaller::DownloadInstaller(const DataFolder &folder, DownloadKind kind, std::string host)
    : m_folder(folder), m_kind(kind), m_host(std::move(host))
{}

DownloadInstaller::~DownloadInstaller()
{
    close();
}

std::filesystem::path DownloadInstaller::targetPath() const
{
    return m_folder.path(Download::targetName(m_kind));
}

std::filesystem::path DownloadInstaller::receivedPath() const
{
    // The answer arrives beside the file it replaces, which stays whole until the end.
    return targetPath().string() + ".part";
}

void DownloadInstaller::backUp() const
{
    if (const std::optional<DataFile> file = Download::dataFileOf(m_kind))
        m_folder.backUp(*file);
}

bool DownloadInstaller::create()
{
    close();
    m_received = std::fopen(receivedPath().c_str(), "wb");
    if (m_received != nullptr)
        return true;
    m_error = "cannot create " + receivedPath().string() + ": " + std::strerror(errno);
    return false;
}

bool DownloadInstaller::append(std::string_view bytes)
{
    if (m_received != nullptr &&
        std::fwrite(bytes.data(), 1, bytes.size(), m_received) == bytes.size() &&
        std::fflush(m_received) == 0)
        return true;
    m_error = "cannot write " + receivedPath().string() + ": " + std::strerror(errno);
    return false;
}

void DownloadInstaller::close()
{
    if (m_received != nullptr)
        std::fclose(m_received);
    m_received = nullptr;
}

DownloadResult DownloadInstaller::install()
{
    close();
    DownloadResult result;
    FileReplacement replacement(targetPath(), m_folder.path(DataFiles::DownloadWorkFile));
    if (!stripHttpHeader(receivedPath(), replacement)) {
        result.failure = DownloadFailure::BadResponse;
        result.detail = "the answer from " + m_host + " could not be stored";
        return result;
    }
    if (const std::optional<DataFile> file = Download::dataFileOf(m_kind)) {
        // Only data replaces data: an error or portal page served as the file is refused.
        const DataFileProblem problem = checkDataFile(*file, replacement.workFile());
        if (rulesOutData(problem)) {
            result.failure = DownloadFailure::NotDataFile;
            result.detail =
                "what " + m_host + " sent is not a data file: " + std::string(explain(problem));
            return result;
        }
    } else {
        const UpdateInfoReading reading = readUpdateInfo(replacement.workFile());
        result.failure = reading.failure;
        result.published = reading.published;
        if (!result.succeeded()) {
            result.detail = "the update information from " + m_host + " holds no version";
            return result;
        }
    }
    if (const std::error_code error = replacement.commit()) {
        result.failure = DownloadFailure::ReceiveFailed;
        result.detail = "cannot replace " + targetPath().string() + ": " + error.message();
    }
    return result;
}

void DownloadInstaller::removeLeftovers()
{
    close();
    std::error_code ignored;
    std::filesystem::remove(receivedPath(), ignored);
    std::filesystem::remove(m_folder.path(DataFiles::DownloadWorkFile), ignored);
}
