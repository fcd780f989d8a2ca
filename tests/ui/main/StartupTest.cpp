#include "support/MainFormHarness.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Heading = QStringLiteral("Vorn V3.02 :\r\n");

enum class FileState { Good, Missing, Unreadable };

bool prepare(const Harness &h, const char *name, FileState state, const QByteArray &contents)
{
    switch (state) {
    case FileState::Good:
        return writeFile(h.path(name), contents);
    case FileState::Missing:
        return true;
    case FileState::Unreadable:
        // A directory opens but cannot be read, even by root.
        return QDir().mkdir(h.path(name));
    }
    return false;
}

QString error(const char *text)
{
    return QStringLiteral("error: ") + Heading + QLatin1String(text);
}

QString question(const char *text)
{
    return QStringLiteral("error? ") + Heading + QLatin1String(text);
}

QString info(const char *text)
{
    return QStringLiteral("info: ") + Heading + QLatin1String(text);
}

} // namespace

Q_DECLARE_METATYPE(FileState)

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstActivationLoadsTheData_data();
    void firstActivationLoadsTheData();
    void sequenceDoesNotRunAgainWhileItsBoxesAreOpen();
    void dataLoadsWithoutActivation();
    void settingsThatCannotBeReadAreNeverWrittenOver_data();
    void settingsThatCannotBeReadAreNeverWrittenOver();
    void settingsThatCannotBeWrittenAreReportedOnce();
    void aboutBoxShowsTheDataInUse_data();
    void aboutBoxShowsTheDataInUse();
};

void StartupTest::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

void StartupTest::firstActivationLoadsTheData_data()
{
    QTest::addColumn<int>("updateMode");
    QTest::addColumn<int>("qslInfoMode");
    QTest::addColumn<bool>("offline");
    QTest::addColumn<FileState>("country");
    QTest::addColumn<FileState>("bureau");
    QTest::addColumn<bool>("countryBackup");
    QTest::addColumn<QList<int>>("answers"); // 1 Yes, 0 No
    QTest::addColumn<bool>("updateReplacesData");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("keepsRunning");
    QTest::addColumn<QByteArray>("versionLine"); // in vorn.set after closing; it starts at N7

    constexpr int Off = 0;
    constexpr int Manual = 1;
    constexpr int Auto = 2;
    const auto Good = FileState::Good;
    const auto Missing = FileState::Missing;
    const auto Unreadable = FileState::Unreadable;

    QTest::newRow("updates off, files good")
        << Off << 0 << false << Good << Good << false << QList<int>{} << false << QStringList{}
        << true << QByteArray("N7");
    QTest::newRow("updates off, country missing")
        << Off << 0 << false << Missing << Good << false << QList<int>{} << false
        << QStringList{error("error reading COUNTRY.ASC\r\nYou need to update")} << true
        << QByteArray("N0");
    QTest::newRow("updates off, bureau unreadable")
        << Off << 0 << false << Good << Unreadable << true << QList<int>{} << false
        << QStringList{error("error reading VORN.ASC\r\nYou need to update")} << true
        << QByteArray("N0");
    QTest::newRow("query window open before the first message")
        << Off << 1 << false << Missing << Good << false << QList<int>{} << false
        << QStringList{"query window", error("error reading COUNTRY.ASC\r\nYou need to update")}
        << true << QByteArray("N0");
    QTest::newRow("offline check fails, files good")
        << Manual << 0 << true << Good << Good << false << QList<int>{} << false
        << QStringList{error("failed to check for updates (-2)")} << true << QByteArray("N7");
    QTest::newRow("unreadable, No, no backup: the program ends")
        << Manual << 0 << false << Unreadable << Good << false << QList<int>{0} << false
        << QStringList{"check 1 7", question("error reading COUNTRY.ASC, download this file ?")}
        << false << QByteArray("N7");
    QTest::newRow("unreadable, No, backup restored")
        << Manual << 0 << false << Unreadable << Good << true << QList<int>{0} << false
        << QStringList{"check 1 7", question("error reading COUNTRY.ASC, download this file ?"),
                       info("old copy of COUNTRY.ASC restored")}
        << true << QByteArray("N7");
    QTest::newRow("missing, Yes, failed download, backup restored")
        << Auto << 0 << true << Missing << Good << true << QList<int>{1} << false
        << QStringList{error("failed to check for updates (-2)"),
                       question("error reading COUNTRY.ASC, download this file ?"),
                       error("failed to download COUNTRY.ASC"),
                       info("old copy of COUNTRY.ASC restored")}
        << true << QByteArray("N7");
    QTest::newRow("both unreadable: the bureau question is dismissed")
        << Manual << 0 << false << Unreadable << Unreadable << false << QList<int>{0} << false
        << QStringList{"check 1 7", question("error reading COUNTRY.ASC, download this file ?")}
        << false << QByteArray("N7");
    QTest::newRow("both missing, Yes: later failures are dismissed")
        << Manual << 0 << true << Missing << Missing << false << QList<int>{1} << false
        << QStringList{error("failed to check for updates (-2)"),
                       question("error reading COUNTRY.ASC, download this file ?"),
                       error("failed to download COUNTRY.ASC")}
        << false << QByteArray("N7");
    QTest::newRow("automatic update advances the data version")
        << Auto << 0 << false << Good << Good << false << QList<int>{} << true
        << QStringList{"check 2 7"} << true << QByteArray("N13");
    QTest::newRow("replaced data that fails to load keeps the version")
        << Auto << 0 << false << Unreadable << Good << true << QList<int>{0} << true
        << QStringList{"check 2 7", question("error reading COUNTRY.ASC, download this file ?"),
                       info("old copy of COUNTRY.ASC restored")}
        << true << QByteArray("N7");
}

