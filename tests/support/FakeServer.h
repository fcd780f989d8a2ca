#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <sys/socket.h>

// A web server on loopback, in the test's own event loop: it reads one request up to its empty
// line, then sends the pieces of its answer a few milliseconds apart and closes the connection,
// or keeps it open as a keep-alive server does. Connections are served one after another.
class FakeServer final : public QObject
{
public:
    QList<QByteArray> pieces;
    bool closeAfterAnswer = true;
    bool resetAfterAnswer = false; // ends the connection with a TCP reset instead of a close
    // Called with each complete request before it is answered, to choose the answer for it.
    std::function<void(FakeServer &, const QByteArray &request)> onRequest;
    bool answer = true; // false: accept and stay silent
    // After the pieces, keeps sending what this gives, every streamInterval milliseconds (0: as
    // fast as the client reads), until it gives nothing or the client goes.
    std::function<QByteArray()> stream;
    int streamInterval = 0;
    QByteArray request;
    qint64 streamed = 0;
    bool clientGone = false; // the client closed or dropped the connection

    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 port() const { return m_server.serverPort(); }

    FakeServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            // A connection ends what is still to be sent on the one before it.
            m_socket = m_server.nextPendingConnection();
            ++m_connection;
            m_answered = false;
            request.clear();
            connect(m_socket, &QTcpSocket::readyRead, this, &FakeServer::readRequest);
            connect(m_socket, &QTcpSocket::disconnected, this, [this] { clientGone = true; });
        });
    }

private:
    void readRequest()
    {
        if (sender() != m_socket)
            return;
        request += m_socket->readAll();
        if (!answer || m_answered || !request.contains("\r\n\r\n"))
            return;
        m_answered = true;
        if (onRequest)
            onRequest(*this, request);
        sendFrom(0);
    }

    void sendFrom(qsizetype index)
    {
        if (!m_socket)
            return;
        if (index == pieces.size()) {
            if (stream)
                sendStream();
            else if (resetAfterAnswer)
                reset();
            else if (closeAfterAnswer)
                m_socket->disconnectFromHost();
            return;
        }
        m_socket->write(pieces[index]);
        m_socket->flush();
        QTimer::singleShot(5, this, [this, index, connection = m_connection] {
            if (connection == m_connection)
                sendFrom(index + 1);
        });
    }

    void sendStream()
    {
        // Only as much as the socket can take, so the server's own memory stays small too.
        while (m_socket && m_socket->state() == QAbstractSocket::ConnectedState &&
               m_socket->bytesToWrite() < 256 * 1024) {
            const QByteArray piece = stream();
            if (piece.isEmpty()) {
                m_socket->disconnectFromHost();
                return;
            }
            streamed += m_socket->write(piece);
            if (streamInterval > 0)
                break;
        }
        if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState)
            QTimer::singleShot(streamInterval, this, [this] { sendStream(); });
    }

    void reset()
    {
        // Lingering for no time makes the close a reset, as a crashed server or a middle box
        // gives it.
        const linger now{1, 0};
        ::setsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now,
                     sizeof now);
        m_socket->abort();
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
    int m_connection = 0;
    bool m_answered = false;
};
