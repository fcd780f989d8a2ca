#include "platform/FileDownloader.h"

#include "core/data/DataFolder.h"
#include "support/FakeServer.h"
#include "support/TestDataFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(DownloadFailure)
Q_DECLARE_METATYPE(DownloadKind)

namespace {

const QByteArray Ok = "HTTP/1.1 200 OK\r\nServer: test\r\n";
const QByteArray Country = "x DL DL\r\nx F F\r\n";
const QByteArray Installed = "x G G\r\n";

// No pauses, and a second of silence is enough to give a server up.
const DownloadTiming Quick{0ms, {1000ms}};

} // namespace

class FileDownloaderTest : public QObject
{
    Q_OBJECT

private slots:
    void fetchesTheCountryFile_data();
    void fetchesTheCountryFile();
    void readsTheUpdateInformation_data();
    void readsTheUpdateInformation();
    void refusedConnectionKeepsTheBackup();
    void backupThatCannotBeMadeFetchesNothing();
    // Last: no event loop of this process runs once the application has been told to exit.
    void programEndGivesTheDownloadUp();
};

void FileDownloaderTest::fetchesTheCountryFile_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<DownloadFailure>("failure");
    // The start of the reason that the failure is signalled with.
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QByteArray>("stored"); // country.asc afterwards; the old one is the backup

    const QByteArray cl = "Content-Length: " + QByteArray::number(Country.size()) + "\r\n\r\n";
    const auto F = [](DownloadFailure f) { return f; };
    const QString none;
    QTest::newRow("one piece") << QList<QByteArray>{Ok + cl + Country} << true
                               << F(DownloadFailure::None) << none << Country;
    QTest::newRow("many pieces, split inside lines")
        << QList<QByteArray>{Ok.left(9), Ok.mid(9) + cl.left(5), cl.mid(5) + "x D", "L DL\r",
                             "\nx F F\r\n"}
        << true << F(DownloadFailure::None) << none << Country;
    QTest::newRow("to the end of the connection, last line unended, empty lines kept")
        << QList<QByteArray>{Ok + "\r\nx DL DL\r\n\r\nx F F"} << true << F(DownloadFailure::None)
        << none << QByteArray("x DL DL\r\n\r\nx F F\r\n");
    QTest::newRow("keep-alive with Content-Length") << QList<QByteArray>{Ok + cl + Country} << false
                                                    << F(DownloadFailure::None) << none << Country;
    QTest::newRow("chunked") << QList<QByteArray>{Ok + "Transfer-Encoding: chunked\r\n\r\n",
                                                  "9\r\nx DL DL\r", "\n\r\n7\r\nx F F\r\n\r\n",
                                                  "0\r\n\r\n"}
                             << false << F(DownloadFailure::None) << none << Country;
    QTest::newRow("no empty line")
        << QList<QByteArray>{Ok + "x DL DL\r\n"} << true << F(DownloadFailure::BadResponse)
        << "127.0.0.1: no valid answer (bad field)" << Installed;
    QTest::newRow("404")
        << QList<QByteArray>{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"}
        << false << F(DownloadFailure::BadResponse) << "127.0.0.1 answered 404 Not Found"
        << Installed;
    QTest::newRow("500") << QList<QByteArray>{"HTTP/1.1 500 Oops\r\n\r\n"} << true
                         << F(DownloadFailure::BadResponse) << "127.0.0.1 answered 500 Oops"
                         << Installed;
    // Part of the file, however well framed, is not the file.
    QTest::newRow("206")
        << QList<QByteArray>{"HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-8/16\r\n"
                             "Content-Length: 9\r\n\r\nx DL DL\r\n"}
        << true << F(DownloadFailure::BadResponse) << "127.0.0.1 answered 206 Partial Content"
        << Installed;
    QTest::newRow("short body") << QList<QByteArray>{Ok + "Content-Length: 99\r\n\r\n" + Country}
                                << true << F(DownloadFailure::ReceiveFailed)
                                << "127.0.0.1: the answer ended early" << Installed;
    QTest::newRow("disconnect inside a chunk")
        << QList<QByteArray>{Ok + "Transfer-Encoding: chunked\r\n\r\n10\r\nx DL"} << true
        << F(DownloadFailure::ReceiveFailed) << "127.0.0.1: the answer ended early" << Installed;
    QTest::newRow("a portal page served with 200")
        << QList<QByteArray>{Ok + "\r\n<!DOCTYPE html>\r\n<html><body>Log in</body></html>\r\n"}
        << true << F(DownloadFailure::NotDataFile) << "what 127.0.0.1 sent is not a sound data file"
        << Installed;
    // A data file may take 4 MiB: here 1,024 lines of 4 KiB, a note after each row.
    QByteArray large;
    for (int i = 0; i < 1024; ++i)
        large += "x DL DL " + QByteArray(4096 - 10, 'n') + "\r\n";
    const auto framed = [](const QByteArray &body) {
        return Ok + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    };
    QTest::newRow("4 MiB") << QList<QByteArray>{framed(large)} << true << F(DownloadFailure::None)
                           << none << large;
    QTest::newRow("4 MiB and a byte")
        << QList<QByteArray>{framed(large + "x")} << true << F(DownloadFailure::BadResponse)
        << "127.0.0.1: no valid answer (body limit exceeded)" << Installed;
    QTest::newRow("never answers")
        << QList<QByteArray>{} << false << F(DownloadFailure::ReceiveFailed)
        << "127.0.0.1: no answer for 1 seconds" << Installed;
}

