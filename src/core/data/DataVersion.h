#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// A data version is the date of the data and a revision of that day: YYYYMMDD * 100 + revision,
// e.g. 2025093000.

// Whether a published data version can be one: its first eight digits are a real date no later
// than one year after today. A number that cannot be one would be stored and then block every
// later publication, which would never seem newer.
bool isPlausibleDataVersion(std::int32_t version, std::chrono::sys_days today);

// "data of 2025-09-30, revision 0"; "data version 7" for a number that holds no date, and
// "data version unknown" for 0.
std::string describeDataVersion(std::int32_t version);

// The version of the installed data, from the number the last update stored and the one that the
// heading of the loaded vorn.asc names: the stored one, unless the heading names newer data. Files
// that came some other way then lie in the folder (shipped ones at a first start, or copied in by
// hand), and the version of a publication is never older than the vorn.asc it brings. A heading
// below the stored number is a publication whose number was raised without a new vorn.asc.
std::int32_t installedDataVersion(std::int32_t stored, std::optional<std::int32_t> bureauHeading);
