#pragma once

#include "core/net/Download.h"
#include "core/net/HttpResponseReader.h"
#include "core/net/NetPeer.h"

#include <QAbstractSocket>
#include <QDialog>
#include <QFile>
#include <memory>

class DataFolder;
class QLabel;
class QTcpSocket;
class QTimer;

// The small modal dialog that fetches one file from the web server and stores its body in the
// data folder: it shows what it fetches, connects, sends the request, writes the response to a
// file beside the target as it arrives, and closes by itself once the response is complete.
// Then the header is cut off and the result takes the target's name in one step. Anything but
// a complete 2xx answer is a failed download, and a failed download leaves the target as it was.
class DownloadForm : public QDialog, public Downloader
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 292;
    static constexpr int ClientHeight = 46;

    DownloadForm(NetPeer peer, const DataFolder &folder, QWidget *parent = nullptr,
                 DownloadTiming timing = {});
    ~DownloadForm() override;

    // Shows the dialog modally until the download has ended.
    DownloadResult download(DownloadKind kind, bool backupFirst) override;

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Stage { Idle, Waiting, Connecting, Receiving, Closing };

    void startWait();
    void timerTimer();
    void openConnection();
    void zemSocketConnect();
    void zemSocketRead();
    void zemSocketDisconnect();
    void zemSocketError(QAbstractSocket::SocketError error);
    void silenceTimeout();
    bool receivePending();
    bool take(const QByteArray &bytes);
    bool writeToTarget(const std::string &bytes);
    void endTransfer(DownloadFailure failure, std::string detail = {});
    void cancel();
    void runCloseSteps();
    void installReceivedFile();
    std::string targetPath() const;
    std::string receivedPath() const;

    NetPeer m_peer;
    const DataFolder &m_folder;
    DownloadTiming m_timing;

    QLabel *m_msgLabel = nullptr;
    QTimer *m_timer = nullptr;
    QTimer *m_silenceTimer = nullptr;
    QTimer *m_transferTimer = nullptr;
    QTcpSocket *m_zemSocket = nullptr;

    Stage m_stage = Stage::Idle;
    DownloadKind m_kind = DownloadKind::UpdateInfo;
    bool m_backupFirst = false;
    int m_waitTicks = 0;
    DownloadResult m_result;
    std::unique_ptr<HttpResponseReader> m_reader;
    QFile m_received;
};