void FileDownloaderTest::fetchesTheCountryFile()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(bool, closes);
    QFETCH(DownloadFailure, failure);
    QFETCH(QString, reason);
    QFETCH(QByteArray, stored);

    QTemporaryDir dir;
    const DataFolder folder(dir.path().toStdString());
    QVERIFY(writeFile(dir.filePath("country.asc"), Installed));
    FakeServer server;
    server.pieces = pieces;
    server.closeAfterAnswer = closes;
    server.answer = !pieces.isEmpty();
    QVERIFY(server.listen());

    FileDownloader downloader(NetPeer{"127.0.0.1", server.port()}, folder, Quick);
    QSignalSpy started(&downloader, &FileDownloader::downloadStarted);
    QSignalSpy progress(&downloader, &FileDownloader::downloadProgress);
    QSignalSpy complete(&downloader, &FileDownloader::downloadComplete);
    QSignalSpy failed(&downloader, &FileDownloader::downloadFailed);
    const DownloadResult result = downloader.download(DownloadKind::CountryFile, true);

    QCOMPARE(result.failure, failure);
    QCOMPARE(server.request,
             QByteArray("GET /files/country.asc   HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
    // The file is replaced whole or not at all, and the backup is the file as it was.
    QCOMPARE(readFile(dir.filePath("country.asc")), stored);
    QCOMPARE(readFile(dir.filePath("country_old.asc")), Installed);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{"country.asc", "country_old.asc"}));

    // One start and one end, a failure with its kind and its reason.
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).value<DownloadKind>(), DownloadKind::CountryFile);
    QCOMPARE(complete.count() + failed.count(), 1);
    QCOMPARE(complete.count(), result.succeeded() ? 1 : 0);
    if (result.succeeded()) {
        QVERIFY(!progress.isEmpty());
        return;
    }
    QCOMPARE(failed.at(0).at(0).value<DownloadFailure>(), failure);
    const QString signalled = failed.at(0).at(1).toString();
    QCOMPARE(signalled, QString::fromStdString(result.detail));
    QVERIFY2(signalled.startsWith(reason), qPrintable(signalled));
}

void FileDownloaderTest::readsTheUpdateInformation_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<DownloadFailure>("failure");
    QTest::addColumn<int>("data");
    QTest::addColumn<int>("program");

    QTest::newRow("two numbers") << QByteArray("12\r\n302\r\n") << DownloadFailure::None << 12
                                 << 302;
    QTest::newRow("blank before, one line")
        << QByteArray(" 12") << DownloadFailure::None << 12 << 0;
    QTest::newRow("blank after") << QByteArray("12 \r\n302\r\n") << DownloadFailure::NoVersionNumber
                                 << 0 << 0;
    QTest::newRow("letters on line two")
        << QByteArray("$C\r\nabc\r\n") << DownloadFailure::None << 12 << 0;
}

