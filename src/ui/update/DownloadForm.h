#pragma once

#include "core/net/Download.h"
#include "core/net/DownloadInstaller.h"
#include "core/net/NetPeer.h"
#include "platform/HttpExchange.h"

#include <QDialog>
#include <optional>

class DataFolder;
class QLabel;
class QTimer;

// The small modal dialog that fetches one file from the web server and stores its body in the
// data folder: it shows what it fetches and drives the exchange with the server and the
// installing of the received file, and closes by itself once the response is complete. Anything
// but a complete answer with status 200 is a failed download, and a failed download leaves the
// target as it was.
class DownloadForm : public QDialog, public Downloader
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 292;
    static constexpr int ClientHeight = 46;

    DownloadForm(NetPeer peer, const DataFolder &folder, QWidget *parent = nullptr,
                 DownloadTiming timing = {});
    ~DownloadForm() override;

    using Downloader::download;
    // Shows the dialog modally until the download has ended.
    DownloadResult download(const DownloadRequest &request) override;

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Stage { Idle, Waiting, Connecting, Receiving, Closing };

    void startWait();
    void timerTimer();
    void openConnection();
    void exchangeConnected();
    void exchangeHeaderReceived();
    void exchangeBodyReceived(const QByteArray &bytes);
    void exchangeFailed(HttpExchange::Failure failure, const QString &reason);
    void endTransfer(DownloadFailure failure, std::string detail = {});
    void cancel();
    void runCloseSteps();

    NetPeer m_peer;
    const DataFolder &m_folder;
    DownloadTiming m_timing;

    QLabel *m_msgLabel = nullptr;
    QTimer *m_timer = nullptr;
    HttpExchange *m_exchange = nullptr;

    Stage m_stage = Stage::Idle;
    DownloadKind m_kind = DownloadKind::UpdateInfo;
    bool m_backupFirst = false;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    bool m_cutByDeadline = false; // the whole update's end came before this download's limit
    int m_waitTicks = 0;
    DownloadResult m_result;
    std::optional<DownloadInstaller> m_installer;
};
