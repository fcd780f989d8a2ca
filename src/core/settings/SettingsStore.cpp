#include "core/settings/SettingsStore.h"

#include "core/settings/SettingsFile.h"

AppSettings SettingsStore::load()
{
    AppSettings settings;
    const LoadResult result = readSettingsFile(m_file, settings);
    // A missing file is a first start, no failure.
    const bool missing = result.error == std::errc::no_such_file_or_directory;
    m_readError = missing ? std::error_code{} : result.error;
    // What was read before a failure may be half a file: the run takes none of it.
    return m_readError ? AppSettings{} : settings;
}

std::error_code SettingsStore::save(const AppSettings &settings) const
{
    if (m_readError)
        return {};
    return writeSettingsFile(m_file, settings);
}
