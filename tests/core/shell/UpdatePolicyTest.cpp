#include "core/shell/UpdatePolicy.h"

#include "core/data/DataFiles.h"
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

// Installed files: one row each; published ones: two, so the row counts tell them apart.
const std::string OldCountry = "x DL DL\r\n";
const std::string NewCountry = "x DL DL\r\nx F F\r\n";
const std::string DlRecord = "DL    Germany                DL    DARC                     Y\r\n";
const std::string FRecord = "F     France                 F     REF                      Y\r\n";
const std::string OldBureau = DlRecord;
const std::string NewBureau = DlRecord + FRecord;

// Downloads as the real dialog does to the files, with the outcome the test chooses.
class ScriptedServer final : public Downloader
{
public:
    ScriptedServer(Events &events, const DataFolder &folder) : m_events(events), m_folder(folder) {}

    DownloadResult info;
    F country = F::None;
    F bureau = F::None;
    bool countryUnloadable = false; // the new country file arrives but cannot be read

    DownloadResult download(DownloadKind kind, bool backupFirst) override
    {
        m_events.push_back(std::string("download ") + static_cast<char>(kind) +
                           (backupFirst ? " with backup" : ""));
        if (kind == DownloadKind::UpdateInfo)
            return info;
        const DataFile file = *Download::dataFileOf(kind);
        DownloadResult result;
        if (backupFirst)
            m_folder.backUp(file);
        result.failure = file == DataFile::Country ? country : bureau;
        if (!result.succeeded())
            return result;
        const auto path = m_folder.fileOf(file);
        std::filesystem::remove(path);
        if (file == DataFile::Country && countryUnloadable) {
            std::filesystem::create_directory(path);
            return result;
        }
        std::ofstream(path, std::ios::binary)
            << (file == DataFile::Country ? NewCountry : NewBureau);
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
    Choice exec(UpdateMode) override
    {
        const Choice choice = m_choices.front();
        m_choices.pop_front();
        return choice;
    }

private:
    std::deque<Choice> m_choices;
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
    bool countryUnloadable;
    std::deque<A> answers;
    // expected
    Events events;
    std::int32_t dataVersion; // installed: 12
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
    TempDir dir;
    dir.write(DataFiles::CountryFile, OldCountry);
    dir.write(DataFiles::BureauFile, OldBureau);
    AppState state(dir.path());
    state.settings.dataVersion = 12;
    state.settings.updateMode = UpdateMode::Manual;
    ASSERT_TRUE(state.load(DataFile::Country) && state.load(DataFile::Bureau));

    Events events;
    RecordingBoxes boxes(events, row.answers);
    ScriptedServer server(events, state.folder);
    server.info = row.info;
    server.country = row.country;
    server.bureau = row.bureau;
    server.countryUnloadable = row.countryUnloadable;
    ScriptedDialog dialog(row.dialog);
    UpdatePolicy policy(state, boxes, server, dialog, "data.example");

    if (row.entry == Entry::Menu) {
        for (std::size_t i = 0; i < row.dialog.size(); ++i)
            policy.updateMenuClick();
    } else {
        const StartupUpdateResult result = policy.startupUpdateCheck(
            row.entry == Entry::StartupAuto ? UpdateMode::Auto : UpdateMode::Manual, 12);
        // The start-up sequence advances the version itself, after loading.
        if (result.dataReplaced)
            state.settings.dataVersion = result.publishedDataVersion;
        state.load(DataFile::Country);
        state.load(DataFile::Bureau);
    }

    EXPECT_EQ(events, row.events);
    EXPECT_EQ(state.settings.dataVersion, row.dataVersion);
    EXPECT_EQ(state.settings.updateMode, row.mode);
    EXPECT_EQ(state.countries.count(), row.countryRows);
    EXPECT_EQ(state.bureaus.count(), row.bureauRows);
}

const DownloadResult Published13{F::None, {}, {13, 302}};
const DownloadResult Published12{F::None, {}, {12, 302}};
const DownloadResult Published11{F::None, {}, {11, 303}};
const DownloadResult Program303{F::None, {}, {12, 303}};
const DownloadResult Unreachable{F::CannotConnect, "refused", {}};
const DownloadResult NotUpdateInfo{F::NoVersionNumber, {}, {}};
const UpdateDialog::Choice CheckNow{Button::CheckNow, UpdateMode::Auto};
const UpdateDialog::Choice CloseBox{Button::CloseBox, UpdateMode::Auto};
const std::string Info = "download X";
const std::string GetCountry = "download C with backup";
const std::string GetBureau = "download Q with backup";
const std::string Ask = "info? new update available, download now ?";
const std::string NoNews = "info: no new update available";
const std::string Notice = "info: a new version of Vorn is can be downloaded from data.example";
const auto Menu = Entry::Menu;
const auto Manual = UpdateMode::Manual;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Matrix, UpdatePolicyTest, testing::Values(
    PolicyCase{"SameVersion", Menu, {CheckNow}, Published12, F::None, F::None, false, {},
               {Info, NoNews}, 12, Manual, 1, 1},
    PolicyCase{"LowerVersionWithNewProgram", Menu, {CheckNow}, Published11, F::None, F::None, false, {},
               {Info, NoNews, Notice}, 12, Manual, 1, 1},
    PolicyCase{"NewerAndYes", Menu, {CheckNow}, Published13, F::None, F::None, false, {A::Yes},
               {Info, Ask, GetCountry, GetBureau}, 13, Manual, 2, 2},
    PolicyCase{"NewerAndNoStillGivesTheNotice", Menu, {CheckNow}, {F::None, {}, {13, 303}}, F::None, F::None, false, {A::No},
               {Info, Ask, Notice}, 12, Manual, 1, 1},
    PolicyCase{"CheckFails", Menu, {CheckNow}, Unreachable, F::None, F::None, false, {},
               {Info, "error: failed to check for updates (-2)"}, 12, Manual, 1, 1},
    PolicyCase{"NoVersionNumber", Menu, {CheckNow}, NotUpdateInfo, F::None, F::None, false, {},
               {Info, "error: failed to check for updates (-5)"}, 12, Manual, 1, 1},
    PolicyCase{"FailedCountryStillFetchesBureau", Menu, {CheckNow}, Published13, F::BadResponse, F::None, false, {A::Yes},
               {Info, Ask, GetCountry, "error: failed to download COUNTRY.ASC, old file restored", GetBureau}, 12, Manual, 1, 2},
    PolicyCase{"FailedBureau", Menu, {CheckNow}, Published13, F::None, F::ReceiveFailed, false, {A::Yes},
               {Info, Ask, GetCountry, GetBureau, "error: failed to download VORN.ASC, old file restored"}, 12, Manual, 2, 1},
    PolicyCase{"NewFileDoesNotLoad", Menu, {CheckNow}, Published13, F::None, F::None, true, {A::Yes},
               {Info, Ask, GetCountry, GetBureau, "info: failed to download COUNTRY.ASC"}, 12, Manual, 1, 2},
    PolicyCase{"OkStoresTheModeAndChecksNothing", Menu, {{Button::Ok, UpdateMode::Auto}}, Published13, F::None, F::None, false, {},
               {}, 12, UpdateMode::Auto, 1, 1},
    PolicyCase{"CancelEndsCheckNow", Menu, {CheckNow, {Button::Cancel, UpdateMode::None}, CloseBox}, Published12, F::None, F::None, false, {},
               {Info, NoNews}, 12, Manual, 1, 1},
    PolicyCase{"CloseBoxKeepsCheckNow", Menu, {CheckNow, CloseBox}, Published12, F::None, F::None, false, {},
               {Info, NoNews, Info, NoNews}, 12, Manual, 1, 1},
    PolicyCase{"StartupAutoDoesNotAsk", Entry::StartupAuto, {}, Published13, F::None, F::None, false, {},
               {Info, GetCountry, GetBureau}, 13, Manual, 2, 2},
    PolicyCase{"StartupManualNo", Entry::StartupManual, {}, Published13, F::None, F::None, false, {A::No},
               {Info, Ask}, 12, Manual, 1, 1},
    PolicyCase{"StartupShowsNoNoticeAndNoNews", Entry::StartupManual, {}, Program303, F::None, F::None, false, {},
               {Info}, 12, Manual, 1, 1},
    PolicyCase{"StartupCheckFails", Entry::StartupAuto, {}, Unreachable, F::None, F::None, false, {},
               {Info, "error: failed to check for updates (-2)"}, 12, Manual, 1, 1},
    PolicyCase{"StartupFailedDownloadKeepsTheVersion", Entry::StartupAuto, {}, Published13, F::Cancelled, F::None, false, {},
               {Info, GetCountry, "error: failed to download COUNTRY.ASC, old file restored", GetBureau}, 12, Manual, 1, 2}
), [](const testing::TestParamInfo<PolicyCase> &row) { return std::string(row.param.name); });
// clang-format on

TEST(UpdatePolicyTest, SingleFileDownloadsTakeNoBackup)
{
    TempDir dir;
    AppState state(dir.path());
    Events events;
    RecordingBoxes boxes(events, {});
    ScriptedServer server(events, state.folder);
    server.bureau = F::CannotConnect;
    ScriptedDialog dialog({});
    UpdatePolicy policy(state, boxes, server, dialog, "data.example");
    EXPECT_TRUE(policy.downloadCountryFile());
    EXPECT_FALSE(policy.downloadBureauFile());
    EXPECT_EQ(events, (Events{"download C", "download Q", "error: failed to download VORN.ASC"}));
}

} // namespace
