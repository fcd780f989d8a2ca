#include "ui/qslinfo/QueryForm.h"

#include "core/settings/AppSettings.h"
#include "platform/QslInfoClient.h"
#include "support/QueryMemo.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

namespace {

const QByteArray Namespace = "urn:test:qslinfo";

QString header(const char *call)
{
    return QStringLiteral("********** %1 **********").arg(call);
}

// The query window over a client whose signals the test gives, as the client gives them when an
// answer or a failure arrives; nothing listens on the service's port.
struct QueryHarness
{
    AppSettings settings;
    QslInfoClient client{QslInfoServer{{"127.0.0.1", 9}, Namespace.toStdString()}};
    QueryForm form{settings, client};

    // The answer about the call with the result's lines, as the client signals it.
    void answer(const char *call, const QStringList &result)
    {
        emit client.answerReceived(QStringList{header(call)} + result + QStringList{" "});
    }

    QStringList memoLines() const { return linesOf(*form.memo()); }
};

// Whether the line lies within the visible part of the text area.
bool lineVisible(const QPlainTextEdit &memo, int line)
{
    const QTextCursor at(memo.document()->findBlockByNumber(line));
    return memo.viewport()->rect().contains(memo.cursorRect(at));
}

} // namespace

class QueryFormTest : public QObject
{
    Q_OBJECT

private slots:
    void entriesOpenWithTheirOwnBoldLine();
    void memoKeepsTheLatestAnswers_data();
    void memoKeepsTheLatestAnswers();
    void newAnswerScrollsIntoView();
    void placement_data();
    void placement();
};

// Only the window's own first line of each entry is bold: an answer that forges a header of
// its own cannot pass it off as the start of another.
void QueryFormTest::entriesOpenWithTheirOwnBoldLine()
{
    QueryHarness h;
    h.answer("DL1ABC", {"QSL via bureau", " ", header("K1FAKE"), "fake"});
    const QString failure =
        QStringLiteral("*** query to 127.0.0.1 server failed for G4XYZ: no SOAP answer ***");
    emit h.client.queryFailed(failure);

    QCOMPARE(h.memoLines(), (QStringList{header("DL1ABC"), "QSL via bureau", " ", header("K1FAKE"),
                                         "fake", " ", failure}));
    QCOMPARE(boldLines(*h.form.memo()), (QList<int>{0, 6}));
}

void QueryFormTest::memoKeepsTheLatestAnswers_data()
{
    QTest::addColumn<int>("answers");
    QTest::addColumn<QStringList>("result");

    QTest::newRow("long lines") << 12 << QStringList{QString(60000, 'x')};
    QTest::newRow("many lines") << 60
                                << QStringList(97, QStringLiteral("line")) + QStringList{"last"};
}

void QueryFormTest::memoKeepsTheLatestAnswers()
{
    QFETCH(int, answers);
    QFETCH(QStringList, result);

    QueryHarness h;
    const auto call = [](int i) { return QStringLiteral("K1A%1").arg(i, 3, 10, QLatin1Char('0')); };
    qsizetype entryLines = 0;
    for (int i = 0; i < answers; ++i) {
        h.answer(qPrintable(call(i)), result);
        if (i == 0)
            entryLines = h.memoLines().size();
    }
    const QStringList lines = h.memoLines();
    const QTextDocument *document = h.form.memo()->document();
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
    h.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.form));
    QPlainTextEdit *memo = h.form.memo();
    for (int i = 0; i < 20; ++i)
        h.answer("DL1ABC", {"QSL via bureau", QString(300, 'w')});
    // The user reads an old answer, scrolled away from the start of the lines.
    memo->verticalScrollBar()->setValue(0);
    memo->horizontalScrollBar()->setValue(memo->horizontalScrollBar()->maximum());
    QVERIFY(!lineVisible(*memo, memo->blockCount() - 1));

    h.answer("G4XYZ", {"QSL direct"});
    const int last = memo->blockCount() - 1;
    QCOMPARE(linesOf(*memo).mid(last - 2), (QStringList{header("G4XYZ"), "QSL direct", " "}));
    QVERIFY(lineVisible(*memo, last - 2));
    QVERIFY(lineVisible(*memo, last));

    // An answer taller than the area shows its first lines.
    h.answer("JA1ZZZ", QStringList(60, QStringLiteral("line")));
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
