#include "ui/settings/BackgroundForm.h"

#include "core/settings/AppSettings.h"
#include "support/DialogTestSupport.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

Q_DECLARE_METATYPE(Background)

namespace {

const char *radioFor(Background background)
{
    switch (background) {
    case Background::WorldMap:
        return "MapButton";
    case Background::PlainBlue:
        return "BlueButton";
    case Background::PlainWhite:
        return "WhiteButton";
    }
    return "";
}

QStringList checkedRadios(const QDialog &form)
{
    QStringList names;
    for (const QRadioButton *radio : form.findChildren<QRadioButton *>())
        if (radio->isChecked())
            names << radio->objectName();
    return names;
}

} // namespace

class BackgroundFormTest : public QObject
{
    Q_OBJECT

private slots:
    void frame();
    void layout_data();
    void layout();
    void tabOrder();
    void captionSetOnEveryOpening();
    void closing_data();
    void closing();
    void okChoiceShownNextTimeWithoutBeingHandedIn();
    void accessibleTexts();
};

void BackgroundFormTest::frame()
{
    BackgroundForm form;
    verifySettingsDialogFrame(form);
    QVERIFY(form.font().families().contains(QStringLiteral("Verdana")));
}

void BackgroundFormTest::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    QTest::newRow("OK") << "OkButton" << QRect(57, 112, 75, 25) << "OK";
    QTest::newRow("Cancel") << "CancelButton" << QRect(161, 112, 75, 25) << "Cancel";
    QTest::newRow("world map") << "MapButton" << QRect(106, 16, 80, 17) << "World map";
    QTest::newRow("plain blue") << "BlueButton" << QRect(106, 48, 80, 17) << "Plain blue";
    QTest::newRow("plain white") << "WhiteButton" << QRect(106, 80, 80, 17) << "Plain white";
}

void BackgroundFormTest::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);

    verifyButton(BackgroundForm(), name, geometry, caption);
}

void BackgroundFormTest::tabOrder()
{
    BackgroundForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    verifyTabOrder(form, {"OkButton", "CancelButton", "MapButton", "BlueButton", "WhiteButton"});
}

void BackgroundFormTest::captionSetOnEveryOpening()
{
    BackgroundForm form;
    const QString caption = QStringLiteral("Vorn v3.02 : Background");
    form.show();
    QCOMPARE(form.windowTitle(), caption);
    form.hide();
    form.setWindowTitle(QStringLiteral("something else"));
    form.show();
    QCOMPARE(form.windowTitle(), caption);
}

void BackgroundFormTest::closing_data()
{
    QTest::addColumn<Background>("stored");
    QTest::addColumn<Background>("clicked");
    QTest::addColumn<bool>("pressOk");
    QTest::addColumn<Background>("expected");

    const struct
    {
        Background value;
        const char *name;
    } values[] = {{Background::WorldMap, "map"},
                  {Background::PlainBlue, "blue"},
                  {Background::PlainWhite, "white"}};
    for (const auto &stored : values) {
        for (const auto &clicked : values) {
            QTest::addRow("%s, choose %s, OK", stored.name, clicked.name)
                << stored.value << clicked.value << true << clicked.value;
            QTest::addRow("%s, choose %s, Cancel", stored.name, clicked.name)
                << stored.value << clicked.value << false << stored.value;
        }
    }
}

void BackgroundFormTest::closing()
{
    QFETCH(Background, stored);
    QFETCH(Background, clicked);
    QFETCH(bool, pressOk);
    QFETCH(Background, expected);

    BackgroundForm form;
    form.setBackground(stored);
    QStringList shownOnOpening;
    const int result = runModal(form, [&] {
        shownOnOpening = checkedRadios(form);
        QTest::mouseClick(form.findChild<QRadioButton *>(radioFor(clicked)), Qt::LeftButton);
        QTest::mouseClick(form.findChild<QPushButton *>(pressOk ? "OkButton" : "CancelButton"),
                          Qt::LeftButton);
    });

    QCOMPARE(shownOnOpening, QStringList{radioFor(stored)});
    QCOMPARE(result, pressOk ? QDialog::Accepted : QDialog::Rejected);
    QCOMPARE(form.background(), expected);

    // The caller hands the stored value in again before the next opening.
    form.setBackground(expected);
    QStringList shownOnReopening;
    runModal(form, [&] { shownOnReopening = checkedRadios(form); });
    QCOMPARE(shownOnReopening, QStringList{radioFor(expected)});
}

void BackgroundFormTest::okChoiceShownNextTimeWithoutBeingHandedIn()
{
    BackgroundForm form;
    form.setBackground(Background::PlainBlue);
    runModal(form, [&] {
        QTest::mouseClick(form.findChild<QRadioButton *>("WhiteButton"), Qt::LeftButton);
        QTest::mouseClick(form.findChild<QPushButton *>("OkButton"), Qt::LeftButton);
    });

    // Escape cancels: the white chosen before stays, the map clicked now does not.
    const int result = runModal(form, [&] {
        QTest::mouseClick(form.findChild<QRadioButton *>("MapButton"), Qt::LeftButton);
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    QCOMPARE(result, QDialog::Rejected);
    QCOMPARE(form.background(), Background::PlainWhite);
    form.show();
    QCOMPARE(checkedRadios(form), QStringList{"WhiteButton"});
}

void BackgroundFormTest::accessibleTexts()
{
    BackgroundForm form;
    const QList<QWidget *> controls = form.findChildren<QWidget *>();
    QCOMPARE(controls.size(), 5);
    QCOMPARE(controlsWithoutAccessibleText(controls), QStringList());
}

QTEST_MAIN(BackgroundFormTest)
#include "BackgroundFormTest.moc"
