#include "core/data/DataVersion.h"

#include "core/text/Integer.h"

namespace {

struct DateAndRevision
{
    std::chrono::year_month_day date;
    std::int32_t revision = 0;
};

// The first eight digits as a date, and the number the digits after them make (0 for none);
// nothing without a real date.
std::optional<DateAndRevision> split(std::int32_t version)
{
    const std::string digits = std::to_string(version);
    if (version <= 0 || digits.size() < 8)
        return std::nullopt;
    const std::optional<std::int32_t> number =
        parseInt32(std::string_view(digits).substr(0, 8), IntegerSyntaxes::Digits);
    if (!number)
        return std::nullopt;
    const std::chrono::year_month_day date{
        std::chrono::year(*number / 10000),
        std::chrono::month(static_cast<unsigned>(*number / 100 % 100)),
        std::chrono::day(static_cast<unsigned>(*number % 100))};
    if (!date.ok())
        return std::nullopt;
    const std::string_view revision = std::string_view(digits).substr(8);
    return DateAndRevision{date, parseInt32(revision, IntegerSyntaxes::Digits).value_or(0)};
}

} // namespace

bool isPlausibleDataVersion(std::int32_t version, std::chrono::sys_days today)
{
    const std::optional<DateAndRevision> parts = split(version);
    if (!parts)
        return false;
    std::chrono::year_month_day latest = std::chrono::year_month_day(today) + std::chrono::years(1);
    if (!latest.ok()) // a year after 29 February
        latest = latest.year() / latest.month() / std::chrono::last;
    return std::chrono::sys_days(parts->date) <= std::chrono::sys_days(latest);
}

std::string describeDataVersion(std::int32_t version)
{
    if (version == 0)
        return "data version unknown";
    const std::optional<DateAndRevision> parts = split(version);
    if (!parts)
        return "data version " + std::to_string(version);
    const auto twoDigits = [](unsigned value) {
        return std::string(value < 10 ? "0" : "") + std::to_string(value);
    };
    const std::chrono::year_month_day &date = parts->date;
    return "data of " + std::to_string(static_cast<int>(date.year())) + "-" +
           twoDigits(static_cast<unsigned>(date.month())) + "-" +
           twoDigits(static_cast<unsigned>(date.day())) + ", revision " +
           std::to_string(parts->revision);
}

std::int32_t installedDataVersion(std::int32_t stored, std::optional<std::int32_t> bureauHeading)
{
    return bureauHeading && *bureauHeading > stored ? *bureauHeading : stored;
}
