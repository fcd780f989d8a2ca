#include "ui/settings/ApplyBackground.h"

#include "core/settings/AppSettings.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(Background)

namespace {

const QColor Navy(0, 0, 128);
const QColor White(255, 255, 255);
const QColor Silver(192, 192, 192);
const QColor MapColour(0, 160, 0);

// The parts of the main and query windows that the background touches, built as those windows
// build them: a map picture over the client area, a call field, a query window with its memo and
// its own call field.
struct Windows
{
    QMainWindow main;
    QLabel *map = nullptr;
    QLineEdit *callEdit = nullptr;
    QLabel *resultLabel = nullptr;
    QWidget query;
    QPlainTextEdit *memo = nullptr;
    QLineEdit *queryCall = nullptr;

    Windows()
    {
        main.menuBar()->addMenu(QStringLiteral("Settings"));
        auto *client = new QWidget;
        client->setFixedSize(635, 272);
        main.setCentralWidget(client);
        QPixmap picture(635, 272);
        picture.fill(MapColour);
        map = new QLabel(client);
        map->setPixmap(picture);
        map->setGeometry(0, 0, 635, 272);
        callEdit = new QLineEdit(client);
        callEdit->setGeometry(285, 83, 160, 24);
        resultLabel = new QLabel(QStringLiteral("Germany"), client);
        resultLabel->setGeometry(285, 145, 280, 24);

        memo = new QPlainTextEdit;
        queryCall = new QLineEdit;
        auto *layout = new QVBoxLayout(&query);
        layout->setContentsMargins(20, 20, 20, 20);
        layout->addWidget(queryCall);
        layout->addWidget(memo);
        query.resize(300, 200);
    }

    void apply(Background background)
    {
        applyBackground(background, &main, map, callEdit, &query, memo);
    }
};

QColor pixelOf(QWidget *widget, QPoint at)
{
    return widget->grab().toImage().pixelColor(at);
}

} // namespace

class ApplyBackgroundTest : public QObject
{
    Q_OBJECT

private slots:
    void eachValue_data();
    void eachValue();
    void backToTheMap();
    void callFieldSilverWhateverTheBackground();
    void withoutQueryWindow();
};

void ApplyBackgroundTest::eachValue_data()
{
    QTest::addColumn<Background>("background");
    QTest::addColumn<bool>("mapHidden");
    QTest::addColumn<QColor>("clientColour");

    QTest::newRow("world map") << Background::WorldMap << false << MapColour;
    QTest::newRow("plain blue") << Background::PlainBlue << true << Navy;
    QTest::newRow("plain white") << Background::PlainWhite << true << White;
}

void ApplyBackgroundTest::eachValue()
{
    QFETCH(Background, background);
    QFETCH(bool, mapHidden);
    QFETCH(QColor, clientColour);

    Windows windows;
    const QColor designColour = windows.main.palette().color(QPalette::Window);
    const QColor queryCallBase = windows.queryCall->palette().color(QPalette::Base);
    windows.main.show();
    windows.query.show();
    QVERIFY(QTest::qWaitForWindowExposed(&windows.main));
    windows.apply(background);

    QCOMPARE(windows.map->isHidden(), mapHidden);
    const QColor windowColour = windows.main.palette().color(QPalette::Window);
    QCOMPARE(windowColour, mapHidden ? clientColour : designColour);
    // What the user sees between the labels: the map or the plain colour.
    QCOMPARE(
        pixelOf(&windows.main, windows.main.centralWidget()->mapTo(&windows.main, QPoint(20, 40))),
        clientColour);
    QCOMPARE(pixelOf(&windows.main, windows.resultLabel->mapTo(&windows.main, QPoint(270, 2))),
             clientColour);

    QCOMPARE(windows.callEdit->palette().color(QPalette::Base), Silver);
    QCOMPARE(pixelOf(windows.callEdit, QPoint(80, 12)), Silver);
    QCOMPARE(windows.memo->palette().color(QPalette::Base), Silver);
    QCOMPARE(pixelOf(windows.memo->viewport(), QPoint(30, 30)), Silver);
    QCOMPARE(windows.query.palette().color(QPalette::Window), Silver);
    QVERIFY(windows.query.autoFillBackground());
    QCOMPARE(pixelOf(&windows.query, QPoint(5, 5)), Silver);
    // Only the query window and its memo turn silver, not its other fields.
    QCOMPARE(windows.queryCall->palette().color(QPalette::Base), queryCallBase);
    // The menu keeps its own colour on a plain window.
    QCOMPARE(windows.main.menuBar()->palette().color(QPalette::Window), designColour);
}

void ApplyBackgroundTest::backToTheMap()
{
    Windows windows;
    windows.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&windows.main));
    windows.apply(Background::PlainBlue);
    QVERIFY(windows.map->isHidden());
    windows.apply(Background::WorldMap);
    QVERIFY(!windows.map->isHidden());
    QCOMPARE(
        pixelOf(&windows.main, windows.main.centralWidget()->mapTo(&windows.main, QPoint(20, 40))),
        MapColour);
    windows.apply(Background::PlainWhite);
    QVERIFY(windows.map->isHidden());
    QCOMPARE(windows.main.palette().color(QPalette::Window), White);
}

void ApplyBackgroundTest::callFieldSilverWhateverTheBackground()
{
    // Applied again and again, as at every activation, the call field stays silver.
    Windows windows;
    QCOMPARE(windows.callEdit->palette().color(QPalette::Base), White);
    for (Background background : {Background::WorldMap, Background::PlainWhite,
                                  Background::PlainBlue, Background::WorldMap}) {
        windows.apply(background);
        QCOMPARE(windows.callEdit->palette().color(QPalette::Base), Silver);
    }
}

void ApplyBackgroundTest::withoutQueryWindow()
{
    Windows windows;
    applyBackground(Background::PlainBlue, &windows.main, windows.map, windows.callEdit);
    QVERIFY(windows.map->isHidden());
    QCOMPARE(windows.callEdit->palette().color(QPalette::Base), Silver);
    QCOMPARE(windows.query.palette().color(QPalette::Window),
             QApplication::palette(&windows.query).color(QPalette::Window));
}

QTEST_MAIN(ApplyBackgroundTest)
#include "ApplyBackgroundTest.moc"
