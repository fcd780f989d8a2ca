#include "core/shell/StartupSequence.h"

#include "core/data/DataFiles.h"
#include "core/net/Sha256.h"
#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"
#include "core/shell/UpdateOperations.h"
#include "support/RecordingBoxes.h"
#include "support/TestFiles.h"

#include <deque>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

using namespace std::string_literals;

// Two prefixes; the backup copy has three, a downloaded file four, so the counts tell them apart.
const std::string CountryFile = "x DL DL\r\nx DA DL\r\n";
const std::string CountryBackup = "x DL DL\r\nx DA DL\r\nx DB DL\r\n";
const std::string CountryDownload = "x DL DL\r\nx DA DL\r\nx DB DL\r\nx DC DL\r\n";
// Records of 61 characters; headings of 60 or fewer take no slot.
const std::string DlRecord = "DL    Germany                DL    DARC                     Y";
const std::string FRecord = "F     France                 F     REF                      Y";
const std::string GRecord = "G     England                G     RSGB                     Y";
const std::string BureauFile = DlRecord + "\r\n";
const std::string BureauBackup = DlRecord + "\r\n" + FRecord + "\r\n";
const std::string BureauDownload = DlRecord + "\r\n" + FRecord + "\r\n" + GRecord + "\r\n";

// What lies under a data file's name before the start-up.
enum class File {
    Good,       // the usual file
    Missing,    // nothing there
    Unreadable, // an empty directory: opens, cannot be read, can be deleted
    Stuck,      // a directory with something in it: cannot be read or deleted
    Page,       // an HTML page: it loads, but cannot be a data file
    OwnRows,    // the usual file with rows of the user's that the other file has no answer for
};

const std::string Page = "<!DOCTYPE html>\r\n<html><body>Log in</body></html>\r\n";

// What a single-file download does.
enum class Download {
    Fails,      // reports the failure, changes nothing
    Succeeds,   // puts the published file in place
    LeavesFile, // reports success but the file stays as it was
};

void prepare(const TempDir &dir, const char *name, File state, const std::string &contents)
{
    switch (state) {
    case File::Good:
        dir.write(name, contents);
        break;
    case File::Missing:
        break;
    case File::Unreadable:
        std::filesystem::create_directory(dir.path() / name);
        break;
    case File::Stuck:
        std::filesystem::create_directory(dir.path() / name);
        dir.write(std::string(name) + "/inside", "x");
        break;
    case File::Page:
        dir.write(name, Page);
        break;
    case File::OwnRows:
        // A country row of a code without a record, and a NUL in the bureau file's heading.
        dir.write(name, name == std::string(DataFiles::CountryFile)
                            ? "x QQ1ABC QQ\r\n" + contents
                            : "Vorn \0 bureaus\r\n"s + contents);
        break;
    }
}

class ScriptedUpdates final : public UpdateOperations
{
public:
    ScriptedUpdates(Events &events, MessageBoxes &boxes, const TempDir &dir)
        : m_events(events), m_boxes(boxes), m_dir(dir)
    {}

    StartupUpdateResult check;
    Download country = Download::Fails;
    Download bureau = Download::Fails;

    StartupUpdateResult startupUpdateCheck(UpdateMode mode, std::int32_t dataVersion) override
    {
        m_events.push_back("check mode " + std::to_string(static_cast<int>(mode)) + " version " +
                           std::to_string(dataVersion));
        return check;
    }
    bool downloadCountryFile() override
    {
        m_events.push_back("download country");
        return fetch(country, DataFiles::CountryFile, CountryDownload, "COUNTRY.ASC");
    }
    bool downloadBureauFile() override
    {
        m_events.push_back("download bureau");
        return fetch(bureau, DataFiles::BureauFile, BureauDownload, "VORN.ASC");
    }
    void updateMenuClick() override { ADD_FAILURE() << "menu command at start-up"; }

private:
    bool fetch(Download script, const char *name, const std::string &contents, const char *shown)
    {
        switch (script) {
        case Download::Fails:
            m_boxes.inform(MessageBoxes::Kind::Error,
                           withHeading(std::string("failed to download ") + shown));
            return false;
        case Download::Succeeds:
            std::filesystem::remove_all(m_dir.path() / name);
            m_dir.write(name, contents);
            return true;
        case Download::LeavesFile:
            return true;
        }
        return false;
    }

