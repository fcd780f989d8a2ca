#include "core/net/DownloadInstaller.h"

#include "core/net/Sha256.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string Header = "HTTP/1.1 200 OK\r\nServer: test\r\n\r\n";
const std::string Country = "x DL DL\r\nx F F\r\n";
const std::string Installed = "x G G\r\n";

PublishedFile published(const std::string &bytes)
{
    return {bytes.size(), *Sha256::of(bytes)};
}

struct InfoCase
{
    const char *name;
    std::string bytes;
    // expected
    DownloadFailure failure;
    bool country; // its size and digest were read
    bool bureau;
};

void PrintTo(const InfoCase &row, std::ostream *out)
{
    *out << row.name;
}

class UpdateInfoTest : public testing::TestWithParam<InfoCase>
{
};

const std::string Digest(64, 'a');

TEST_P(UpdateInfoTest, ReadsTheFilesAfterTheTwoNumbers)
{
    TrickleSource source(GetParam().bytes, 3);
    const UpdateInfoReading reading = readUpdateInfo(source);
    EXPECT_EQ(reading.failure, GetParam().failure);
    const PublishedFile file{46712, *Sha256::fromHex(Digest)};
    EXPECT_EQ(reading.published.country, GetParam().country ? std::optional(file) : std::nullopt);
    EXPECT_EQ(reading.published.bureau, GetParam().bureau ? std::optional(file) : std::nullopt);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, UpdateInfoTest, testing::Values(
    InfoCase{"AsTheGeneratorWritesIt", "2025093000\r\n302\r\ncountry.asc 46712 " + Digest +
             "\r\nvorn.asc 46712 " + Digest + "\r\n", DownloadFailure::None, true, true},
    InfoCase{"TwoNumbersOnly", "2025093000\r\n302\r\n", DownloadFailure::None, false, false},
    InfoCase{"NotOfTheForm", "2025093000\r\n302\r\ncountry.asc  46712 " + Digest +
             "\r\ncountry.asc 46712 " + Digest + "0\r\nvorn.asc -1 " + Digest +
             "\r\nvorn.asc 46712 " + Digest + " \r\nCOUNTRY.ASC 46712 " + Digest +
             "\r\nvorn.asc 18446744073709551616 " + Digest + "\r\n",
             DownloadFailure::None, false, false}
), [](const testing::TestParamInfo<InfoCase> &row) { return std::string(row.param.name); });
// clang-format on

struct InstallCase
{
    const char *name;
    std::string body;
    std::optional<PublishedFile> expected;
    // expected
    DownloadFailure failure;
};

void PrintTo(const InstallCase &row, std::ostream *out)
{
    *out << row.name;
}

class InstallTest : public testing::TestWithParam<InstallCase>
{
};

TEST_P(InstallTest, OnlyTheWholePublishedFileTakesTheName)
{
    const InstallCase &row = GetParam();
    TempDir dir;
    dir.write("country.asc", Installed);
    const DataFolder folder(dir.path());
    DownloadInstaller installer(folder, DownloadKind::CountryFile, "data.example", row.expected);
    ASSERT_TRUE(installer.create());
    ASSERT_TRUE(installer.appendHeader(Header));
    for (std::size_t at = 0; at < row.body.size(); at += 5)
        ASSERT_TRUE(installer.appendBody(std::string_view(row.body).substr(at, 5)));
    const DownloadResult result = installer.install();
    installer.removeLeftovers();

    EXPECT_EQ(result.failure, row.failure) << result.detail;
    EXPECT_EQ(dir.read("country.asc"), row.failure == DownloadFailure::None ? row.body : Installed);
    EXPECT_EQ(dir.names(), "country.asc");
}

std::string rows(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "x P" + std::to_string(i) + " DL\r\n";
    return text;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Bodies, InstallTest, testing::Values(
    InstallCase{"AsPublished", Country, published(Country), DownloadFailure::None},
    InstallCase{"SameSizeOtherBytes", "x DL DL\r\nx G G\r\n", published(Country), DownloadFailure::NotAsPublished},
    InstallCase{"PublishedButNoSoundDataFile", rows(3600), published(rows(3600)), DownloadFailure::NotDataFile},
    InstallCase{"RowsHiddenByAnEndMark", Country + "\x1a" + Country, std::nullopt, DownloadFailure::NotDataFile}
), [](const testing::TestParamInfo<InstallCase> &row) { return std::string(row.param.name); });
// clang-format on

// Two programs updating one folder: each writes its own work files, so each installs the whole
// of what it received, and the file ends up as one of the two.
TEST(DownloadInstallerTest, TwoProgramsInOneFolderNeverMixTheirFiles)
{
    TempDir dir;
    dir.write("country.asc", Installed);
    const DataFolder folder(dir.path());
    // Of one length, so that both take the same steps.
    const std::string first = rows(400);
    std::string second = first;
    std::replace(second.begin(), second.end(), 'x', 'y');
    int toChild[2];
    int toParent[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(toParent), 0);
    // A partner that has failed ends the other's steps instead of killing it.
    ::signal(SIGPIPE, SIG_IGN);
    // Each takes a step, then waits for the other: creating, every piece of the body, installing.
    const auto step = [](int wait, int signal, bool waitFirst) {
        char token = 0;
        if (waitFirst && ::read(wait, &token, 1) != 1)
            return false;
        if (::write(signal, &token, 1) != 1)
            return false;
        return waitFirst || ::read(wait, &token, 1) == 1;
    };
    const auto run = [&](const std::string &body, int wait, int signal, bool waitFirst) {
        DownloadInstaller installer(folder, DownloadKind::CountryFile, "data.example");
        bool ok =
            step(wait, signal, waitFirst) && installer.create() && installer.appendHeader(Header);
        for (std::size_t at = 0; ok && at < body.size(); at += 512)
            ok = step(wait, signal, waitFirst) &&
                 installer.appendBody(std::string_view(body).substr(at, 512));
        ok = ok && step(wait, signal, waitFirst) && installer.install().succeeded();
        installer.removeLeftovers();
        return ok;
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(toChild[1]);
        ::close(toParent[0]);
        ::_exit(run(second, toChild[0], toParent[1], true) ? 0 : 1);
    }
    ::close(toChild[0]);
    ::close(toParent[1]);
    const bool parentInstalled = run(first, toParent[0], toChild[1], false);
    ::close(toChild[1]);
    ::close(toParent[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    EXPECT_TRUE(parentInstalled);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string installed = dir.read("country.asc");
    EXPECT_TRUE(installed == first || installed == second) << installed.size() << " bytes";
    EXPECT_EQ(dir.names(), "country.asc");
}

} // namespace
