#pragma once

#include "core/data/DataFileCheck.h"
#include "core/data/DataFolder.h"
#include "core/net/Download.h"
#include "core/net/Sha256.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// The files of one download in the data folder. The answer, header and body, is written as it
// arrives to a file of its own beside the target, which stays whole until the end; once the
// answer is complete, its header is cut off, the rest is checked and takes the target's name in
// one step, or, staged, a name of its own beside it ("country.asc.<pid>-<n>.new"), from which
// the update puts the files of one set in place together. A failed download leaves the target as
// it was, and no work file survives the download. Work files are named for this process and
// attempt, so that two programs updating one folder never write into each other's.
class DownloadInstaller
{
public:
    // host: the web server, as messages name it. expected: what the server published the data
    // file to be; the body must match it before it may replace the file. staged: the checked
    // file is kept under a name of its own, which the result names.
    DownloadInstaller(const DataFolder &folder, DownloadKind kind, std::string host,
                      std::optional<PublishedFile> expected = {}, bool staged = false);
    ~DownloadInstaller();
    DownloadInstaller(const DownloadInstaller &) = delete;
    DownloadInstaller &operator=(const DownloadInstaller &) = delete;

    // Before the connection is made: a copy of a data file becomes its backup copy.
    std::error_code backUp() const;
    // Creates the file that receives the answer.
    bool create();
    // Appends received bytes and flushes them, so that what has arrived is on disk: first the
    // header as it came, then the body, decoded, which is measured against the publication.
    bool appendHeader(std::string_view bytes);
    bool appendBody(std::string_view bytes);
    // Why create or append failed, in words.
    const std::string &error() const { return m_error; }
    // The transfer has ended; errors in closing are of no account.
    void close();
    // Cuts the header off the complete answer, checks the rest and puts it in the target's place,
    // or stages it; for the update information the result carries the publication. A data file
    // with less than half the rows of the installed one is refused unless the publisher allowed
    // it: a publication that is consistent but wrong would otherwise replace good data.
    DownloadResult install();
    // Deletes the work files of this download and those that ended programs left behind, so that
    // a later download never processes a stale one.
    void removeLeftovers();

    std::filesystem::path targetPath() const;

private:
    bool append(std::string_view bytes);
    void removeStaleFiles() const;
    std::optional<std::string> differenceFromPublication();
    DataFileSurvey surveyReceivedBody(DataFile file) const;
    std::optional<std::string> tooMuchSmaller(DataFile file, std::size_t rows) const;

    const DataFolder &m_folder;
    DownloadKind m_kind;
    std::string m_host;
    std::optional<PublishedFile> m_expected;
    bool m_staged;
    std::filesystem::path m_receivedPath;
    int m_received = -1;
    std::size_t m_headerSize = 0;
    std::uint64_t m_bodySize = 0;
    Sha256 m_bodyDigest;
    std::string m_error;
};