    Events &m_events;
    MessageBoxes &m_boxes;
    const TempDir &m_dir;
};

class RecordingWindow final : public StartupWindow
{
public:
    RecordingWindow(Events &events, MessageBoxGate &gate) : m_events(events), m_gate(gate) {}

    void applyQslInfoMode() override { m_events.push_back("query window"); }
    void closeMainWindow() override
    {
        // As the main window does: once it is closed, boxes are dismissed unseen.
        m_events.push_back("close");
        m_gate.dismissFromNowOn();
    }

private:
    Events &m_events;
    MessageBoxGate &m_gate;
};

using A = MessageBoxes::Answer;

// The start-up over a folder, with scripted updates and a window that records what it is told.
struct Start
{
    explicit Start(const TempDir &dir, std::deque<A> answers = {})
        : boxes(events, std::move(answers)), updates(events, gate, dir), state(dir.path())
    {}
    bool run() { return StartupSequence(state, gate, updates, window).run(); }

    Events events;
    RecordingBoxes boxes;
    MessageBoxGate gate{boxes};
    ScriptedUpdates updates;
    RecordingWindow window{events, gate};
    AppState state;
};

struct StartupCase
{
    const char *name;
    UpdateMode updateMode;
    QslInfoMode qslInfoMode;
    File country;
    File bureau;
    File countryBackup;
    File bureauBackup;
    StartupUpdateResult check;
    Download countryDownload;
    Download bureauDownload;
    std::deque<A> answers;
    // expected
    Events events;
    bool loaded;
    std::int32_t dataVersion; // it starts at 5
    std::size_t countryRows;
    std::size_t bureauRows;
    bool countryBackupLeft;
    bool bureauBackupLeft;
};

void PrintTo(const StartupCase &row, std::ostream *out)
{
    *out << row.name;
}

class StartupSequenceTest : public testing::TestWithParam<StartupCase>
{
};

TEST_P(StartupSequenceTest, RunsItsSteps)
{
    const StartupCase &row = GetParam();
    TempDir dir;
    prepare(dir, DataFiles::CountryFile, row.country, CountryFile);
    prepare(dir, DataFiles::BureauFile, row.bureau, BureauFile);
    prepare(dir, DataFiles::CountryBackup, row.countryBackup, CountryBackup);
    prepare(dir, DataFiles::BureauBackup, row.bureauBackup, BureauBackup);

    Start start(dir, row.answers);
    start.updates.check = row.check;
    start.updates.country = row.countryDownload;
    start.updates.bureau = row.bureauDownload;
    AppState &state = start.state;
    state.settings.updateMode = row.updateMode;
    state.settings.qslInfoMode = row.qslInfoMode;
    state.settings.dataVersion = 5;
    EXPECT_EQ(start.run(), row.loaded);

    EXPECT_EQ(start.events, row.events);
    EXPECT_EQ(start.boxes.unansweredQuestions(), 0u);
    EXPECT_EQ(state.settings.dataVersion, row.dataVersion);
    EXPECT_EQ(state.countries.count(), row.countryRows);
    EXPECT_EQ(state.bureaus.count(), row.bureauRows);
    EXPECT_EQ(std::filesystem::exists(dir.path() / DataFiles::CountryBackup),
              row.countryBackupLeft);
    EXPECT_EQ(std::filesystem::exists(dir.path() / DataFiles::BureauBackup), row.bureauBackupLeft);

    // A box about a file that cannot be read gives its full path and the system's reason.
    std::size_t box = 0;
    for (const std::string &event : start.events) {
        if (!event.starts_with("error") && !event.starts_with("info"))
            continue;
        const std::string &details = start.boxes.details.at(box++);
        for (const char *name : {"COUNTRY.ASC", "VORN.ASC"}) {
            if (event.find(std::string("error reading ") + name) == std::string::npos)
                continue;
            const std::string file =
                name[0] == 'C' ? DataFiles::CountryFile : DataFiles::BureauFile;
            EXPECT_TRUE(details.starts_with((dir.path() / file).string() + ": ")) << details;
            EXPECT_GT(details.size(), (dir.path() / file).string().size() + 2) << details;
        }
    }
}

