#include "core/net/DataSetInstaller.h"

#include "core/data/DataFiles.h"
#include "core/net/Sha256.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct KillCase
{
    const char *name;
    int killedAfterStep; // -1: not killed
    // expected
    bool newSet;
    std::size_t restored; // files put back by the next start
};

void PrintTo(const KillCase &row, std::ostream *out)
{
    *out << row.name;
}

class DataSetKillTest : public testing::TestWithParam<KillCase>
{
};

// A program ended between any two steps of putting a set in place leaves, after the next start's
// recovery, either the whole old set or the whole new one, and no work file.
TEST_P(DataSetKillTest, TheNextStartFindsOneWholeSet)
{
    const KillCase &row = GetParam();
    TempDir dir;
    OldSet.writeTo(dir);
    const DataFolder folder(dir.path());
    const std::vector<StagedFile> set{
        {DataFile::Country, dir.write("country.asc.1-1.new", NewSet.country)},
        {DataFile::Bureau, dir.write("vorn.asc.1-1.new", NewSet.bureau)},
        {DataFile::Calls, dir.write("calls.asc.1-1.new", NewSet.calls)}};
    for (const StagedFile &staged : set)
        ASSERT_FALSE(folder.backUp(staged.file));

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int step = 0;
        const DataSetInstaller installer(folder, [&](std::string_view) {
            if (step++ == row.killedAfterStep)
                ::_exit(9);
        });
        ::_exit(installer.install(set) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), row.killedAfterStep < 0 ? 0 : 9);

    const std::vector<DataFile> restored = DataSetInstaller(folder).recover();
    EXPECT_EQ(restored.size(), row.restored);
    const DataSet &expected = row.newSet ? NewSet : OldSet;
    EXPECT_EQ(dir.read(DataFiles::CountryFile), expected.country);
    EXPECT_EQ(dir.read(DataFiles::BureauFile), expected.bureau);
    EXPECT_EQ(dir.read(DataFiles::CallsFile), expected.calls);
    EXPECT_EQ(dir.names(),
              "calls.asc calls_old.asc country.asc country_old.asc vorn.asc vorn_old.asc");
    // A second start finds nothing to do.
    EXPECT_TRUE(DataSetInstaller(folder).recover().empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Steps, DataSetKillTest, testing::Values(
    KillCase{"NotKilled", -1, true, 0},
    KillCase{"AfterTheJournal", 0, false, 0},
    KillCase{"AfterTheCountryFile", 1, false, 1},
    KillCase{"AfterTheBureauFile", 2, false, 2},
    KillCase{"AfterTheList", 3, false, 3},
    KillCase{"AfterTheJournalWentAway", 4, true, 0}
), [](const testing::TestParamInfo<KillCase> &row) { return std::string(row.param.name); });
// clang-format on

// A journal that names files elsewhere, or is no journal, never moves a data file.
TEST(DataSetInstallerTest, AJournalOfNoUseChangesNothing)
{
    for (const std::string &journal :
         {std::string("garbage\r\n"), "Vorn data files being installed\r\ncountry.asc " +
                                          Sha256::toHex(*Sha256::of(NewSet.country)) +
                                          " ../country.asc\r\n"}) {
        TempDir dir;
        dir.write(DataFiles::CountryFile, NewSet.country);
        dir.write(DataFiles::CountryBackup, OldSet.country);
        dir.write(DataFiles::InstallJournal, journal);
        EXPECT_TRUE(DataSetInstaller(DataFolder(dir.path())).recover().empty());
        EXPECT_EQ(dir.read(DataFiles::CountryFile), NewSet.country);
        EXPECT_EQ(dir.names(), "country.asc country_old.asc");
    }
}

} // namespace
