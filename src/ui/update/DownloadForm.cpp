#include "ui/update/DownloadForm.h"

#include "core/data/DataFileCheck.h"
#include "core/data/DataFiles.h"
#include "core/data/DataFolder.h"
#include "core/text/FileReplacement.h"
#include "ui/widgets/DialogFrame.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTcpSocket>
#include <QTimer>

namespace {

// A read takes at most this much, so the memory a transfer needs stays small however fast the
// server sends.
constexpr qint64 ReadPiece = 64 * 1024;

// Data files are a few dozen kilobytes; anything near this is not one.
constexpr HttpResponseReader::Limits ResponseLimits{16 * 1024, 4 * 1024 * 1024};

QString fromText(const std::string &text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toText(const QString &text)
{
    return text.toStdString();
}

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

    m_silenceTimer = new QTimer(this);
    m_silenceTimer->setSingleShot(true);
    m_silenceTimer->setInterval(m_timing.silenceLimit);
    connect(m_silenceTimer, &QTimer::timeout, this, &DownloadForm::silenceTimeout);

    m_transferTimer = new QTimer(this);
    m_transferTimer->setSingleShot(true);
    m_transferTimer->setInterval(m_timing.transferLimit);
    connect(m_transferTimer, &QTimer::timeout, this, [this] {
        endTransfer(DownloadFailure::ReceiveFailed,
                    m_peer.host + " took longer than " +
                        std::to_string(m_timing.transferLimit.count() / 1000) + " seconds");
    });

    m_zemSocket = new QTcpSocket(this);
    m_zemSocket->setReadBufferSize(ReadPiece);
    connect(m_zemSocket, &QTcpSocket::connected, this, &DownloadForm::zemSocketConnect);
    connect(m_zemSocket, &QTcpSocket::readyRead, this, &DownloadForm::zemSocketRead);
    connect(m_zemSocket, &QTcpSocket::disconnected, this, &DownloadForm::zemSocketDisconnect);
    connect(m_zemSocket, &QTcpSocket::errorOccurred, this, &DownloadForm::zemSocketError);
}

DownloadForm::~DownloadForm() = default;

std::string DownloadForm::targetPath() const
{
    return m_folder.path(Download::targetName(m_kind)).string();
}

std::string DownloadForm::receivedPath() const
{
    // The answer arrives beside the file it replaces, which stays whole until the end.
    return targetPath() + ".part";
}

DownloadResult DownloadForm::download(DownloadKind kind, bool backupFirst)
{
    m_kind = kind;
    m_backupFirst = backupFirst;
    m_result = {};
    m_reader.reset();
    setWindowTitle(windowCaption());
    m_msgLabel->setText(fromText(Download::statusText(kind, m_peer.host)));
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
    if (const std::optional<DataFile> file = Download::dataFileOf(m_kind); file && m_backupFirst)
        m_folder.backUp(*file);
    m_reader = std::make_unique<HttpResponseReader>(ResponseLimits);
    m_stage = Stage::Connecting;
    m_silenceTimer->start();
    m_transferTimer->start();
    m_zemSocket->connectToHost(QString::fromStdString(m_peer.host), m_peer.port);
}

void DownloadForm::zemSocketConnect()
{
    if (m_stage != Stage::Connecting)
        return;
    m_received.setFileName(QString::fromStdString(receivedPath()));
    if (!m_received.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        endTransfer(DownloadFailure::ReceiveFailed,
                    "cannot create " + receivedPath() + ": " + toText(m_received.errorString()));
        return;
    }
    const std::string request = Download::request(m_kind, m_peer.host);
    if (m_zemSocket->write(request.data(), static_cast<qint64>(request.size())) !=
        static_cast<qint64>(request.size())) {
        endTransfer(DownloadFailure::CannotSend, toText(m_zemSocket->errorString()));
        return;
    }
    m_stage = Stage::Receiving;
    m_silenceTimer->start();
}

void DownloadForm::zemSocketRead()
{
    if (m_stage != Stage::Receiving)
        return; // late data of a transfer that has ended
    m_silenceTimer->start();
    if (receivePending() && m_reader->state() == HttpResponseReader::State::Complete)
        // The server may keep the connection open; the response is all we asked for.
        endTransfer(DownloadFailure::None);
}

bool DownloadForm::receivePending()
{
    while (m_zemSocket->bytesAvailable() > 0) {
        if (!take(m_zemSocket->read(ReadPiece)))
            return false;
        if (m_reader->state() == HttpResponseReader::State::Complete)
            break;
    }
    return true;
}

bool DownloadForm::take(const QByteArray &bytes)
{
    const bool hadHeader = m_reader->headerComplete();
    std::string body;
    const HttpResponseReader::State state = m_reader->feed(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), body);
    if (state == HttpResponseReader::State::Failed) {
        endTransfer(DownloadFailure::BadResponse,
                    "no valid answer from " + m_peer.host + ": " + m_reader->error());
        return false;
    }
    if (!hadHeader && m_reader->headerComplete()) {
        // An error page is not the file asked for.
        if (!m_reader->statusOk()) {
            endTransfer(DownloadFailure::BadResponse,
                        m_peer.host + " answered " + m_reader->statusText());
            return false;
        }
        if (!writeToTarget(m_reader->headerBytes()))
            return false;
    }
    return body.empty() || writeToTarget(body);
}

