#include "core/shell/UpdatePolicy.h"

#include "core/data/DataFiles.h"
#include "core/net/Sha256.h"
#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"
#include "support/RecordingBoxes.h"
#include "support/TestFiles.h"

#include <deque>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {

using A = MessageBoxes::Answer;
using Button = UpdateDialog::Button;
using F = DownloadFailure;

// Data versions: what is installed, and what a server publishes.
constexpr std::int32_t Older = 2025090100;
constexpr std::int32_t Installed = 2025093000;
constexpr std::int32_t Newer = 2025100100;

// What arrives when a data file downloads.
enum class Arrives {
    Sound,             // the published files, which fit together
    CountryUnloadable, // a country file that cannot be read
    BureauLacksEntity, // a bureau file without the record for an entity the country file uses
};

// Today, for the tests: every version above lies within a year of it.
const UpdateClock Clock{[] { return std::chrono::sys_days(std::chrono::year(2025) / 12 / 1); },
                        std::chrono::minutes(3)};

// Downloads as the real dialog does to the files, with the outcome the test chooses.
class ScriptedServer final : public Downloader
{
public:
    ScriptedServer(Events &events, const DataFolder &folder) : m_events(events), m_folder(folder) {}

    DownloadResult info;
    F country = F::None;
    F bureau = F::None;
    F calls = F::None;
    Arrives arrives = Arrives::Sound;
    std::string bureauHeading; // what the published vorn.asc starts with

    std::vector<DownloadRequest> requests;

    DownloadResult download(const DownloadRequest &request) override
    {
        requests.push_back(request);
        m_events.push_back(std::string("download ") + static_cast<char>(request.kind) +
                           (request.backupFirst ? " with backup" : ""));
        if (request.kind == DownloadKind::UpdateInfo)
            return info;
        const DataFile file = *Download::dataFileOf(request.kind);
        DownloadResult result;
        if (request.backupFirst && m_folder.backUp(file))
            return {F::CannotBackUp, "no backup", {}, {}};
        result.failure = file == DataFile::Country  ? country
                         : file == DataFile::Bureau ? bureau
                                                    : calls;
        if (!result.succeeded())
            return result;
        // Staged, a file waits beside its data file for the rest of the set.
        auto path = m_folder.fileOf(file);
        if (request.staged) {
            path += ".new";
            result.stagedFile = path;
        }
        std::filesystem::remove(path);
        if (file == DataFile::Country && arrives == Arrives::CountryUnloadable) {
            std::filesystem::create_directory(path);
            return result;
        }
        const bool lacking = file == DataFile::Bureau && arrives == Arrives::BureauLacksEntity;
        std::ofstream(path, std::ios::binary) << (file == DataFile::Country ? NewSet.country
                                                  : file == DataFile::Calls ? NewSet.calls
                                                  : lacking                 ? OldSet.bureau
                                                            : bureauHeading + NewSet.bureau);
        return result;
    }

private:
    Events &m_events;
    const DataFolder &m_folder;
};

class ScriptedDialog final : public UpdateDialog
{
public:
    explicit ScriptedDialog(std::deque<Choice> choices) : m_choices(std::move(choices)) {}
    Choice exec(UpdateMode, const std::string &dataInUse) override
    {
        shown.push_back(dataInUse);
        const Choice choice = m_choices.front();
        m_choices.pop_front();
        return choice;
    }

    std::vector<std::string> shown; // the data version in words, at each showing

private:
    std::deque<Choice> m_choices;
};

// A folder, the state over it, and the policy with a scripted server and dialog. The installed
// version and the mode are stored as a user's: Installed, Manual.
struct Rig
{
    Rig(std::deque<A> answers, std::deque<UpdateDialog::Choice> choices)
        : boxes(events, std::move(answers)), dialog(std::move(choices))
    {
        state.settings.dataVersion = Installed;
        state.settings.updateMode = UpdateMode::Manual;
    }

    // The installed set, loaded; without the list unless asked for.
    void install(bool withList = false)
    {
        (withList ? OldSet : DataSet{OldSet.country, OldSet.bureau, {}}).writeTo(dir);
        ASSERT_TRUE(state.load(DataFile::Country) && state.load(DataFile::Bureau));
        if (withList) {
            ASSERT_TRUE(state.loadExactCalls());
        }
    }

