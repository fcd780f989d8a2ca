#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QUrl>

namespace {

// The request: a greeting line, one file URL a line (URLs keep a line break in a name from
// ending the line), and an empty line. The answer: one line.
const QByteArray Greeting = "VORN OPEN";
const QByteArray Taken = "OK\n";

constexpr int RetryMs = 100;
// A peer that has not sent a whole request by then, or sends more than this, is dropped.
constexpr int PeerMs = 5000;
constexpr qsizetype MaxRequestBytes = 256 * 1024;
// sun_path holds 108 bytes with its terminating zero.
constexpr qsizetype MaxSocketPath = 100;

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folder), m_lock(QDir(folder).filePath(QLatin1String(LockFileName)))
{
    // A program may hold its folder for days: only a holder that no longer runs leaves a stale
    // lock, never the lock's age.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString &folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    const QString path = canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    const QString name =
        QStringLiteral("vorn-") +
        QString::fromLatin1(
            QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(32));
    // The session's runtime directory is the user's alone; without one the socket lies in the
    // shared temporary directory, guarded by its access rights.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        const QString inRuntime = QDir(runtime).filePath(name);
        if (QFile::encodeName(inRuntime).size() < MaxSocketPath)
            return inRuntime;
    }
    return name;
}

bool SingleInstance::claim()
{
    if (!m_lock.tryLock(0))
        return m_lock.error() != QLockFile::LockFailedError;

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
    const QString name = serverName(m_folder);
    // A killed holder leaves its socket behind; the lock shows that nobody listens on it now.
    QLocalServer::removeServer(name);
    // Without the socket later starts find nobody to hand over to, and say so.
    m_server->listen(name);
    return true;
}

void SingleInstance::acceptConnection()
{
    while (QLocalSocket *peer = m_server->nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] { readRequest(peer); });
        QTimer::singleShot(PeerMs, peer, &QLocalSocket::abort);
    }
}

void SingleInstance::readRequest(QLocalSocket *peer)
{
    const QByteArray pending = peer->peek(peer->bytesAvailable());
    if (pending.size() > MaxRequestBytes) {
        peer->abort();
        return;
    }
    const qsizetype end = pending.indexOf("\n\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = pending.left(end).split('\n');
    if (lines.first() != Greeting) {
        peer->abort();
        return;
    }
    QStringList files;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QUrl url = QUrl::fromEncoded(lines[i], QUrl::StrictMode);
        if (url.isLocalFile() && QDir::isAbsolutePath(url.toLocalFile()))
            files << url.toLocalFile();
    }
    peer->read(end + 2);
    peer->write(Taken);
    peer->disconnectFromServer();
    emit filesHandedOver(files);
}

void SingleInstance::handOver(const QStringList &files, std::chrono::milliseconds patience)
{
    m_request = Greeting + '\n';
    for (const QString &file : files)
        m_request += QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toEncoded() + '\n';
    m_request += '\n';
    m_handOverDeadline.setRemainingTime(patience);
    m_handOverDone = false;

    m_socket = new QLocalSocket(this);
    connect(m_socket, &QLocalSocket::connected, this, [this] { m_socket->write(m_request); });
    connect(m_socket, &QLocalSocket::readyRead, this, [this] {
        if (m_socket->canReadLine())
            finishHandOver(m_socket->readLine() == Taken);
    });
    connect(m_socket, &QLocalSocket::errorOccurred, this, &SingleInstance::retryOrGiveUp);
    // Also a holder that takes the connection but never answers is given up.
    QTimer::singleShot(patience, this, [this] { finishHandOver(false); });
    QTimer::singleShot(0, this, &SingleInstance::connectToHolder);
}

void SingleInstance::connectToHolder()
{
    if (!m_handOverDone)
        m_socket->connectToServer(serverName(m_folder));
}

void SingleInstance::retryOrGiveUp()
{
    // The holder opens its socket just after taking the lock, and until then it cannot be
    // reached; once the request went out, a broken connection is an answer.
    const bool reachedNobody = m_socket->error() == QLocalSocket::ServerNotFoundError ||
                               m_socket->error() == QLocalSocket::ConnectionRefusedError;
    if (reachedNobody && !m_handOverDeadline.hasExpired()) {
        QTimer::singleShot(RetryMs, this, &SingleInstance::connectToHolder);
        return;
    }
    finishHandOver(false);
}

void SingleInstance::finishHandOver(bool taken)
{
    if (m_handOverDone)
        return;
    m_handOverDone = true;
    m_socket->abort();
    emit handedOver(taken);
}
