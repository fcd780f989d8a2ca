// Logs handed to the main window, by the command line, by a later start of the program or dropped
// on it: each opens in a Sort log window of its own, and never before the data files are loaded.

#include "support/MainFormHarness.h"
#include "ui/sortlog/SortLogForm.h"

#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <algorithm>

namespace {

const QByteArray Log = "<ADIF_VER:5>3.1.4<EOH>\r\n"
                       "<CALL:6>DL1ABC<QSL_SENT:1>Q<EOR>\r\n"
                       "<CALL:4>W1AW<QSL_SENT:1>Q<EOR>\r\n";

QStringList openLogs(const MainForm &form)
{
    QStringList paths;
    for (const SortLogForm *window : form.findChildren<SortLogForm *>()) {
        if (window->isVisible())
            paths << window->logPath();
    }
    paths.sort();
    return paths;
}

bool allSorted(const MainForm &form)
{
    const QList<SortLogForm *> windows = form.findChildren<SortLogForm *>();
    return std::none_of(windows.begin(), windows.end(),
                        [](const SortLogForm *window) { return window->reading(); });
}

} // namespace

class OpenLogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void logsWaitForTheDataFiles();
    void eachLogInAWindowOfItsOwn();
    void droppedLogOpensTheWindow();

private:
    static QString writeLog(Harness &h, const char *name);
};

void OpenLogsTest::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

QString OpenLogsTest::writeLog(Harness &h, const char *name)
{
    const QString path = h.path(name);
    return writeFile(path, Log) ? path : QString();
}

void OpenLogsTest::logsWaitForTheDataFiles()
{
    Harness h;
    const QString log = writeLog(h, "log.adi");
    h.make();
    h.form->openLogs({log});
    QVERIFY(h.form->findChildren<SortLogForm *>().isEmpty());

    h.form->show();
    QTRY_COMPARE(openLogs(*h.form), QStringList{log});
    QTRY_VERIFY(allSorted(*h.form));
    // Sorted on the loaded tables: both calls found their bureau.
    const SortedLog &sorted = h.form->findChild<SortLogForm *>()->sortedLog();
    QCOMPARE(sorted.cardCount(false), std::size_t{2});
    QCOMPARE(sorted.cardCount(true), std::size_t{0});
}

void OpenLogsTest::eachLogInAWindowOfItsOwn()
{
    Harness h;
    QVERIFY(h.start());
    const QString first = writeLog(h, "first.adi");
    const QString second = writeLog(h, "second.adx");
    const QString third = writeLog(h, "third.adi");

    // The window that the menu opened and that holds no log takes the first.
    h.child<QAction>("SortLogMenu")->trigger();
    h.form->openLogs({first, second});
    QCOMPARE(h.form->findChildren<SortLogForm *>().size(), 2);
    QCOMPARE(openLogs(*h.form), (QStringList{first, second}));
    QTRY_VERIFY(allSorted(*h.form));

    // A closed window takes the next log; an open one keeps its own.
    for (SortLogForm *window : h.form->findChildren<SortLogForm *>()) {
        if (window->logPath() == first)
            window->close();
    }
    h.form->openLogs({third});
    QCOMPARE(h.form->findChildren<SortLogForm *>().size(), 2);
    QCOMPARE(openLogs(*h.form), (QStringList{second, third}));
}

void OpenLogsTest::droppedLogOpensTheWindow()
{
    Harness h;
    QVERIFY(h.start());
    const QString log = writeLog(h, "log.adi");
    MainForm *main = h.form.get();
    QMimeData text;
    text.setText(QStringLiteral("DL1ABC"));
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &refused);
    QVERIFY(!refused.isAccepted());

    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(log)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &file, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &drop);

    auto *form = main->findChild<SortLogForm *>();
    QVERIFY(form && form->isVisible());
    QTRY_VERIFY(!form->reading());
    QCOMPARE(form->sortedLog().counted, std::size_t{2});
}

QTEST_MAIN(OpenLogsTest)
#include "OpenLogsTest.moc"
