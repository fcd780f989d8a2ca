#include "platform/FileDownloader.h"

#include "core/data/DataFolder.h"
#include "platform/HttpExchange.h"
#include "platform/ModalWait.h"

#include <QTimer>

namespace {

// Data files are a few dozen kilobytes; anything near this is not one.
constexpr std::uint64_t BodyLimit = 4 * 1024 * 1024;

// Why a download failed, by how its exchange ended. Before the connection is made, no answer at
// all means no connection.
DownloadFailure downloadFailureOf(HttpExchange::Failure failure, bool receiving)
{
    switch (failure) {
    case HttpExchange::Failure::CannotOpen:
        return DownloadFailure::CannotConnect;
    case HttpExchange::Failure::SocketError:
    case HttpExchange::Failure::Silent:
        return receiving ? DownloadFailure::ReceiveFailed : DownloadFailure::CannotConnect;
    case HttpExchange::Failure::CannotSend:
        return DownloadFailure::CannotSend;
    case HttpExchange::Failure::BadResponse:
        return DownloadFailure::BadResponse;
    case HttpExchange::Failure::TooSlow:
    case HttpExchange::Failure::CutShort:
        break;
    }
    return DownloadFailure::ReceiveFailed;
}

} // namespace

FileDownloader::FileDownloader(NetPeer peer, const DataFolder &folder, DownloadTiming timing,
                               QObject *parent)
    : QObject(parent), m_peer(std::move(peer)), m_folder(folder), m_timing(timing)
{
    // Events keep flowing while the status text is on screen.
    m_pauseTimer = new QTimer(this);
    m_pauseTimer->setSingleShot(true);
    m_pauseTimer->setInterval(m_timing.pause);
    connect(m_pauseTimer, &QTimer::timeout, this, &FileDownloader::pauseEnded);

    m_exchange = new HttpExchange(m_peer, BodyLimit, m_timing.limits, this);
    connect(m_exchange, &HttpExchange::connected, this, &FileDownloader::exchangeConnected);
    connect(m_exchange, &HttpExchange::headerReceived, this,
            &FileDownloader::exchangeHeaderReceived);
    connect(m_exchange, &HttpExchange::bodyReceived, this, &FileDownloader::exchangeBodyReceived);
    connect(m_exchange, &HttpExchange::progress, this, &FileDownloader::downloadProgress);
    connect(m_exchange, &HttpExchange::completed, this,
            [this] { endTransfer(DownloadFailure::None); });
    connect(m_exchange, &HttpExchange::failed, this,
            [this](HttpExchange::Failure failure, const QString &reason) {
                std::string detail = m_peer.host + ": " + reason.toStdString();
                if (failure == HttpExchange::Failure::TooSlow && m_cutByDeadline)
                    detail = "the update ran out of time: " + detail;
                endTransfer(downloadFailureOf(failure, m_stage == Stage::Receiving),
                            std::move(detail));
            });
}

FileDownloader::~FileDownloader() = default;

DownloadResult FileDownloader::download(const DownloadRequest &request)
{
    ModalWait wait;
    wait.endOn(this, &FileDownloader::downloadComplete);
    wait.endOn(this, &FileDownloader::downloadFailed);
    start(request);
    if (running())
        wait.exec();
    // The program is ending and left every event loop: the transfer counts as given up.
    abort();
    return m_result;
}

void FileDownloader::start(const DownloadRequest &request)
{
    abort();
    m_kind = request.kind;
    m_backupFirst = request.backupFirst;
    m_deadline = request.deadline;
    m_cutByDeadline = false;
    m_result = {};
    m_installer.emplace(m_folder, m_kind, m_peer.host, request.expected, request.staged);
    m_stage = Stage::Pausing;
    emit downloadStarted(m_kind);
    // The status text stays on screen a moment before the connection is opened.
    if (m_stage == Stage::Pausing)
        m_pauseTimer->start();
}

void FileDownloader::pauseEnded()
{
    if (m_stage == Stage::Pausing)
        openConnection();
    else if (m_stage == Stage::Closing)
        finish();
}

void FileDownloader::openConnection()
{
    m_stage = Stage::Connecting;
    ExchangeLimits limits = m_timing.limits;
    if (m_deadline) {
        // The whole update is bounded as well as each of its files.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            *m_deadline - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds(0)) {
            endTransfer(DownloadFailure::ReceiveFailed, "the update ran out of time");
            return;
        }
        m_cutByDeadline = left < limits.whole;
        limits.whole = std::min(limits.whole, left);
    }
    m_exchange->setLimits(limits);
    if (m_backupFirst) {
        // Without a backup copy the file is not put at risk.
        if (const std::error_code error = m_installer->backUp()) {
            endTransfer(DownloadFailure::CannotBackUp,
                        "cannot make the backup copy " +
                            m_folder.backupOf(*Download::dataFileOf(m_kind)).string() + ": " +
                            error.message());
            return;
        }
    }
    m_exchange->start(Download::request(m_kind, m_peer.host));
}

void FileDownloader::exchangeConnected()
{
    // The request goes out only once there is a file for the answer.
    if (!m_installer->create()) {
        endTransfer(DownloadFailure::ReceiveFailed, m_installer->error());
        return;
    }
    m_stage = Stage::Receiving;
}

void FileDownloader::exchangeHeaderReceived()
{
    const HttpResponseReader &response = m_exchange->response();
    // An error page is not the file asked for, and neither is part of it (206) nor anything
    // else that is not the whole file.
    if (response.status() != 200)
        endTransfer(DownloadFailure::BadResponse,
                    m_peer.host + " answered " + response.statusText());
    else if (!m_installer->appendHeader(response.headerBytes()))
        endTransfer(DownloadFailure::ReceiveFailed, m_installer->error());
}

void FileDownloader::exchangeBodyReceived(const QByteArray &bytes)
{
    if (!m_installer->appendBody(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
        endTransfer(DownloadFailure::ReceiveFailed, m_installer->error());
}

void FileDownloader::endTransfer(DownloadFailure failure, std::string detail)
{
    if (m_stage == Stage::Idle || m_stage == Stage::Closing)
        return;
    m_stage = Stage::Closing;
    m_pauseTimer->stop();
    m_result.failure = failure;
    m_result.detail = std::move(detail);
    // Whatever the server still sends is dropped.
    m_exchange->abort();
    m_installer->close();
    // The status text stays on screen a moment longer before the file is installed.
    m_pauseTimer->start();
}

void FileDownloader::finish()
{
    if (m_stage != Stage::Closing)
        return;
    m_stage = Stage::Idle;
    m_pauseTimer->stop();
    if (m_result.succeeded())
        m_result = m_installer->install();
    m_installer->removeLeftovers();
    if (m_result.succeeded())
        emit downloadComplete();
    else
        emit downloadFailed(m_result.failure, QString::fromStdString(m_result.detail));
}

void FileDownloader::abort()
{
    // Late data are dropped and the close steps run once, now.
    endTransfer(DownloadFailure::Cancelled, "the download was cancelled");
    finish();
}
