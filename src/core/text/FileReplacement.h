#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

// Puts a new version of a file in place in one step. The bytes go to a work file beside the
// file and reach the disk before the work file is renamed over it, so that whoever reads the
// name, even after a crash or a power cut, finds either the old file or the new one whole. A
// failed replacement leaves the old file as it was and removes the work file. The new file
// keeps the old one's permissions.
class FileReplacement
{
public:
    // workFile names the program's own work file, which a leftover of an earlier run may
    // hold. Without it the work file gets a name beside the target that nothing has yet, and a
    // target that is a symbolic link stays one: the file it leads to is replaced.
    explicit FileReplacement(std::filesystem::path target, std::filesystem::path workFile = {});
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    // Each step gives the system's reason when it fails, and after a failure every later step
    // fails with the first reason. A work file that is no regular file (a FIFO, a directory)
    // is not written to.
    std::error_code open();
    std::error_code write(std::string_view bytes);
    // Brings the work file to disk and renames it over the target.
    std::error_code commit();

    // Where the bytes are until the commit, for a look at them before it.
    const std::filesystem::path &workFile() const { return m_workFile; }

private:
    std::error_code fail(std::error_code error);
    int openWorkFile(int flags) const;

    std::filesystem::path m_target;
    std::filesystem::path m_workFile;
    bool m_nameChosen;   // the work file's name was found here, not given
    bool m_ours = false; // the work file was opened, so it is removed if not committed
    int m_fd = -1;
    std::error_code m_error;
};

// Replaces the file with the bytes in one step; the error tells why it failed.
std::error_code replaceFile(const std::filesystem::path &target, std::string_view bytes,
                            const std::filesystem::path &workFile = {});
