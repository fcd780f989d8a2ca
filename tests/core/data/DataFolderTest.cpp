#include "core/data/DataFolder.h"

#include "support/TestFiles.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

const std::string Good = "x DL DL\r\nx F F\r\n";
const std::string Older = "x G G\r\n";
const std::string Page = "<!DOCTYPE html>\r\n<html><body>Log in</body></html>\r\n";

struct BackupCase
{
    const char *name;
    std::function<void(const TempDir &)> before; // country.asc and country_old.asc
    // expected
    bool failed;
    std::string backup; // what country_old.asc holds afterwards; "/" for a directory
};

void PrintTo(const BackupCase &row, std::ostream *out)
{
    *out << row.name;
}

class BackupTest : public testing::TestWithParam<BackupCase>
{
};

TEST_P(BackupTest, KeepsTheLastGoodCopy)
{
    const BackupCase &row = GetParam();
    TempDir dir;
    row.before(dir);
    const DataFolder folder(dir.path());
    const std::error_code error = folder.backUp(DataFile::Country);
    EXPECT_EQ(static_cast<bool>(error), row.failed) << error.message();
    EXPECT_EQ(fs::is_directory(dir.path() / "country_old.asc") ? "/" : dir.read("country_old.asc"),
              row.backup);
    // Nothing of the copy's own work is left behind.
    EXPECT_EQ(dir.names(), fs::exists(dir.path() / "country.asc") ? "country.asc country_old.asc"
                                                                  : "country_old.asc");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, BackupTest, testing::Values(
    BackupCase{"GoodFileReplacesOlderCopy", [](const TempDir &d) {
                   d.write("country.asc", Good); d.write("country_old.asc", Older); },
               false, Good},
    BackupCase{"FirstCopy", [](const TempDir &d) { d.write("country.asc", Good); }, false, Good},
    BackupCase{"MissingFileKeepsTheCopy", [](const TempDir &d) { d.write("country_old.asc", Older); },
               false, Older},
    // Two bad updates in a row: the second must not copy what the first left.
    BackupCase{"PageKeepsTheCopy", [](const TempDir &d) {
                   d.write("country.asc", Page); d.write("country_old.asc", Older); },
               false, Older},
    BackupCase{"DirectoryKeepsTheCopy", [](const TempDir &d) {
                   fs::create_directory(d.path() / "country.asc"); d.write("country_old.asc", Older); },
               false, Older},
    BackupCase{"CopyThatCannotBeMadeIsAnError", [](const TempDir &d) {
                   d.write("country.asc", Good);
                   fs::create_directory(d.path() / "country_old.asc");
                   d.write("country_old.asc/keep", "x"); },
               true, "/"}
), [](const testing::TestParamInfo<BackupCase> &row) { return std::string(row.param.name); });
// clang-format on

// An editor that writes in place, or a user adding lines at the top, changes the file alone.
TEST(BackupTest, CopyIsAFileOfItsOwn)
{
    TempDir dir;
    const fs::path file = dir.write("country.asc", Good);
    const DataFolder folder(dir.path());
    ASSERT_FALSE(folder.backUp(DataFile::Country));
    {
        std::fstream inPlace(file, std::ios::in | std::ios::out | std::ios::binary);
        inPlace << "x K K\r\n";
    }
    EXPECT_EQ(dir.read("country_old.asc"), Good);
    EXPECT_EQ(fs::hard_link_count(file), 1u);
}

} // namespace
