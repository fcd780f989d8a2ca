#include "platform/QslInfoClient.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QByteArray Namespace = "urn:test:qslinfo";

QString header(const char *call)
{
    return QStringLiteral("********** %1 **********").arg(call);
}

QByteArray httpAnswer(const QByteArray &body, const QByteArray &status = "200 OK")
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\n\r\n" + body;
}

// The whole envelope on one line, broken only where the result's text is, as services send it.
QByteArray soapAnswer(const QByteArray &result)
{
    return R"(<?xml version="1.0" encoding="utf-8"?><soap:Envelope xmlns:soap=")"
           R"(http://schemas.xmlsoap.org/soap/envelope/"><soap:Body><qslinfoResponse><qslinfoResult>)" +
           result + "</qslinfoResult></qslinfoResponse></soap:Body></soap:Envelope>";
}

// The client over a QSL information service on loopback, which keeps every connection with
// what arrived on it and answers only when the test says so. What the client signals is kept as
// the lines the query window would show, one after another.
struct QueryHarness
{
    QTcpServer server;
    QList<QTcpSocket *> connections;
    QList<QByteArray> received;
    std::string ownCall;
    std::unique_ptr<QslInfoClient> client;
    QStringList shown;

    QueryHarness()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                connections << socket;
                received << QByteArray();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    received[connections.indexOf(socket)] += socket->readAll();
                });
            }
        });
        const NetPeer peer{"127.0.0.1", server.serverPort()};
        client = std::make_unique<QslInfoClient>(QslInfoServer{peer, Namespace.toStdString()});
        QObject::connect(client.get(), &QslInfoClient::answerReceived, client.get(),
                         [this](const QStringList &lines) { shown << lines; });
        QObject::connect(client.get(), &QslInfoClient::queryFailed, client.get(),
                         [this](const QString &message) { shown << message; });
    }

    // Starts a query and waits until the service holds its whole request.
    bool ask(const char *callField)
    {
        const qsizetype connection = received.size();
        client->query(callField, ownCall);
        return QTest::qWaitFor([&] {
            return connection < received.size() &&
                   received.at(connection).endsWith("</soap:Envelope>\r\n\r\n");
        });
    }

    // Sends one piece of the answer on connection i and waits until the client has read it, so
    // that each piece is a read event of its own. The piece Close closes the connection.
    void deliver(qsizetype i, const QByteArray &piece)
    {
        const auto sockets = client->findChildren<QTcpSocket *>();
        if (piece == Close)
            connections.at(i)->disconnectFromHost();
        else
            connections.at(i)->write(piece);
        if (sockets.isEmpty())
            return;
        QPointer<QTcpSocket> socket = sockets.last();
        QSignalSpy read(socket.data(), &QTcpSocket::readyRead);
        QTRY_VERIFY(socket.isNull() || read.count() > 0);
    }

    static inline const QByteArray Close = "<close>";
};

} // namespace

class QslInfoClientTest : public QObject
{
    Q_OBJECT

private slots:
    void requestIsValidSoap_data();
    void requestIsValidSoap();
    void shortCallsAreNotAsked();
    void answers_data();
    void answers();
    void answersNameTheirCall();
};