const StartupUpdateResult NothingNew{false, 5};
const StartupUpdateResult CheckFailed{false, -2};
const std::string AskCountry = "error? error reading COUNTRY.ASC, download this file ?";
const std::string AskBureau = "error? error reading VORN.ASC, download this file ?";
const std::string CountryRestored = "info: old copy of COUNTRY.ASC restored";
const std::string BureauRestored = "info: old copy of VORN.ASC restored";
const std::string Check = "check mode 1 version 5";
const std::string OwnRowsWarning =
    "warning: the data files hold rows that Vorn cannot answer for:\r\n"
    "vorn.asc: it holds NUL bytes: it is damaged or not single-byte text\r\n"
    "country.asc line 1, QQ1ABC: entity code QQ not in vorn.asc";
const std::string CheckAuto = "check mode 2 version 5";

constexpr auto Off = UpdateMode::None;
constexpr auto Manual = UpdateMode::Manual;
constexpr auto Auto = UpdateMode::Auto;
constexpr auto NoQuery = QslInfoMode::None;
constexpr auto Fails = Download::Fails;
constexpr auto Succeeds = Download::Succeeds;

// clang-format off
INSTANTIATE_TEST_SUITE_P(UpdatesOff, StartupSequenceTest, testing::Values(
    StartupCase{"AllGood", Off, NoQuery, File::Good, File::Good, File::Missing, File::Missing,
                {}, Fails, Fails, {},
                {}, true, 5, 2, 1, false, false},
    StartupCase{"CountryMissing", Off, NoQuery, File::Missing, File::Good, File::Missing, File::Missing,
                {}, Fails, Fails, {},
                {"error: error reading COUNTRY.ASC\r\nYou need to update"}, true, 0, 0, 1, false, false},
    StartupCase{"BureauUnreadable", Off, NoQuery, File::Good, File::Unreadable, File::Missing, File::Missing,
                {}, Fails, Fails, {},
                {"error: error reading VORN.ASC\r\nYou need to update"}, true, 0, 2, 0, false, false},
    // Nothing is restored or downloaded with updates off, whatever backups lie there.
    StartupCase{"BothMissingBackupsUntouched", Off, NoQuery, File::Missing, File::Missing, File::Good, File::Good,
                {}, Fails, Fails, {},
                {"error: error reading COUNTRY.ASC\r\nYou need to update",
                 "error: error reading VORN.ASC\r\nYou need to update"}, true, 0, 0, 0, true, true},
    StartupCase{"QueryWindowFirst", Off, QslInfoMode::Manual, File::Missing, File::Good, File::Missing, File::Missing,
                {}, Fails, Fails, {},
                {"query window", "error: error reading COUNTRY.ASC\r\nYou need to update"}, true, 0, 0, 1, false, false},
    // It loads, but would answer "unknown" to every call.
    StartupCase{"CountryPage", Off, NoQuery, File::Page, File::Good, File::Missing, File::Missing,
                {}, Fails, Fails, {},
                {"error: error reading COUNTRY.ASC\r\nYou need to update"}, true, 0, 2, 1, false, false},
    StartupCase{"OwnRowsAreNamedAndKept", Off, NoQuery, File::OwnRows, File::OwnRows, File::Good, File::Good,
                {}, Fails, Fails, {},
                {OwnRowsWarning}, true, 5, 3, 1, true, true}
), [](const testing::TestParamInfo<StartupCase> &row) { return std::string(row.param.name); });