    TempDir dir;
    AppState state{dir.path()};
    Events events;
    RecordingBoxes boxes;
    ScriptedServer server{events, state.folder};
    ScriptedDialog dialog;
    UpdatePolicy policy{state, boxes, server, dialog, "data.example", Clock};
};

enum class Entry { Menu, StartupManual, StartupAuto };

struct PolicyCase
{
    const char *name;
    Entry entry;
    std::deque<UpdateDialog::Choice> dialog; // one choice per menu command run
    DownloadResult info;
    F country;
    F bureau;
    Arrives arrives;
    std::deque<A> answers;
    // expected
    Events events;
    std::int32_t dataVersion; // installed: Installed
    UpdateMode mode;          // stored: Manual
    std::size_t countryRows;  // after the menu command's reload
    std::size_t bureauRows;
};

void PrintTo(const PolicyCase &row, std::ostream *out)
{
    *out << row.name;
}

class UpdatePolicyTest : public testing::TestWithParam<PolicyCase>
{
};

TEST_P(UpdatePolicyTest, DecidesAndReplaces)
{
    const PolicyCase &row = GetParam();
    Rig rig(row.answers, row.dialog);
    rig.install();
    rig.server.info = row.info;
    rig.server.country = row.country;
    rig.server.bureau = row.bureau;
    rig.server.arrives = row.arrives;
    AppState &state = rig.state;

    if (row.entry == Entry::Menu) {
        for (std::size_t i = 0; i < row.dialog.size(); ++i)
            rig.policy.updateMenuClick();
    } else {
        const StartupUpdateResult result = rig.policy.startupUpdateCheck(
            row.entry == Entry::StartupAuto ? UpdateMode::Auto : UpdateMode::Manual, Installed);
        // The start-up sequence advances the version itself, after loading.
        if (result.dataReplaced)
            state.settings.dataVersion = result.publishedDataVersion;
        state.load(DataFile::Country);
        state.load(DataFile::Bureau);
    }

    EXPECT_EQ(rig.events, row.events);
    EXPECT_EQ(state.settings.dataVersion, row.dataVersion);
    EXPECT_EQ(state.settings.updateMode, row.mode);
    EXPECT_EQ(state.countries.count(), row.countryRows);
    EXPECT_EQ(state.bureaus.count(), row.bureauRows);
}

