#include "ui/update/DownloadForm.h"

#include "core/data/DataFolder.h"
#include "platform/FileDownloader.h"
#include "support/FakeServer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QByteArray Ok = "HTTP/1.1 200 OK\r\n";

QByteArray answer(const QByteArray &body)
{
    return Ok + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

} // namespace

class DownloadFormTest : public QObject
{
    Q_OBJECT

private slots:
    void showsEachDownloadWithItsPauses();
    void closeBoxGivesTheTransferUp();
};

// The window shows the status text of the download under way, alone and in front, from a pause
// before the connection until a pause after the transfer, when the file is installed.
void DownloadFormTest::showsEachDownloadWithItsPauses()
{
    constexpr qint64 Pause = 300;
    QTemporaryDir dir;
    const DataFolder folder(dir.path().toStdString());
    FakeServer server;
    QVERIFY(server.listen());
    FileDownloader downloader(NetPeer{"127.0.0.1", server.port()}, folder,
                              DownloadTiming{std::chrono::milliseconds(Pause), {5000ms}});
    DownloadForm form(downloader);
    QCOMPARE(form.findChild<QLabel *>("MsgLabel")->text(), QStringLiteral("??? ..."));

    const std::pair<DownloadKind, QByteArray> downloads[] = {
        {DownloadKind::UpdateInfo, "2025093000\r\n302\r\n"},
        {DownloadKind::CountryFile, "x DL DL\r\nx F F\r\n"}};
    for (const auto &[kind, body] : downloads) {
        const QString target = dir.filePath(QString::fromLatin1(Download::targetName(kind)));
        server.request.clear();
        server.clientGone = false;
        server.pieces = {answer(body)};
        QElapsedTimer clock;
        clock.start();
        downloader.start(DownloadRequest{kind, false, {}, {}});

        QVERIFY(form.isVisible());
        QCOMPARE(QApplication::activeModalWidget(), &form);
        QCOMPARE(form.findChild<QLabel *>("MsgLabel")->text(),
                 QString::fromStdString(Download::statusText(kind, "127.0.0.1")));
        QTRY_VERIFY(!server.request.isEmpty());
        QVERIFY2(clock.elapsed() >= Pause * 9 / 10, qPrintable(QString::number(clock.elapsed())));
        // The transfer is over: the text stays, and the file is not yet in place.
        QTRY_VERIFY(server.clientGone);
        const qint64 transferEnded = clock.elapsed();
        QVERIFY(form.isVisible());
        QVERIFY(!QFile::exists(target));
        QTRY_VERIFY(!form.isVisible());
        QVERIFY2(clock.elapsed() - transferEnded >= Pause / 2,
                 qPrintable(QString::number(clock.elapsed() - transferEnded)));
        QVERIFY(QFile::exists(target));
        QVERIFY(downloader.result().succeeded());
    }
}

void DownloadFormTest::closeBoxGivesTheTransferUp()
{
    QTemporaryDir dir;
    const DataFolder folder(dir.path().toStdString());
    FakeServer server;
    // The body arrives after the user has closed the window.
    server.pieces = {Ok + "Content-Length: 16\r\n\r\nx DL", " DL\r\n", "x F F\r\n"};
    QVERIFY(server.listen());
    FileDownloader downloader(NetPeer{"127.0.0.1", server.port()}, folder,
                              DownloadTiming{0ms, {5000ms}});
    DownloadForm form(downloader);
    // The user closes the window once the request is out, before a byte of the answer is sent.
    server.onRequest = [&form](FakeServer &, const QByteArray &) { form.close(); };

    const DownloadResult result = downloader.download(DownloadKind::CountryFile, false);
    QCOMPARE(result.failure, DownloadFailure::Cancelled);
    QVERIFY(!form.isVisible());
    QTest::qWait(50);
    QVERIFY(!QFile::exists(dir.filePath("country.asc")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

QTEST_MAIN(DownloadFormTest)
#include "DownloadFormTest.moc"
