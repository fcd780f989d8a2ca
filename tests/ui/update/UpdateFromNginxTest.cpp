// A whole update through the Update menu command against real nginx, started on a free loopback
// port by the publishing script and serving newer data than is installed.

#include "core/data/DataFiles.h"
#include "core/shell/AppState.h"
#include "core/shell/MessageBoxes.h"
#include "core/shell/UpdatePolicy.h"
#include "platform/FileDownloader.h"
#include "support/TestDataFiles.h"
#include "support/YesBoxes.h"
#include "ui/update/DownloadForm.h"
#include "ui/update/UpdateForm.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

bool publish(const QStringList &arguments)
{
    QProcess script;
    script.start(QStringLiteral(VORN_PUBLISH_SCRIPT), arguments);
    if (!script.waitForFinished(30000) || script.exitCode() != 0) {
        qWarning("%s", script.readAllStandardError().constData());
        return false;
    }
    return true;
}

} // namespace

class UpdateFromNginxTest : public QObject
{
    Q_OBJECT

private slots:
    void installsNewerData();
};

void UpdateFromNginxTest::installsNewerData()
{
    QTemporaryDir served;
    QTemporaryDir installed;
    QTemporaryDir state;
    QVERIFY(served.isValid() && installed.isValid() && state.isValid());
    // nginx's workers may run as another user: the served folder must be readable by all.
    QVERIFY(QFile::setPermissions(served.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner | QFile::ReadOther |
                                                     QFile::ExeOther));

    // Published: the shipped files as the generator wrote them, with their sizes and digests.
    // Installed: a small old set, without a list of exact calls.
    const QString shipped = QStringLiteral(VORN_SHIPPED_FILES);
    for (const char *name : {"country.asc", "vorn.asc", "calls.asc", "vorn_update.asc"})
        QVERIFY(QFile::copy(shipped + '/' + name, served.filePath(name)));
    const int published = readFile(served.filePath("vorn_update.asc")).split('\r').first().toInt();
    const QByteArray oldCountry = "x DL DL\r\n";
    const QByteArray oldBureau =
        "DL    Germany                DL    DARC                     Y\r\n";
    QVERIFY(writeFile(installed.filePath("country.asc"), oldCountry));
    QVERIFY(writeFile(installed.filePath("vorn.asc"), oldBureau));

    quint16 port = 0;
    {
        QTcpServer probe; // a free port, given back for nginx
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    QVERIFY(publish({"start", "--folder", served.path(), "--port", QString::number(port),
                     "--listen", "127.0.0.1", "--state", state.path()}));
    const auto stop = qScopeGuard([&] { publish({"stop", "--state", state.path()}); });

    AppState app(installed.path().toStdString());
    app.settings.dataVersion = 5;
    QVERIFY(app.load(DataFile::Country) && app.load(DataFile::Bureau));
    YesBoxes boxes;
    FileDownloader downloader(NetPeer{"127.0.0.1", port}, app.folder,
                              DownloadTiming{0ms, {10000ms}});
    DownloadForm downloadForm(downloader);
    UpdateForm updateForm;
    UpdatePolicy policy(app, boxes, downloader, updateForm, "127.0.0.1");
    // The user presses "Check now" in the update dialog.
    QTimer::singleShot(0, &updateForm, [&] {
        QTRY_VERIFY(updateForm.isVisible());
        QTest::mouseClick(updateForm.findChild<QPushButton *>("CheckButton"), Qt::LeftButton);
    });

    policy.updateMenuClick();

    QCOMPARE(boxes.texts, QStringList{"new update available, download now ?"});
    QCOMPARE(app.settings.dataVersion, published);
    QCOMPARE(readFile(installed.filePath("country.asc")), readFile(served.filePath("country.asc")));
    QCOMPARE(readFile(installed.filePath("vorn.asc")), readFile(served.filePath("vorn.asc")));
    // The list comes with the tables, and is read anew with them.
    QCOMPARE(readFile(installed.filePath("calls.asc")), readFile(served.filePath("calls.asc")));
    QVERIFY(app.countries.exactCalls().count() > 10000);
    QCOMPARE(readFile(installed.filePath("country_old.asc")), oldCountry);
    QCOMPARE(readFile(installed.filePath("vorn_old.asc")), oldBureau);
    QVERIFY(app.countries.count() > 3000);
    QVERIFY(app.bureaus.count() > 300);
}

QTEST_MAIN(UpdateFromNginxTest)
#include "UpdateFromNginxTest.moc"
