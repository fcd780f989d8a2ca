#pragma once

#include "core/net/Download.h"
#include "core/net/DownloadInstaller.h"
#include "core/net/NetPeer.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <optional>

class DataFolder;
class HttpExchange;
class QTimer;

// Fetches one file of the update from the web server into the data folder and installs it:
// the status pause, the backup copy of a data file, the exchange with the server, the received
// answer written to disk as it arrives, the second pause, and the checked file put in the
// target's place. Anything but a complete answer with status 200 is a failed download, and a
// failed download leaves the target as it was. A download ends with exactly one of
// downloadComplete and downloadFailed; the download window only shows what is signalled.
class FileDownloader final : public QObject, public Downloader
{
    Q_OBJECT

public:
    // host: the web server, connected to and named in the request and in the texts.
    FileDownloader(NetPeer peer, const DataFolder &folder, DownloadTiming timing = {},
                   QObject *parent = nullptr);
    ~FileDownloader() override;

    const std::string &host() const { return m_peer.host; }
    // Starts a download and returns at once, giving up one still under way.
    void start(const DownloadRequest &request);
    bool running() const { return m_stage != Stage::Idle; }
    // How the last download that ended went; for the update information, what it published.
    const DownloadResult &result() const { return m_result; }

    using Downloader::download;
    // Runs a download to its end while the event loop runs, and says how it went.
    DownloadResult download(const DownloadRequest &request) override;

public slots:
    // Gives the download up, as the user does: whatever the server still sends is dropped, and
    // the download ends now, as cancelled unless its transfer had already ended.
    void abort();

signals:
    // A download of this kind has started; its status text is shown from now until it ends.
    void downloadStarted(DownloadKind kind);
    // The body bytes so far, and the whole body's length when the server gave it, else -1.
    void downloadProgress(qint64 received, qint64 total);
    // The file is installed; result() says what the update information published.
    void downloadComplete();
    // reason: what went wrong, in words, as result().detail holds it.
    void downloadFailed(DownloadFailure failure, const QString &reason);

private:
    enum class Stage { Idle, Pausing, Connecting, Receiving, Closing };

    void pauseEnded();
    void openConnection();
    void exchangeConnected();
    void exchangeHeaderReceived();
    void exchangeBodyReceived(const QByteArray &bytes);
    void endTransfer(DownloadFailure failure, std::string detail = {});
    void finish();

    NetPeer m_peer;
    const DataFolder &m_folder;
    DownloadTiming m_timing;

    QTimer *m_pauseTimer = nullptr;
    HttpExchange *m_exchange = nullptr;

    Stage m_stage = Stage::Idle;
    DownloadKind m_kind = DownloadKind::UpdateInfo;
    bool m_backupFirst = false;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    bool m_cutByDeadline = false; // the whole update's end came before this download's limit
    DownloadResult m_result;
    std::optional<DownloadInstaller> m_installer;
};