INSTANTIATE_TEST_SUITE_P(UpdatesOn, StartupSequenceTest, testing::Values(
    StartupCase{"AllGood", Manual, NoQuery, File::Good, File::Good, File::Good, File::Good,
                NothingNew, Fails, Fails, {},
                {Check}, true, 5, 2, 1, true, true},
    StartupCase{"QueryWindowBeforeCheck", Auto, QslInfoMode::Auto, File::Good, File::Good, File::Missing, File::Missing,
                NothingNew, Fails, Fails, {},
                {"query window", CheckAuto}, true, 5, 2, 1, false, false},
    StartupCase{"FailedCheckGoesOn", Manual, NoQuery, File::Good, File::Good, File::Missing, File::Missing,
                CheckFailed, Fails, Fails, {},
                {Check}, true, 5, 2, 1, false, false},
    StartupCase{"CountryNoWithoutBackupEnds", Manual, NoQuery, File::Unreadable, File::Good, File::Missing, File::Missing,
                NothingNew, Fails, Fails, {A::No},
                {Check, AskCountry, "close"}, false, 5, 0, 1, false, false},
    StartupCase{"CountryNoWithBackupRestores", Manual, NoQuery, File::Unreadable, File::Good, File::Good, File::Missing,
                NothingNew, Fails, Fails, {A::No},
                {Check, AskCountry, CountryRestored}, true, 5, 3, 1, false, false},
    StartupCase{"CountryYesFailedDownloadThenBackup", Manual, NoQuery, File::Missing, File::Good, File::Good, File::Missing,
                NothingNew, Fails, Fails, {A::Yes},
                {Check, AskCountry, "download country", "error: failed to download COUNTRY.ASC", CountryRestored},
                true, 5, 3, 1, false, false},
    StartupCase{"CountryYesDownloadLoads", Manual, NoQuery, File::Unreadable, File::Good, File::Good, File::Missing,
                NothingNew, Succeeds, Fails, {A::Yes},
                {Check, AskCountry, "download country"}, true, 5, 4, 1, true, false},
    StartupCase{"CountryDownloadStillUnreadable", Manual, NoQuery, File::Unreadable, File::Good, File::Missing, File::Missing,
                NothingNew, Download::LeavesFile, Fails, {A::Yes},
                {Check, AskCountry, "download country", "close"}, false, 5, 0, 1, false, false},
    StartupCase{"BureauYesDownloadLoads", Manual, NoQuery, File::Good, File::Missing, File::Missing, File::Missing,
                NothingNew, Fails, Succeeds, {A::Yes},
                {Check, AskBureau, "download bureau"}, true, 5, 2, 3, false, false},
    StartupCase{"BureauNoWithBackupRestores", Auto, NoQuery, File::Good, File::Unreadable, File::Missing, File::Good,
                NothingNew, Fails, Fails, {A::No},
                {CheckAuto, AskBureau, BureauRestored}, true, 5, 2, 2, false, false},
    // The unreadable file cannot be deleted, so the backup cannot take its name.
    StartupCase{"StuckFileKeepsBackup", Manual, NoQuery, File::Stuck, File::Good, File::Good, File::Missing,
                NothingNew, Fails, Fails, {A::No},
                {Check, AskCountry, "close"}, false, 5, 0, 1, true, false},
    // The backup is moved back but cannot be read either: no message, the program ends.
    StartupCase{"UnreadableBackup", Manual, NoQuery, File::Missing, File::Good, File::Unreadable, File::Missing,
                NothingNew, Fails, Fails, {A::No},
                {Check, AskCountry, "close"}, false, 5, 0, 1, false, false},
    // After the close every box is dismissed: the bureau question counts as No.
    StartupCase{"BothUnreadableEndsAfterCountry", Manual, NoQuery, File::Unreadable, File::Unreadable, File::Missing, File::Missing,
                NothingNew, Fails, Fails, {A::No},
                {Check, AskCountry, "close"}, false, 5, 0, 0, false, false},
    StartupCase{"BureauBackupRestoredAfterClose", Manual, NoQuery, File::Missing, File::Missing, File::Missing, File::Good,
                NothingNew, Fails, Fails, {A::No},
                {Check, AskCountry, "close"}, false, 5, 0, 2, false, false},
    StartupCase{"BureauPageYesDownloadLoads", Manual, NoQuery, File::Good, File::Page, File::Missing, File::Good,
                NothingNew, Fails, Succeeds, {A::Yes},
                {Check, AskBureau, "download bureau"}, true, 5, 2, 3, false, true},
    StartupCase{"CountryPageNoBackupRestored", Auto, NoQuery, File::Page, File::Good, File::Good, File::Missing,
                NothingNew, Fails, Fails, {A::No},
                {CheckAuto, AskCountry, CountryRestored}, true, 5, 3, 1, false, false},
    // The user's own rows are never a reason to download or restore.
    StartupCase{"OwnRowsWithUpdatesOn", Manual, NoQuery, File::OwnRows, File::Good, File::Good, File::Good,
                NothingNew, Fails, Fails, {},
                {Check, "warning: the data files hold rows that Vorn cannot answer for:\r\n"
                        "country.asc line 1, QQ1ABC: entity code QQ not in vorn.asc"},
                true, 5, 3, 1, true, true}
), [](const testing::TestParamInfo<StartupCase> &row) { return std::string(row.param.name); });

