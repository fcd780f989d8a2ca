#pragma once

#include "core/net/DataSetInstaller.h"
#include "core/net/Download.h"
#include "core/shell/UpdateOperations.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct AppState;
class MessageBoxes;

// The update settings dialog as the update command uses it: shows the stored mode and the data in
// use, and says how it was closed.
class UpdateDialog
{
public:
    // CloseBox: left without a button, by Escape or the close box.
    enum class Button { Ok, CheckNow, Cancel, CloseBox };
    struct Choice
    {
        Button button = Button::CloseBox;
        UpdateMode mode = UpdateMode::None; // the mode selected when the dialog closed
    };

    virtual ~UpdateDialog() = default;
    // dataInUse: the installed data version in words, as AppState::installedDataInWords gives
    // it, e.g. "data of 2025-09-30, revision 0".
    virtual Choice exec(UpdateMode stored, const std::string &dataInUse) = 0;
};

// Today's date, against which published data versions are judged, and how long one whole update
// may take. Tests set both.
struct UpdateClock
{
    std::function<std::chrono::sys_days()> today = [] {
        return std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    };
    // The update information and both data files together, however slowly each arrives within
    // its own limits: a start-up is not held in the download dialog for longer.
    std::chrono::milliseconds wholeUpdate{std::chrono::minutes(3)};
};

// When the update information is fetched, what its numbers mean, and how the data files are
// replaced as one set without ever losing the last copy that loads.
class UpdatePolicy final : public UpdateOperations
{
public:
    UpdatePolicy(AppState &state, MessageBoxes &boxes, Downloader &downloader, UpdateDialog &dialog,
                 std::string host, UpdateClock clock = {});

    StartupUpdateResult startupUpdateCheck(UpdateMode mode, std::int32_t dataVersion) override;
    bool downloadCountryFile() override;
    bool downloadBureauFile() override;
    void updateMenuClick() override;

    // Fetches vorn_update.asc and starts the time of a whole update; reports nothing. A data
    // version that cannot be one fails the check.
    DownloadResult fetchUpdateInfo();
    // Replaces the data files of the publication as one set: country.asc, vorn.asc and, when its
    // line is published, calls.asc. Each is backed up, fetched and checked against its
    // publication; only when all are, and they fit together, do they take their names, all of
    // them or none. A failure leaves every installed file as it was. True when the set was
    // replaced; the tables are not reloaded.
    bool downloadDataFiles();

    // Hears of each step of putting a set in place; a test program pauses there.
    void setInstallSteps(std::function<void(std::string_view)> onStep)
    {
        m_installSteps = std::move(onStep);
    }

private:
    DownloadRequest requestFor(DataFile file, bool backupFirst) const;
    std::vector<DataFile> filesOfTheUpdate() const;
    std::optional<std::filesystem::path> downloadDataFile(DataFile file);
    bool downloadWithoutBackup(DataFile file);
    bool fitsTogether(const std::set<std::string> &codesBefore, const std::vector<StagedFile> &set);
    void reportRefusedSet(const std::vector<StagedFile> &set, const std::string &detail);
    void installUpdate(std::int32_t publishedVersion);
    bool reloadOrRestore(DataFile file);
    bool reloadList();
    void reportFailedCheck(const DownloadResult &result);
    bool isNewer(std::int32_t published, std::int32_t installed) const;
    void endUpdate();

    AppState &m_state;
    MessageBoxes &m_boxes;
    Downloader &m_downloader;
    UpdateDialog &m_dialog;
    std::string m_host;
    UpdateClock m_clock;
    // What the last check of this run found published: the data files are measured against it.
    std::optional<Publication> m_published;
    // When the update under way must have ended, and what the check left of its time.
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    std::optional<std::chrono::milliseconds> m_timeLeft;
    std::function<void(std::string_view)> m_installSteps;
};
