#include "ui/qslinfo/QueryForm.h"

#include "core/settings/AppSettings.h"
#include "support/MainFormHarness.h"
#include "ui/qslinfo/DatabaseForm.h"
#include "ui/qslinfo/QslInfoService.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBlock>
#include <QWindow>
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

QStringList linesOf(const QPlainTextEdit &memo)
{
    const QString text = memo.toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// The whole envelope on one line, broken only where the result's text is, as services send it.
QByteArray soapAnswer(const QByteArray &result)
{
    return R"(<?xml version="1.0" encoding="utf-8"?><soap:Envelope xmlns:soap=")"
           R"(http://schemas.xmlsoap.org/soap/envelope/"><soap:Body><qslinfoResponse><qslinfoResult>)" +
           result + "</qslinfoResult></qslinfoResponse></soap:Body></soap:Envelope>";
}

// The query window over a QSL information service on loopback, which keeps every connection
// with what arrived on it and answers only when the test says so.
struct QueryHarness
{
    QTcpServer server;
    QList<QTcpSocket *> connections;
    QList<QByteArray> received;
    AppSettings settings;
    std::unique_ptr<QueryForm> form;

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
        form = std::make_unique<QueryForm>(settings, QslInfoServer{peer, Namespace.toStdString()});
    }

    // Starts a query and waits until the service holds its whole request.
    bool ask(const char *callField)
    {
        const qsizetype connection = received.size();
        form->queryCall(callField);
        return QTest::qWaitFor([&] {
            return connection < received.size() &&
                   received.at(connection).endsWith("</soap:Envelope>\r\n\r\n");
        });
    }

    // Sends one piece of the answer on connection i and waits until the window has read it, so
    // that each piece is a read event of its own. The piece Close closes the connection.
    void deliver(qsizetype i, const QByteArray &piece)
    {
        const auto sockets = form->findChildren<QTcpSocket *>();
        if (piece == Close)
            connections.at(i)->disconnectFromHost();
        else
            connections.at(i)->write(piece);
        if (sockets.isEmpty())
            return;
        QPointer<QTcpSocket> client = sockets.last();
        QSignalSpy read(client.data(), &QTcpSocket::readyRead);
        QTRY_VERIFY(client.isNull() || read.count() > 0);
    }

    // Asks about the call and answers with the body.
    bool answer(const char *call, const QByteArray &body)
    {
        if (!ask(call))
            return false;
        deliver(received.size() - 1, httpAnswer(body));
        return QTest::qWaitFor([this] { return form->findChildren<QTcpSocket *>().isEmpty(); });
    }

    QStringList memoLines() const { return linesOf(*form->memo()); }
    static inline const QByteArray Close = "<close>";
};

// The numbers of the lines shown in bold.
QList<int> boldLines(const QPlainTextEdit &memo)
{
    QList<int> bold;
    for (QTextBlock block = memo.document()->begin(); block.isValid(); block = block.next()) {
        const QList<QTextLayout::FormatRange> ranges = block.textFormats();
        if (!ranges.isEmpty() && ranges.first().format.fontWeight() == QFont::Bold)
            bold << block.blockNumber();
    }
    return bold;
}

// Whether the line lies within the visible part of the text area.
bool lineVisible(const QPlainTextEdit &memo, int line)
{
    const QTextCursor at(memo.document()->findBlockByNumber(line));
    return memo.viewport()->rect().contains(memo.cursorRect(at));
}

// The real main window with the real query window, over a port where nothing listens; the
// settings file chooses the mode.
struct MainWithQuery
{
    Harness main;
    quint16 port = 0;
    std::unique_ptr<QueryForm> form;
    std::unique_ptr<DatabaseForm> databaseForm;
    std::unique_ptr<QslInfoService> service;

