// The main window with the real query window beside it: the keyboard stays with the call field,
// and a service that cannot be reached does not stop the typing of calls.

#include "core/settings/AppSettings.h"
#include "platform/QslInfoClient.h"
#include "support/MainFormHarness.h"
#include "support/QueryMemo.h"
#include "ui/qslinfo/DatabaseForm.h"
#include "ui/qslinfo/QslInfoService.h"
#include "ui/qslinfo/QueryForm.h"

#include <QAccessible>
#include <QApplication>
#include <QTcpServer>
#include <QTest>
#include <QWindow>

namespace {

const QByteArray Namespace = "urn:test:qslinfo";

// The real main window with the real query window, over a port where nothing listens; the
// settings file chooses the mode.
struct MainWithQuery
{
    Harness main;
    quint16 port = 0;
    std::unique_ptr<QslInfoClient> client;
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
        if (!writeFile(main.path("vorn.set"), settingsFile))
            return false;
        client = std::make_unique<QslInfoClient>(server);
        form = std::make_unique<QueryForm>(main.settings, *client);
        databaseForm = std::make_unique<DatabaseForm>(server);
        service = std::make_unique<QslInfoService>(main.settings, *client, *form, *databaseForm);
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

class QueryWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void serviceDownTypingGoesOn();
    void queryButtonHandsBackTheKeyboard();
};

void QueryWindowTest::serviceDownTypingGoesOn()
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

void QueryWindowTest::queryButtonHandsBackTheKeyboard()
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

QTEST_MAIN(QueryWindowTest)
#include "QueryWindowTest.moc"
