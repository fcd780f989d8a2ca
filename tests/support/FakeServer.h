#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

// A web server on loopback, in the test's own event loop: it reads one request up to its empty
// line, then sends the pieces of its answer a few milliseconds apart and closes the connection,
// or keeps it open as a keep-alive server does.
class FakeServer final : public QObject
{
public:
    QList<QByteArray> pieces;
    bool closeAfterAnswer = true;
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
            m_socket = m_server.nextPendingConnection();
            connect(m_socket, &QTcpSocket::readyRead, this, &FakeServer::readRequest);
            connect(m_socket, &QTcpSocket::disconnected, this, [this] { clientGone = true; });
        });
    }

private:
    void readRequest()
    {
        request += m_socket->readAll();
        if (!answer || m_answered || !request.contains("\r\n\r\n"))
            return;
        m_answered = true;
        sendFrom(0);
    }

    void sendFrom(qsizetype index)
    {
        if (!m_socket)
            return;
        if (index == pieces.size()) {
            if (stream)
                sendStream();
            else if (closeAfterAnswer)
                m_socket->disconnectFromHost();
            return;
        }
        m_socket->write(pieces[index]);
        m_socket->flush();
        QTimer::singleShot(5, this, [this, index] { sendFrom(index + 1); });
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

    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
    bool m_answered = false;
};
