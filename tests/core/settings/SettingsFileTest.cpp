#include "core/settings/SettingsFile.h"

#include "core/text/FileReplacement.h"
#include "support/TestFiles.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string readBytes(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

AppSettings with(void (*change)(AppSettings &))
{
    AppSettings settings;
    change(settings);
    return settings;
}

struct ReadCase
{
    const char *name;
    std::string fileBytes;
    AppSettings expected;
};

void PrintTo(const ReadCase &row, std::ostream *out)
{
    *out << row.name;
}

class SettingsFileRead : public testing::TestWithParam<ReadCase>
{
};

TEST_P(SettingsFileRead, GivesTheSettings)
{
    TempDir dir;
    const auto file = dir.write("vorn.set", GetParam().fileBytes);
    EXPECT_EQ(readSettingsFile(file), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, SettingsFileRead, testing::Values(
    ReadCase{"EmptyFile", "", AppSettings{}},
    ReadCase{"LaterBackgroundWins", "BB\r\nBW\r\n",
             with([](AppSettings &s) { s.background = Background::PlainWhite; })},
    ReadCase{"PlainBlue", "BB\r\n", with([](AppSettings &s) { s.background = Background::PlainBlue; })},
    ReadCase{"MapAfterBlue", "BB\r\nBM\r\n", AppSettings{}},
    ReadCase{"SmallLettersIgnored", "bb\r\nua\r\n", AppSettings{}},
    ReadCase{"TrailingBlankIgnored", "BB \r\nUA \r\n", AppSettings{}},
    ReadCase{"LeadingBlankIgnored", " BB\r\n N5\r\n RDL1ABC\r\n", AppSettings{}},
    ReadCase{"SpeechCodesWithoutBureau", "SS\r\nSD\r\n",
             with([](AppSettings &s) { s.speakSort = s.speakDxcc = true; })},
    ReadCase{"AllSpeechCodes", "SD\r\nSB\r\nSS\r\n",
             with([](AppSettings &s) { s.speakSort = s.speakBureau = s.speakDxcc = true; })},
    ReadCase{"UpdateModes", "UA\r\nUC\r\n", with([](AppSettings &s) { s.updateMode = UpdateMode::Manual; })},
    ReadCase{"UpdateAuto", "UN\r\nUA\r\n", with([](AppSettings &s) { s.updateMode = UpdateMode::Auto; })},
    ReadCase{"QslInfoManual", "CR\r\n", with([](AppSettings &s) { s.qslInfoMode = QslInfoMode::Manual; })},
    ReadCase{"QslInfoAutoThenNone", "CA\r\nCN\r\n", AppSettings{}},
    ReadCase{"QslInfoAuto", "CA\r\n", with([](AppSettings &s) { s.qslInfoMode = QslInfoMode::Auto; })},
    ReadCase{"DataVersion", "N12\r\n", with([](AppSettings &s) { s.dataVersion = 12; })},
    ReadCase{"DataVersionWithLetterKeepsEarlier", "N7\r\nN12x\r\n", with([](AppSettings &s) { s.dataVersion = 7; })},
    ReadCase{"NegativeDataVersion", "N-3\r\n", with([](AppSettings &s) { s.dataVersion = -3; })},
    ReadCase{"PlusSign", "N+8\r\n", with([](AppSettings &s) { s.dataVersion = 8; })},
    ReadCase{"BlanksBeforeNumber", "N   42\r\n", with([](AppSettings &s) { s.dataVersion = 42; })},
    ReadCase{"BlanksBeforeSign", "N  -42\r\n", with([](AppSettings &s) { s.dataVersion = -42; })},
    ReadCase{"BlankAfterSign", "N5\r\nN- 4\r\n", with([](AppSettings &s) { s.dataVersion = 5; })},
    ReadCase{"BlankAfterNumber", "N5\r\nN12 \r\n", with([](AppSettings &s) { s.dataVersion = 5; })},
    ReadCase{"NothingAfterN", "N5\r\nN\r\n", with([](AppSettings &s) { s.dataVersion = 5; })},
    ReadCase{"OnlyBlanksAfterN", "N5\r\nN  \r\n", with([](AppSettings &s) { s.dataVersion = 5; })},
    ReadCase{"OnlySign", "N5\r\nN-\r\n", with([](AppSettings &s) { s.dataVersion = 5; })},
    ReadCase{"LeadingZeros", "N007\r\n", with([](AppSettings &s) { s.dataVersion = 7; })},
    ReadCase{"LargestNumber", "N2147483647\r\n", with([](AppSettings &s) { s.dataVersion = 2147483647; })},
    ReadCase{"SmallestNumber", "N-2147483648\r\n", with([](AppSettings &s) { s.dataVersion = -2147483647 - 1; })},
    ReadCase{"BeyondThirtyTwoBits", "N5\r\nN2147483648\r\n", with([](AppSettings &s) { s.dataVersion = 5; })},
    ReadCase{"FarBeyond", "N5\r\nN99999999999999999999999\r\n", with([](AppSettings &s) { s.dataVersion = 5; })},
    ReadCase{"HexIsNoNumber", "N5\r\nN0x1A\r\n", with([](AppSettings &s) { s.dataVersion = 5; })},
    ReadCase{"OwnCallKeepsBlanks", "R  DL1ABC \r\n", with([](AppSettings &s) { s.ownCall = "  DL1ABC "; })},
    ReadCase{"EmptyOwnCall", "RDL1ABC\r\nR\r\n", AppSettings{}},
    ReadCase{"EmptyLinesSkipped", "\r\n\r\nBW\r\n\r\nSS\r\n",
             with([](AppSettings &s) { s.background = Background::PlainWhite; s.speakSort = true; })},
    ReadCase{"CarriageReturnsOnly", "BW\rUA\r", with([](AppSettings &s) {
                 s.background = Background::PlainWhite; s.updateMode = UpdateMode::Auto; })},
    ReadCase{"LastLineWithoutEnd", "UA\r\nBB", with([](AppSettings &s) {
                 s.background = Background::PlainBlue; s.updateMode = UpdateMode::Auto; })},
    // A lone LF does not end a line, so this is one line that matches nothing.
    ReadCase{"LineFeedsOnly", "BW\nUA\n", with([](AppSettings &s) {
                 s.background = Background::PlainWhite; s.updateMode = UpdateMode::Auto; })},
    ReadCase{"EndOfTextByte", "BW\r\n\x1a" "UA\r\n", with([](AppSettings &s) { s.background = Background::PlainWhite; })},
    ReadCase{"FullFile", "BB\r\nSS\r\nSB\r\nSD\r\nUC\r\nCA\r\nN17\r\nRPA3XYZ\r\n", with([](AppSettings &s) {
                 s.background = Background::PlainBlue; s.speakSort = s.speakBureau = s.speakDxcc = true;
                 s.updateMode = UpdateMode::Manual; s.qslInfoMode = QslInfoMode::Auto;
                 s.dataVersion = 17; s.ownCall = "PA3XYZ"; })},
    // As an editor saves it: every line must count, the data version above all.
    ReadCase{"LfLineEnds", "BB\nSS\nUA\nCR\nN2025093000\nRPA3XYZ\n", with([](AppSettings &s) {
                 s.background = Background::PlainBlue; s.speakSort = true; s.updateMode = UpdateMode::Auto;
                 s.qslInfoMode = QslInfoMode::Manual; s.dataVersion = 2025093000; s.ownCall = "PA3XYZ"; })},
    ReadCase{"MixedLineEndsAndNoLastOne", "BW\r\nSD\nN12\rRDL1ABC", with([](AppSettings &s) {
                 s.background = Background::PlainWhite; s.speakDxcc = true; s.dataVersion = 12;
                 s.ownCall = "DL1ABC"; })},
    ReadCase{"LfBeforeCrGivesAnEmptyLine", "SB\n\rSS\n", with([](AppSettings &s) {
                 s.speakBureau = s.speakSort = true; })}
), [](const testing::TestParamInfo<ReadCase> &row) { return std::string(row.param.name); });
// clang-format on

TEST(SettingsFileReadTest, MissingFileKeepsTheDefaults)
{
    TempDir dir;
    EXPECT_EQ(readSettingsFile(dir.path() / "vorn.set"), AppSettings{});
}

TEST(SettingsFileReadTest, MissingFileKeepsWhatTheSettingsHeld)
{
    TempDir dir;
    AppSettings settings;
    settings.dataVersion = 9;
    readSettingsFile(dir.path() / "vorn.set", settings);
    EXPECT_EQ(settings.dataVersion, 9);
}

TEST(SettingsFileReadTest, UnreadableFileKeepsTheDefaults)
{
    // A directory opens but cannot be read: even as root.
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "vorn.set");
    EXPECT_EQ(readSettingsFile(dir.path() / "vorn.set"), AppSettings{});
}

