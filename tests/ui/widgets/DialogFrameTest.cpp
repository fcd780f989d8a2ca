#include "ui/widgets/DialogFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

// Sizes in tenths of the available screen area, so that the cases hold on any screen.
struct Tenths
{
    int width;
    int height;
};
Q_DECLARE_METATYPE(Tenths)

class DialogFrameTest : public QObject
{
    Q_OBJECT

private slots:
    void centreOnScreenKeepsTheWindowInReach_data();
    void centreOnScreenKeepsTheWindowInReach();
};

void DialogFrameTest::centreOnScreenKeepsTheWindowInReach_data()
{
    QTest::addColumn<Tenths>("size");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<Tenths>("minimum");
    QTest::addColumn<Tenths>("expected");
    QTest::addColumn<bool>("centred");

    const Tenths none{0, 0};
    QTest::newRow("fits: kept and centred")
        << Tenths{5, 5} << false << none << Tenths{5, 5} << true;
    QTest::newRow("too wide and too high: shrunk to nine tenths")
        << Tenths{15, 12} << false << none << Tenths{9, 9} << true;
    QTest::newRow("too high only") << Tenths{6, 11} << false << none << Tenths{6, 9} << true;
    QTest::newRow("never below its minimum")
        << Tenths{14, 14} << false << Tenths{9, 9} << Tenths{9, 9} << true;
    QTest::newRow("a minimum beyond the screen: top left kept on it")
        << Tenths{14, 14} << false << Tenths{12, 11} << Tenths{12, 11} << false;
    QTest::newRow("a fixed size is never changed")
        << Tenths{13, 12} << true << none << Tenths{13, 12} << false;
}

void DialogFrameTest::centreOnScreenKeepsTheWindowInReach()
{
    QFETCH(Tenths, size);
    QFETCH(bool, fixed);
    QFETCH(Tenths, minimum);
    QFETCH(Tenths, expected);
    QFETCH(bool, centred);

    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const auto inPixels = [&available](Tenths tenths) {
        return QSize(available.width() * tenths.width / 10,
                     available.height() * tenths.height / 10);
    };
    QWidget window;
    if (fixed)
        window.setFixedSize(inPixels(size));
    else
        window.resize(inPixels(size));
    window.setMinimumSize(fixed ? inPixels(size) : inPixels(minimum));

    centreOnScreen(&window);

    QCOMPARE(window.size(), inPixels(expected));
    QVERIFY(window.x() >= available.left());
    QVERIFY(window.y() >= available.top());
    if (centred) {
        QVERIFY(available.contains(window.frameGeometry()));
        QVERIFY(qAbs(window.frameGeometry().center().x() - available.center().x()) <= 1);
        QVERIFY(qAbs(window.frameGeometry().center().y() - available.center().y()) <= 1);
    } else {
        QCOMPARE(window.pos(), available.topLeft());
    }
}

QTEST_MAIN(DialogFrameTest)
#include "DialogFrameTest.moc"