    bool start(const QByteArray &settingsFile)
    {
        QTcpServer closed;
        if (!closed.listen(QHostAddress::LocalHost))
            return false;
        const QslInfoServer server{{"127.0.0.1", closed.serverPort()}, Namespace.toStdString()};
        closed.close();
        QFile file(main.path("vorn.set"));
        if (!file.open(QIODevice::WriteOnly) || file.write(settingsFile) != settingsFile.size())
            return false;
        file.close();
        form = std::make_unique<QueryForm>(main.settings, server);
        databaseForm = std::make_unique<DatabaseForm>(server);
        service = std::make_unique<QslInfoService>(main.settings, *form, *databaseForm);
        main.qslInfo = service.get();
        main.make();
        form->showBeside(main.form.get());
        QObject::connect(form.get(), &QueryForm::queryButtonClicked, main.form.get(),
                         &MainForm::queryButtonClick);
        // The query window may take the focus where windows cannot be shown without it.
        main.form->show();
        return QTest::qWaitFor(
            [this] { return !main.form->firstActivation() && form->isVisible(); });
    }

    ~MainWithQuery()
    {
        // The main window goes first, as in the program, where it is made last.
        main.form.reset();
    }
};

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
    void answersNameTheirCall();
    void serviceDownTypingGoesOn();
    void queryButtonHandsBackTheKeyboard();
    void memoKeepsTheLatestAnswers_data();
    void memoKeepsTheLatestAnswers();
    void newAnswerScrollsIntoView();
    void placement_data();
    void placement();
};

void QueryFormTest::requestIsValidSoap_data()
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

void QueryFormTest::requestIsValidSoap()
{
    QFETCH(QByteArray, callField);
    QFETCH(QByteArray, ownCall);
    QFETCH(QString, call);
    QFETCH(QString, client);
    QFETCH(int, bodyLength);

    QueryHarness h;
    h.settings.ownCall = ownCall.toStdString();
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

void QueryFormTest::shortCallsAreNotAsked()
{
    QueryHarness h;
    for (const char *callField : {"", "K", " DL ", "  "})
        h.form->queryCall(callField);
    QVERIFY(h.form->findChildren<QTcpSocket *>().isEmpty());
}

void QueryFormTest::answers_data()
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
    QTest::newRow("larger than an answer may be")
        << QList<QByteArray>{httpAnswer(soapAnswer(QByteArray(QueryForm::AnswerLimit, 'x')))}
        << QStringList{failed + "no valid answer (body limit exceeded) ***"};
    QTest::newRow("cut short") << QList<QByteArray>{"HTTP/1.1 200 OK\r\nContent-Length: 500\r\n"
                                                    "\r\n<qslinfoResult>QSL",
                                                    QueryHarness::Close}
                               << QStringList{failed + "the answer ended early ***"};
}

void QueryFormTest::answers()
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
    // Whatever the answer, the window lets the connection go once it is complete.
    QTRY_VERIFY(h.form->findChildren<QTcpSocket *>().isEmpty());
    QCOMPARE(h.memoLines(), shown);
    QCOMPARE(boldLines(*h.form->memo()), shown.isEmpty() ? QList<int>() : QList<int>{0});
}

void QueryFormTest::answersNameTheirCall()
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
    QCOMPARE(h.memoLines(), (QStringList{header("DL1ABC"), "QSL info of DL1ABC", " ",
                                         header("JA1ZZZ"), "QSL info of JA1ZZZ", " "}));
}

