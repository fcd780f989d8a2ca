#pragma once

#include <filesystem>

// The files that come with the program lie in share/vorn of the installed tree. They are found
// from the program's own folder, as the launcher finds them, so an installed tree can move. The
// build tree has the same layout, so a program just built finds the source tree's files.
std::filesystem::path shippedFilesDirectory(const std::filesystem::path &programDirectory);

// The help is documentation, not user data: the shipped vorn.hlp, so that an upgrade brings the
// new help. A vorn.hlp in the data folder serves only where none is shipped.
std::filesystem::path helpFilePath(const std::filesystem::path &programDirectory,
                                   const std::filesystem::path &dataDirectory);