const DownloadResult Published13{F::None, {}, {Newer, 302, {}, {}, {}}, {}};
const DownloadResult Published12{F::None, {}, {Installed, 302, {}, {}, {}}, {}};
const DownloadResult Published11{F::None, {}, {Older, 303, {}, {}, {}}, {}};
const DownloadResult Program303{F::None, {}, {Installed, 303, {}, {}, {}}, {}};
const DownloadResult Unreachable{F::CannotConnect, "refused", {}, {}};
const DownloadResult NotUpdateInfo{F::NoVersionNumber, {}, {}, {}};
const DownloadResult Damaged{F::DamagedInfo, "line 3 names country.asc", {}, {}};
const DownloadResult Published13Program303{F::None, {}, {Newer, 303, {}, {}, {}}, {}};
const DownloadResult VersionNoDate{F::None, {}, {2147483647, 302, {}, {}, {}}, {}};
const DownloadResult VersionBeyondAYear{F::None, {}, {2026120200, 302, {}, {}, {}}, {}};
const DownloadResult VersionInAYear{F::None, {}, {2026120100, 302, {}, {}, {}}, {}};
const UpdateDialog::Choice CheckNow{Button::CheckNow, UpdateMode::Auto};
const UpdateDialog::Choice CloseBox{Button::CloseBox, UpdateMode::Auto};
const std::string Info = "download X";
const std::string GetCountry = "download C with backup";
const std::string GetBureau = "download Q with backup";
const std::string Ask = "info? new update available, download now ?";
const std::string NoNews = "info: no new update available";
const std::string Notice = "info: a new version of Vorn is can be downloaded from data.example";
const auto Menu = Entry::Menu;
const auto Sound = Arrives::Sound;
const auto Unloadable = Arrives::CountryUnloadable;
const auto Manual = UpdateMode::Manual;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Matrix, UpdatePolicyTest, testing::Values(
    PolicyCase{"SameVersion", Menu, {CheckNow}, Published12, F::None, F::None, Sound, {},
               {Info, NoNews}, Installed, Manual, 1, 1},
    PolicyCase{"LowerVersionWithNewProgram", Menu, {CheckNow}, Published11, F::None, F::None, Sound, {},
               {Info, NoNews, Notice}, Installed, Manual, 1, 1},
    PolicyCase{"NewerAndYes", Menu, {CheckNow}, Published13, F::None, F::None, Sound, {A::Yes},
               {Info, Ask, GetCountry, GetBureau}, Newer, Manual, 2, 2},
    PolicyCase{"NewerAndNoStillGivesTheNotice", Menu, {CheckNow}, Published13Program303, F::None, F::None, Sound, {A::No},
               {Info, Ask, Notice}, Installed, Manual, 1, 1},
    PolicyCase{"CheckFails", Menu, {CheckNow}, Unreachable, F::None, F::None, Sound, {},
               {Info, "error: failed to check for updates (-2)"}, Installed, Manual, 1, 1},
    PolicyCase{"NoVersionNumber", Menu, {CheckNow}, NotUpdateInfo, F::None, F::None, Sound, {},
               {Info, "error: failed to check for updates (-5)"}, Installed, Manual, 1, 1},
    // A line that names a data file and cannot be read: its lines are what cannot be read.
    PolicyCase{"DamagedUpdateInformation", Entry::StartupAuto, {}, Damaged, F::None, F::None, Sound, {},
               {Info, "error: failed to check for updates (-1)"}, Installed, Manual, 1, 1},
    // The files change as one: once one of them fails, the rest would only be thrown away.
    PolicyCase{"FailedCountryEndsTheUpdate", Menu, {CheckNow}, Published13, F::BadResponse, F::None, Sound, {A::Yes},
               {Info, Ask, GetCountry, "error: failed to download COUNTRY.ASC, old file restored"}, Installed, Manual, 1, 1},
    // The new country file, fetched and checked, never takes its name beside the old bureau file.
    PolicyCase{"FailedBureau", Menu, {CheckNow}, Published13, F::None, F::ReceiveFailed, Sound, {A::Yes},
               {Info, Ask, GetCountry, GetBureau, "error: failed to download VORN.ASC, old file restored"},
               Installed, Manual, 1, 1},
    // A staged file that cannot take its name: the set stays as it was.
    PolicyCase{"NewFileCannotTakeItsName", Menu, {CheckNow}, Published13, F::None, F::None, Unloadable, {A::Yes},
               {Info, Ask, GetCountry, GetBureau, "error: failed to download COUNTRY.ASC, old file restored",
                "error: failed to download VORN.ASC, old file restored"}, Installed, Manual, 1, 1},
    PolicyCase{"OkStoresTheModeAndChecksNothing", Menu, {{Button::Ok, UpdateMode::Auto}}, Published13, F::None, F::None, Sound, {},
               {}, Installed, UpdateMode::Auto, 1, 1},
    PolicyCase{"CancelEndsCheckNow", Menu, {CheckNow, {Button::Cancel, UpdateMode::None}, CloseBox}, Published12, F::None, F::None, Sound, {},
               {Info, NoNews}, Installed, Manual, 1, 1},
    // Escape or the close box after an earlier "Check now" checks nothing and stores nothing.
    PolicyCase{"CloseBoxAfterCheckNowChecksNothing", Menu, {CheckNow, CloseBox}, Published12, F::None, F::None, Sound, {},
               {Info, NoNews}, Installed, Manual, 1, 1},
    PolicyCase{"StartupAutoDoesNotAsk", Entry::StartupAuto, {}, Published13, F::None, F::None, Sound, {},
               {Info, GetCountry, GetBureau}, Newer, Manual, 2, 2},
    PolicyCase{"StartupManualNo", Entry::StartupManual, {}, Published13, F::None, F::None, Sound, {A::No},
               {Info, Ask}, Installed, Manual, 1, 1},
    PolicyCase{"StartupShowsNoNoticeAndNoNews", Entry::StartupManual, {}, Program303, F::None, F::None, Sound, {},
               {Info}, Installed, Manual, 1, 1},
    PolicyCase{"StartupCheckFails", Entry::StartupAuto, {}, Unreachable, F::None, F::None, Sound, {},
               {Info, "error: failed to check for updates (-2)"}, Installed, Manual, 1, 1},
    PolicyCase{"StartupFailedDownloadKeepsTheVersion", Entry::StartupAuto, {}, Published13, F::Cancelled, F::None, Sound, {},
               {Info, GetCountry, "error: failed to download COUNTRY.ASC, old file restored"}, Installed, Manual, 1, 1},
    // Stored, such a number would make every later publication look old.
    PolicyCase{"VersionThatIsNoDate", Menu, {CheckNow}, VersionNoDate, F::None, F::None, Sound, {},
               {Info, "error: failed to check for updates (-5)"}, Installed, Manual, 1, 1},
    PolicyCase{"VersionMoreThanAYearAhead", Entry::StartupAuto, {}, VersionBeyondAYear, F::None, F::None, Sound, {},
               {Info, "error: failed to check for updates (-5)"}, Installed, Manual, 1, 1},
    PolicyCase{"VersionAYearAhead", Entry::StartupAuto, {}, VersionInAYear, F::None, F::None, Sound, {},
               {Info, GetCountry, GetBureau}, 2026120100, Manual, 2, 2},
    // F would have no bureau: both files go back to the pair that was installed.
    PolicyCase{"FilesThatDoNotFitTogether", Menu, {CheckNow}, Published13, F::None, F::None, Arrives::BureauLacksEntity, {A::Yes},
               {Info, Ask, GetCountry, GetBureau, "error: failed to download COUNTRY.ASC, old file restored",
                "error: failed to download VORN.ASC, old file restored"}, Installed, Manual, 1, 1}
), [](const testing::TestParamInfo<PolicyCase> &row) { return std::string(row.param.name); });
// clang-format on