void FileDownloaderTest::readsTheUpdateInformation()
{
    QFETCH(QByteArray, body);
    QFETCH(DownloadFailure, failure);
    QFETCH(int, data);
    QFETCH(int, program);

    QTemporaryDir dir;
    const DataFolder folder(dir.path().toStdString());
    FakeServer server;
    server.pieces = {"HTTP/1.1 200 OK\r\n\r\n" + body};
    QVERIFY(server.listen());
    FileDownloader downloader(NetPeer{"localhost", server.port()}, folder, Quick);

    const DownloadResult result = downloader.download(DownloadKind::UpdateInfo, false);
    QCOMPARE(result.failure, failure);
    QCOMPARE(result.published.data, data);
    QCOMPARE(result.published.program, program);
    QVERIFY(
        server.request.startsWith("GET /files/vorn_update.asc   HTTP/1.1\r\nHost: localhost\r\n"));
}

void FileDownloaderTest::refusedConnectionKeepsTheBackup()
{
    QTemporaryDir dir;
    const DataFolder folder(dir.path().toStdString());
    const QByteArray installed =
        "DL    Germany                DL    DARC                     Y\r\n";
    QVERIFY(writeFile(dir.filePath("vorn.asc"), installed));
    QVERIFY(writeFile(dir.filePath("vorn_old.asc"), "older"));
    quint16 port = 0;
    {
        FakeServer closed; // listens, then goes away: nothing is on the port any more
        QVERIFY(closed.listen());
        port = closed.port();
    }
    FileDownloader downloader(NetPeer{"127.0.0.1", port}, folder, Quick);

    const DownloadResult result = downloader.download(DownloadKind::BureauFile, true);
    QCOMPARE(result.failure, DownloadFailure::CannotConnect);
    QCOMPARE(checkFailureCode(result.failure), -2);
    QCOMPARE(result.detail, "127.0.0.1: Connection refused");
    // A copy of the current file became the backup before the connection was tried, and the
    // file stays in place.
    QCOMPARE(readFile(dir.filePath("vorn_old.asc")), installed);
    QCOMPARE(readFile(dir.filePath("vorn.asc")), installed);
}

void FileDownloaderTest::backupThatCannotBeMadeFetchesNothing()
{
    QTemporaryDir dir;
    const DataFolder folder(dir.path().toStdString());
    QVERIFY(writeFile(dir.filePath("country.asc"), Installed));
    QVERIFY(QDir(dir.path()).mkpath("country_old.asc/keep"));
    FakeServer server;
    server.pieces = {Ok + "Content-Length: 16\r\n\r\n" + Country};
    QVERIFY(server.listen());
    FileDownloader downloader(NetPeer{"127.0.0.1", server.port()}, folder, Quick);

    const DownloadResult result = downloader.download(DownloadKind::CountryFile, true);
    QCOMPARE(result.failure, DownloadFailure::CannotBackUp);
    QVERIFY2(result.detail.find("country_old.asc: Is a directory") != std::string::npos,
             result.detail.c_str());
    QVERIFY(server.request.isEmpty());
    QCOMPARE(readFile(dir.filePath("country.asc")), Installed);
}

void FileDownloaderTest::programEndGivesTheDownloadUp()
{
    QTemporaryDir dir;
    const DataFolder folder(dir.path().toStdString());
    QVERIFY(writeFile(dir.filePath("country.asc"), Installed));
    FakeServer server;
    server.answer = false;
    QVERIFY(server.listen());
    FileDownloader downloader(NetPeer{"127.0.0.1", server.port()}, folder,
                              DownloadTiming{0ms, {5000ms, 5000ms}});
    // Asked to end, the program leaves every event loop, the download's wait included.
    QTimer::singleShot(100ms, qApp, [] { QCoreApplication::exit(0); });

    const DownloadResult result = downloader.download(DownloadKind::CountryFile, true);
    QCOMPARE(result.failure, DownloadFailure::Cancelled);
    QVERIFY(!downloader.running());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{"country.asc", "country_old.asc"}));
    QCOMPARE(readFile(dir.filePath("country.asc")), Installed);
}

QTEST_MAIN(FileDownloaderTest)
#include "FileDownloaderTest.moc"