INSTANTIATE_TEST_SUITE_P(DataVersion, StartupSequenceTest, testing::Values(
    StartupCase{"ReplacedAndLoadedAdvances", Auto, NoQuery, File::Good, File::Good, File::Good, File::Good,
                {true, 13}, Fails, Fails, {},
                {CheckAuto}, true, 13, 2, 1, true, true},
    StartupCase{"FailedLoadKeepsIt", Auto, NoQuery, File::Unreadable, File::Good, File::Good, File::Good,
                {true, 13}, Fails, Fails, {A::No},
                {CheckAuto, AskCountry, CountryRestored}, true, 5, 3, 1, false, true},
    StartupCase{"FailedBureauLoadKeepsIt", Manual, NoQuery, File::Good, File::Missing, File::Missing, File::Missing,
                {true, 13}, Fails, Succeeds, {A::Yes},
                {Check, AskBureau, "download bureau"}, true, 5, 2, 3, false, false},
    StartupCase{"NotReplacedKeepsIt", Manual, NoQuery, File::Good, File::Good, File::Missing, File::Missing,
                {false, 13}, Fails, Fails, {},
                {Check}, true, 5, 2, 1, false, false}
), [](const testing::TestParamInfo<StartupCase> &row) { return std::string(row.param.name); });
// clang-format on

struct InstalledVersionCase
{
    const char *name;
    std::int32_t stored; // in vorn.set, or 0 at a first start
    File country;
    std::optional<std::int32_t> heading; // the data version that vorn.asc names
    // expected
    std::int32_t dataVersion;
};

void PrintTo(const InstalledVersionCase &row, std::ostream *out)
{
    *out << row.name;
}

class InstalledVersionTest : public testing::TestWithParam<InstalledVersionCase>
{
};

// The number that the update check compares with, and that the About box and the Update dialog
// show, is what the folder holds: never older than the loaded vorn.asc.
TEST_P(InstalledVersionTest, FollowsTheLoadedFiles)
{
    const InstalledVersionCase &row = GetParam();
    TempDir dir;
    prepare(dir, DataFiles::CountryFile, row.country, CountryFile);
    dir.write(
        DataFiles::BureauFile,
        (row.heading ? "Vorn QSL bureaus, data " + std::to_string(*row.heading) + "\r\n" : "") +
            BureauFile);
    Start start(dir);
    start.state.settings.dataVersion = row.stored;
    start.run();
    EXPECT_EQ(start.state.settings.dataVersion, row.dataVersion);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Starts, InstalledVersionTest,
    testing::Values(
        // Without it the first check would offer the very data that came with the program.
        InstalledVersionCase{"FirstStart", 0, File::Good, 2025093000, 2025093000},
        // The update information was raised to 2025093010 over a vorn.asc of revision 2.
        InstalledVersionCase{"PublicationRaisedByHand", 2025093010, File::Good, 2025093002, 2025093010},
        InstalledVersionCase{"FilesCopiedInByHand", 2025093010, File::Good, 2025100105, 2025100105},
        InstalledVersionCase{"NoVersionInTheHeading", 2025093010, File::Good, std::nullopt, 2025093010},
        // "You need to update": the number stays 0, so that the next check offers the data.
        InstalledVersionCase{"CountryFileAPage", 2025093010, File::Page, 2025100105, 0}),
    [](const testing::TestParamInfo<InstalledVersionCase> &row) { return std::string(row.param.name); });
// clang-format on

struct ExactCallsCase
{
    const char *name;
    File calls;
    const char *contents;
    // expected
    std::vector<std::string> events;
    std::size_t count;
};

void PrintTo(const ExactCallsCase &row, std::ostream *out)
{
    *out << row.name;
}

class ExactCallsAtStartTest : public testing::TestWithParam<ExactCallsCase>
{
};