void QslInfoClientTest::requestIsValidSoap_data()
{
    QTest::addColumn<QByteArray>("callField");
    QTest::addColumn<QByteArray>("ownCall");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("client");
    // For plain ASCII: 359 bytes of fixed text, the namespace, the call, the own call or
    // "anonimous". Markup and other characters make the body longer (-1: not checked).
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

void QslInfoClientTest::requestIsValidSoap()
{
    QFETCH(QByteArray, callField);
    QFETCH(QByteArray, ownCall);
    QFETCH(QString, call);
    QFETCH(QString, client);
    QFETCH(int, bodyLength);

    QueryHarness h;
    h.ownCall = ownCall.toStdString();
    QVERIFY(h.ask(callField.constData()));
    const QByteArray request = h.received.at(0);
    QVERIFY(request.startsWith("POST /qslinfo.asmx   HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
    QVERIFY(request.contains("\r\nSOAPAction: \"" + Namespace + "/qslinfo\"\r\n\r\n"));
    const QByteArray body = request.mid(request.indexOf("\r\n\r\n") + 4);
    QVERIFY(request.contains("\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n"));
    if (bodyLength >= 0)
        QCOMPARE(body.size(), bodyLength);

    QXmlStreamReader xml(body);
    QStringList sent;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"qslinfo")
            sent << xml.namespaceUri().toString();
        else if (xml.name() == u"callsign" || xml.name() == u"ClientInformation")
            sent << xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(sent, (QStringList{QString::fromLatin1(Namespace), call, client}));
}

void QslInfoClientTest::shortCallsAreNotAsked()
{
    QueryHarness h;
    for (const char *callField : {"", "K", " DL ", "  "})
        h.client->query(callField, "");
    QVERIFY(h.client->findChildren<QTcpSocket *>().isEmpty());
    QVERIFY(!h.client->running());
    // Each says so in a line of the window's own; three characters are asked about.
    const QString tooShort = "*** no query for %1: a call needs three characters or more ***";
    const QString empty = "*** no query: the call field is empty ***";
    QCOMPARE(h.shown, (QStringList{empty, tooShort.arg("K"), tooShort.arg("DL"), empty}));
    QVERIFY(h.ask(" DL1"));
    QCOMPARE(h.shown.size(), 4);
}

void QslInfoClientTest::answers_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QStringList>("shown");

    const QString head = header("DL1ABC");
    const QString failed = QStringLiteral("*** query to 127.0.0.1 server failed for DL1ABC: ");
    const QByteArray bureau = httpAnswer(soapAnswer("DL1ABC\r\nQSL via bureau"));
    const qsizetype split = bureau.indexOf("bureau<");
    QTest::newRow("one piece") << QList<QByteArray>{bureau}
                               << QStringList{head, "DL1ABC", "QSL via bureau", " "};
    QTest::newRow("split inside a result line")
        << QList<QByteArray>{bureau.left(split), bureau.mid(split)}
        << QStringList{head, "DL1ABC", "QSL via ", "bureau", " "};

    const QByteArray lastLine = "<qslinfoResult>found</qslinfoResult></soap:Envelope>";
    QTest::newRow("end marker on line 99")
        << QList<QByteArray>{httpAnswer(QByteArray("x\r\n").repeated(99) + lastLine)}
        << QStringList{head, "found", " "};
    QTest::newRow("end marker on line 100")
        << QList<QByteArray>{httpAnswer(QByteArray("x\r\n").repeated(100) + lastLine)}
        << QStringList{failed + "no SOAP answer ***"};

    QTest::newRow("credit mark first")
        << QList<QByteArray>{httpAnswer(soapAnswer("(c) 127.0.0.1 knows nothing\r\n"))}
        << QStringList{head, "no entry found", "(c) 127.0.0.1 knows nothing", " "};
    QTest::newRow("credit mark after the opening tag's line")
        << QList<QByteArray>{httpAnswer(soapAnswer("\r\n(c) 127.0.0.1 x"))}
        << QStringList{head, "no entry found", "(c) 127.0.0.1 x", " "};
    QTest::newRow("credit mark later")
        << QList<QByteArray>{httpAnswer(soapAnswer("QSL direct\r\n(c) 127.0.0.1 sample"))}
        << QStringList{head, "QSL direct", "(c) 127.0.0.1 sample", " "};
    QTest::newRow("both tags on one line")
        << QList<QByteArray>{httpAnswer(
               "<a>before<qslinfoResult>only this</qslinfoResult>after</a></soap:Envelope>")}
        << QStringList{head, "only this", " "};

    // The body is longer than the first piece, so the connection would stay open for more.
    const QByteArray unclosed = "<qslinfoResult>open\r\nend</soap:Envelope>\r\n";
    QTest::newRow("no closing tag: shown once")
        << QList<QByteArray>{"HTTP/1.1 200 OK\r\nContent-Length: " +
                                 QByteArray::number(unclosed.size() * 2) + "\r\n\r\n" + unclosed,
                             unclosed}
        << QStringList{head, "open", "end</soap:Envelope>", " "};
    QTest::newRow("chunked") << QList<QByteArray>{"HTTP/1.1 200 OK\r\nTransfer-Encoding: "
                                                  "chunked\r\n\r\n9\r\n<qslinfoR\r\n"
                                                  "1d\r\nesult>QSL via bureau</qslinfo\r\n"
                                                  "17\r\nResult></soap:Envelope>\r\n0\r\n\r\n"}
                             << QStringList{head, "QSL via bureau", " "};
    QTest::newRow("SOAP fault") << QList<QByteArray>{httpAnswer(
                                       soapAnswer("").replace("qslinfoResult", "faultstring"),
                                       "500 Internal Server Error")}
                                << QStringList{head, " "};
    QTest::newRow("references and UTF-8")
        << QList<QByteArray>{httpAnswer(soapAnswer("2019 &amp; 2020 &lt;ok&gt; &#x263A; \xc3\xa9"))}
        << QStringList{head, QString::fromUtf8("2019 & 2020 <ok> \u263a \u00e9"), " "};
    // A reference to a control character would break the line; it stays as written.
    QTest::newRow("reference to a line break")
        << QList<QByteArray>{httpAnswer(soapAnswer("one&#10;two&#x0;"))}
        << QStringList{head, "one&#10;two&#x0;", " "};
    QTest::newRow("characters that break or reverse lines")
        << QList<QByteArray>{httpAnswer(soapAnswer("a\xe2\x80\xae"
                                                   "b&#x2028;c\r\n&#x202e;"))}
        << QStringList{head, "abc", " "};
    // Only the window's own first line is bold: a forged header in the answer is not.
    QTest::newRow("a forged header")
        << QList<QByteArray>{httpAnswer(soapAnswer("QSL via bureau\r\n \r\n"
                                                   "********** K1FAKE **********\r\nfake"))}
        << QStringList{head, "QSL via bureau", " ", header("K1FAKE"), "fake", " "};

    // Answers that are dropped say so.
    QTest::newRow("not HTTP") << QList<QByteArray>{"</soap:Envelope>\r\n\r\n"}
                              << QStringList{failed + "no valid answer (bad version) ***"};
    // An answer's body may take 64 KiB.
    const qsizetype envelope = soapAnswer("").size();
    QTest::newRow("an answer of 64 KiB")
        << QList<QByteArray>{httpAnswer(soapAnswer(QByteArray(64 * 1024 - envelope, 'x')))}
        << QStringList{head, QString(64 * 1024 - envelope, 'x'), " "};
    QTest::newRow("an answer of 64 KiB and a byte")
        << QList<QByteArray>{httpAnswer(soapAnswer(QByteArray(64 * 1024 - envelope + 1, 'x')))}
        << QStringList{failed + "no valid answer (body limit exceeded) ***"};
    QTest::newRow("larger than an answer may be")
        << QList<QByteArray>{httpAnswer(soapAnswer(QByteArray(QslInfoClient::AnswerLimit, 'x')))}
        << QStringList{failed + "no valid answer (body limit exceeded) ***"};
    QTest::newRow("cut short") << QList<QByteArray>{"HTTP/1.1 200 OK\r\nContent-Length: 500\r\n"
                                                    "\r\n<qslinfoResult>QSL",
                                                    QueryHarness::Close}
                               << QStringList{failed + "the answer ended early ***"};
}

void QslInfoClientTest::answers()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QStringList, shown);

    QueryHarness h;
    QVERIFY(h.ask("DL1ABC"));
    for (const QByteArray &piece : pieces) {
        h.deliver(0, piece);
        if (QTest::currentTestFailed())
            return;
    }
    // Whatever the answer, the client lets the connection go once it is complete.
    QTRY_VERIFY(h.client->findChildren<QTcpSocket *>().isEmpty());
    QCOMPARE(h.shown, shown);
}

void QslInfoClientTest::answersNameTheirCall()
{
    QueryHarness h;
    QVERIFY(h.ask("DL1ABC"));
    h.deliver(0, httpAnswer(soapAnswer("QSL info of DL1ABC")));
    QVERIFY(h.ask("G4XYZ"));
    // A third query while the second still waits: the newest call wins, and the late answer to
    // the second comes on a connection that the window has given up.
    QVERIFY(h.ask("JA1ZZZ"));
    h.connections.at(1)->write(httpAnswer(soapAnswer("QSL info of G4XYZ")));
    h.deliver(2, httpAnswer(soapAnswer("QSL info of JA1ZZZ")));
    QCOMPARE(h.shown, (QStringList{header("DL1ABC"), "QSL info of DL1ABC", " ", header("JA1ZZZ"),
                                   "QSL info of JA1ZZZ", " "}));
}

QTEST_MAIN(QslInfoClientTest)
#include "QslInfoClientTest.moc"
