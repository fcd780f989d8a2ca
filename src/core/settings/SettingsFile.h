#pragma once

#include "core/settings/AppSettings.h"
#include "core/text/ByteSource.h"
#include "core/text/LoadResult.h"

#include <filesystem>
#include <string_view>
#include <system_error>

// The settings file vorn.set: one short code per line, "N" with the data version and "R" with
// the user's own call. Lines end in CR LF when written; when read, CR, CR LF and LF all end one.

// Applies one line of the file to the settings; a line that matches no rule changes nothing.
void applySettingsLine(std::string_view line, AppSettings &settings);

// Reads the file over the given settings, later lines winning. A missing or unreadable file, or
// one that is not a regular file, leaves the settings as they were, except for what was read up
// to the failure; the result tells why, for a caller that wants to say so.
LoadResult readSettingsFile(const std::filesystem::path &file, AppSettings &settings);

// The same for settings from any source of bytes.
LoadResult readSettings(ByteSource &source, AppSettings &settings);

// The defaults with the file read over them.
AppSettings readSettingsFile(const std::filesystem::path &file);

// The file's contents for the settings, lines ended by CR LF.
std::string formatSettings(const AppSettings &settings);

// Replaces the file in one step through a work file of its own beside it
// ("vorn.set.<pid>-<n>.tmp"), so that a failed write leaves the previous file as it was. The error
// says why it failed.
std::error_code writeSettingsFile(const std::filesystem::path &file, const AppSettings &settings);
