#pragma once

#include "core/net/Download.h"
#include "core/shell/UpdateOperations.h"

#include <string>

struct AppState;
class MessageBoxes;

// The update settings dialog as the update command uses it: shows the stored mode and says how
// it was closed.
class UpdateDialog
{
public:
    enum class Button { Ok, CheckNow, Cancel, CloseBox };
    struct Choice
    {
        Button button = Button::CloseBox;
        UpdateMode mode = UpdateMode::None; // the mode selected when the dialog closed
    };

    virtual ~UpdateDialog() = default;
    virtual Choice exec(UpdateMode stored) = 0;
};

// When the update information is fetched, what its numbers mean, and how both data files are
// replaced without ever losing the last copy that loads.
class UpdatePolicy final : public UpdateOperations
{
public:
    UpdatePolicy(AppState &state, MessageBoxes &boxes, Downloader &downloader, UpdateDialog &dialog,
                 std::string host);

    StartupUpdateResult startupUpdateCheck(UpdateMode mode, std::int32_t dataVersion) override;
    bool downloadCountryFile() override;
    bool downloadBureauFile() override;
    void updateMenuClick() override;

    // Fetches vorn_update.asc; reports nothing.
    DownloadResult fetchUpdateInfo();
    // Replaces both data files, each after moving it to its backup name, and moves the backup
    // back when its download fails. True when both were replaced; the tables are not reloaded.
    bool downloadDataFiles();

private:
    bool downloadDataFile(DataFile file);
    bool downloadWithoutBackup(DataFile file);
    void installUpdate(std::int32_t publishedVersion);
    bool reloadOrRestore(DataFile file);
    void reportFailedCheck(const DownloadResult &result);

    AppState &m_state;
    MessageBoxes &m_boxes;
    Downloader &m_downloader;
    UpdateDialog &m_dialog;
    std::string m_host;
    bool m_checkNowRequested = false; // "Check now" was the last button pressed in the dialog
};
