#include "core/net/DownloadInstaller.h"

#include "core/data/DataFileCheck.h"
#include "core/data/DataFiles.h"
#include "core/text/FileReplacement.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// The strip step's work file: "vorn_file.<pid>-<attempt>.tmp".
const WorkFileName StripWorkFile{DataFiles::DownloadWorkFileStem, ".tmp"};

// Where a staged data file waits for the rest of its set: "country.asc.<pid>-<attempt>.new".
WorkFileName stagedName(DownloadKind kind)
{
    return {std::string(Download::targetName(kind)), ".new"};
}

} // namespace

DownloadInstaller::DownloadInstaller(const DataFolder &folder, DownloadKind kind, std::string host,
                                     std::optional<PublishedFile> expected, bool staged)
    : m_folder(folder), m_kind(kind), m_host(std::move(host)), m_expected(expected),
      m_staged(staged)
{}

DownloadInstaller::~DownloadInstaller()
{
    close();
}

std::filesystem::path DownloadInstaller::targetPath() const
{
    return m_folder.path(Download::targetName(m_kind));
}

std::error_code DownloadInstaller::backUp() const
{
    if (const std::optional<DataFile> file = Download::dataFileOf(m_kind))
        return m_folder.backUp(*file);
    return {};
}

void DownloadInstaller::removeStaleFiles() const
{
    const std::filesystem::path &directory = m_folder.directory();
    removeStaleWorkFiles(directory, {std::string(Download::targetName(m_kind)), ".part"});
    removeStaleWorkFiles(directory, StripWorkFile);
    // Staged by a program that ended before its set was put in place: the set is given up.
    removeStaleWorkFiles(directory, stagedName(m_kind));
    // The names that versions before this one used for every download.
    std::error_code ignored;
    std::filesystem::remove(targetPath().string() + ".part", ignored);
    std::filesystem::remove(m_folder.path(DataFiles::DownloadWorkFile), ignored);
}

bool DownloadInstaller::create()
{
    close();
    removeStaleFiles();
    // Beside the file it replaces, which stays whole until the end.
    m_received = createWorkFile(
        m_folder.directory(), {std::string(Download::targetName(m_kind)), ".part"}, m_receivedPath);
    m_headerSize = 0;
    m_bodySize = 0;
    m_bodyDigest.finish();
    if (m_received >= 0)
        return true;
    m_error = "cannot create " + m_receivedPath.string() + ": " + std::strerror(errno);
    m_receivedPath.clear();
    return false;
}

bool DownloadInstaller::append(std::string_view bytes)
{
    const std::error_code error = m_received >= 0
                                      ? writeAll(m_received, bytes)
                                      : std::make_error_code(std::errc::bad_file_descriptor);
    if (!error)
        return true;
    m_error = "cannot write " + m_receivedPath.string() + ": " + error.message();
    return false;
}

bool DownloadInstaller::appendHeader(std::string_view bytes)
{
    m_headerSize += bytes.size();
    return append(bytes);
}

bool DownloadInstaller::appendBody(std::string_view bytes)
{
    m_bodySize += bytes.size();
    m_bodyDigest.add(bytes);
    return append(bytes);
}

void DownloadInstaller::close()
{
    if (m_received >= 0)
        ::close(m_received);
    m_received = -1;
}

std::optional<std::string> DownloadInstaller::differenceFromPublication()
{
    const std::optional<Sha256::Digest> digest = m_bodyDigest.finish();
    if (!m_expected)
        return std::nullopt;
    const std::string name(Download::targetName(m_kind));
    if (m_expected->size && m_bodySize != *m_expected->size)
        return name + " from " + m_host + " holds " + std::to_string(m_bodySize) +
               " bytes; it was published with " + std::to_string(*m_expected->size);
    if (digest != m_expected->sha256)
        return name + " from " + m_host + " is not the file that was published: its SHA-256 is " +
               (digest ? Sha256::toHex(*digest) : std::string("unknown")) + ", not " +
               Sha256::toHex(m_expected->sha256);
    return std::nullopt;
}

