#pragma once

// Names of the files that Vorn keeps in its current directory. Always written in this one
// lower-case form: the file system here tells case apart.
// The data files that an update replaces as one set: the two that Vorn loads, checks, downloads
// and restores, and the list of exact calls.
enum class DataFile { Country, Bureau, Calls };
// All of them, in the order an update fetches them.
inline constexpr DataFile AllDataFiles[] = {DataFile::Country, DataFile::Bureau, DataFile::Calls};

namespace DataFiles {
inline constexpr char CountryFile[] = "country.asc";
inline constexpr char BureauFile[] = "vorn.asc";
// The list of exact calls, which the look-up asks after the exact rows of country.asc. A folder
// without it (one of an older version) answers as before.
inline constexpr char CallsFile[] = "calls.asc";
inline constexpr char UpdateInfoFile[] = "vorn_update.asc";
inline constexpr char CountryBackup[] = "country_old.asc";
inline constexpr char BureauBackup[] = "vorn_old.asc";
inline constexpr char CallsBackup[] = "calls_old.asc";
// Names the set of data files an update is putting in place, from just before the first of them
// takes its name until the last has; a start that finds it puts the backup copies back.
inline constexpr char InstallJournal[] = "vorn_install.jnl";
// The strip step's work file is "vorn_file.<pid>-<attempt>.tmp", a name of its own for each
// download; "vorn_file.tmp" is what versions before used, removed where found.
inline constexpr char DownloadWorkFileStem[] = "vorn_file";
inline constexpr char DownloadWorkFile[] = "vorn_file.tmp";
inline constexpr char SettingsFile[] = "vorn.set";
inline constexpr char HelpFile[] = "vorn.hlp";
} // namespace DataFiles
