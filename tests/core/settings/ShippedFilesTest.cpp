#include "core/settings/ShippedFiles.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

// An installed tree (<prefix>/bin, <prefix>/share/vorn) beside a user's data folder.
TEST(HelpFileLocation, PrefersTheShippedHelp)
{
    const struct
    {
        const char *name;
        bool shipped;
        bool inDataFolder;
        bool expectShipped;
    } cases[] = {
        {"shipped over an old copy", true, true, true},
        {"shipped only", true, false, true},
        {"data folder when none is shipped", false, true, false},
        {"data folder when there is none at all", false, false, false},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path program = dir.path() / "prefix" / VORN_INSTALL_BINDIR;
        const fs::path shared = dir.path() / "prefix" / VORN_INSTALL_DATADIR / "vorn";
        const fs::path data = dir.path() / "data";
        fs::create_directories(program);
        fs::create_directories(shared);
        fs::create_directories(data);
        if (row.shipped)
            dir.write(fs::relative(shared / "vorn.hlp", dir.path()), "shipped");
        if (row.inDataFolder)
            dir.write("data/vorn.hlp", "old copy");

        EXPECT_EQ(helpFilePath(program, data),
                  row.expectShipped ? shared / "vorn.hlp" : data / "vorn.hlp");
    }
}

TEST(HelpFileLocation, ProgramInTheBuildTreeShowsTheSourceTreesHelp)
{
    TempDir data;
    EXPECT_TRUE(fs::equivalent(helpFilePath(VORN_BUILT_PROGRAM_DIR, data.path()),
                               fs::path(VORN_SHIPPED_FILES) / "vorn.hlp"));
}