TEST(UpdatePolicyTest, SingleFileDownloadsTakeNoBackup)
{
    Rig rig({}, {});
    rig.server.bureau = F::CannotConnect;
    EXPECT_TRUE(rig.policy.downloadCountryFile());
    EXPECT_FALSE(rig.policy.downloadBureauFile());
    EXPECT_EQ(rig.events,
              (Events{"download C", "download Q", "error: failed to download VORN.ASC"}));
}

TEST(UpdatePolicyTest, StoredVersionThatIsNoDateHoldsNothingBack)
{
    Rig rig({A::No}, {CheckNow});
    rig.install();
    rig.state.settings.dataVersion = 2147483647;
    rig.server.info = Published13;
    rig.policy.updateMenuClick();
    EXPECT_EQ(rig.events, (Events{Info, Ask}));
}

TEST(UpdatePolicyTest, DataFilesAreMeasuredAgainstThePublicationWithinTheUpdatesTime)
{
    Rig rig({}, {});
    rig.install();
    ScriptedServer &server = rig.server;
    const PublishedFile country{12, *Sha256::fromHex(std::string(64, 'a'))};
    server.info = {F::None, {}, {Newer, 302, country, {}, {}}, {}};

    ASSERT_TRUE(rig.policy.startupUpdateCheck(UpdateMode::Auto, Installed).dataReplaced);
    // One end for both files of the update; what the server did not publish is left to the
    // other checks.
    ASSERT_EQ(server.requests.size(), 3u);
    ASSERT_TRUE(server.requests[0].deadline && server.requests[1].deadline);
    EXPECT_LE(*server.requests[1].deadline, std::chrono::steady_clock::now() + Clock.wholeUpdate);
    EXPECT_EQ(server.requests[1].expected, country);
    EXPECT_EQ(server.requests[2].expected, std::nullopt);
    EXPECT_EQ(server.requests[2].deadline, server.requests[1].deadline);
    // A file fetched later, outside the update, is measured against the same publication.
    EXPECT_TRUE(rig.policy.downloadCountryFile());
    EXPECT_EQ(server.requests.back().expected, country);
    EXPECT_EQ(server.requests.back().deadline, std::nullopt);
}

