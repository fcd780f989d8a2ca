#include "core/text/FileReplacement.h"

#include "core/text/LoadResult.h"
#include "support/TestFiles.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string readBytes(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The folder after a replacement: every name in it and below it with its bytes ("/" for a
// directory, "->" and the target for a link).
std::string listing(const fs::path &folder)
{
    std::vector<std::string> entries;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        std::string line = entry.path().lexically_relative(folder).string() + "=";
        if (entry.is_symlink())
            line += "->" + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            line += "/";
        else if (entry.is_regular_file())
            line += readBytes(entry.path());
        else
            line += "?";
        entries.push_back(line);
    }
    std::sort(entries.begin(), entries.end());
    std::string text;
    for (const auto &line : entries)
        text += line + ";";
    return text;
}

struct ReplaceCase
{
    const char *name;
    std::function<void(const fs::path &)> before; // lays out the folder
    const char *target;
    const char *workName; // the program's name for its work files; "" for the target's
    std::error_condition error;
    std::string after; // listing() once the replacement is done
};

void PrintTo(const ReplaceCase &row, std::ostream *out)
{
    *out << row.name;
}

void write(const fs::path &file, std::string_view bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

const std::error_condition Ok;
const std::error_condition IsADirectory = std::errc::is_a_directory;

class FileReplacementTest : public testing::TestWithParam<ReplaceCase>
{
};

TEST_P(FileReplacementTest, ReplacesWholeOrNotAtAll)
{
    const ReplaceCase &row = GetParam();
    TempDir dir;
    row.before(dir.path());
    const std::error_code error =
        replaceFile(dir.path() / row.target, "new", WorkFileName{row.workName});
    EXPECT_EQ(error.default_error_condition(), row.error) << error.message();
    EXPECT_EQ(listing(dir.path()), row.after);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Folders, FileReplacementTest, testing::Values(
    ReplaceCase{"NewFile", [](const fs::path &) {}, "a.csv", "", Ok, "a.csv=new;"},
    ReplaceCase{"LongerOldFile", [](const fs::path &d) { write(d / "a.csv", "older text"); },
                "a.csv", "", Ok, "a.csv=new;"},
    ReplaceCase{"UsersFileUnderTheWorkName", [](const fs::path &d) { write(d / "a.csv.tmp", "mine"); },
                "a.csv", "", Ok, "a.csv.tmp=mine;a.csv=new;"},
    ReplaceCase{"LinkStaysALink", [](const fs::path &d) {
                    fs::create_directory(d / "real");
                    write(d / "real" / "a.csv", "old");
                    fs::create_symlink("real/a.csv", d / "a.csv"); },
                "a.csv", "", Ok, "a.csv=->real/a.csv;real/a.csv=new;real=/;"},
    // What lies under the work name of earlier versions is not the program's to open.
    ReplaceCase{"OldWorkFileIsLeftAlone", [](const fs::path &d) { write(d / "vorn.set.tmp", "half"); },
                "vorn.set", "vorn.set", Ok, "vorn.set.tmp=half;vorn.set=new;"},
    ReplaceCase{"LinkUnderTheOldWorkNameIsNotFollowed", [](const fs::path &d) {
                    write(d / "vorn.set", "old");
                    write(d / "precious", "mine");
                    fs::create_symlink("precious", d / "vorn.set.tmp"); },
                "vorn.set", "vorn.set", Ok, "precious=mine;vorn.set.tmp=->precious;vorn.set=new;"},
    ReplaceCase{"DirectoryUnderTheOldWorkName", [](const fs::path &d) {
                    write(d / "vorn.set", "old");
                    fs::create_directory(d / "vorn.set.tmp"); },
                "vorn.set", "vorn.set", Ok, "vorn.set.tmp=/;vorn.set=new;"},
    ReplaceCase{"FifoUnderTheOldWorkName", [](const fs::path &d) {
                    write(d / "vorn.set", "old");
                    ::mkfifo((d / "vorn.set.tmp").c_str(), 0600); },
                "vorn.set", "vorn.set", Ok, "vorn.set.tmp=?;vorn.set=new;"},
    ReplaceCase{"TargetIsADirectory", [](const fs::path &d) {
                    fs::create_directory(d / "a.csv");
                    write(d / "a.csv" / "keep", "x"); },
                "a.csv", "", IsADirectory, "a.csv/keep=x;a.csv=/;"},
    ReplaceCase{"MissingFolder", [](const fs::path &) {}, "gone/a.csv", "",
                std::errc::no_such_file_or_directory, ""}
), [](const testing::TestParamInfo<ReplaceCase> &row) { return std::string(row.param.name); });
// clang-format on

TEST(FileReplacement, KeepsThePermissionsAndLeavesNothingWhenGivenUp)
{
    TempDir dir;
    const fs::path target = dir.write("log.adi", "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_FALSE(replaceFile(target, "new"));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    {
        FileReplacement abandoned(target);
        ASSERT_FALSE(abandoned.open());
        ASSERT_FALSE(abandoned.write("never"));
        EXPECT_EQ(readBytes(abandoned.workFile()), "never");
    }
    EXPECT_EQ(listing(dir.path()), "log.adi=new;");
}

TEST(FileReplacement, SavedTextNamesTheFileItCouldNotWrite)
{
    TempDir dir;
    std::string error;
    ASSERT_TRUE(saveTextFile(dir.path() / "a.csv", "x", error));
    EXPECT_EQ(readBytes(dir.path() / "a.csv"), "x");
    const fs::path missing = dir.path() / "gone" / "a.csv";
    EXPECT_FALSE(saveTextFile(missing, "x", error));
    EXPECT_EQ(error, "cannot write " + missing.string() + ": No such file or directory");
}

TEST(FileReplacement, StaleWorkFilesOfEndedProgramsGo)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    TempDir dir;
    const std::string ended = std::to_string(child);
    const std::string running = std::to_string(::getpid());
    // The largest process number there can be (no process has it: the system gives out far
    // smaller ones) and one past it, which is no process number.
    for (const std::string &name :
         {"vorn_file." + ended + "-3.tmp", "vorn_file." + running + "-4.tmp", "vorn_file.tmp"s,
          "vorn_file.x" + ended + "-1.tmp", "country.asc." + ended + "-1.part",
          "vorn_file.2147483647-1.tmp"s, "vorn_file.2147483648-1.tmp"s})
        write(dir.path() / name, "x");

    removeStaleWorkFiles(dir.path(), {"vorn_file"});

    EXPECT_FALSE(fs::exists(dir.path() / "vorn_file.2147483647-1.tmp"));
    EXPECT_TRUE(fs::remove(dir.path() / "vorn_file.2147483648-1.tmp"));
    EXPECT_EQ(listing(dir.path()), "country.asc." + ended + "-1.part=x;vorn_file." + running +
                                       "-4.tmp=x;vorn_file.tmp=x;vorn_file.x" + ended +
                                       "-1.tmp=x;");
}

} // namespace
