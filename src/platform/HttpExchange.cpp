#include "platform/HttpExchange.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

QString fromText(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

HttpExchange::HttpExchange(NetPeer peer, std::uint64_t bodyLimit, ExchangeLimits limits,
                           QObject *parent)
    : QObject(parent), m_peer(std::move(peer)), m_bodyLimit(bodyLimit), m_limits(limits),
      m_reader(
          std::make_unique<HttpResponseReader>(HttpResponseReader::Limits{HeaderLimit, bodyLimit}))
{
    m_silenceTimer = new QTimer(this);
    m_silenceTimer->setSingleShot(true);
    m_silenceTimer->setInterval(m_limits.silence);
    connect(m_silenceTimer, &QTimer::timeout, this, [this] { fail(Failure::Silent); });
    m_wholeTimer = new QTimer(this);
    m_wholeTimer->setSingleShot(true);
    m_wholeTimer->setInterval(m_limits.whole);
    connect(m_wholeTimer, &QTimer::timeout, this, [this] { fail(Failure::TooSlow); });
}

HttpExchange::~HttpExchange()
{
    // The socket would report its end to an object that is half gone.
    end();
}

void HttpExchange::setLimits(ExchangeLimits limits)
{
    m_limits = limits;
    m_silenceTimer->setInterval(m_limits.silence);
    m_wholeTimer->setInterval(m_limits.whole);
}

void HttpExchange::start(std::string request)
{
    end();
    const std::uint64_t generation = m_generation;
    m_request = std::move(request);
    m_reader =
        std::make_unique<HttpResponseReader>(HttpResponseReader::Limits{HeaderLimit, m_bodyLimit});
    m_connected = false;
    m_received = 0;
    m_socketErrorString.clear();

    // A socket per exchange, so that late events of one given up cannot reach the next.
    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(ReadPiece);
    connect(m_socket, &QTcpSocket::connected, this, &HttpExchange::socketConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpExchange::socketReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpExchange::socketDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &HttpExchange::socketErrorOccurred);
    m_silenceTimer->start();
    m_wholeTimer->start();
    // An attempt that cannot even start reports its error before connectToHost returns.
    m_starting = true;
    m_startFailed = false;
    m_socket->connectToHost(fromText(m_peer.host), m_peer.port);
    m_starting = false;
    if (m_generation == generation &&
        (m_startFailed || m_socket->state() == QAbstractSocket::UnconnectedState))
        fail(Failure::CannotOpen);
}

void HttpExchange::abort()
{
    end();
}

void HttpExchange::socketConnected()
{
    const std::uint64_t generation = m_generation;
    m_connected = true;
    emit connected();
    if (m_generation != generation)
        return;
    if (m_socket->write(m_request.data(), static_cast<qint64>(m_request.size())) !=
        static_cast<qint64>(m_request.size())) {
        fail(Failure::CannotSend);
        return;
    }
    m_silenceTimer->start();
}

void HttpExchange::socketReadyRead()
{
    if (!m_connected)
        return;
    m_silenceTimer->start();
    readPending();
}

bool HttpExchange::readPending()
{
    // A piece at a time, so that a flood from the server never sits in memory whole.
    while (m_socket->bytesAvailable() > 0) {
        if (!take(m_socket->read(ReadPiece)))
            return false;
    }
    return true;
}

bool HttpExchange::take(const QByteArray &bytes)
{
    const std::uint64_t generation = m_generation;
    const bool hadHeader = m_reader->headerComplete();
    std::string body;
    const HttpResponseReader::State state = m_reader->feed(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), body);
    if (!hadHeader && m_reader->headerComplete()) {
        emit headerReceived();
        if (m_generation != generation)
            return false;
    }
    if (!hand(body))
        return false;
    if (state == HttpResponseReader::State::Failed) {
        fail(Failure::BadResponse);
        return false;
    }
    if (state == HttpResponseReader::State::Complete) {
        // The server may keep the connection open; the response is all that was asked for.
        complete();
        return false;
    }
    return true;
}

bool HttpExchange::hand(const std::string &body)
{
    if (body.empty())
        return true;
    const std::uint64_t generation = m_generation;
    m_received += static_cast<qint64>(body.size());
    emit bodyReceived(QByteArray(body.data(), static_cast<qsizetype>(body.size())));
    if (m_generation != generation)
        return false;
    const std::optional<std::uint64_t> total = m_reader->contentLength();
    emit progress(m_received, total ? static_cast<qint64>(*total) : -1);
    return m_generation == generation;
}

void HttpExchange::socketDisconnected()
{
    if (!m_connected) {
        fail(Failure::SocketError);
        return;
    }
    // What arrived before the end is still to be read.
    if (!readPending())
        return;
    std::string body;
    const HttpResponseReader::State state = m_reader->finish(body);
    if (!hand(body))
        return;
    if (state != HttpResponseReader::State::Failed) {
        complete();
        return;
    }
    fail(m_reader->headerComplete() ? Failure::CutShort : Failure::BadResponse);
}

void HttpExchange::socketErrorOccurred(QAbstractSocket::SocketError error)
{
    // A server that closes the connection is handled by the disconnect.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    m_socketErrorString = m_socket->errorString();
    if (m_starting) {
        m_startFailed = true;
        return;
    }
    fail(Failure::SocketError);
}

void HttpExchange::complete()
{
    const int status = m_reader->status();
    end();
    emit completed(status);
}

void HttpExchange::fail(Failure failure)
{
    // In words before the end lets go of what they quote.
    const QString reason = failureText(failure);
    end();
    emit failed(failure, reason);
}

QString HttpExchange::failureText(Failure failure) const
{
    const auto seconds = [](std::chrono::milliseconds limit) {
        return QString::number(limit.count() / 1000);
    };
    switch (failure) {
    case Failure::CannotOpen:
    case Failure::SocketError:
        // The socket's own words: "Connection refused", "Host not found" and the like.
        return m_socketErrorString.isEmpty() ? QStringLiteral("no connection")
                                             : m_socketErrorString;
    case Failure::Silent:
        return QStringLiteral("no answer for %1 seconds").arg(seconds(m_limits.silence));
    case Failure::TooSlow:
        return QStringLiteral("no whole answer within %1 seconds").arg(seconds(m_limits.whole));
    case Failure::CannotSend:
        return QStringLiteral("the request could not be sent");
    case Failure::BadResponse:
        return QStringLiteral("no valid answer (%1)").arg(fromText(m_reader->error()));
    case Failure::CutShort:
        return QStringLiteral("the answer ended early");
    }
    return {};
}

void HttpExchange::end()
{
    // Everything is let go before the last signal, whose handlers may run an event loop or
    // start the next exchange.
    ++m_generation;
    m_silenceTimer->stop();
    m_wholeTimer->stop();
    if (m_socket == nullptr)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}