DataFileSurvey DownloadInstaller::surveyReceivedBody(DataFile file) const
{
    std::string received;
    if (!readWholeFile(m_receivedPath, received) || received.size() < m_headerSize)
        return {DataFileProblem::Empty, 0};
    MemorySource body(std::string_view(received).substr(m_headerSize));
    return surveyDataFile(file, body);
}

std::optional<std::string> DownloadInstaller::tooMuchSmaller(DataFile file, std::size_t rows) const
{
    if (m_expected && m_expected->muchSmallerAllowed)
        return std::nullopt;
    // Measured against the file in use; one that is no data holds nothing worth keeping.
    const DataFileSurvey installed = surveyDataFile(file, m_folder.fileOf(file));
    if (!isUsable(file, installed.problem) || rows * 2 >= installed.rows)
        return std::nullopt;
    const std::string counted(rowsOf(file));
    return std::string(Download::targetName(m_kind)) + " from " + m_host + " holds " +
           std::to_string(rows) + " " + counted + ", less than half the " +
           std::to_string(installed.rows) + " " + counted + " of the installed one";
}

DownloadResult DownloadInstaller::install()
{
    close();
    DownloadResult result;
    // A body cut short where its framing said it was whole, or changed on the way, is caught here.
    if (std::optional<std::string> difference = differenceFromPublication()) {
        result.failure = DownloadFailure::NotAsPublished;
        result.detail = std::move(*difference);
        return result;
    }
    const std::optional<DataFile> file = Download::dataFileOf(m_kind);
    std::filesystem::path target = targetPath();
    if (file && m_staged) {
        // A name of its own, which the stripped file takes in one step.
        const int fd = createWorkFile(m_folder.directory(), stagedName(m_kind), target);
        if (fd < 0) {
            result.failure = DownloadFailure::ReceiveFailed;
            result.detail = "cannot create " + target.string() + ": " + std::strerror(errno);
            return result;
        }
        ::close(fd);
    }
    FileReplacement replacement(target, StripWorkFile);
    const auto removeStaged = [&] {
        std::error_code ignored;
        if (target != targetPath())
            std::filesystem::remove(target, ignored);
    };
    if (m_receivedPath.empty() || !stripHttpHeader(m_receivedPath, replacement)) {
        removeStaged();
        result.failure = DownloadFailure::BadResponse;
        result.detail = "the answer from " + m_host + " could not be stored";
        return result;
    }
    if (file) {
        // Only sound data replaces data: an error or portal page, a file in another encoding or
        // one that would not fit the table is refused. The body is judged as it arrived, since
        // cutting the header drops what follows a byte 0x1A.
        const DataFileSurvey survey = surveyReceivedBody(*file);
        if (refusedAsDownload(survey.problem)) {
            removeStaged();
            result.failure = DownloadFailure::NotDataFile;
            result.detail = "what " + m_host + " sent is not a sound data file: " +
                            std::string(explain(survey.problem));
            return result;
        }
        if (std::optional<std::string> smaller = tooMuchSmaller(*file, survey.rows)) {
            removeStaged();
            result.failure = DownloadFailure::MuchSmaller;
            result.detail = std::move(*smaller);
            return result;
        }
    } else {
        const UpdateInfoReading reading = readUpdateInfo(replacement.workFile());
        result.failure = reading.failure;
        result.published = reading.published;
        if (reading.failure == DownloadFailure::DamagedInfo) {
            // Read past, the line would switch a check off: nothing of this update is fetched.
            result.detail =
                "the update information from " + m_host + " is damaged: " + reading.detail;
            return result;
        }
        if (!result.succeeded()) {
            result.detail = "the update information from " + m_host + " holds no version";
            return result;
        }
    }
    if (const std::error_code error = replacement.commit()) {
        removeStaged();
        result.failure = DownloadFailure::ReceiveFailed;
        result.detail = "cannot replace " + target.string() + ": " + error.message();
        return result;
    }
    if (target != targetPath())
        result.stagedFile = target;
    return result;
}

void DownloadInstaller::removeLeftovers()
{
    close();
    std::error_code ignored;
    if (!m_receivedPath.empty())
        std::filesystem::remove(m_receivedPath, ignored);
    m_receivedPath.clear();
    removeStaleFiles();
}
