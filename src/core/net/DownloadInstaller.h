#pragma once

#include "core/data/DataFolder.h"
#include "core/net/Download.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// The files of one download in the data folder. The answer, header and body, is written as it
// arrives to a file beside the target, which stays whole until the end; once the answer is
// complete, its header is cut off, the rest is checked and takes the target's name in one step.
// A failed download leaves the target as it was, and no work file survives the download.
class DownloadInstaller
{
public:
    // host: the web server, as messages name it.
    DownloadInstaller(const DataFolder &folder, DownloadKind kind, std::string host);
    ~DownloadInstaller();
    DownloadInstaller(const DownloadInstaller &) = delete;
    DownloadInstaller &operator=(const DownloadInstaller &) = delete;

    // Before the connection is made: a data file becomes the backup copy as well.
    void backUp() const;
    // Creates the file that receives the answer, emptying one left from before.
    bool create();
    // Appends received bytes and flushes them, so that what has arrived is on disk.
    bool append(std::string_view bytes);
    // Why create or append failed, in words.
    const std::string &error() const { return m_error; }
    // The transfer has ended; errors in closing are of no account.
    void close();
    // Cuts the header off the complete answer, checks the rest and puts it in the target's place;
    // for the update information the result carries the published versions.
    DownloadResult install();
    // Deletes both work files, so that a later download never processes a stale one.
    void removeLeftovers();

    std::filesystem::path targetPath() const;
    std::filesystem::path receivedPath() const;

private:
    const DataFolder &m_folder;
    DownloadKind m_kind;
    std::string m_host;
    std::FILE *m_received = nullptr;
    std::string m_error;
};
