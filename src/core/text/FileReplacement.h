#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// How the program names a work file of its own: "<stem>.<pid>-<attempt><suffix>" beside the file
// it works on, e.g. "vorn_file.4242-3.tmp". The name is unique per process and attempt, so that
// two programs working in one folder never share a work file, and still tells whose it is.
struct WorkFileName
{
    std::string stem;
    std::string suffix = ".tmp";
};

// Writes every byte to the descriptor, going on after interruptions and partial writes; the
// system's reason when it cannot (EIO for a write that takes nothing).
std::error_code writeAll(int fd, std::string_view bytes);

// Creates a new work file in the folder under a name of that form that nothing has yet, never
// opening what lies under a name already (O_CREAT | O_EXCL | O_NOFOLLOW); the descriptor, open
// for writing, with its path in created, or -1 with errno set.
int createWorkFile(const std::filesystem::path &directory, const WorkFileName &name,
                   std::filesystem::path &created);

// Removes the work files of that form in the folder that belong to processes that have ended,
// such as a program killed in the middle of its work. Errors are of no account.
void removeStaleWorkFiles(const std::filesystem::path &directory, const WorkFileName &name);

// Brings the folder's entries to disk: the names that renames, creations and removals in it gave
// survive a power cut from then on. The system's reason when it cannot.
std::error_code syncFolder(const std::filesystem::path &directory);

// Puts a new version of a file in place in one step. The bytes go to a work file beside the
// file and reach the disk before the work file is renamed over it, so that whoever reads the
// name, even after a crash or a power cut, finds either the old file or the new one whole. A
// failed replacement leaves the old file as it was and removes the work file. The new file
// keeps the old one's permissions.
class FileReplacement
{
public:
    // workName names the program's own work files for the target, e.g. {"vorn.set"}. Without it
    // the work file is named after the target, and a target that is a symbolic link stays one:
    // the file it leads to is replaced.
    explicit FileReplacement(std::filesystem::path target, WorkFileName workName = {});
    ~FileReplacement();
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;

    // Each step gives the system's reason when it fails, and after a failure every later step
    // fails with the first reason.
    std::error_code open();
    std::error_code write(std::string_view bytes);
    // Brings the work file to disk and renames it over the target.
    std::error_code commit();

    // Where the bytes are until the commit, for a look at them before it.
    const std::filesystem::path &workFile() const { return m_workFile; }

private:
    std::error_code fail(std::error_code error);

    std::filesystem::path m_target;
    WorkFileName m_workName;
    bool m_followLink; // the work name was not given: a link at the target is followed
    std::filesystem::path m_workFile;
    bool m_ours = false; // the work file was created, so it is removed if not committed
    int m_fd = -1;
    std::error_code m_error;
};

// Replaces the file with the bytes in one step; the error tells why it failed.
std::error_code replaceFile(const std::filesystem::path &target, std::string_view bytes,
                            const WorkFileName &workName = {});

// The same for a file of the program's own, such as vorn.set: its work files are named after it
// ("vorn.set.<pid>-<n>.tmp") and never reached through a link, and those that ended programs
// left beside it are removed first.
std::error_code replaceOwnFile(const std::filesystem::path &target, std::string_view bytes);

// Writes text that the user saves to a file in one piece, as replaceFile does; false when it
// failed, with the error then saying why, naming the file.
bool saveTextFile(const std::filesystem::path &target, std::string_view text, std::string &error);
