#include "net/QueryForm.h"

#include "WindowFakes.h"
#include "app/AppSettings.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QByteArray Namespace = "urn:test:qslinfo";
const QByteArray Header = "********** DL1ABC **********";

// A QSL information service on loopback: it keeps every connection with what arrived on it, and
// answers only when the test says so.
class FakeService : public QObject
{
public:
    FakeService()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connections << socket;
                received << QByteArray();
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    received[connections.indexOf(socket)] += socket->readAll();
                });
            }
        });
    }

    quint16 port() const { return m_server.serverPort(); }

    // Whether connection i has brought a whole request: the header and Content-Length bytes.
    bool hasRequest(qsizetype i) const
    {
        if (i >= received.size())
            return false;
        const QByteArray &bytes = received.at(i);
        const qsizetype headerEnd = bytes.indexOf("\r\n\r\n");
        return headerEnd >= 0 && bytes.size() - headerEnd - 4 >= contentLength(bytes);
    }

    static qsizetype contentLength(const QByteArray &request)
    {
        const qsizetype field = request.indexOf("\r\nContent-Length: ");
        if (field < 0)
            return -1;
        const qsizetype start = field + 18;
        return request.mid(start, request.indexOf("\r\n", start) - start).toLongLong();
    }

    QList<QTcpSocket *> connections;
    QList<QByteArray> received;

private:
    QTcpServer m_server;
};

QByteArray httpAnswer(const QByteArray &body, const QByteArray &status = "200 OK")
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// An answer as the service sends it: the whole envelope on one line, broken only where the
// result's text is.
QByteArray soapAnswer(const QByteArray &result)
{
    return R"(<?xml version="1.0" encoding="utf-8"?><soap:Envelope xmlns:soap=")"
           R"(http://schemas.xmlsoap.org/soap/envelope/"><soap:Body><qslinfoResponse xmlns=")" +
           Namespace + "\"><qslinfoResult>" + result +
           "</qslinfoResult></qslinfoResponse></soap:Body></soap:Envelope>";
}

QByteArray chunked(const QByteArray &body, qsizetype chunkSize)
{
    QByteArray bytes = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (qsizetype at = 0; at < body.size(); at += chunkSize) {
        const QByteArray chunk = body.mid(at, chunkSize);
        bytes += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
    }
    return bytes + "0\r\n\r\n";
}

QList<QByteArray> splitAt(const QByteArray &bytes, const QByteArray &mark)
{
    const qsizetype at = bytes.indexOf(mark);
    return {bytes.left(at), bytes.mid(at)};
}

// The window over a fake service, with the message boxes recording.
struct QueryHarness
{
    FakeService service;
    EventLog log;
    FakeMessageBoxes boxes{log};
    AppSettings settings;
    QueryForm form{settings, boxes,
                   QslInfoServer{{"127.0.0.1", service.port()}, Namespace.toStdString()}};

