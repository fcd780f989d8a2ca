#pragma once

#include "core/data/DataFiles.h"

#include <filesystem>
#include <string_view>
#include <system_error>

// The folder that holds the data files, their backup copies, the downloads and the settings,
// and the moves that put a data file aside and bring its backup copy back. Every file lies
// directly in it, named in one lower-case form.
class DataFolder
{
public:
    explicit DataFolder(std::filesystem::path directory = {}) : m_directory(std::move(directory)) {}

    const std::filesystem::path &directory() const { return m_directory; }
    std::filesystem::path path(std::string_view name) const { return m_directory / name; }
    std::filesystem::path fileOf(DataFile file) const;
    std::filesystem::path backupOf(DataFile file) const;
    // The file's name in the folder: "country.asc", "vorn.asc" or "calls.asc".
    static std::string_view nameOf(DataFile file);
    // The name that messages give the file: "COUNTRY.ASC", "VORN.ASC" or "CALLS.ASC".
    static std::string_view shownName(DataFile file);

    // Before a download replaces the file: a copy of it, a file of its own, becomes the backup
    // copy in place of an older one, in one step, while the file stays under its own name until
    // its replacement is complete. Only a file that can be read and is data is copied: a
    // missing, unreadable or broken file leaves the older backup copy where it is, so the last
    // good copy is never lost. The error says why a copy could not be made.
    std::error_code backUp(DataFile file) const;
    // The file can be read and is data (see isUsable): a copy worth keeping.
    bool holdsData(DataFile file) const;
    bool hasBackup(DataFile file) const;
    // Deletes whatever lies under the file's name and moves the backup copy there. False when
    // there was no backup copy or it could not be moved; once it succeeded the backup is gone.
    bool restoreBackup(DataFile file) const;

private:
    std::filesystem::path m_directory;
};

// Renames a file unless the new name is taken; false when nothing was renamed.
bool renameWithoutReplacing(const std::filesystem::path &from, const std::filesystem::path &to);
