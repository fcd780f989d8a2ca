#include "platform/HttpExchange.h"

#include "support/FakeServer.h"

#include <QMetaEnum>
#include <QTcpSocket>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QByteArray Ok = "HTTP/1.1 200 OK\r\n";
const std::string Request = "GET /files/x   HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
// Short limits: a server silent for a second or unfinished after two is given up.
const ExchangeLimits Quick{1000ms, 2000ms};
constexpr std::uint64_t BodyLimit = 1024;

// What an exchange signalled: its body, its progress and how it ended.
struct Recording
{
    QByteArray body;
    qint64 received = -1;
    qint64 total = -1;
    QStringList endings;

    explicit Recording(HttpExchange &exchange)
    {
        QObject::connect(&exchange, &HttpExchange::bodyReceived, &exchange,
                         [this](const QByteArray &bytes) { body += bytes; });
        QObject::connect(&exchange, &HttpExchange::progress, &exchange,
                         [this](qint64 bytes, qint64 length) {
                             received = bytes;
                             total = length;
                         });
        QObject::connect(&exchange, &HttpExchange::completed, &exchange, [this](int status) {
            endings << QStringLiteral("completed %1").arg(status);
        });
        QObject::connect(&exchange, &HttpExchange::failed, &exchange,
                         [this](HttpExchange::Failure failure, const QString &reason) {
                             endings << QStringLiteral("failed ") +
                                            QMetaEnum::fromType<HttpExchange::Failure>().valueToKey(
                                                static_cast<int>(failure)) +
                                            QStringLiteral(": ") + reason;
                         });
    }
};

} // namespace

class HttpExchangeTest : public QObject
{
    Q_OBJECT

private slots:
    void endsOnce_data();
    void endsOnce();
    void abortInAHandlerSignalsNothingMore();
};

void HttpExchangeTest::endsOnce_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces"); // none: the server accepts and stays silent
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("trickle"); // then a byte every so many milliseconds; -1: nobody listens
    QTest::addColumn<QString>("ending"); // "completed <status>", or "failed <kind>: <reason>"
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<qint64>("total"); // as progress last gave it

    const QList<QByteArray> none;
    QTest::newRow("complete, kept open")
        << QList<QByteArray>{Ok + "Content-Length: 5\r\n\r\nhello"} << false << 0 << "completed 200"
        << QByteArray("hello") << qint64(5);
    QTest::newRow("complete, chunked, in pieces")
        << QList<QByteArray>{Ok + "Transfer-Encoding: chunked\r\n\r\n3\r\nhe",
                             "l\r\n2\r\nlo\r\n0\r\n\r\n"}
        << false << 0 << "completed 200" << QByteArray("hello") << qint64(-1);
    QTest::newRow("complete at the end of the connection")
        << QList<QByteArray>{Ok + "\r\nhel", "lo"} << true << 0 << "completed 200"
        << QByteArray("hello") << qint64(-1);
    QTest::newRow("an error page completes too")
        << QList<QByteArray>{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"} << true
        << 0 << "completed 404" << QByteArray("not found") << qint64(9);
    QTest::newRow("cut by the peer in the body")
        << QList<QByteArray>{Ok + "Content-Length: 9\r\n\r\nhello"} << true << 0
        << "failed CutShort: the answer ended early" << QByteArray("hello") << qint64(9);
    QTest::newRow("cut by the peer in the header")
        << QList<QByteArray>{Ok + "Server: x\r\n"} << true << 0
        << "failed BadResponse: no valid answer (partial message)" << QByteArray() << qint64(-1);
    // The header takes at most 16 KiB, from the status line to the empty line; the body at most
    // the limit the exchange was given.
    const auto header = [](qsizetype size) {
        const QByteArray fields = "Content-Length: 5\r\n\r\n";
        return Ok + "X: " + QByteArray(size - Ok.size() - 5 - fields.size(), 'a') + "\r\n" + fields;
    };
    QTest::newRow("a header of 16 KiB") << QList<QByteArray>{header(16 * 1024) + "hello"} << false
                                        << 0 << "completed 200" << QByteArray("hello") << qint64(5);
    QTest::newRow("a header of 16 KiB and a byte")
        << QList<QByteArray>{header(16 * 1024 + 1) + "hello"} << false << 0
        << "failed BadResponse: no valid answer (header limit exceeded)" << QByteArray()
        << qint64(-1);
    QTest::newRow("as large as it may be")
        << QList<QByteArray>{Ok + "Content-Length: 1024\r\n\r\n" + QByteArray(1024, 'x')} << false
        << 0 << "completed 200" << QByteArray(1024, 'x') << qint64(1024);
    QTest::newRow("too large") << QList<QByteArray>{Ok + "Content-Length: 1025\r\n\r\n" +
                                                    QByteArray(1025, 'x')}
                               << false << 0
                               << "failed BadResponse: no valid answer (body limit exceeded)"
                               << QByteArray() << qint64(-1);
    QTest::newRow("not HTTP") << QList<QByteArray>{"SSH-2.0-x\r\n"} << false << 0
                              << "failed BadResponse: no valid answer (bad version)" << QByteArray()
                              << qint64(-1);
    QTest::newRow("silent") << none << false << 0 << "failed Silent: no answer for 1 seconds"
                            << QByteArray() << qint64(-1);
    QTest::newRow("trickling") << QList<QByteArray>{Ok} << false << 100
                               << "failed TooSlow: no whole answer within 2 seconds" << QByteArray()
                               << qint64(-1);
    QTest::newRow("refused") << none << false << -1 << "failed SocketError: Connection refused"
                             << QByteArray() << qint64(-1);
}

