#include "ui/widgets/QtMessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(MessageBoxes::Kind)
Q_DECLARE_METATYPE(MessageBoxes::Buttons)
Q_DECLARE_METATYPE(MessageBoxes::Answer)

class QtMessageBoxesTest : public QObject
{
    Q_OBJECT

private slots:
    void showsAndAnswers_data();
    void showsAndAnswers();
};

void QtMessageBoxesTest::showsAndAnswers_data()
{
    QTest::addColumn<MessageBoxes::Kind>("kind");
    QTest::addColumn<MessageBoxes::Buttons>("buttons");
    QTest::addColumn<int>("press"); // a standard button, or 0 for Escape
    QTest::addColumn<MessageBoxes::Answer>("answer");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("shownButtons");

    using K = MessageBoxes::Kind;
    using B = MessageBoxes::Buttons;
    using A = MessageBoxes::Answer;
    const QStringList yesNo = {"Yes", "No"};
    QTest::newRow("question, Yes") << K::Error << B::YesNo << int(QMessageBox::Yes) << A::Yes
                                   << int(QMessageBox::Critical) << yesNo;
    QTest::newRow("question, No") << K::Error << B::YesNo << int(QMessageBox::No) << A::No
                                  << int(QMessageBox::Critical) << yesNo;
    QTest::newRow("question, Escape counts as No")
        << K::Information << B::YesNo << 0 << A::No << int(QMessageBox::Information) << yesNo;
    QTest::newRow("warning") << K::Warning << B::Ok << int(QMessageBox::Ok) << A::Ok
                             << int(QMessageBox::Warning) << QStringList{"OK"};
    QTest::newRow("information, Escape") << K::Information << B::Ok << 0 << A::Ok
                                         << int(QMessageBox::Information) << QStringList{"OK"};
}

void QtMessageBoxesTest::showsAndAnswers()
{
    QFETCH(MessageBoxes::Kind, kind);
    QFETCH(MessageBoxes::Buttons, buttons);
    QFETCH(int, press);
    QFETCH(MessageBoxes::Answer, answer);
    QFETCH(int, icon);
    QFETCH(QStringList, shownButtons);

    QString shownText, details;
    QStringList buttonTexts;
    int shownIcon = -1;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        shownText = box->text();
        details = box->detailedText();
        shownIcon = box->icon();
        for (QAbstractButton *button : box->buttons()) {
            if (box->standardButton(button) != QMessageBox::NoButton) // not "Show Details"
                buttonTexts << button->text().remove(QLatin1Char('&'));
        }
        if (press == 0)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(QMessageBox::StandardButton(press))->click();
    });

    QtMessageBoxes boxes;
    QCOMPARE(boxes.show(kind, buttons, "Vorn V3.02 :\r\nerror reading VORN.ASC\r\nYou need",
                        "/home/k\xc3\xa4the/vorn.asc:\r\nPermission denied"),
             answer);
    QCOMPARE(details, QString::fromUtf8("/home/k\u00e4the/vorn.asc:\nPermission denied"));
    // Line ends come out as single line breaks; the box holds exactly the program's buttons.
    QCOMPARE(shownText, QStringLiteral("Vorn V3.02 :\nerror reading VORN.ASC\nYou need"));
    QCOMPARE(shownIcon, icon);
    buttonTexts.sort();
    shownButtons.sort();
    QCOMPARE(buttonTexts, shownButtons);
}

QTEST_MAIN(QtMessageBoxesTest)
#include "QtMessageBoxesTest.moc"