// The list of exact calls comes after the data files; one that is missing changes nothing, one
// that is damaged is named and not used.
TEST_P(ExactCallsAtStartTest, LoadsTheListOrSaysWhyNot)
{
    const ExactCallsCase &row = GetParam();
    TempDir dir;
    prepare(dir, DataFiles::CountryFile, File::Good, CountryFile);
    prepare(dir, DataFiles::BureauFile, File::Good, BureauFile);
    prepare(dir, DataFiles::CallsFile, row.calls, row.contents);
    Start start(dir);
    EXPECT_TRUE(start.run());
    EXPECT_EQ(start.events, row.events);
    EXPECT_EQ(start.state.countries.exactCalls().count(), row.count);
    EXPECT_EQ(static_cast<bool>(start.state.exactCallsLoad()), row.count > 0);
    if (!row.events.empty()) {
        EXPECT_TRUE(
            start.boxes.details.at(0).starts_with((dir.path() / "calls.asc").string() + ": "));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, ExactCallsAtStartTest, testing::Values(
    ExactCallsCase{"Loaded", File::Good, "1 DL1ABC F\r\n2 DL2ABC F\r\n", {}, 2},
    ExactCallsCase{"Missing", File::Missing, "", {}, 0},
    ExactCallsCase{"Damaged", File::Good, "1 DL1ABC F\r\nDL2ABC\r\n",
                   {"warning: calls.asc not used: line 2 is not a call and an entity code, or a "
                    "call listed before\r\nVorn answers without its list of exact calls."}, 0},
    ExactCallsCase{"APage", File::Page, "",
                   {"warning: calls.asc not used: it is an HTML or XML page, not a data file\r\n"
                    "Vorn answers without its list of exact calls."}, 0},
    ExactCallsCase{"Unreadable", File::Unreadable, "",
                   {"warning: calls.asc not used: Is a directory\r\n"
                    "Vorn answers without its list of exact calls."}, 0}
), [](const testing::TestParamInfo<ExactCallsCase> &row) { return std::string(row.param.name); });
// clang-format on

// An update killed while its files took their names: the start puts the installed set back
// before it checks or loads anything, says so in one box, and the next start says nothing.
TEST(StartupSequenceTest, PutsBackTheSetOfAnInstallationCutShort)
{
    TempDir dir;
    dir.write(DataFiles::CountryFile, CountryDownload);
    dir.write(DataFiles::BureauFile, BureauFile);
    dir.write(DataFiles::CountryBackup, CountryFile);
    dir.write(DataFiles::BureauBackup, BureauFile);
    // The country file had taken its name, the bureau file not yet.
    dir.write(DataFiles::InstallJournal, "Vorn data files being installed\r\ncountry.asc " +
                                             Sha256::toHex(*Sha256::of(CountryDownload)) +
                                             " country.asc.7-1.new\r\n" + "vorn.asc " +
                                             Sha256::toHex(*Sha256::of(BureauDownload)) +
                                             " vorn.asc.7-1.new\r\n");
    dir.write("vorn.asc.7-1.new", BureauDownload);

    for (const Events &expected :
         {Events{"info: the last update was cut short\r\nold copy of COUNTRY.ASC restored", Check},
          Events{Check}}) {
        Start start(dir);
        start.updates.check = NothingNew;
        start.state.settings.updateMode = Manual;
        start.state.settings.dataVersion = 5;
        EXPECT_TRUE(start.run());
        EXPECT_EQ(start.events, expected);
        EXPECT_EQ(start.state.countries.count(), 2u);
        EXPECT_EQ(dir.names(), "country.asc country_old.asc vorn.asc vorn_old.asc");
    }
}

TEST(MessageBoxGateTest, PassesBoxesOnUntilDismissing)
{
    Events events;
    RecordingBoxes boxes(events, {A::Yes});
    MessageBoxGate gate(boxes);
    EXPECT_EQ(
        gate.show(MessageBoxes::Kind::Error, MessageBoxes::Buttons::YesNo, withHeading("one")),
        A::Yes);
    gate.dismissFromNowOn();
    EXPECT_EQ(
        gate.show(MessageBoxes::Kind::Error, MessageBoxes::Buttons::YesNo, withHeading("two")),
        A::No);
    EXPECT_EQ(
        gate.show(MessageBoxes::Kind::Information, MessageBoxes::Buttons::Ok, withHeading("three")),
        A::Ok);
    EXPECT_EQ(events, Events{"error? one"});
}

TEST(RenameWithoutReplacingTest, NeverReplacesAFile)
{
    TempDir dir;
    const auto from = dir.write("a", "new");
    const auto to = dir.write("b", "old");
    EXPECT_FALSE(renameWithoutReplacing(from, to));
    EXPECT_TRUE(std::filesystem::exists(from));
    std::filesystem::remove(to);
    EXPECT_TRUE(renameWithoutReplacing(from, to));
    EXPECT_FALSE(std::filesystem::exists(from));
    EXPECT_FALSE(renameWithoutReplacing(dir.path() / "missing", dir.path() / "c"));
}

} // namespace