void HttpExchangeTest::endsOnce()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(bool, closes);
    QFETCH(int, trickle);
    QFETCH(QString, ending);
    QFETCH(QByteArray, body);
    QFETCH(qint64, total);

    auto server = std::make_unique<FakeServer>();
    server->pieces = pieces;
    server->answer = !pieces.isEmpty();
    server->closeAfterAnswer = closes;
    if (trickle > 0) {
        server->stream = [] { return QByteArray("x"); };
        server->streamInterval = trickle;
    }
    QVERIFY(server->listen());
    const quint16 port = server->port();
    if (trickle < 0)
        server.reset();

    HttpExchange exchange(NetPeer{"127.0.0.1", port}, BodyLimit, Quick);
    Recording recording(exchange);
    exchange.start(Request);
    QTRY_VERIFY_WITH_TIMEOUT(!recording.endings.isEmpty(), 5000);
    // Once ended, the connection is gone and nothing more is signalled.
    QTRY_VERIFY(exchange.findChildren<QTcpSocket *>().isEmpty());
    QTest::qWait(150);

    QCOMPARE(recording.endings, QStringList{ending});
    QVERIFY(!exchange.running());
    QCOMPARE(recording.body, body);
    QCOMPARE(recording.received, body.isEmpty() ? -1 : body.size());
    QCOMPARE(recording.total, total);
    if (server)
        QCOMPARE(server->request, QByteArray::fromStdString(Request));
}

void HttpExchangeTest::abortInAHandlerSignalsNothingMore()
{
    FakeServer server;
    server.pieces = {Ok + "Content-Length: 10\r\n\r\nhello", "world"};
    server.closeAfterAnswer = false;
    QVERIFY(server.listen());
    HttpExchange exchange(NetPeer{"127.0.0.1", server.port()}, BodyLimit, Quick);
    Recording recording(exchange);
    connect(&exchange, &HttpExchange::bodyReceived, &exchange, &HttpExchange::abort);

    exchange.start(Request);
    QTRY_VERIFY(server.clientGone);
    QTest::qWait(100);
    QCOMPARE(recording.body, QByteArray("hello"));
    QVERIFY(recording.endings.isEmpty());
    QVERIFY(!exchange.running());
}

QTEST_MAIN(HttpExchangeTest)
#include "HttpExchangeTest.moc"
