#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The request: a greeting line, one file URL a line (URLs keep a line break in a name from
// ending the line), and an empty line. The answer: one line.
const QByteArray Greeting = "VORN OPEN";
const QByteArray Taken = "OK\n";

constexpr int RetryMs = 100;
// A peer that has not sent a whole request by then, or sends more than this, is dropped.
constexpr int PeerMs = 5000;
constexpr qsizetype MaxRequestBytes = 256 * 1024;
// Out of descriptors or memory, a connection waits in the queue while others end.
constexpr int AcceptRetryMs = 200;

// Only a process of this user may hand files over, or take them: a socket of another user's
// would learn the paths and answer for a program that never opens them.
bool peerIsThisUser(qintptr socket)
{
    struct ucred credentials
    {
    };
    socklen_t size = sizeof credentials;
    return socket >= 0 &&
           ::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_PEERCRED, &credentials, &size) ==
               0 &&
           credentials.uid == ::geteuid();
}

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folder), m_lock(folder)
{}

SingleInstance::~SingleInstance()
{
    if (m_listener < 0)
        return;
    delete m_acceptNotifier;
    ::close(m_listener);
    // Still under the lock: nobody else listens at that name.
    ::unlink(m_socketPath.constData());
}

QString SingleInstance::serverName(const QString &folder)
{
    const QString own = FolderLock::userFolder();
    return own.isEmpty() ? QString() : QDir(own).filePath(FolderLock::key(folder));
}

bool SingleInstance::claim()
{
    if (!m_lock.take())
        return false;
    m_problem = m_lock.problem();
    listen();
    return true;
}

void SingleInstance::listen()
{
    QString noFolder;
    const QString own = FolderLock::userFolder(&noFolder);
    if (own.isEmpty()) {
        m_problem = noFolder;
        return;
    }
    const QString name = QDir(own).filePath(FolderLock::key(m_folder));
    const QByteArray path = QFile::encodeName(name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    // A killed holder leaves its socket behind; the lock shows that nobody listens on it now.
    ::unlink(path.constData());
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listener < 0 ||
        ::bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(m_listener, MaxPeers) != 0) {
        m_problem =
            QStringLiteral("%1: %2").arg(name, QString::fromLocal8Bit(std::strerror(errno)));
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return;
    }
    m_socketPath = path;
    m_acceptNotifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this,
            &SingleInstance::acceptConnections);
}

void SingleInstance::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // The toolkit's own server closes for good here; this one waits and goes on.
                m_acceptNotifier->setEnabled(false);
                QTimer::singleShot(AcceptRetryMs, m_acceptNotifier,
                                   [this] { m_acceptNotifier->setEnabled(true); });
            }
            return;
        }
        if (!peerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        if (m_peers.size() >= MaxPeers)
            dropPeer(m_peers.first());
        auto *peer = new QLocalSocket(this);
        peer->setSocketDescriptor(fd, QLocalSocket::ConnectedState, QIODevice::ReadWrite);
        m_peers.append(peer);
        connect(peer, &QLocalSocket::disconnected, this, [this, peer] { dropPeer(peer); });
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] { readRequest(peer); });
        QTimer::singleShot(PeerMs, peer, [this, peer] { dropPeer(peer); });
    }
}

void SingleInstance::dropPeer(QLocalSocket *peer)
{
    if (!m_peers.removeOne(peer))
        return;
    peer->disconnect(this);
    peer->abort();
    peer->deleteLater();
}

void SingleInstance::readRequest(QLocalSocket *peer)
{
    const QByteArray pending = peer->peek(peer->bytesAvailable());
    if (pending.size() > MaxRequestBytes) {
        dropPeer(peer);
        return;
    }
    const qsizetype end = pending.indexOf("\n\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = pending.left(end).split('\n');
    if (lines.first() != Greeting) {
        dropPeer(peer);
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
    peer->flush();
    dropPeer(peer);
    // From the event loop: what opens the files may show a box and run an event loop of its own.
    QTimer::singleShot(0, this, [this, files] { emit filesHandedOver(files); });
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
    connect(m_socket, &QLocalSocket::connected, this, [this] {
        if (peerIsThisUser(m_socket->socketDescriptor()))
            m_socket->write(m_request);
        else
            finishHandOver(false);
    });
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
    if (m_handOverDone)
        return;
    const QString name = serverName(m_folder);
    if (name.isEmpty())
        finishHandOver(false);
    else
        m_socket->connectToServer(name);
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
