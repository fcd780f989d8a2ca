#include "programs/CommandLineData.h"

#include "core/data/DataFileCheck.h"
#include "core/data/DataFiles.h"
#include "core/settings/ShippedFiles.h"

#include <cstdio>
#include <string>

namespace {

void say(std::string_view tool, const std::string &text)
{
    const std::string line = std::string(tool) + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

template<typename Table>
bool load(std::string_view tool, Table &table, const std::filesystem::path &file, DataFile kind,
          LoadResult (*loader)(Table &, const std::filesystem::path &))
{
    if (const LoadResult loaded = loader(table, file); !loaded) {
        say(tool, "cannot read " + file.string() + ": " + loaded.error.message());
        return false;
    }
    // A page or a damaged download loads, and every call would then be "unknown".
    if (const DataFileProblem problem = checkDataFile(kind, file); problem != DataFileProblem::None)
        say(tool, "warning: " + file.string() + ": " + std::string(explain(problem)));
    return true;
}

} // namespace

std::optional<std::filesystem::path>
chooseDataDirectory(std::string_view tool, const std::optional<std::filesystem::path> &given)
{
    if (given)
        return given;
    std::optional<std::filesystem::path> found = findDataDirectory();
    if (found)
        say(tool, "data from " + found->string());
    return found;
}

void reportNoDataDirectory(std::string_view tool)
{
    say(tool, "no country.asc in the current directory, in Vorn's data directory or in the "
              "installed data; name the directory with -C");
}

bool loadDataTables(std::string_view tool, const std::filesystem::path &directory,
                    CountryTable &countries, BureauTable &bureaus)
{
    if (!load(tool, countries, directory / DataFiles::CountryFile, DataFile::Country,
              &loadCountryTable) ||
        !load(tool, bureaus, directory / DataFiles::BureauFile, DataFile::Bureau, &loadBureauTable))
        return false;
    const std::filesystem::path calls = directory / DataFiles::CallsFile;
    if (const CallListLoad loaded = loadExactCallList(countries.exactCalls(), calls);
        !loaded && !loaded.missing())
        say(tool, "warning: " + calls.string() + " not used: " + loaded.reason() +
                      "; answering without the list of exact calls");
    return true;
}
