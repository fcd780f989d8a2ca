#include "ui/update/DownloadForm.h"

#include "core/data/DataFolder.h"
#include "ui/widgets/CoreText.h"
#include "ui/widgets/DialogFrame.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

namespace {

// Data files are a few dozen kilobytes; anything near this is not one.
constexpr std::uint64_t BodyLimit = 4 * 1024 * 1024;

} // namespace

DownloadForm::DownloadForm(NetPeer peer, const DataFolder &folder, QWidget *parent,
                           DownloadTiming timing)
    : QDialog(parent), m_peer(std::move(peer)), m_folder(folder), m_timing(timing)
{
    setObjectName(QStringLiteral("DownloadForm"));
    setUpDialogFrame(this, ClientWidth, ClientHeight);
    setWindowTitle(windowCaption());
    // A fixed dialog frame: a title and a close box, nothing to minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    m_msgLabel = new QLabel(QStringLiteral("??? ..."), this);
    m_msgLabel->setObjectName(QStringLiteral("MsgLabel"));
    m_msgLabel->setGeometry(1, 16, 290, 13);
    m_msgLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette palette = m_msgLabel->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    m_msgLabel->setPalette(palette);

    m_timer = new QTimer(this);
    m_timer->setInterval(m_timing.tick);
    connect(m_timer, &QTimer::timeout, this, &DownloadForm::timerTimer);

    m_exchange = new HttpExchange(m_peer, BodyLimit, m_timing.limits, this);
    connect(m_exchange, &HttpExchange::connected, this, &DownloadForm::exchangeConnected);
    connect(m_exchange, &HttpExchange::headerReceived, this, &DownloadForm::exchangeHeaderReceived);
    connect(m_exchange, &HttpExchange::bodyReceived, this, &DownloadForm::exchangeBodyReceived);
    connect(m_exchange, &HttpExchange::completed, this,
            [this] { endTransfer(DownloadFailure::None); });
    connect(m_exchange, &HttpExchange::failed, this, &DownloadForm::exchangeFailed);
}

DownloadForm::~DownloadForm() = default;

DownloadResult DownloadForm::download(const DownloadRequest &request)
{
    m_kind = request.kind;
    m_backupFirst = request.backupFirst;
    m_deadline = request.deadline;
    m_cutByDeadline = false;
    m_result = {};
    m_installer.emplace(m_folder, m_kind, m_peer.host, request.expected);
    setWindowTitle(windowCaption());
    m_msgLabel->setText(fromSingleByte(Download::statusText(m_kind, m_peer.host)));
    m_stage = Stage::Waiting;
    startWait();
    centreOnScreen(this);
    exec();
    // The program is ending and left the dialog's loop: the transfer counts as given up.
    if (m_stage != Stage::Idle)
        cancel();
    return m_result;
}

void DownloadForm::startWait()
{
    // Window events keep flowing while the status text is on screen.
    m_waitTicks = 0;
    m_timer->start();
}

void DownloadForm::timerTimer()
{
    ++m_waitTicks;
    if (m_waitTicks < m_timing.waitTicks)
        return;
    m_timer->stop();
    if (m_stage == Stage::Waiting)
        openConnection();
    else if (m_stage == Stage::Closing)
        runCloseSteps();
}

void DownloadForm::openConnection()
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

void DownloadForm::exchangeConnected()
{
    // The request goes out only once there is a file for the answer.
    if (!m_installer->create()) {
        endTransfer(DownloadFailure::ReceiveFailed, m_installer->error());
        return;
    }
    m_stage = Stage::Receiving;
}

void DownloadForm::exchangeHeaderReceived()
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

void DownloadForm::exchangeBodyReceived(const QByteArray &bytes)
{
    if (!m_installer->appendBody(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
        endTransfer(DownloadFailure::ReceiveFailed, m_installer->error());
}

void DownloadForm::exchangeFailed(HttpExchange::Failure failure, const QString &reason)
{
    // Before the connection is made, no answer at all means no connection.
    const DownloadFailure unanswered = m_stage == Stage::Receiving ? DownloadFailure::ReceiveFailed
                                                                   : DownloadFailure::CannotConnect;
    DownloadFailure download = DownloadFailure::ReceiveFailed;
    switch (failure) {
    case HttpExchange::Failure::CannotOpen:
        download = DownloadFailure::CannotConnect;
        break;
    case HttpExchange::Failure::SocketError:
    case HttpExchange::Failure::Silent:
        download = unanswered;
        break;
    case HttpExchange::Failure::CannotSend:
        download = DownloadFailure::CannotSend;
        break;
    case HttpExchange::Failure::BadResponse:
        download = DownloadFailure::BadResponse;
        break;
    case HttpExchange::Failure::TooSlow:
    case HttpExchange::Failure::CutShort:
        download = DownloadFailure::ReceiveFailed;
        break;
    }
    std::string detail = m_peer.host + ": " + reason.toStdString();
    if (failure == HttpExchange::Failure::TooSlow && m_cutByDeadline)
        detail = "the update ran out of time: " + detail;
    endTransfer(download, std::move(detail));
}

void DownloadForm::endTransfer(DownloadFailure failure, std::string detail)
{
    if (m_stage == Stage::Idle || m_stage == Stage::Closing)
        return;
    m_stage = Stage::Closing;
    m_timer->stop();
    m_result.failure = failure;
    m_result.detail = std::move(detail);
    // Whatever the server still sends is dropped.
    m_exchange->abort();
    m_installer->close();
    // The status text stays on screen a moment longer.
    startWait();
}

void DownloadForm::runCloseSteps()
{
    if (m_stage != Stage::Closing)
        return;
    m_stage = Stage::Idle;
    m_timer->stop();
    if (m_result.succeeded())
        m_result = m_installer->install();
    m_installer->removeLeftovers();
    accept();
}

void DownloadForm::cancel()
{
    // The user gives the transfer up: late data are dropped and the close steps run once, now.
    endTransfer(DownloadFailure::Cancelled, "the download was cancelled");
    runCloseSteps();
}

void DownloadForm::reject()
{
    cancel();
}

void DownloadForm::closeEvent(QCloseEvent *event)
{
    event->ignore();
    cancel();
}