TEST(SettingsFileReadTest, FifoIsRefusedWithoutBlocking)
{
    TempDir dir;
    const auto file = dir.path() / "vorn.set";
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    AppSettings settings;
    EXPECT_EQ(readSettingsFile(file, settings).error, FileError::NotRegularFile);
    EXPECT_EQ(settings, AppSettings{});
    // Nor does a FIFO under the work file's name of earlier versions stop the writer.
    ASSERT_EQ(::mkfifo((dir.path() / "vorn.set.tmp").c_str(), 0600), 0);
    std::filesystem::remove(file);
    EXPECT_FALSE(writeSettingsFile(file, settings));
    EXPECT_EQ(readBytes(file), formatSettings(settings));
}

struct WriteCase
{
    const char *name;
    AppSettings settings;
    std::string expectedBytes;
};

void PrintTo(const WriteCase &row, std::ostream *out)
{
    *out << row.name;
}

class SettingsFileWrite : public testing::TestWithParam<WriteCase>
{
};

TEST_P(SettingsFileWrite, WritesTheLines)
{
    TempDir dir;
    const auto file = dir.path() / "vorn.set";
    ASSERT_FALSE(writeSettingsFile(file, GetParam().settings));
    EXPECT_EQ(readBytes(file), GetParam().expectedBytes);
    EXPECT_EQ(dir.names(), "vorn.set");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, SettingsFileWrite, testing::Values(
    WriteCase{"Defaults", AppSettings{}, "BM\r\nUN\r\nCN\r\nN0\r\nR\r\n"},
    WriteCase{"SortAndDxccInOrder", with([](AppSettings &s) { s.speakDxcc = s.speakSort = true; }),
              "BM\r\nSS\r\nSD\r\nUN\r\nCN\r\nN0\r\nR\r\n"},
    WriteCase{"BureauOnly", with([](AppSettings &s) { s.speakBureau = true; }),
              "BM\r\nSB\r\nUN\r\nCN\r\nN0\r\nR\r\n"},
    WriteCase{"NegativeVersion", with([](AppSettings &s) { s.dataVersion = -3; }),
              "BM\r\nUN\r\nCN\r\nN-3\r\nR\r\n"},
    WriteCase{"SmallestVersion", with([](AppSettings &s) { s.dataVersion = -2147483647 - 1; }),
              "BM\r\nUN\r\nCN\r\nN-2147483648\r\nR\r\n"},
    WriteCase{"OwnCallTrimmed", with([](AppSettings &s) { s.ownCall = "  DL1ABC  "; }),
              "BM\r\nUN\r\nCN\r\nN0\r\nRDL1ABC\r\n"},
    WriteCase{"OwnCallOfBlanks", with([](AppSettings &s) { s.ownCall = "   "; }),
              "BM\r\nUN\r\nCN\r\nN0\r\nR\r\n"},
    WriteCase{"Everything", with([](AppSettings &s) {
                  s.background = Background::PlainWhite; s.speakSort = s.speakBureau = s.speakDxcc = true;
                  s.updateMode = UpdateMode::Auto; s.qslInfoMode = QslInfoMode::Manual;
                  s.dataVersion = 2024; s.ownCall = "PA3XYZ"; }),
              "BW\r\nSS\r\nSB\r\nSD\r\nUA\r\nCR\r\nN2024\r\nRPA3XYZ\r\n"},
    WriteCase{"BlueAndManualUpdates", with([](AppSettings &s) {
                  s.background = Background::PlainBlue; s.updateMode = UpdateMode::Manual; }),
              "BB\r\nUC\r\nCN\r\nN0\r\nR\r\n"},
    WriteCase{"AutoQueries", with([](AppSettings &s) { s.qslInfoMode = QslInfoMode::Auto; }),
              "BM\r\nUN\r\nCA\r\nN0\r\nR\r\n"}
), [](const testing::TestParamInfo<WriteCase> &row) { return std::string(row.param.name); });
// clang-format on

