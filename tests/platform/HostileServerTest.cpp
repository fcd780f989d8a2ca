// Servers that try to make a download or a query hang, eat memory or leave garbage: each must
// end as a failed download or an answer not shown, soon, with little memory, and with the data
// files as they were.

#include "core/data/DataFolder.h"
#include "platform/FileDownloader.h"
#include "platform/QslInfoClient.h"
#include "support/FakeServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>

using namespace std::chrono_literals;

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QByteArray repeated(char c, qsizetype n)
{
    return QByteArray(n, c);
}

struct Hostile
{
    QByteArray opening;               // sent first
    std::function<QByteArray()> more; // then sent as fast as read, or every interval
    int interval;
    DownloadFailure failure;

    bool play(FakeServer &fake) const
    {
        fake.pieces = {opening};
        fake.stream = more;
        fake.streamInterval = interval;
        fake.closeAfterAnswer = false;
        return fake.listen();
    }
};

} // namespace

Q_DECLARE_METATYPE(Hostile)

class HostileServerTest : public QObject
{
    Q_OBJECT

private slots:
    void downloadEndsSoonAndSmall_data();
    void downloadEndsSoonAndSmall();
    void queryEndsSoonAndSmall_data() { downloadEndsSoonAndSmall_data(); }
    void queryEndsSoonAndSmall();
};

void HostileServerTest::downloadEndsSoonAndSmall_data()
{
    QTest::addColumn<Hostile>("server");
    const QByteArray ok = "HTTP/1.1 200 OK\r\n";
    const auto endless = [](QByteArray piece) { return [piece] { return piece; }; };
    const auto upTo = [](qint64 total, QByteArray piece) {
        return [total, piece, sent = qint64(0)]() mutable {
            sent += piece.size();
            return sent > total ? QByteArray() : piece;
        };
    };

    QTest::newRow("100 MB body") << Hostile{ok + "Content-Length: 104857600\r\n\r\n",
                                            upTo(100 << 20, repeated('x', 65536)), 0,
                                            DownloadFailure::BadResponse};
    QTest::newRow("100 MB to the end of the connection")
        << Hostile{ok + "\r\n", upTo(100 << 20, QByteArray(65535, 'x') + '\r'), 0,
                   DownloadFailure::BadResponse};
    QTest::newRow("endless header lines")
        << Hostile{ok, endless("X-Filler: yes\r\n"), 0, DownloadFailure::BadResponse};
    QTest::newRow("a header line of 1 MB") << Hostile{
        ok + "X-Long: " + repeated('a', 1 << 20) + "\r\n\r\n", {}, 0, DownloadFailure::BadResponse};
    QTest::newRow("binary garbage")
        << Hostile{QByteArray::fromHex("00ff10e3c4a1") + repeated('\x80', 4096),
                   {},
                   0,
                   DownloadFailure::BadResponse};
    QTest::newRow("a chunk size line without end")
        << Hostile{ok + "Transfer-Encoding: chunked\r\n\r\n1;ext=", endless(repeated('e', 65536)),
                   0, DownloadFailure::BadResponse};
    QTest::newRow("chunk size beyond 64 bits")
        << Hostile{ok + "Transfer-Encoding: chunked\r\n\r\nfffffffffffffffffff\r\n",
                   {},
                   0,
                   DownloadFailure::BadResponse};
    // Never silent for long, so only the limit on the whole transfer ends it.
    QTest::newRow("one byte at a time") << Hostile{
        ok + "Content-Length: 1000\r\n\r\n", endless("x"), 100, DownloadFailure::ReceiveFailed};
}

void HostileServerTest::downloadEndsSoonAndSmall()
{
    QFETCH(Hostile, server);
    QTemporaryDir dir;
    const DataFolder folder(dir.path().toStdString());
    const QByteArray installed = "x DL DL\r\n";
    {
        QFile file(dir.filePath("country.asc"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(installed) == installed.size());
    }
    FakeServer fake;
    QVERIFY(server.play(fake));
    FileDownloader downloader(NetPeer{"127.0.0.1", fake.port()}, folder,
                              DownloadTiming{0ms, {1000ms, 1500ms}});

    const long before = peakKilobytes();
    QElapsedTimer clock;
    clock.start();
    const DownloadResult result = downloader.download(DownloadKind::CountryFile, true);
    const qint64 took = clock.elapsed();
    const long grown = peakKilobytes() - before;
    qInfo("%s after %lld ms, %lld bytes sent, peak memory grew by %ld KiB: %s",
          QTest::currentDataTag(), took, fake.streamed + server.opening.size(), grown,
          result.detail.c_str());

    QCOMPARE(result.failure, server.failure);
    // A generous bound: what matters is that it ends, and that a 100 MB answer is not held.
    QVERIFY(took < 10000);
    QVERIFY(grown < 32 * 1024);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{"country.asc", "country_old.asc"}));
    QFile file(dir.filePath("country.asc"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), installed);
}

void HostileServerTest::queryEndsSoonAndSmall()
{
    QFETCH(Hostile, server);
    FakeServer fake;
    QVERIFY(server.play(fake));
    QslInfoClient client(QslInfoServer{{"127.0.0.1", fake.port()}, "urn:test:qslinfo"},
                         ExchangeLimits{1000ms, 1500ms});
    QSignalSpy answered(&client, &QslInfoClient::answerReceived);
    QSignalSpy failed(&client, &QslInfoClient::queryFailed);

    const long before = peakKilobytes();
    QElapsedTimer clock;
    clock.start();
    client.query("DL1ABC", "");
    // It ends when the client drops the connection; the test gives up long before a hang.
    QTRY_VERIFY_WITH_TIMEOUT(fake.clientGone, 10000);
    const long grown = peakKilobytes() - before;
    const QString shown = failed.isEmpty() ? QString() : failed.at(0).at(0).toString();
    qInfo("%s after %lld ms, peak memory grew by %ld KiB, shown: %s", QTest::currentDataTag(),
          clock.elapsed(), grown, qPrintable(shown));

    QVERIFY(grown < 32 * 1024);
    // Nothing of the abuse is shown as an answer, and the query is reported as failed, once.
    QVERIFY(answered.isEmpty());
    QCOMPARE(failed.count(), 1);
    QVERIFY(shown.startsWith(QStringLiteral("*** query to 127.0.0.1 server failed for DL1ABC: ")));
}

QTEST_MAIN(HostileServerTest)
#include "HostileServerTest.moc"
