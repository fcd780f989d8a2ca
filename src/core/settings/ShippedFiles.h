#pragma once

#include <filesystem>
#include <optional>

// The files that come with the program lie in share/vorn of the installed tree. They are found
// from the program's own folder, as the launcher finds them, so an installed tree can move. The
// build tree has the same layout, so a program just built finds the source tree's files.
std::filesystem::path shippedFilesDirectory(const std::filesystem::path &programDirectory);

// The folder of the running program; nothing when the system does not tell it.
std::optional<std::filesystem::path> runningProgramDirectory();

// The user's own data folder, where the launcher keeps the data files and the settings:
// $XDG_DATA_HOME/vorn, else ~/.local/share/vorn; nothing when neither variable is set. The
// launcher asks the program for it (vorn --print-data-dir), so this is the only place of the rule.
std::optional<std::filesystem::path> userDataDirectory();

// Where the command-line tools read the data files: the first folder that holds country.asc of
// the current folder, the user's data folder and the shipped files of the running program.
std::optional<std::filesystem::path> findDataDirectory();

// The help is documentation, not user data: the shipped vorn.hlp, so that an upgrade brings the
// new help. A vorn.hlp in the data folder serves only where none is shipped.
std::filesystem::path helpFilePath(const std::filesystem::path &programDirectory,
                                   const std::filesystem::path &dataDirectory);