TEST(SettingsFileRoundTrip, WhatIsWrittenReadsBack)
{
    TempDir dir;
    const auto file = dir.path() / "vorn.set";
    AppSettings settings;
    settings.background = Background::PlainBlue;
    settings.speakBureau = true;
    settings.updateMode = UpdateMode::Auto;
    settings.qslInfoMode = QslInfoMode::Manual;
    settings.dataVersion = -3;
    settings.ownCall = " DL1ABC ";
    ASSERT_FALSE(writeSettingsFile(file, settings));
    AppSettings expected = settings;
    expected.ownCall = "DL1ABC";
    EXPECT_EQ(readSettingsFile(file), expected);
}

TEST(SettingsFileWriteTest, ReplacesALongerFileCompletely)
{
    TempDir dir;
    const auto file = dir.write("vorn.set", std::string(500, 'x'));
    ASSERT_FALSE(writeSettingsFile(file, AppSettings{}));
    EXPECT_EQ(readBytes(file), "BM\r\nUN\r\nCN\r\nN0\r\nR\r\n");
}

TEST(SettingsFileWriteTest, FailedWriteKeepsThePreviousFile)
{
    // The work file cannot be made: every name it could take next is taken by a directory.
    TempDir dir;
    const auto file = dir.write("vorn.set", "BW\r\nN5\r\n");
    std::filesystem::path probe;
    const int fd = createWorkFile(dir.path(), {"vorn.set"}, probe);
    ASSERT_GE(fd, 0);
    ::close(fd);
    std::filesystem::remove(probe);
    const std::string name = probe.filename().string();
    const std::size_t dash = name.rfind('-');
    const int next = std::stoi(name.substr(dash + 1)) + 1;
    for (int attempt = next; attempt < next + 100; ++attempt)
        std::filesystem::create_directory(
            dir.path() / (name.substr(0, dash + 1) + std::to_string(attempt) + ".tmp"));
    AppSettings settings;
    settings.dataVersion = 99;
    EXPECT_EQ(writeSettingsFile(file, settings), std::errc::file_exists);
    EXPECT_EQ(readBytes(file), "BW\r\nN5\r\n");
}

