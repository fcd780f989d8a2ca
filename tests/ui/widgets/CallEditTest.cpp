#include "ui/widgets/CallEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <functional>

// Every way a mouse or a keyboard pastes into the call field takes the first call alone; typed
// text keeps what a call is made of.
class CallEditTest : public QObject
{
    Q_OBJECT

private slots:
    void everyWayOfPastingTakesTheFirstCall_data();
    void everyWayOfPastingTakesTheFirstCall();
    void typedTextBecomesACall_data();
    void typedTextBecomesACall();
};

namespace {

using PasteWay = std::function<void(CallEdit &, const QString &)>;

void pressPasteKeys(CallEdit &edit, const QString &text, Qt::Key key, Qt::KeyboardModifiers with)
{
    QApplication::clipboard()->setText(text);
    QTest::keyClick(&edit, key, with);
}

void pasteFromContextMenu(CallEdit &edit, const QString &text)
{
    QApplication::clipboard()->setText(text);
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                              edit.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&edit, &request);
    auto *menu = edit.findChild<QMenu *>();
    QVERIFY(menu != nullptr);
    QAction *paste = nullptr;
    for (QAction *action : menu->actions()) {
        if (action->text().startsWith(QLineEdit::tr("&Paste")))
            paste = action;
    }
    QVERIFY(paste != nullptr);
    paste->trigger();
    menu->close();
}

void dropText(CallEdit &edit, const QString &text)
{
    QMimeData mime;
    mime.setText(text);
    const QPoint end(edit.width() - 2, 5);
    QDragEnterEvent enter(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&edit, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&edit, &drop);
    QVERIFY(drop.isAccepted());
}

} // namespace

Q_DECLARE_METATYPE(PasteWay)

void CallEditTest::everyWayOfPastingTakesTheFirstCall_data()
{
    QTest::addColumn<PasteWay>("paste");
    QTest::newRow("Ctrl+V") << PasteWay([](CallEdit &edit, const QString &text) {
        pressPasteKeys(edit, text, Qt::Key_V, Qt::ControlModifier);
    });
    QTest::newRow("Shift+Insert") << PasteWay([](CallEdit &edit, const QString &text) {
        pressPasteKeys(edit, text, Qt::Key_Insert, Qt::ShiftModifier);
    });
    QTest::newRow("context menu") << PasteWay(pasteFromContextMenu);
    QTest::newRow("drop") << PasteWay(dropText);
}

void CallEditTest::everyWayOfPastingTakesTheFirstCall()
{
    QFETCH(PasteWay, paste);
    const QString copied = QStringLiteral("\t dl1abc\tG4XYZ\r\n");
    QApplication::clipboard()->setText(copied);
    if (QApplication::clipboard()->text() != copied)
        QSKIP("no clipboard on this platform");

    CallEdit edit;
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QSignalSpy edited(&edit, &QLineEdit::textEdited);
    paste(edit, copied);
    QCOMPARE(edit.text(), QStringLiteral("DL1ABC"));
    // The main window clears a shown answer on this signal.
    QVERIFY(!edited.isEmpty());
}

void CallEditTest::typedTextBecomesACall_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("home"); // typed again after pressing Home
    QTest::newRow("slashed zero") << QStringLiteral("w\u00d8abc") << QStringLiteral("W0ABC") << 0;
    QTest::newRow("small slashed zero")
        << QStringLiteral("w\u00f8abc") << QStringLiteral("W0ABC") << 0;
    QTest::newRow("leading blank") << QStringLiteral(" dl1abc") << QStringLiteral("DL1ABC") << 0;
    QTest::newRow("blanks") << QStringLiteral("  dl1abc") << QStringLiteral("DL1ABC") << 0;
    QTest::newRow("blank in the call")
        << QStringLiteral("dl1 abc") << QStringLiteral("DL1 ABC") << 0;
    // A blank typed at the front of a call already there is dropped too; the cursor stays.
    QTest::newRow("blank before a call")
        << QStringLiteral("dl1abc") << QStringLiteral("GDL1ABC") << 1;
}

void CallEditTest::typedTextBecomesACall()
{
    QFETCH(QString, typed);
    QFETCH(QString, call);
    QFETCH(int, home);
    CallEdit edit;
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QTest::keyClicks(&edit, typed);
    if (home) {
        QTest::keyClick(&edit, Qt::Key_Home);
        QTest::keyClicks(&edit, QStringLiteral(" g"));
        QCOMPARE(edit.cursorPosition(), 1);
    }
    QCOMPARE(edit.text(), call);
}

QTEST_MAIN(CallEditTest)
#include "CallEditTest.moc"
