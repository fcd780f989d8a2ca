#include "core/data/BureauTable.h"
#include "core/data/CountryTable.h"
#include "support/TestFiles.h"

#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Something under a data file's name that cannot be read, and the reason a message gives.
struct UnreadableCase
{
    const char *name;
    std::function<fs::path(const TempDir &)> make;
    std::error_code error;
};

class UnreadableFileTest : public testing::TestWithParam<UnreadableCase>
{
};

TEST_P(UnreadableFileTest, LoadersRefuseItWithTheReason)
{
    if (GetParam().error == std::errc::permission_denied && ::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempDir dir;
    const fs::path file = GetParam().make(dir);
    CountryTable countries;
    countries.append({"DL", "DL"});
    const LoadResult country = loadCountryTable(countries, file);
    EXPECT_FALSE(country);
    EXPECT_EQ(country.error, GetParam().error) << country.error.message();
    EXPECT_EQ(countries.count(), 0u);
    BureauTable bureaus;
    EXPECT_EQ(loadBureauTable(bureaus, file).error, GetParam().error);
}

std::error_code systemError(int error)
{
    return {error, std::system_category()};
}

void PrintTo(const UnreadableCase &row, std::ostream *out)
{
    *out << row.name;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnreadableFileTest,
    testing::Values(
        UnreadableCase{"Missing", [](const TempDir &d) { return d.path() / "country.asc"; },
                       systemError(ENOENT)},
        UnreadableCase{"Directory",
                       [](const TempDir &d) {
                           fs::create_directory(d.path() / "country.asc");
                           return d.path() / "country.asc";
                       },
                       systemError(EISDIR)},
        // Opening a FIFO for reading would wait for a writer forever.
        UnreadableCase{"Fifo",
                       [](const TempDir &d) {
                           const auto file = d.path() / "country.asc";
                           ::mkfifo(file.c_str(), 0600);
                           return file;
                       },
                       make_error_code(FileError::NotRegularFile)},
        // A link to /dev/zero would be one endless line.
        UnreadableCase{"LinkToDevice",
                       [](const TempDir &d) {
                           fs::create_symlink("/dev/zero", d.path() / "country.asc");
                           return d.path() / "country.asc";
                       },
                       make_error_code(FileError::NotRegularFile)},
        UnreadableCase{"BelowAFile",
                       [](const TempDir &d) { return d.write("file", "x") / "country.asc"; },
                       systemError(ENOTDIR)},
        UnreadableCase{"NoPermission",
                       [](const TempDir &d) {
                           const auto file = d.write("country.asc", "1 DL DL\r\n");
                           fs::permissions(file, fs::perms::none);
                           return file;
                       },
                       systemError(EACCES)}),
    [](const testing::TestParamInfo<UnreadableCase> &row) { return row.param.name; });

TEST(FileError, ReadsLikeASystemReason)
{
    EXPECT_EQ(make_error_code(FileError::NotRegularFile).message(), "Not a regular file");
}

} // namespace