void StartupTest::firstActivationLoadsTheData()
{
    QFETCH(int, updateMode);
    QFETCH(int, qslInfoMode);
    QFETCH(bool, offline);
    QFETCH(FileState, country);
    QFETCH(FileState, bureau);
    QFETCH(bool, countryBackup);
    QFETCH(QList<int>, answers);
    QFETCH(bool, updateReplacesData);
    QFETCH(QStringList, log);
    QFETCH(bool, keepsRunning);
    QFETCH(QByteArray, versionLine);

    Harness h(false);
    QVERIFY(prepare(h, "country.asc", country, testCountryFile()));
    QVERIFY(prepare(h, "vorn.asc", bureau, testBureauFile()));
    if (countryBackup)
        QVERIFY(writeFile(h.path("country_old.asc"), testCountryFile()));
    const char *modes[] = {"UN", "UC", "UA"};
    const char *queries[] = {"CN", "CR", "CA"};
    QVERIFY(writeFile(h.path("vorn.set"), QByteArray(modes[updateMode]) + "\r\n" +
                                              queries[qslInfoMode] + "\r\nN7\r\n"));
    for (int answer : answers)
        h.boxes.answers.push_back(answer == 1 ? MessageBoxes::Answer::Yes
                                              : MessageBoxes::Answer::No);
    h.offlineUpdates = offline;
    h.updates.check = {updateReplacesData, updateReplacesData ? 13 : 7};

    h.make();
    h.form->show();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    QTRY_VERIFY(!h.form->firstActivation());

    QCOMPARE(h.log, log);
    QVERIFY(h.boxes.answers.empty());
    QCOMPARE(h.form->isVisible(), keepsRunning);
    QCOMPARE(h.form->startupFailed(), !keepsRunning);
    if (keepsRunning) {
        QTRY_COMPARE(QApplication::focusWidget(), h.callEdit());
        // The settings are written when the window closes, here by the test.
        h.form->close();
    }
    const QList<QByteArray> lines = readFile(h.path("vorn.set")).split('\n');
    QVERIFY2(lines.contains(versionLine + '\r'), readFile(h.path("vorn.set")).constData());
}

void StartupTest::sequenceDoesNotRunAgainWhileItsBoxesAreOpen()
{
    Harness h(false);
    QVERIFY(prepare(h, "country.asc", FileState::Unreadable, {}));
    QVERIFY(prepare(h, "vorn.asc", FileState::Good, testBureauFile()));
    QVERIFY(writeFile(h.path("country_old.asc"), testCountryFile()));
    QVERIFY(writeFile(h.path("vorn.set"), "UC\r\n"));
    h.boxes.answers = {MessageBoxes::Answer::No};
    // Closing a box activates the main window again.
    h.boxes.whileOpen = [&h] {
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(h.form.get(), &activate);
        QApplication::processEvents();
    };

    h.make();
    h.form->show();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    QTRY_VERIFY(!h.form->firstActivation());
    QApplication::processEvents();

    QCOMPARE(h.log,
             (QStringList{"check 1 0", question("error reading COUNTRY.ASC, download this file ?"),
                          info("old copy of COUNTRY.ASC restored")}));
    QCOMPARE(h.state.countries.count(), std::size_t(7));
    QVERIFY(!QFile::exists(h.path("country_old.asc")));
}

namespace {

// Keeps a window from ever seeing that it became active.
class ActivationEater final : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        return event->type() == QEvent::WindowActivate;
    }
};

} // namespace

void StartupTest::dataLoadsWithoutActivation()
{
    // Without a window manager a new window need not become active until it is clicked.
    Harness h;
    h.make();
    ActivationEater eater;
    h.form->installEventFilter(&eater);
    h.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
    QTRY_VERIFY(!h.form->firstActivation());
    QCOMPARE(h.state.countries.count(), std::size_t(7));
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Vorn v3.02"));
    QCOMPARE(h.callEdit()->palette().color(QPalette::Base), QColor(192, 192, 192));
}

