#pragma once

#include "core/net/HttpResponseReader.h"
#include "core/net/NetPeer.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

class QTcpSocket;
class QTimer;

// One HTTP request and its response at a time, each over a connection of its own: connects,
// sends the request once connected, frames the response as it arrives and hands the decoded body
// on read by read, so that nothing of it need be held. Silence, slowness and size are bounded.
// An exchange ends with exactly one of completed and failed, or with abort, which signals
// nothing; either way the connection is dropped at once. Any handler of its signals may abort
// it or start the next one.
class HttpExchange final : public QObject
{
    Q_OBJECT

public:
    enum class Failure {
        CannotOpen,  // the attempt could not even start; signalled before start returns
        SocketError, // no such host, refused, unreachable, or broken
        Silent,      // nothing arrived for the silence limit, while connecting or after
        TooSlow,     // the response was not complete within the whole limit
        CannotSend,  // the request could not be handed to the connection
        BadResponse, // not HTTP, beyond a bound, or ended before its header was complete
        CutShort,    // the server closed the connection after the header, before the body ended
    };
    Q_ENUM(Failure)

    // A read takes at most this much, so the memory an exchange needs stays small however fast
    // the server sends.
    static constexpr qint64 ReadPiece = 64 * 1024;
    static constexpr std::size_t HeaderLimit = 16 * 1024;

    // bodyLimit: the most that the decoded body may hold; a larger one fails as a BadResponse.
    HttpExchange(NetPeer peer, std::uint64_t bodyLimit, ExchangeLimits limits = {},
                 QObject *parent = nullptr);
    ~HttpExchange() override;

    // The limits of the exchanges started from now on.
    void setLimits(ExchangeLimits limits);
    // Starts an exchange, giving up one that is still under way; the request goes out once the
    // connection is made.
    void start(std::string request);
    bool running() const { return m_socket != nullptr; }
    // The response's status and header, once headerReceived has been signalled.
    const HttpResponseReader &response() const { return *m_reader; }

public slots:
    // Gives the exchange up: the connection is dropped and nothing more is signalled.
    void abort();

signals:
    // The connection is made; the request goes out when the handlers return, unless one of them
    // aborted the exchange.
    void connected();
    // The header is complete: response() has the status and the header's bytes.
    void headerReceived();
    // The decoded body bytes of one read, in order.
    void bodyReceived(const QByteArray &bytes);
    // The body bytes so far, and the whole body's length when the header gave it, else -1.
    void progress(qint64 received, qint64 total);
    void completed(int status);
    // reason: what went wrong, in words that follow a caller's "... failed:"; the server is
    // not named, the caller does that.
    void failed(HttpExchange::Failure failure, const QString &reason);

private:
    void socketConnected();
    void socketReadyRead();
    void socketDisconnected();
    void socketErrorOccurred(QAbstractSocket::SocketError error);
    bool readPending();
    bool take(const QByteArray &bytes);
    bool hand(const std::string &body);
    void complete();
    void fail(Failure failure);
    QString failureText(Failure failure) const;
    void end();

    NetPeer m_peer;
    std::uint64_t m_bodyLimit;
    ExchangeLimits m_limits;

    QTcpSocket *m_socket = nullptr;
    QTimer *m_silenceTimer = nullptr;
    QTimer *m_wholeTimer = nullptr;
    std::unique_ptr<HttpResponseReader> m_reader;
    std::string m_request;
    // Counts the exchanges' starts and ends, so that code after a signal sees when a handler
    // has ended the exchange or started the next one.
    std::uint64_t m_generation = 0;
    bool m_connected = false;
    bool m_starting = false;
    bool m_startFailed = false;
    qint64 m_received = 0;
    QString m_socketErrorString;
};