    QStringList memoLines() const
    {
        const QString text = form.memo()->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    // Sends one piece of the answer on connection i and waits until the window has read it, so
    // that each piece is a read event of its own.
    void deliver(qsizetype i, const QByteArray &piece)
    {
        const auto sockets = form.findChildren<QTcpSocket *>();
        service.connections.at(i)->write(piece);
        if (sockets.isEmpty())
            return;
        QPointer<QTcpSocket> client = sockets.last();
        QSignalSpy read(client.data(), &QTcpSocket::readyRead);
        QTRY_VERIFY(client.isNull() || read.count() > 0);
    }
};

QString fromUtf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace

class QueryFormTest : public QObject
{
    Q_OBJECT

private slots:
    void requestIsValidSoap_data();
    void requestIsValidSoap();
    void shortCallsAreNotAsked();
    void answers_data();
    void answers();
    void twoAnswersInARow();
    void newestCallWins();
    void refusedConnectionIsReported();
};

void QueryFormTest::requestIsValidSoap_data()
{
    QTest::addColumn<QByteArray>("callField");
    QTest::addColumn<QByteArray>("ownCall");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("client");
    // The body's length for calls in plain ASCII: 359 bytes of fixed text, the namespace, the call
    // and the own call or "anonimous"; -1 where markup or other characters make it longer.
    QTest::addColumn<int>("bodyLength");

    QTest::newRow("anonymous") << QByteArray("DL1ABC") << QByteArray() << "DL1ABC"
                               << "VORN-anonimous" << 359 + 16 + 6 + 9;
    QTest::newRow("six-character own call")
        << QByteArray("  dl1abc ") << QByteArray("G4XYZW") << "DL1ABC"
        << "VORN-G4XYZW" << 359 + 16 + 6 + 6;
    QTest::newRow("markup in the calls")
        << QByteArray("DL1ABC&<") << QByteArray("A\"'>B") << "DL1ABC&<"
        << "VORN-A\"'>B" << -1;
    QTest::newRow("own call beyond ASCII")
        << QByteArray("VK2QQQ") << QByteArray("F\xc9LIX") << "VK2QQQ"
        << QString::fromUtf8("VORN-F\u00c9LIX") << -1;
}

void QueryFormTest::requestIsValidSoap()
{
    QFETCH(QByteArray, callField);
    QFETCH(QByteArray, ownCall);
    QFETCH(QString, call);
    QFETCH(QString, client);
    QFETCH(int, bodyLength);

    QueryHarness h;
    h.settings.ownCall = ownCall.toStdString();
    h.form.queryCall(callField.toStdString());
    QTRY_VERIFY(h.service.hasRequest(0));

    const QByteArray request = h.service.received.at(0);
    QVERIFY(request.startsWith("POST /qslinfo.asmx   HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
    QVERIFY(request.contains("\r\nSOAPAction: \"" + Namespace + "/qslinfo\"\r\n\r\n"));
    const QByteArray body = request.mid(request.indexOf("\r\n\r\n") + 4);
    QCOMPARE(FakeService::contentLength(request), body.size());
    QVERIFY(body.endsWith("</soap:Envelope>\r\n\r\n"));
    if (bodyLength >= 0)
        QCOMPARE(body.size(), bodyLength);

    QXmlStreamReader xml(body);
    QString operationNamespace;
    QString sentCall;
    QString sentClient;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"qslinfo")
            operationNamespace = xml.namespaceUri().toString();
        else if (xml.name() == u"callsign")
            sentCall = xml.readElementText();
        else if (xml.name() == u"ClientInformation")
            sentClient = xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(operationNamespace, QString::fromLatin1(Namespace));
    QCOMPARE(sentCall, call);
    QCOMPARE(sentClient, client);
}

void QueryFormTest::shortCallsAreNotAsked()
{
    QueryHarness h;
    for (const char *callField : {"", "K", " DL ", "  "})
        h.form.queryCall(callField);
    QVERIFY(h.form.findChildren<QTcpSocket *>().isEmpty());
    QVERIFY(h.memoLines().isEmpty());
}

void QueryFormTest::answers_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QStringList>("shown");

    const QByteArray bureau = httpAnswer(soapAnswer("DL1ABC\r\nQSL via bureau"));
    QTest::newRow("one piece") << QList<QByteArray>{bureau}
                               << QStringList{Header, "DL1ABC", "QSL via bureau", " "};
    QTest::newRow("split inside a result line")
        << splitAt(bureau, "bureau<") << QStringList{Header, "DL1ABC", "QSL via ", "bureau", " "};

    const QByteArray lastLine = "<qslinfoResult>found</qslinfoResult></soap:Envelope>";
    QTest::newRow("end marker on line 99")
        << QList<QByteArray>{httpAnswer(QByteArray("x\r\n").repeated(99) + lastLine)}
        << QStringList{Header, "found", " "};
    QTest::newRow("end marker on line 100")
        << QList<QByteArray>{httpAnswer(QByteArray("x\r\n").repeated(100) + lastLine)}
        << QStringList{};

    QTest::newRow("credit mark first")
        << QList<QByteArray>{httpAnswer(soapAnswer("(c) 127.0.0.1 knows nothing\r\n"))}
        << QStringList{Header, "no entry found", "(c) 127.0.0.1 knows nothing", " "};
    QTest::newRow("credit mark after the opening tag's line")
        << QList<QByteArray>{httpAnswer(soapAnswer("\r\n(c) 127.0.0.1 x"))}
        << QStringList{Header, "no entry found", "(c) 127.0.0.1 x", " "};
    QTest::newRow("credit mark later")
        << QList<QByteArray>{httpAnswer(soapAnswer("QSL direct\r\n(c) 127.0.0.1 sample"))}
        << QStringList{Header, "QSL direct", "(c) 127.0.0.1 sample", " "};
    QTest::newRow("both tags on one line")
        << QList<QByteArray>{httpAnswer(
               "<a>before<qslinfoResult>only this</qslinfoResult>after</a></soap:Envelope>")}
        << QStringList{Header, "only this", " "};

    // The body is longer than the first piece, so the connection would stay open for more.
    const QByteArray unclosed = "<qslinfoResult>open\r\nend</soap:Envelope>\r\n";
    QTest::newRow("no closing tag: shown once")
        << QList<QByteArray>{"HTTP/1.1 200 OK\r\nContent-Length: " +
                                 QByteArray::number(unclosed.size() * 2) + "\r\n\r\n" + unclosed,
                             unclosed}
        << QStringList{Header, "open", "end</soap:Envelope>", " "};
    QTest::newRow("chunked") << QList<QByteArray>{chunked(soapAnswer("QSL via bureau"), 16)}
                             << QStringList{Header, "QSL via bureau", " "};
    QTest::newRow("SOAP fault") << QList<QByteArray>{httpAnswer(
                                       soapAnswer("").replace("qslinfoResult", "faultstring"),
                                       "500 Internal Server Error")}
                                << QStringList{Header, " "};
    QTest::newRow("references and UTF-8")
        << QList<QByteArray>{httpAnswer(soapAnswer("2019 &amp; 2020 &lt;ok&gt; &#x263A; \xc3\xa9"))}
        << QStringList{Header, fromUtf8("2019 & 2020 <ok> \u263a \u00e9"), " "};
    QTest::newRow("not HTTP") << QList<QByteArray>{"</soap:Envelope>\r\n\r\n"} << QStringList{};
}

void QueryFormTest::answers()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QStringList, shown);

    QueryHarness h;
    h.form.queryCall("DL1ABC");
    QTRY_VERIFY(h.service.hasRequest(0));
    for (const QByteArray &piece : pieces) {
        h.deliver(0, piece);
        if (QTest::currentTestFailed())
            return;
    }
    // Whatever the answer, the window has let the connection go once it is complete.
    QTRY_VERIFY(h.form.findChildren<QTcpSocket *>().isEmpty());
    QCOMPARE(h.memoLines(), shown);
    QVERIFY(h.log.isEmpty());
}

