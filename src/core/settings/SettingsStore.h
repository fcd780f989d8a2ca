#pragma once

#include "core/settings/AppSettings.h"

#include <filesystem>
#include <system_error>

// vorn.set as the program keeps it for one run: read when the program starts and written when it
// ends. A file that exists but cannot be read is never written over, so that the user's settings
// are not replaced by the defaults that the run goes on with.
class SettingsStore
{
public:
    explicit SettingsStore(std::filesystem::path file) : m_file(std::move(file)) {}

    // The defaults with the file read over them; the defaults alone when the file is missing or
    // cannot be read.
    AppSettings load();
    // Why the file that is there could not be read; empty when it was read or is missing.
    const std::error_code &readError() const { return m_readError; }

    // Writes the settings in one step, unless the file could not be read. The system's reason
    // when the write failed.
    std::error_code save(const AppSettings &settings) const;

    const std::filesystem::path &file() const { return m_file; }

private:
    std::filesystem::path m_file;
    std::error_code m_readError;
};
