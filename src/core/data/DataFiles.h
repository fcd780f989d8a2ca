#pragma once

// Names of the files that Vorn keeps in its current directory. Always written in this one
// lower-case form: the file system here tells case apart.
// The two data files that Vorn loads, checks, downloads and restores.
enum class DataFile { Country, Bureau };

namespace DataFiles {
inline constexpr char CountryFile[] = "country.asc";
inline constexpr char BureauFile[] = "vorn.asc";
// The list of exact calls, which the look-up asks after the exact rows of country.asc. A folder
// without it (one of an older version) answers as before.
inline constexpr char CallsFile[] = "calls.asc";
inline constexpr char UpdateInfoFile[] = "vorn_update.asc";
inline constexpr char CountryBackup[] = "country_old.asc";
inline constexpr char BureauBackup[] = "vorn_old.asc";
// The strip step's work file is "vorn_file.<pid>-<attempt>.tmp", a name of its own for each
// download; "vorn_file.tmp" is what versions before used, removed where found.
inline constexpr char DownloadWorkFileStem[] = "vorn_file";
inline constexpr char DownloadWorkFile[] = "vorn_file.tmp";
inline constexpr char SettingsFile[] = "vorn.set";
inline constexpr char HelpFile[] = "vorn.hlp";
} // namespace DataFiles
