#include "ui/settings/SpeakForm.h"

#include "support/DialogTestSupport.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

namespace {

// The three boxes as a short word, sort / bureau / DXCC: "SBD" all ticked, "---" none.
QString boxesShown(const QDialog &form)
{
    QString shown;
    shown += form.findChild<QCheckBox *>("SortBox")->isChecked() ? 'S' : '-';
    shown += form.findChild<QCheckBox *>("BureauBox")->isChecked() ? 'B' : '-';
    shown += form.findChild<QCheckBox *>("DxccBox")->isChecked() ? 'D' : '-';
    return shown;
}

QString flagsOf(const SpeakForm &form)
{
    return QString(form.speakSort() ? "S" : "-") + (form.speakBureau() ? "B" : "-") +
           (form.speakDxcc() ? "D" : "-");
}

} // namespace

class SpeakFormTest : public QObject
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
    void gettersFollowTheBoxes();
    void accessibleTexts();
};

void SpeakFormTest::frame()
{
    SpeakForm form;
    verifySettingsDialogFrame(form);
}

void SpeakFormTest::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    QTest::newRow("OK") << "OkButton" << QRect(57, 112, 75, 25) << "OK";
    QTest::newRow("Cancel") << "CancelButton" << QRect(161, 112, 75, 25) << "Cancel";
    QTest::newRow("sort") << "SortBox" << QRect(91, 16, 110, 17) << "Sort QSL under";
    QTest::newRow("bureau") << "BureauBox" << QRect(91, 48, 110, 17) << "QSL bureau";
    QTest::newRow("DXCC") << "DxccBox" << QRect(91, 80, 110, 17) << "DXCC / WAE";
}

void SpeakFormTest::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);

    verifyButton(SpeakForm(), name, geometry, caption);
}

void SpeakFormTest::tabOrder()
{
    SpeakForm form;
    verifyTabOrder(form, {"OkButton", "CancelButton", "SortBox", "BureauBox", "DxccBox"});
}

void SpeakFormTest::captionSetOnEveryOpening()
{
    SpeakForm form;
    form.setWindowTitle(QStringLiteral("something else"));
    form.show();
    QCOMPARE(form.windowTitle(), QStringLiteral("Vorn v3.02 : Voice output"));
}

void SpeakFormTest::closing_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("closeWith");
    QTest::addColumn<QString>("expected");

    QTest::newRow("untick all three, OK")
        << "SBD" << QStringList{"SortBox", "BureauBox", "DxccBox"} << "OkButton"
        << "---";
    QTest::newRow("untick all three, Cancel")
        << "SBD" << QStringList{"SortBox", "BureauBox", "DxccBox"} << "CancelButton"
        << "SBD";
    QTest::newRow("tick all three, OK")
        << "---" << QStringList{"SortBox", "BureauBox", "DxccBox"} << "OkButton"
        << "SBD";
    QTest::newRow("tick bureau only, OK") << "---" << QStringList{"BureauBox"} << "OkButton"
                                          << "-B-";
    QTest::newRow("swap sort for DXCC, OK")
        << "S--" << QStringList{"SortBox", "DxccBox"} << "OkButton"
        << "--D";
    QTest::newRow("swap sort for DXCC, Cancel")
        << "S--" << QStringList{"SortBox", "DxccBox"} << "CancelButton"
        << "S--";
    QTest::newRow("tick and untick, OK") << "-B-" << QStringList{"DxccBox", "DxccBox"} << "OkButton"
                                         << "-B-";
    QTest::newRow("untick DXCC, Escape") << "S-D" << QStringList{"DxccBox"} << "Escape"
                                         << "S-D";
    QTest::newRow("nothing changed, OK") << "S-D" << QStringList{} << "OkButton"
                                         << "S-D";
}

void SpeakFormTest::closing()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, clicks);
    QFETCH(QString, closeWith);
    QFETCH(QString, expected);

    SpeakForm form;
    form.setChoices(stored.at(0) == 'S', stored.at(1) == 'B', stored.at(2) == 'D');
    QString shownOnOpening;
    const int result = runModal(form, [&] {
        shownOnOpening = boxesShown(form);
        for (const QString &box : clicks)
            QTest::mouseClick(form.findChild<QCheckBox *>(box), Qt::LeftButton);
        if (closeWith == QLatin1String("Escape"))
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            QTest::mouseClick(form.findChild<QPushButton *>(closeWith), Qt::LeftButton);
    });

    QCOMPARE(shownOnOpening, stored);
    QCOMPARE(result,
             closeWith == QLatin1String("OkButton") ? QDialog::Accepted : QDialog::Rejected);
    QCOMPARE(flagsOf(form), expected);

    QString shownOnReopening;
    runModal(form, [&] { shownOnReopening = boxesShown(form); });
    QCOMPARE(shownOnReopening, expected);
}

void SpeakFormTest::gettersFollowTheBoxes()
{
    SpeakForm form;
    form.setChoices(false, true, false);
    QCOMPARE(flagsOf(form), QStringLiteral("-B-"));
    form.show();
    QTest::mouseClick(form.findChild<QCheckBox *>("SortBox"), Qt::LeftButton);
    QCOMPARE(flagsOf(form), QStringLiteral("SB-"));
    form.reject();
    QCOMPARE(flagsOf(form), QStringLiteral("-B-"));
}

void SpeakFormTest::accessibleTexts()
{
    SpeakForm form;
    const QList<QWidget *> controls = form.findChildren<QWidget *>();
    QCOMPARE(controls.size(), 5);
    QCOMPARE(controlsWithoutAccessibleText(controls), QStringList());
}

QTEST_MAIN(SpeakFormTest)
#include "SpeakFormTest.moc"
