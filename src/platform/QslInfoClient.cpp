#include "platform/QslInfoClient.h"

#include "platform/HttpExchange.h"

QslInfoClient::QslInfoClient(QslInfoServer server, ExchangeLimits limits, QObject *parent)
    : QObject(parent), m_server(std::move(server))
{
    // One query at a time, each on a connection of its own.
    m_exchange = new HttpExchange(m_server.peer, AnswerLimit, limits, this);
    connect(m_exchange, &HttpExchange::bodyReceived, this, &QslInfoClient::answerRead);
    connect(m_exchange, &HttpExchange::completed, this, [this] {
        // The whole answer came without the end of an envelope where one belongs.
        fail("query to", QStringLiteral("no SOAP answer"));
    });
    connect(m_exchange, &HttpExchange::failed, this,
            [this](HttpExchange::Failure failure, const QString &reason) {
                const bool unreached = failure == HttpExchange::Failure::CannotOpen ||
                                       failure == HttpExchange::Failure::SocketError;
                fail(unreached ? "connection to" : "query to", reason);
            });
}

QslInfoClient::~QslInfoClient()
{
    // The exchange would report its end to a client that is half gone.
    m_exchange->abort();
}

bool QslInfoClient::running() const
{
    return m_exchange->running();
}

void QslInfoClient::abort()
{
    m_exchange->abort();
}

void QslInfoClient::query(const std::string &callFieldText, const std::string &ownCall)
{
    const std::string call = QslInfoRequest::queryCall(callFieldText);
    if (!QslInfoRequest::worthAsking(call)) {
        // Said, so that a Query button that seems to do nothing does not puzzle, and short
        // enough to be read whole in the window, which names the service. A query still under
        // way goes on.
        emit queryFailed(
            call.empty()
                ? QStringLiteral("*** no query: the call field is empty ***")
                : QStringLiteral("*** no query for %1: a call needs three characters or more ***")
                      .arg(QString::fromStdString(call)));
        return;
    }
    // The newest call wins: a query still under way is given up.
    m_exchange->abort();
    m_queryCall = call;
    m_answer.clear();
    m_exchange->start(QslInfoRequest::request(m_server, m_queryCall, ownCall));
}

void QslInfoClient::answerRead(const QByteArray &text)
{
    // Each read's text is one addition to the buffer, so a read that ends inside a line splits
    // it; a read that brought only header bytes adds nothing.
    m_answer.add(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    const auto shown = m_answer.shown(m_queryCall, m_server.creditMark());
    if (!shown)
        return;
    // Shown once: whatever else the connection brings is not wanted.
    m_exchange->abort();
    QStringList lines;
    for (const std::string &line : *shown)
        lines << QString::fromStdString(line);
    emit answerReceived(lines);
}

void QslInfoClient::fail(const char *what, const QString &reason)
{
    emit queryFailed(QStringLiteral("*** %1 %2 server failed for %3: %4 ***")
                         .arg(QLatin1String(what), QString::fromStdString(m_server.displayName()),
                              QString::fromStdString(m_queryCall), reason));
}
