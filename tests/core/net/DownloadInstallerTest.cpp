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

PublishedFile published(const std::string &bytes, bool mayShrink = false)
{
    return {bytes.size(), *Sha256::of(bytes), mayShrink};
}

struct InfoCase
{
    const char *name;
    std::string lines; // after the two numbers
    // expected
    DownloadFailure failure;
    DataFile file; // the file that the lines publish, if any
    std::optional<PublishedFile> published;
};

void PrintTo(const InfoCase &row, std::ostream *out)
{
    *out << row.name;
}

class UpdateInfoTest : public testing::TestWithParam<InfoCase>
{
};

const std::string Digest = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
const std::string DigestInCapitals =
    "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
const PublishedFile Sized{46712, *Sha256::fromHex(Digest), false};
const PublishedFile Unsized{std::nullopt, *Sha256::fromHex(Digest), false};
const PublishedFile Largest{UINT64_MAX, *Sha256::fromHex(Digest), false};
const PublishedFile MayShrink{46712, *Sha256::fromHex(Digest), true};
constexpr auto Ok = DownloadFailure::None;
constexpr auto Damaged = DownloadFailure::DamagedInfo;
constexpr auto C = DataFile::Country;

// Every form a publisher plausibly writes is read; a line that names a data file and is read in
// none of them makes the whole information damaged, since passing over it would leave that file
// unchecked.
TEST_P(UpdateInfoTest, ReadsTheFilesAfterTheTwoNumbers)
{
    const InfoCase &row = GetParam();
    TrickleSource source("2025093000\r\n302\r\n" + row.lines, 3);
    const UpdateInfoReading reading = readUpdateInfo(source);
    EXPECT_EQ(reading.failure, row.failure) << reading.detail;
    EXPECT_EQ(reading.published.data, 2025093000);
    for (const DataFile file : {DataFile::Country, DataFile::Bureau, DataFile::Calls})
        EXPECT_EQ(reading.published.fileOf(file), file == row.file ? row.published : std::nullopt);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, UpdateInfoTest, testing::Values(
    InfoCase{"AsTheGeneratorWritesIt", "country.asc 46712 " + Digest + "\r\n", Ok, C, Sized},
    InfoCase{"BureauFile", "vorn.asc 46712 " + Digest + "\r\n", Ok, DataFile::Bureau, Sized},
    InfoCase{"ListOfCalls", "calls.asc 46712 " + Digest + "\r\n", Ok, DataFile::Calls, Sized},
    InfoCase{"TwoNumbersOnly", "", Ok, C, std::nullopt},
    InfoCase{"TrailingBlank", "country.asc 46712 " + Digest + " \r\n", Ok, C, Sized},
    InfoCase{"TabsAndBlanks", " country.asc\t46712  \t" + Digest + "\t\r\n", Ok, C, Sized},
    InfoCase{"NameInCapitals", "COUNTRY.ASC 46712 " + Digest + "\r\n", Ok, C, Sized},
    InfoCase{"DigestInCapitals", "country.asc 46712 " + DigestInCapitals + "\r\n", Ok, C, Sized},
    InfoCase{"Sha256Prefix", "country.asc 46712 SHA256:" + Digest + "\r\n", Ok, C, Sized},
    InfoCase{"Sha256sumLayout", Digest + "  country.asc\n", Ok, C, Unsized},
    InfoCase{"LinesEndedByLineFeeds", "# sha256sum *.asc\n" + Digest + "  country.asc\n", Ok, C, Unsized},
    InfoCase{"Sha256sumBinaryWithFolder", Digest + " *files/country.asc\r\n", Ok, C, Unsized},
    InfoCase{"Sha256sumTag", "SHA256 (country.asc) = " + Digest + "\r\n", Ok, C, Unsized},
    InfoCase{"Sha256sumBesideTheGenerator", "country.asc 46712 " + Digest + "\r\n" + Digest + "  country.asc\r\n", Ok, C, Sized},
    InfoCase{"SizeOf64Bits", "country.asc 18446744073709551615 " + Digest + "\r\n", Ok, C, Largest},
    InfoCase{"AllowedToShrink", "allow-smaller country.asc\r\ncountry.asc 46712 " + Digest + "\r\n", Ok, C, MayShrink},
    InfoCase{"OtherFilesAndComments", "country.asc.bak 1 2\r\n# country.asc 1\r\n\r\nmycountry.asc x\r\n", Ok, C, std::nullopt},
    InfoCase{"SizeBeyond64Bits", "country.asc 18446744073709551616 " + Digest + "\r\n", Damaged, C, std::nullopt},
    InfoCase{"SizeWithSeparators", "country.asc 46,712 " + Digest + "\r\n", Damaged, C, std::nullopt},
    InfoCase{"NegativeSize", "country.asc -1 " + Digest + "\r\n", Damaged, C, std::nullopt},
    InfoCase{"DigestOneTooLong", "country.asc 46712 " + Digest + "0\r\n", Damaged, C, std::nullopt},
    InfoCase{"DigestOneTooShort", "country.asc 46712 " + Digest.substr(1) + "\r\n", Damaged, C, std::nullopt},
    InfoCase{"NoDigest", "vorn.asc 46712\r\n", Damaged, C, std::nullopt},
    InfoCase{"DamagedAfterASoundLine", "vorn.asc 46712 " + Digest + "\r\ncalls.asc\r\n", Damaged, C, std::nullopt},
    InfoCase{"TwoLinesThatDisagree", "country.asc 46712 " + Digest + "\r\ncountry.asc 46713 " + Digest + "\r\n", Damaged, C, std::nullopt},
    InfoCase{"AllowedToShrinkWithoutDigest", "allow-smaller country.asc\r\n", Damaged, C, std::nullopt}
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

std::string linesOf(DownloadKind kind, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        if (kind == DownloadKind::BureauFile)
            text += "DL    Germany                DL    DARC                     Y\r\n";
        else if (kind == DownloadKind::CallsFile)
            text += "230 DA" + n + "X DL\r\n";
        else
            text += "x P" + n + " DL\r\n";
    }
    return text;
}

struct GuardCase
{
    const char *name;
    DownloadKind kind;
    int newRows;           // the installed file has 10
    bool mayShrink;        // the publisher allows a much smaller file
    std::string published; // what was published, when it is not what arrives
    std::string tail;      // after the rows
    // expected
    DownloadFailure failure;
    std::string detail; // a part of it
};

void PrintTo(const GuardCase &row, std::ostream *out)
{
    *out << row.name;
}

class GuardTest : public testing::TestWithParam<GuardCase>
{
};

// A publication that is consistent but far smaller than what it replaces is refused, unless its
// publisher says it is meant; the list of exact calls is checked whole, as the tables are.
TEST_P(GuardTest, OnlyAFileLikeTheInstalledOneReplacesIt)
{
    const GuardCase &row = GetParam();
    TempDir dir;
    const std::string name(Download::targetName(row.kind));
    const std::string installed = linesOf(row.kind, 10);
    dir.write(name, installed);
    const DataFolder folder(dir.path());
    const std::string body = linesOf(row.kind, row.newRows) + row.tail;
    DownloadInstaller installer(
        folder, row.kind, "data.example",
        published(row.published.empty() ? body : row.published, row.mayShrink));
    ASSERT_TRUE(installer.create());
    ASSERT_TRUE(installer.appendHeader(Header));
    ASSERT_TRUE(installer.appendBody(body));
    const DownloadResult result = installer.install();
    installer.removeLeftovers();

    EXPECT_EQ(result.failure, row.failure) << result.detail;
    EXPECT_NE(result.detail.find(row.detail), std::string::npos) << result.detail;
    EXPECT_EQ(dir.read(name), row.failure == DownloadFailure::None ? body : installed);
}

constexpr auto CountryKind = DownloadKind::CountryFile;
constexpr auto BureauKind = DownloadKind::BureauFile;
constexpr auto CallsKind = DownloadKind::CallsFile;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, GuardTest, testing::Values(
    GuardCase{"CountryHalf", CountryKind, 5, false, {}, {}, DownloadFailure::None, ""},
    GuardCase{"CountryLessThanHalf", CountryKind, 4, false, {}, {}, DownloadFailure::MuchSmaller,
              "holds 4 rows, less than half the 10 rows of the installed one"},
    GuardCase{"CountryLessThanHalfAllowed", CountryKind, 4, true, {}, {}, DownloadFailure::None, ""},
    GuardCase{"BureauHalf", BureauKind, 5, false, {}, {}, DownloadFailure::None, ""},
    GuardCase{"BureauLessThanHalf", BureauKind, 4, false, {}, {}, DownloadFailure::MuchSmaller,
              "holds 4 records, less than half the 10 records"},
    GuardCase{"CallsHalf", CallsKind, 5, false, {}, {}, DownloadFailure::None, ""},
    GuardCase{"CallsLessThanHalf", CallsKind, 4, false, {}, {}, DownloadFailure::MuchSmaller,
              "holds 4 calls, less than half the 10 calls"},
    GuardCase{"CallsGrown", CallsKind, 20, false, {}, {}, DownloadFailure::None, ""},
    GuardCase{"CallsCutAtALineEnd", CallsKind, 9, false, linesOf(CallsKind, 10), {}, DownloadFailure::NotAsPublished, "bytes"},
    GuardCase{"CallsWithACallTwice", CallsKind, 9, false, {}, "230 DA0X DL\r\n", DownloadFailure::NotDataFile, ""},
    GuardCase{"CallsWithALineCut", CallsKind, 9, false, {}, "230 DA9", DownloadFailure::NotDataFile, ""}
), [](const testing::TestParamInfo<GuardCase> &row) { return std::string(row.param.name); });
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