void QueryFormTest::serviceDownTypingGoesOn()
{
    MainWithQuery h;
    QVERIFY(h.start("CA\r\n"));
    QLineEdit *callEdit = h.main.callEdit();
    for (const char *call : {"DL1ABC", "G4XYZ", "JA1ZZZ"}) {
        // Typed over the selected call, as a user goes from one call to the next.
        QTest::keyClicks(callEdit, call);
        QTest::keyClick(callEdit, Qt::Key_Return);
        QVERIFY(h.main.form->resultsShown());
        QTRY_VERIFY(h.form->memo()->toPlainText().endsWith(QLatin1String(call) +
                                                           ": Connection refused ***"));
    }
    QCOMPARE(callEdit->text(), QStringLiteral("JA1ZZZ"));
    // One line each, in the window, and no box.
    QCOMPARE(linesOf(*h.form->memo()),
             (QStringList{
                 "*** connection to 127.0.0.1 server failed for DL1ABC: Connection refused ***",
                 "*** connection to 127.0.0.1 server failed for G4XYZ: Connection refused ***",
                 "*** connection to 127.0.0.1 server failed for JA1ZZZ: Connection refused ***"}));
    QCOMPARE(boldLines(*h.form->memo()), (QList<int>{0, 1, 2}));
    QVERIFY2(h.main.log.filter(QStringLiteral("error")).isEmpty(),
             qPrintable(h.main.log.join('\n')));
}

void QueryFormTest::queryButtonHandsBackTheKeyboard()
{
    MainWithQuery h;
    QVERIFY(h.start("CR\r\n"));
    // A frame for screen readers, and never below the main window.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(h.form.get());
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->role(), QAccessible::Window);
    QCOMPARE(h.form->windowHandle()->transientParent(), h.main.form->windowHandle());

    QLineEdit *callEdit = h.main.callEdit();
    QTest::keyClicks(callEdit, "DL1ABC");
    QTest::keyClick(callEdit, Qt::Key_Return);
    h.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    QTest::keyClick(h.form.get(), Qt::Key_Q, Qt::AltModifier);
    QTRY_COMPARE(linesOf(*h.form->memo()).size(), 1);
    QTRY_VERIFY(h.main.form->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(callEdit));
    // The call is still selected: the next one replaces it.
    QTest::keyClicks(QApplication::focusWidget(), "G4");
    QCOMPARE(callEdit->text(), QStringLiteral("G4"));
}

void QueryFormTest::memoKeepsTheLatestAnswers_data()
{
    QTest::addColumn<int>("answers");
    QTest::addColumn<QByteArray>("result");

    QTest::newRow("long lines") << 12 << QByteArray(60000, 'x');
    QTest::newRow("many lines") << 60 << QByteArray("line\r\n").repeated(97) + "last";
}

void QueryFormTest::memoKeepsTheLatestAnswers()
{
    QFETCH(int, answers);
    QFETCH(QByteArray, result);

    QueryHarness h;
    const auto call = [](int i) { return QStringLiteral("K1A%1").arg(i, 3, 10, QLatin1Char('0')); };
    qsizetype entryLines = 0;
    for (int i = 0; i < answers; ++i) {
        QVERIFY(h.answer(qPrintable(call(i)), soapAnswer(result)));
        if (i == 0)
            entryLines = h.memoLines().size();
    }
    const QStringList lines = h.memoLines();
    const QTextDocument *document = h.form->memo()->document();
    QVERIFY(document->blockCount() <= QueryForm::MemoLineLimit);
    QVERIFY(document->characterCount() <= QueryForm::MemoCharacterLimit);
    // Whole answers are dropped, the oldest first, and no more than needed.
    QCOMPARE(lines.size() % entryLines, 0);
    const qsizetype kept = lines.size() / entryLines;
    QVERIFY(kept < answers);
    for (qsizetype k = 0; k < kept; ++k)
        QCOMPARE(lines.at(k * entryLines), header(qPrintable(call(answers - int(kept) + int(k)))));
    const qsizetype entryCharacters = (document->characterCount() - 1) / kept + 1;
    QVERIFY(document->blockCount() + entryLines > QueryForm::MemoLineLimit ||
            document->characterCount() + entryCharacters > QueryForm::MemoCharacterLimit);
}