void QueryFormTest::twoAnswersInARow()
{
    QueryHarness h;
    const QStringList calls{"DL1ABC", "G4XYZ"};
    for (qsizetype i = 0; i < calls.size(); ++i) {
        h.form.queryCall(calls.at(i).toStdString());
        QTRY_VERIFY(h.service.hasRequest(i));
        h.deliver(i, httpAnswer(soapAnswer("QSL info of " + calls.at(i).toLatin1())));
    }
    QCOMPARE(h.memoLines(), (QStringList{Header, "QSL info of DL1ABC", " ",
                                         "********** G4XYZ **********", "QSL info of G4XYZ", " "}));
}

void QueryFormTest::newestCallWins()
{
    QueryHarness h;
    h.form.queryCall("DL1ABC");
    QTRY_VERIFY(h.service.hasRequest(0));
    // A second query while the first is still waiting for its answer.
    h.form.queryCall("G4XYZ");
    QTRY_VERIFY(h.service.hasRequest(1));
    QVERIFY(h.service.received.at(1).contains("<callsign>G4XYZ</callsign>"));
    // The first answer comes late, on a connection that the window has given up.
    h.service.connections.at(0)->write(httpAnswer(soapAnswer("QSL info of DL1ABC")));
    h.deliver(1, httpAnswer(soapAnswer("QSL info of G4XYZ")));
    QCOMPARE(h.memoLines(), (QStringList{"********** G4XYZ **********", "QSL info of G4XYZ", " "}));
}

void QueryFormTest::refusedConnectionIsReported()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();

    EventLog log;
    FakeMessageBoxes boxes(log);
    AppSettings settings;
    QueryForm form(settings, boxes, QslInfoServer{{"127.0.0.1", port}, Namespace.toStdString()});
    form.queryCall("DL1ABC");
    QTRY_COMPARE(log.size(), 1);
    QCOMPARE(log.at(0), QStringLiteral("error: Vorn V3.02 :\r\nquery to 127.0.0.1 failed: "
                                       "Connection refused (socket error 0)"));
    QVERIFY(form.memo()->toPlainText().isEmpty());
    // The next query tries again.
    form.queryCall("DL1ABC");
    QTRY_COMPARE(log.size(), 2);
}

QTEST_MAIN(QueryFormTest)
#include "QueryFormTest.moc"