// A publication whose update information was raised by hand to revision 10 brings a vorn.asc
// that still names revision 2: the dialog shows the number that the check compares with.
TEST(UpdatePolicyTest, DialogShowsTheInstalledDataVersion)
{
    Rig rig({A::Yes}, {CheckNow, CloseBox});
    rig.dir.write(DataFiles::CountryFile, OldSet.country);
    rig.dir.write(DataFiles::BureauFile, "Vorn QSL bureaus, data 2025093000\r\n" + OldSet.bureau);
    ASSERT_TRUE(rig.state.load(DataFile::Country) && rig.state.load(DataFile::Bureau));
    rig.server.info = {F::None, {}, {2025093010, 302, {}, {}, {}}, {}};
    rig.server.bureauHeading = "Vorn QSL bureaus, data 2025093002\r\n";
    rig.policy.updateMenuClick();
    rig.policy.updateMenuClick();
    EXPECT_EQ(rig.dialog.shown, (std::vector<std::string>{"data of 2025-09-30, revision 0",
                                                          "data of 2025-09-30, revision 10"}));
}

// country.asc is an empty directory, which loads as nothing; the backup copy is good.
TEST(UpdatePolicyTest, FailedUpdateOverAFileThatIsNoDataKeepsTheGoodCopy)
{
    Rig rig({A::Yes}, {CheckNow});
    std::filesystem::create_directory(rig.dir.path() / DataFiles::CountryFile);
    rig.dir.write(DataFiles::CountryBackup, NewSet.country);
    rig.dir.write(DataFiles::BureauFile, OldSet.bureau);
    rig.server.info = Published13;
    rig.server.country = F::ReceiveFailed;
    rig.server.bureau = F::ReceiveFailed;
    rig.policy.updateMenuClick();

    EXPECT_EQ(rig.events, (Events{Info, Ask, GetCountry,
                                  "error: failed to download COUNTRY.ASC, old file restored"}));
    EXPECT_EQ(rig.state.countries.count(), 2u);
    EXPECT_EQ(rig.state.settings.dataVersion, Installed);
}

struct ListCase
{
    const char *name;
    bool published; // the update information has the list's line
    F calls;
    // expected
    Events events; // after the question
    std::size_t calls_;
    std::int32_t dataVersion;
};

void PrintTo(const ListCase &row, std::ostream *out)
{
    *out << row.name;
}

class ListUpdateTest : public testing::TestWithParam<ListCase>
{
};

// The list is part of an update only when it is published, changes with the tables and is read
// anew with them; one that is refused keeps the installed set, the list included.
TEST_P(ListUpdateTest, TheListChangesWithTheTables)
{
    const ListCase &row = GetParam();
    Rig rig({A::Yes}, {CheckNow});
    rig.install(true);
    rig.server.info = Published13;
    if (row.published)
        rig.server.info.published.calls =
            PublishedFile{NewSet.calls.size(), *Sha256::of(NewSet.calls)};
    rig.server.calls = row.calls;
    rig.policy.updateMenuClick();

    Events expected{Info, Ask, GetCountry, GetBureau};
    expected.insert(expected.end(), row.events.begin(), row.events.end());
    EXPECT_EQ(rig.events, expected);
    EXPECT_EQ(rig.state.countries.exactCalls().count(), row.calls_);
    EXPECT_EQ(rig.state.settings.dataVersion, row.dataVersion);
    EXPECT_EQ(rig.dir.read(DataFiles::CallsFile), (row.calls_ == 2 ? NewSet : OldSet).calls);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, ListUpdateTest, testing::Values(
    ListCase{"Published", true, F::None, {"download L with backup"}, 2, Newer},
    ListCase{"NotPublishedStaysAsItIs", false, F::None, {}, 1, Newer},
    ListCase{"RefusedKeepsTheWholeSet", true, F::NotAsPublished,
             {"download L with backup", "error: failed to download CALLS.ASC, old file restored"}, 1, Installed}
), [](const testing::TestParamInfo<ListCase> &row) { return std::string(row.param.name); });
// clang-format on

} // namespace