TEST(SettingsFileWriteTest, LinkUnderTheOldWorkNameLeadsNowhere)
{
    TempDir dir;
    const auto file = dir.write("vorn.set", "BW\r\n");
    const auto precious = dir.write("precious", "mine");
    std::filesystem::create_symlink(precious, dir.path() / "vorn.set.tmp");
    ASSERT_FALSE(writeSettingsFile(file, AppSettings{}));
    EXPECT_EQ(readBytes(precious), "mine");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "vorn.set.tmp"));
    EXPECT_FALSE(std::filesystem::is_symlink(file));
    EXPECT_EQ(readBytes(file), formatSettings(AppSettings{}));
}

TEST(SettingsFileWriteTest, FailsInAMissingDirectory)
{
    TempDir dir;
    const auto file = dir.path() / "gone" / "vorn.set";
    EXPECT_EQ(writeSettingsFile(file, AppSettings{}), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(SettingsFileWriteTest, FailedReplaceLeavesNoWorkFile)
{
    // The settings file's name is taken by a directory: the rename fails, the work file goes.
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "vorn.set");
    dir.write("vorn.set/keep", "x");
    EXPECT_EQ(writeSettingsFile(dir.path() / "vorn.set", AppSettings{}), std::errc::is_a_directory);
    EXPECT_EQ(dir.names(), "vorn.set");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "vorn.set"));
}

} // namespace
