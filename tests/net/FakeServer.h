#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// A web server on loopback, in the test's own event loop: it reads one request up to its empty
// line, then sends the pieces of its answer a few milliseconds apart and closes the connection,
// or keeps it open as a keep-alive server does.
class FakeServer final : public QObject
{
public:
    QList<QByteArray> pieces;
    bool closeAfterAnswer = true;
    bool answer = true; // false: accept and stay silent
    QByteArray request;

    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 port() const { return m_server.serverPort(); }

    FakeServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_socket = m_server.nextPendingConnection();
            connect(m_socket, &QTcpSocket::readyRead, this, &FakeServer::readRequest);
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
            if (closeAfterAnswer)
                m_socket->disconnectFromHost();
            return;
        }
        m_socket->write(pieces[index]);
        m_socket->flush();
        QTimer::singleShot(5, this, [this, index] { sendFrom(index + 1); });
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
    bool m_answered = false;
};