void QueryFormTest::newAnswerScrollsIntoView()
{
    QueryHarness h;
    h.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
    QPlainTextEdit *memo = h.form->memo();
    for (int i = 0; i < 20; ++i)
        QVERIFY(h.answer("DL1ABC", soapAnswer("QSL via bureau\r\n" + QByteArray(300, 'w'))));
    // The user reads an old answer, scrolled away from the start of the lines.
    memo->verticalScrollBar()->setValue(0);
    memo->horizontalScrollBar()->setValue(memo->horizontalScrollBar()->maximum());
    QVERIFY(!lineVisible(*memo, memo->blockCount() - 1));

    QVERIFY(h.answer("G4XYZ", soapAnswer("QSL direct")));
    const int last = memo->blockCount() - 1;
    QCOMPARE(linesOf(*memo).mid(last - 2), (QStringList{header("G4XYZ"), "QSL direct", " "}));
    QVERIFY(lineVisible(*memo, last - 2));
    QVERIFY(lineVisible(*memo, last));

    // An answer taller than the area shows its first lines.
    QVERIFY(h.answer("JA1ZZZ", soapAnswer(QByteArray("line\r\n").repeated(60))));
    const int top = memo->blockCount() - 62;
    QCOMPARE(linesOf(*memo).at(top), header("JA1ZZZ"));
    QVERIFY(lineVisible(*memo, top));
}

void QueryFormTest::placement_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QPoint>("expected");

    const QSize main(645, 302);
    const auto centred = [main](const QRect &area) {
        QRect window(QPoint(), main);
        window.moveCenter(area.center());
        return window;
    };
    const QRect fullHd(0, 0, 1920, 1080);
    const QRect laptop(0, 0, 1366, 768);
    const QRect portrait(0, 0, 1080, 1920);
    QTest::newRow("1920x1080: right of the main window")
        << fullHd << centred(fullHd) << QPoint(1290, 389);
    QTest::newRow("main window at the right edge: left of it")
        << fullHd << QRect(QPoint(1275, 100), main) << QPoint(777, 100);
    QTest::newRow("main window low: right of it, kept on the screen")
        << fullHd << QRect(QPoint(100, 900), main) << QPoint(753, 730);
    QTest::newRow("portrait: below") << portrait << centred(portrait) << QPoint(217, 1119);
    QTest::newRow("portrait, main window low: above")
        << portrait << QRect(QPoint(217, 1600), main) << QPoint(217, 1242);
    // No side has room: the lower left corner, which covers least.
    QTest::newRow("1366x768") << laptop << centred(laptop) << QPoint(0, 418);
    QTest::newRow("1366x768 with a panel on the left")
        << QRect(60, 0, 1306, 768) << centred(QRect(60, 0, 1306, 768)) << QPoint(60, 418);
    QTest::newRow("800x600") << QRect(0, 0, 800, 600) << centred(QRect(0, 0, 800, 600))
                             << QPoint(0, 250);
}

void QueryFormTest::placement()
{
    QFETCH(QRect, area);
    QFETCH(QRect, window);
    QFETCH(QPoint, expected);

    const QSize frame(490, 350);
    const QPoint at = QueryForm::besidePosition(area, window, frame);
    QCOMPARE(at, expected);
    QVERIFY(area.contains(QRect(at, frame)));
    // No place on the screen covers much less of the main window.
    const auto covered = [&](const QPoint &place) {
        const QRect overlap = QRect(place, frame).intersected(window);
        return qint64(overlap.width()) * overlap.height();
    };
    qint64 least = covered(at);
    for (int x = area.left(); x + frame.width() <= area.right() + 1; ++x) {
        for (int y = area.top(); y + frame.height() <= area.bottom() + 1; ++y)
            least = std::min(least, covered({x, y}));
    }
    QVERIFY2(covered(at) <= least + least / 10,
             qPrintable(QStringLiteral("covers %1, %2 would do").arg(covered(at)).arg(least)));
}

QTEST_MAIN(QueryFormTest)
#include "QueryFormTest.moc"
