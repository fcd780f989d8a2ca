#include "ui/help/AboutBox.h"

#include "support/DialogTestSupport.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>

class AboutBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void captionOnConstruction();
    void frame();
    void layout_data();
    void layout();
    void texts_data();
    void texts();
    void textsFitTheirLabels();
    void colours();
    void pictureStretched();
    void returnPressesOk();
    void accessibleTexts();
};

void AboutBoxTest::captionOnConstruction()
{
    // Never shown: the caption and texts are there from construction on.
    AboutBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("About Vorn v3.02"));
}

void AboutBoxTest::frame()
{
    AboutBox box;
    QCOMPARE(box.minimumSize(), QSize(432, 276));
    QCOMPARE(box.maximumSize(), QSize(432, 276));
    QCOMPARE(box.font().pixelSize(), 11);
    auto *panel = box.findChild<QFrame *>("Panel1");
    QVERIFY(panel != nullptr);
    QCOMPARE(panel->frameShape(), QFrame::Box);
    QCOMPARE(panel->frameShadow(), QFrame::Sunken);
}

void AboutBoxTest::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("panel") << "Panel1"
                           << "AboutBox" << QRect(9, 8, 415, 224);
    QTest::newRow("icon") << "ProgramIcon"
                          << "Panel1" << QRect(8, 8, 105, 57);
    QTest::newRow("product") << "ProductName"
                             << "Panel1" << QRect(121, 12, 286, 13);
    QTest::newRow("author") << "Author"
                            << "Panel1" << QRect(121, 34, 286, 26);
    QTest::newRow("info") << "InfoLabel"
                          << "Panel1" << QRect(8, 74, 399, 13);
    QTest::newRow("licence") << "LicenceLabel"
                             << "Panel1" << QRect(8, 94, 399, 65);
    QTest::newRow("disclaimer") << "Disclaimer"
                                << "Panel1" << QRect(8, 166, 399, 52);
    QTest::newRow("OK") << "OKButton"
                        << "AboutBox" << QRect(178, 243, 75, 25);
}

void AboutBoxTest::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);

    AboutBox box;
    auto *control = box.findChild<QWidget *>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(), geometry);
}

void AboutBoxTest::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<int>("lines");

    QTest::newRow("product") << "ProductName" << QStringList{"Vorn"} << 1;
    QTest::newRow("author") << "Author" << QStringList{"Vorn developers", "cty.dat"} << 2;
    QTest::newRow("info") << "InfoLabel"
                          << QStringList{"Find the right IARU QSL bureau based on callsign or "
                                         "prefix"}
                          << 1;
    QTest::newRow("licence") << "LicenceLabel"
                             << QStringList{"Licence :\n", "GPL-3.0-or-later",
                                            "LICENSE",     "country-files project",
                                            "MIT licence", "COPYING.cty"}
                             << 2;
    QTest::newRow("disclaimer")
        << "Disclaimer"
        << QStringList{"Disclaimer :\nThe author can not be held liable for any direct, indirect, "
                       "consequential or incidental damages to other pieces of software, "
                       "equipment, goods or persons arising from the use of this software."}
        << 2;
}

void AboutBoxTest::texts()
{
    QFETCH(QString, name);
    QFETCH(QStringList, parts);
    QFETCH(int, lines);

    AboutBox box;
    auto *label = box.findChild<QLabel *>(name);
    QVERIFY(label != nullptr);
    for (const QString &part : parts)
        QVERIFY2(label->text().contains(part), qPrintable(label->text()));
    // The project has no web site or e-mail address to name.
    QVERIFY(!label->text().contains('@') && !label->text().contains(QStringLiteral("://")));
    QCOMPARE(label->text().split('\n').size(), lines);
}

void AboutBoxTest::textsFitTheirLabels()
{
    // With the font actually installed, no text may be cut off by its fixed-size label.
    AboutBox box;
    for (QLabel *label : box.findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        const QString name = label->objectName();
        if (label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(name));
        else
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(name));
    }
}

// The colours of the strongly coloured pixels that a label paints: its ink.
static QSet<QString> inkColours(QLabel *label)
{
    const QImage image = label->grab().toImage();
    QSet<QString> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 150 && c.red() < 100 && c.green() < 100)
                colours.insert(QStringLiteral("blue"));
            else if (c.red() > 150 && c.green() < 100 && c.blue() < 100)
                colours.insert(QStringLiteral("red"));
            else if (c.red() < 60 && c.green() < 60 && c.blue() < 60)
                colours.insert(QStringLiteral("black"));
        }
    }
    return colours;
}

void AboutBoxTest::colours()
{
    AboutBox box;
    auto *panel = box.findChild<QFrame *>("Panel1");
    QVERIFY(panel->autoFillBackground());
    QCOMPARE(panel->palette().color(panel->backgroundRole()),
             box.palette().color(QPalette::ToolTipBase));
    QCOMPARE(box.findChild<QLabel *>("LicenceLabel")->palette().color(QPalette::WindowText),
             QColor(0, 0, 255));
    QCOMPARE(box.findChild<QLabel *>("Disclaimer")->palette().color(QPalette::WindowText),
             QColor(255, 0, 0));
    QVERIFY(box.findChild<QLabel *>("ProductName")->font().bold());
    QCOMPARE(box.findChild<QLabel *>("Author")->alignment(), Qt::AlignCenter);

    // The panel really paints the tooltip colour in a corner that no label covers.
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QImage image = panel->grab().toImage();
    QCOMPARE(image.pixelColor(panel->width() - 6, panel->height() - 4),
             box.palette().color(QPalette::ToolTipBase));

    // The licence is painted in blue and the disclaimer in red, not in the panel's text colour.
    QCOMPARE(inkColours(box.findChild<QLabel *>("LicenceLabel")), QSet<QString>{"blue"});
    QCOMPARE(inkColours(box.findChild<QLabel *>("Disclaimer")), QSet<QString>{"red"});
}

void AboutBoxTest::pictureStretched()
{
    AboutBox box;
    auto *icon = box.findChild<QLabel *>("ProgramIcon");
    QVERIFY(icon->hasScaledContents());
    const QPixmap picture(QStringLiteral(":/vorn/about.png"));
    QVERIFY2(!picture.isNull(), "the program's picture is missing from the resources");
    QCOMPARE(icon->pixmap().size(), picture.size());
}

void AboutBoxTest::returnPressesOk()
{
    AboutBox box;
    auto *ok = box.findChild<QPushButton *>("OKButton");
    QVERIFY(ok->isDefault());
    const int result = runModal(box, [&] { QTest::keyClick(&box, Qt::Key_Return); });
    QCOMPARE(result, QDialog::Accepted);
}

void AboutBoxTest::accessibleTexts()
{
    AboutBox box;
    box.setDataInUse(QStringLiteral("data of 2025-09-30, revision 0"));
    box.setExactCallList(QStringLiteral("exact calls: 20187 (calls.asc)"));
    const QList<QWidget *> controls = box.findChildren<QWidget *>();
    QCOMPARE(controls.size(), 10);
    QCOMPARE(controlsWithoutAccessibleText(controls), QStringList());
}

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
