#pragma once

#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"

#include <filesystem>
#include <optional>
#include <string_view>

// The data files as vorn-lookup and vorn-sort find and load them, so that both tools choose the
// same folder and say the same about it. Messages go to standard error, opened by the tool's
// name.

// The paragraph of --help on where the data come from.
inline constexpr std::string_view DataSourceHelp =
    "Without -C the data come from the current directory when it holds country.asc,\n"
    "else from Vorn's data directory ($XDG_DATA_HOME/vorn, by default\n"
    "~/.local/share/vorn), else from the installed shared data; a note on standard\n"
    "error names the directory.\n";

// The folder given with -C, else the first that holds country.asc (findDataDirectory), which a
// note names; nothing when no folder holds one.
std::optional<std::filesystem::path>
chooseDataDirectory(std::string_view tool, const std::optional<std::filesystem::path> &given);

// Says that no folder holds the data, and how to name one.
void reportNoDataDirectory(std::string_view tool);

// Loads both tables from the folder, and the list of exact calls into the country table. A data
// file that cannot be read is reported and ends the load (false); one that loads but does not
// look like a data file gets a warning. A list that is missing is passed over; one that cannot
// be read or is refused gets a warning, and the tools answer without it.
bool loadDataTables(std::string_view tool, const std::filesystem::path &directory,
                    CountryTable &countries, BureauTable &bureaus);