bool DownloadForm::writeToTarget(const std::string &bytes)
{
    // Flushed at once, so that what has arrived is on disk.
    if (m_received.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
            static_cast<qint64>(bytes.size()) &&
        m_received.flush())
        return true;
    endTransfer(DownloadFailure::ReceiveFailed,
                "cannot write " + receivedPath() + ": " + toText(m_received.errorString()));
    return false;
}

void DownloadForm::zemSocketDisconnect()
{
    if (m_stage == Stage::Connecting) {
        endTransfer(DownloadFailure::CannotConnect, "no connection to " + m_peer.host);
        return;
    }
    if (m_stage != Stage::Receiving || !receivePending())
        return;
    std::string body;
    if (m_reader->finish(body) == HttpResponseReader::State::Failed) {
        const bool answered = m_reader->headerComplete();
        endTransfer(answered ? DownloadFailure::ReceiveFailed : DownloadFailure::BadResponse,
                    (answered ? "the answer from " : "no valid answer from ") + m_peer.host +
                        " ended early: " + m_reader->error());
        return;
    }
    if (!body.empty() && !writeToTarget(body))
        return;
    endTransfer(DownloadFailure::None);
}

void DownloadForm::zemSocketError(QAbstractSocket::SocketError error)
{
    // A server that closes the connection is handled by the disconnect.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    const std::string detail = m_peer.host + ": " + toText(m_zemSocket->errorString());
    if (m_stage == Stage::Connecting)
        endTransfer(DownloadFailure::CannotConnect, detail);
    else if (m_stage == Stage::Receiving)
        endTransfer(DownloadFailure::ReceiveFailed, detail);
}

void DownloadForm::silenceTimeout()
{
    const std::string detail = "no answer from " + m_peer.host + " for " +
                               std::to_string(m_timing.silenceLimit.count() / 1000) + " seconds";
    if (m_stage == Stage::Connecting)
        endTransfer(DownloadFailure::CannotConnect, detail);
    else if (m_stage == Stage::Receiving)
        endTransfer(DownloadFailure::ReceiveFailed, detail);
}

void DownloadForm::endTransfer(DownloadFailure failure, std::string detail)
{
    if (m_stage == Stage::Idle || m_stage == Stage::Closing)
        return;
    m_stage = Stage::Closing;
    m_silenceTimer->stop();
    m_transferTimer->stop();
    m_timer->stop();
    m_result.failure = failure;
    m_result.detail = std::move(detail);
    // Whatever the server still sends is dropped.
    m_zemSocket->abort();
    m_received.close();
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
        installReceivedFile();
    // Neither leftover survives, so a later download never processes a stale file.
    std::error_code ignored;
    std::filesystem::remove(receivedPath(), ignored);
    std::filesystem::remove(m_folder.path(DataFiles::DownloadWorkFile), ignored);
    accept();
}

void DownloadForm::installReceivedFile()
{
    FileReplacement replacement(targetPath(), m_folder.path(DataFiles::DownloadWorkFile));
    if (!stripHttpHeader(receivedPath(), replacement)) {
        m_result.failure = DownloadFailure::BadResponse;
        m_result.detail = "the answer from " + m_peer.host + " could not be stored";
        return;
    }
    if (const std::optional<DataFile> file = Download::dataFileOf(m_kind)) {
        // Only data replaces data: an error or portal page served as the file is refused.
        const DataFileProblem problem = checkDataFile(*file, replacement.workFile());
        if (rulesOutData(problem)) {
            m_result.failure = DownloadFailure::NotDataFile;
            m_result.detail = "what " + m_peer.host +
                              " sent is not a data file: " + std::string(explain(problem));
            return;
        }
    } else {
        const UpdateInfoReading reading = readUpdateInfo(replacement.workFile());
        m_result.failure = reading.failure;
        m_result.published = reading.published;
        if (!m_result.succeeded()) {
            m_result.detail = "the update information from " + m_peer.host + " holds no version";
            return;
        }
    }
    if (const std::error_code error = replacement.commit()) {
        m_result.failure = DownloadFailure::ReceiveFailed;
        m_result.detail = "cannot replace " + targetPath() + ": " + error.message();
    }
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