void StartupTest::settingsThatCannotBeReadAreNeverWrittenOver_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a FIFO") << "fifo"
                            << "Not a regular file";
    QTest::newRow("a directory") << "directory"
                                 << "Is a directory";
    QTest::newRow("no permission to read") << "unreadable"
                                           << "Permission denied";
}

void StartupTest::settingsThatCannotBeReadAreNeverWrittenOver()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    if (kind == "unreadable" && ::geteuid() == 0)
        QSKIP("permissions do not keep root from reading");
    Harness h;
    const QByteArray path = QFile::encodeName(h.path("vorn.set"));
    if (kind == "fifo")
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    else if (kind == "directory")
        QVERIFY(QDir().mkdir(h.path("vorn.set")));
    else
        QVERIFY(writeFile(h.path("vorn.set"), "BW\r\nUC\r\n") &&
                ::chmod(path.constData(), 0200) == 0);
    // Taken now: the file must be the same one, untouched, when the run is over.
    struct stat before
    {
    };
    QCOMPARE(::stat(path.constData(), &before), 0);

    QVERIFY(h.start());
    h.settings.speakSort = true;
    h.form->close();
    h.form->saveSettings();

    // Told once, with the reason; the run went on with the defaults.
    QCOMPARE(h.log,
             QStringList{QStringLiteral("warning: ") + Heading + "cannot read vorn.set: " + reason +
                         "\r\nVorn starts with the default settings and leaves the file "
                         "as it is."});
    QVERIFY(h.boxes.details.first().contains(h.path("vorn.set")));
    struct stat after
    {
    };
    QCOMPARE(::stat(path.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

void StartupTest::settingsThatCannotBeWrittenAreReportedOnce()
{
    Harness h;
    QVERIFY(writeFile(h.path("vorn.set"), "BB\r\n"));
    QVERIFY(h.start());
    // Something takes the file's place while Vorn runs; it cannot be written over.
    QVERIFY(QFile::remove(h.path("vorn.set")) && QDir().mkdir(h.path("vorn.set")));
    QVERIFY(writeFile(h.path("vorn.set/keep"), "x"));

    h.form->close();
    QVERIFY(!h.form->saveSettings());
    QCOMPARE(h.log, QStringList{QStringLiteral("warning: ") + Heading +
                                "cannot write vorn.set: Is a directory\r\nThe settings of this "
                                "run are lost."});
    QVERIFY(h.boxes.details.first().startsWith(h.path("vorn.set") + ": "));
}

void StartupTest::aboutBoxShowsTheDataInUse_data()
{
    QTest::addColumn<QByteArray>("heading");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("calls"); // calls.asc, none when empty
    QTest::addColumn<QString>("callsShown");
    // vorn.set says 2025093010: the installed version, which the update check compares with.
    QTest::newRow("a publication raised by hand over revision 2")
        << QByteArray("Vorn QSL bureaus, data 2025093002\r\n") << "data of 2025-09-30, revision 10"
        << QByteArray("1 DL1ABC VK\r\n2 VK2ABC DL\r\n") << "exact calls: 2 (calls.asc)";
    QTest::newRow("newer files copied in by hand")
        << QByteArray("Vorn QSL bureaus, data 2025100105\r\n") << "data of 2025-10-01, revision 5"
        << QByteArray() << "exact calls: none (no calls.asc)";
}

void StartupTest::aboutBoxShowsTheDataInUse()
{
    QFETCH(QByteArray, heading);
    QFETCH(QString, shown);
    QFETCH(QByteArray, calls);
    QFETCH(QString, callsShown);
    Harness h;
    QVERIFY(writeFile(h.path("vorn.set"), "N2025093010\r\n"));
    QVERIFY(writeFile(h.path("vorn.asc"), heading + testBureauFile()));
    if (!calls.isEmpty())
        QVERIFY(writeFile(h.path("calls.asc"), calls));
    QVERIFY(h.start());
    QString text;
    QString callsText;
    QTimer::singleShot(0, h.form.get(), [&text, &callsText] {
        QWidget *box = QApplication::activeModalWidget();
        QVERIFY(box != nullptr);
        text = box->findChild<QLabel *>(QStringLiteral("DataLabel"))->text();
        callsText = box->findChild<QLabel *>(QStringLiteral("ExactCallsLabel"))->text();
        box->close();
    });
    h.form->findChild<QAction *>(QStringLiteral("AboutMenu"))->trigger();
    QCOMPARE(text, QStringLiteral("Installed: ") + shown);
    QCOMPARE(callsText, callsShown);
    // The list answers in the window: DL1ABC is listed under Australia.
    if (!calls.isEmpty()) {
        h.lookUp(QStringLiteral("DL1ABC"));
        QCOMPARE(h.child<QLabel>("InfoLabel")->text(), QStringLiteral("Australia"));
    }
}

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
