#pragma once

#include <chrono>
#include <cstdint>
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
