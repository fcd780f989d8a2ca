#include "core/data/DataVersion.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;

struct VersionCase
{
    std::int32_t version;
    bool plausible; // on 2026-02-28
    std::string described;
};

void PrintTo(const VersionCase &row, std::ostream *out)
{
    *out << row.version;
}

class DataVersionTest : public testing::TestWithParam<VersionCase>
{
};

TEST_P(DataVersionTest, IsADateAndARevision)
{
    EXPECT_EQ(isPlausibleDataVersion(GetParam().version, sys_days(year(2026) / 2 / 28)),
              GetParam().plausible);
    EXPECT_EQ(describeDataVersion(GetParam().version), GetParam().described);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, DataVersionTest,
    testing::Values(VersionCase{2025093000, true, "data of 2025-09-30, revision 0"},
                    VersionCase{2027022800, true, "data of 2027-02-28, revision 0"},
                    VersionCase{2027030100, false, "data of 2027-03-01, revision 0"},
                    VersionCase{2147483647, false, "data version 2147483647"},
                    VersionCase{2025023000, false, "data version 2025023000"},
                    VersionCase{202509301, true, "data of 2025-09-30, revision 1"},
                    VersionCase{20250930, true, "data of 2025-09-30, revision 0"},
                    VersionCase{13, false, "data version 13"},
                    VersionCase{0, false, "data version unknown"},
                    VersionCase{-5, false, "data version -5"}));

TEST(DataVersionTest, AYearAfterALeapDay)
{
    const sys_days leapDay = year(2028) / 2 / 29;
    EXPECT_TRUE(isPlausibleDataVersion(2029022800, leapDay));
    EXPECT_FALSE(isPlausibleDataVersion(2029030100, leapDay));
}

} // namespace
