#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Two programs in one process; the end-to-end test vorn_two_starts.py runs them as processes of
// their own, and kills the first.
class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void laterStartHandsItsFilesOver_data();
    void laterStartHandsItsFilesOver();
    void nobodyAnswering();
    void strayRequestsAreDropped_data();
    void strayRequestsAreDropped();
    void oneSocketPerFolder();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void SingleInstanceTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // The sockets lie in a runtime directory of the test's own.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("runtime")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir->filePath(QStringLiteral("runtime"))));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("data")));
}

void SingleInstanceTest::laterStartHandsItsFilesOver_data()
{
    QTest::addColumn<QStringList>("given");
    QTest::addColumn<QStringList>("received");
    const QString here = QDir::currentPath();
    QTest::newRow("none: come to the front") << QStringList{} << QStringList{};
    QTest::newRow("relative, from where it was started")
        << QStringList{"log.adi", "sub/../other.adx"}
        << QStringList{here + "/log.adi", here + "/other.adx"};
    QTest::newRow("names a line or a URL would break")
        << QStringList{"/logs/two\nlines.adi", "/logs/50% off #1?.adi", "/logs/Ærø 2025.adi"}
        << QStringList{"/logs/two\nlines.adi", "/logs/50% off #1?.adi", "/logs/Ærø 2025.adi"};
}

void SingleInstanceTest::laterStartHandsItsFilesOver()
{
    QFETCH(QStringList, given);
    QFETCH(QStringList, received);
    const QString folder = m_dir->filePath(QStringLiteral("data"));
    SingleInstance first(folder);
    QVERIFY(first.claim());
    QVERIFY(QFile::exists(QDir(folder).filePath(QLatin1String(SingleInstance::LockFileName))));
    QSignalSpy arrived(&first, &SingleInstance::filesHandedOver);

    // The folder spelled another way is the same folder.
    SingleInstance later(folder + QStringLiteral("/."));
    QVERIFY(!later.claim());
    QSignalSpy done(&later, &SingleInstance::handedOver);
    later.handOver(given);
    QVERIFY(done.wait());
    QCOMPARE(done.first().first().toBool(), true);
    QCOMPARE(arrived.size(), 1);
    QCOMPARE(arrived.first().first().toStringList(), received);
}

void SingleInstanceTest::nobodyAnswering()
{
    // A lock held in this process, with nobody listening on the socket.
    QLockFile lock(
        QDir(m_dir->filePath(QStringLiteral("data"))).filePath(SingleInstance::LockFileName));
    QVERIFY(lock.tryLock(0));
    SingleInstance later(m_dir->filePath(QStringLiteral("data")));
    QVERIFY(!later.claim());
    QSignalSpy done(&later, &SingleInstance::handedOver);
    later.handOver({QStringLiteral("/logs/a.adi")}, std::chrono::milliseconds(500));
    QVERIFY(done.wait());
    QCOMPARE(done.first().first().toBool(), false);
}

void SingleInstanceTest::strayRequestsAreDropped_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("another greeting") << QByteArray("GET / HTTP/1.1\r\n\r\n\n\n");
    QTest::newRow("endless") << QByteArray(300 * 1024, 'x');
    QTest::newRow("not a file URL") << QByteArray("VORN OPEN\nhttp://example.invalid/a.adi\n"
                                                  "relative.adi\n\n");
}

void SingleInstanceTest::strayRequestsAreDropped()
{
    QFETCH(QByteArray, request);
    const QString folder = m_dir->filePath(QStringLiteral("data"));
    SingleInstance first(folder);
    QVERIFY(first.claim());
    QSignalSpy arrived(&first, &SingleInstance::filesHandedOver);

    QLocalSocket stray;
    QSignalSpy closed(&stray, &QLocalSocket::disconnected);
    stray.connectToServer(SingleInstance::serverName(folder));
    QTRY_COMPARE(stray.state(), QLocalSocket::ConnectedState);
    stray.write(request);
    QVERIFY(closed.wait());
    // Nothing but file names of this machine gets through, and the next start is heard.
    QVERIFY(arrived.isEmpty() || arrived.first().first().toStringList().isEmpty());
    arrived.clear();
    SingleInstance later(folder);
    QVERIFY(!later.claim());
    later.handOver({QStringLiteral("/logs/a.adi")});
    QVERIFY(arrived.wait());
    QCOMPARE(arrived.first().first().toStringList(), QStringList{"/logs/a.adi"});
}

void SingleInstanceTest::oneSocketPerFolder()
{
    const QString data = m_dir->filePath(QStringLiteral("data"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("club")));
    QVERIFY(QFile::link(data, m_dir->filePath(QStringLiteral("link"))));
    QCOMPARE(SingleInstance::serverName(m_dir->filePath(QStringLiteral("link"))),
             SingleInstance::serverName(data));
    QVERIFY(SingleInstance::serverName(m_dir->filePath(QStringLiteral("club"))) !=
            SingleInstance::serverName(data));
    // Two folders, two programs.
    SingleInstance own(data);
    SingleInstance club(m_dir->filePath(QStringLiteral("club")));
    QVERIFY(own.claim());
    QVERIFY(club.claim());
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
