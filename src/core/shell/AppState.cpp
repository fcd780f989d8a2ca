#include "core/shell/AppState.h"

#include "core/data/DataVersion.h"

LoadResult AppState::load(DataFile file)
{
    const std::filesystem::path path = folder.fileOf(file);
    DataFileProblem &findings = file == DataFile::Country ? m_countryFindings : m_bureauFindings;
    findings = DataFileProblem::None;
    if (file == DataFile::Bureau)
        bureauFileVersion.reset();
    const LoadResult result = file == DataFile::Country ? loadCountryTable(countries, path)
                                                        : loadBureauTable(bureaus, path);
    if (!result)
        return result;
    // A page or a file without line ends loads, and would answer "unknown" to every call.
    const DataFileProblem problem = checkDataFile(file, path);
    if (rulesOutData(problem))
        return {make_error_code(problem)};
    findings = problem;
    if (file == DataFile::Bureau)
        bureauFileVersion = bureauFileDataVersion(path);
    return result;
}

const CallListLoad &AppState::loadExactCalls()
{
    m_exactCallsLoad = loadExactCallList(countries.exactCalls(), folder.path(DataFiles::CallsFile));
    return m_exactCallsLoad;
}

std::string AppState::installedDataInWords() const
{
    return describeDataVersion(settings.dataVersion);
}
