#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

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
    void unreadableLockIsTakenOver_data();
    void unreadableLockIsTakenOver();
    void holderIsNamed();
    void socketFolderIsTheUsersOwn_data();
    void socketFolderIsTheUsersOwn();
    void otherUsersArePassedOver_data();
    void otherUsersArePassedOver();
    void serverOutlastsHeldConnections();
    void serverListensAfterFailedAccept();
    void fullDiskStillLocks_data();
    void fullDiskStillLocks();
    void cleanup();

private:
    QString data() const { return m_dir->filePath(QStringLiteral("data")); }
    // Where the socket file lies: a bare name means the temporary folder.
    QString socketPath() const
    {
        return QDir(QDir::tempPath()).filePath(SingleInstance::serverName(data()));
    }
    bool handOverTaken(const QStringList &files, std::chrono::milliseconds patience);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mounted;
};

namespace {

constexpr uid_t Nobody = 65534;

// Runs work in a child process as another user, or as this one with uid 0 left as it is, and
// returns the child's process id; work returns the child's exit status.
pid_t inChild(uid_t uid, const std::function<int()> &work)
{
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    ::alarm(20);
    if (uid != ::geteuid() && (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0))
        ::_exit(90);
    ::_exit(work());
}

// Waits for a child while the event loop runs, and gives its exit status.
int finished(pid_t pid)
{
    int status = 0;
    for (int i = 0; i < 2000 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
        QTest::qWait(10);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_un addressOf(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
    return address;
}

} // namespace

void SingleInstanceTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // The sockets lie in a runtime directory of the test's own.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("runtime")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir->filePath(QStringLiteral("runtime"))));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("data")));
}

void SingleInstanceTest::cleanup()
{
    if (!m_mounted.isEmpty())
        ::umount2(QFile::encodeName(m_mounted).constData(), MNT_DETACH);
    m_mounted.clear();
    qunsetenv("TMPDIR");
    qunsetenv("XDG_CACHE_HOME");
}

bool SingleInstanceTest::handOverTaken(const QStringList &files, std::chrono::milliseconds patience)
{
    SingleInstance later(data());
    if (later.claim())
        return false;
    QSignalSpy done(&later, &SingleInstance::handedOver);
    later.handOver(files, patience);
    return done.wait(static_cast<int>(patience.count()) + 1000) && done.first().first().toBool();
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

void SingleInstanceTest::unreadableLockIsTakenOver_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("kind"); // "file", "link" to a file elsewhere, or "folder"
    QTest::newRow("empty, after a power cut") << QByteArray() << "file";
    QTest::newRow("garbage") << QByteArray("\x7f\x00\xff garbage\n\n") << "file";
    QTest::newRow("a process of another machine")
        << QByteArray("1\nvorn\nold-shack-pc\n") << "file";
    QTest::newRow("a link") << QByteArray("precious\n") << "link";
    QTest::newRow("a folder of the user's") << QByteArray() << "folder";
}

void SingleInstanceTest::unreadableLockIsTakenOver()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, kind);
    const QString lock = QDir(data()).filePath(QLatin1String(SingleInstance::LockFileName));
    const QString elsewhere = m_dir->filePath(QStringLiteral("precious.txt"));
    QFile file(kind == QLatin1String("link") ? elsewhere : lock);
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(lock + QStringLiteral("/letters")));
    else
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    if (kind == QLatin1String("link"))
        QVERIFY(QFile::link(elsewhere, lock));

    SingleInstance first(data());
    QVERIFY(first.claim());
    // And it holds the folder.
    SingleInstance later(data());
    QVERIFY(!later.claim());
    if (kind == QLatin1String("link")) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }
    if (kind == QLatin1String("folder"))
        QVERIFY(QFileInfo::exists(lock + QStringLiteral("/letters")));
}

void SingleInstanceTest::holderIsNamed()
{
    // A program of the old kind holds the lock file through the toolkit, which locks it too.
    QLockFile lock(QDir(data()).filePath(SingleInstance::LockFileName));
    QVERIFY(lock.tryLock(0));
    SingleInstance later(data());
    QVERIFY(!later.claim());
    QCOMPARE(later.holder().pid, QCoreApplication::applicationPid());
    QCOMPARE(later.holder().host, QString());
    QCOMPARE(later.holder().lockFile, QDir(data()).filePath(SingleInstance::LockFileName));
}

void SingleInstanceTest::socketFolderIsTheUsersOwn_data()
{
    // In the shared temporary folder, at the name the program would take.
    QTest::addColumn<QString>("planted");
    QTest::newRow("nothing") << "";
    QTest::newRow("another user's folder") << "folder";
    QTest::newRow("a link to another user's folder") << "link";
    QTest::newRow("the user's own folder, open to all") << "open";
}

void SingleInstanceTest::socketFolderIsTheUsersOwn()
{
    QFETCH(QString, planted);
    const QString temporary = m_dir->filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temporary) && ::chmod(QFile::encodeName(temporary), 01777) == 0);
    qputenv("TMPDIR", QFile::encodeName(temporary));
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("cache"))));
    const QByteArray name =
        QFile::encodeName(temporary + QStringLiteral("/vorn-%1").arg(::geteuid()));
    const QByteArray theirs = QFile::encodeName(m_dir->filePath(QStringLiteral("theirs")));
    if (planted == QLatin1String("folder") || planted == QLatin1String("link")) {
        const QByteArray &folder = planted == QLatin1String("folder") ? name : theirs;
        QVERIFY(::mkdir(folder, 0777) == 0 && ::chown(folder, Nobody, Nobody) == 0);
        if (planted == QLatin1String("link"))
            QVERIFY(::symlink(theirs, name) == 0);
    } else if (planted == QLatin1String("open")) {
        QVERIFY(::mkdir(name, 0700) == 0 && ::chmod(name, 0777) == 0);
    }

    SingleInstance first(data());
    QVERIFY(first.claim());
    QSignalSpy arrived(&first, &SingleInstance::filesHandedOver);
    struct stat info
    {
    };
    QVERIFY(::lstat(QFile::encodeName(QFileInfo(socketPath()).path()), &info) == 0);
    QVERIFY(S_ISDIR(info.st_mode));
    QCOMPARE(info.st_uid, ::geteuid());
    QCOMPARE(info.st_mode & 077, 0u);
    QVERIFY(handOverTaken({QStringLiteral("/logs/a.adi")}, std::chrono::seconds(2)));
    QTRY_COMPARE(arrived.size(), 1);
}

void SingleInstanceTest::otherUsersArePassedOver_data()
{
    QTest::addColumn<bool>("otherListens"); // else the other user connects
    QTest::newRow("another user's program hands over") << false;
    QTest::newRow("another user's socket takes the hand-over") << true;
}

void SingleInstanceTest::otherUsersArePassedOver()
{
    QFETCH(bool, otherListens);
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    const QByteArray request = "VORN OPEN\nfile:///logs/a.adi\n\n";
    std::unique_ptr<SingleInstance> first;
    QLockFile lock(QDir(data()).filePath(SingleInstance::LockFileName));
    int report[2];
    QVERIFY(::pipe(report) == 0);
    pid_t child = 0;
    if (otherListens) {
        // A socket bound at the name, listened on as another user.
        QVERIFY(lock.tryLock(0));
        const sockaddr_un address = addressOf(socketPath());
        ::unlink(address.sun_path);
        child = inChild(Nobody, [&] {
            const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::bind(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
                ::setuid(Nobody) != 0 || ::listen(server, 1) != 0)
                return 91;
            const int peer = ::accept(server, nullptr, nullptr);
            char got[256];
            const ssize_t size = ::read(peer, got, sizeof got);
            ::send(peer, "OK\n", 3, MSG_NOSIGNAL);
            // A mark for the connection, then what came in on it.
            if (::write(report[1], "A", 1) < 0 || ::write(report[1], got, size > 0 ? size : 0) < 0)
                return 92;
            return 0;
        });
        QVERIFY(!handOverTaken({QStringLiteral("/logs/a.adi")}, std::chrono::seconds(2)));
    } else {
        first = std::make_unique<SingleInstance>(data());
        QVERIFY(first->claim());
        QSignalSpy arrived(first.get(), &SingleInstance::filesHandedOver);
        // Rights loosened after the start: only the peer's user id stands in the way.
        const QString path = socketPath();
        for (QString folder = QFileInfo(path).path(); folder.startsWith(m_dir->path());
             folder = QFileInfo(folder).path())
            QVERIFY(::chmod(QFile::encodeName(folder), 0711) == 0);
        QVERIFY(::chmod(QFile::encodeName(path), 0777) == 0);
        const sockaddr_un address = addressOf(path);
        child = inChild(Nobody, [&] {
            const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::setuid(Nobody) != 0 ||
                ::connect(client, reinterpret_cast<const sockaddr *>(&address), sizeof address) !=
                    0)
                return 91;
            char got[16];
            const ssize_t size = ::write(client, request.constData(), request.size()) > 0
                                     ? ::read(client, got, sizeof got)
                                     : 0;
            return ::write(report[1], got, size > 0 ? size : 0) < 0 ? 92 : 0;
        });
        QCOMPARE(finished(child), 0);
        QTest::qWait(100);
        QVERIFY(arrived.isEmpty());
    }
    if (otherListens)
        QCOMPARE(finished(child), 0);
    ::close(report[1]);
    char got[256];
    const ssize_t size = ::read(report[0], got, sizeof got);
    ::close(report[0]);
    // The other user's side saw a connection and nothing on it.
    QCOMPARE(QByteArray(got, std::max<ssize_t>(size, 0)), QByteArray(otherListens ? "A" : ""));
}

void SingleInstanceTest::serverOutlastsHeldConnections()
{
    // 1,024 descriptors at most, as a desktop session gives a program.
    rlimit limit{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &limit) == 0);
    const rlimit before = limit;
    limit.rlim_cur = std::min<rlim_t>(1024, limit.rlim_max);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &limit) == 0);
    SingleInstance first(data());
    QVERIFY(first.claim());
    const sockaddr_un address = addressOf(socketPath());
    int report[2];
    QVERIFY(::pipe(report) == 0);
    // 1,020 connections, held open and silent.
    const pid_t child = inChild(::geteuid(), [&] {
        const rlimit more{4096, std::max<rlim_t>(4096, before.rlim_max)};
        ::setrlimit(RLIMIT_NOFILE, &more);
        int held = 0;
        for (int tries = 0; held < 1020 && tries < 200000; ++tries) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
                ++held;
            else {
                const int error = errno;
                ::close(fd);
                // A full queue waits for the server; a refusal means it stopped listening.
                if (error != EAGAIN)
                    break;
                ::usleep(200);
            }
        }
        if (::write(report[1], &held, sizeof held) < 0)
            return 92;
        ::pause();
        return 0;
    });
    pollfd ready{report[0], POLLIN, 0};
    for (int i = 0; i < 3000 && ::poll(&ready, 1, 0) == 0; ++i)
        QTest::qWait(10);
    int held = 0;
    const bool reported = ::read(report[0], &held, sizeof held) == sizeof held;
    const bool taken = handOverTaken({QStringLiteral("/logs/a.adi")}, std::chrono::seconds(2));
    ::kill(child, SIGKILL);
    finished(child);
    ::close(report[0]);
    ::close(report[1]);
    ::setrlimit(RLIMIT_NOFILE, &before);
    QVERIFY(reported);
    QCOMPARE(held, 1020);
    QVERIFY(taken);
}

void SingleInstanceTest::serverListensAfterFailedAccept()
{
    SingleInstance first(data());
    QVERIFY(first.claim());
    const sockaddr_un address = addressOf(socketPath());
    const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    // No descriptor left for the server to accept with.
    rlimit limit{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &limit) == 0);
    const rlimit before = limit;
    limit.rlim_cur = static_cast<rlim_t>(client) + 16;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &limit) == 0);
    QList<int> filling;
    for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = ::open("/dev/null", O_RDONLY))
        filling << fd;
    const bool connected =
        ::connect(client, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    QTest::qWait(100);
    for (const int fd : std::as_const(filling))
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &before);
    ::close(client);
    QVERIFY(connected);
    QVERIFY(handOverTaken({QStringLiteral("/logs/a.adi")}, std::chrono::seconds(2)));
}

void SingleInstanceTest::fullDiskStillLocks_data()
{
    QTest::addColumn<QByteArray>("options");
    QTest::addColumn<qsizetype>("fileSize"); // what fills it
    QTest::newRow("no room for data") << QByteArray("size=64k") << qsizetype(4096);
    QTest::newRow("no room for a file") << QByteArray("size=1m,nr_inodes=8") << qsizetype(0);
}

void SingleInstanceTest::fullDiskStillLocks()
{
    QFETCH(QByteArray, options);
    QFETCH(qsizetype, fileSize);
    const QString full = m_dir->filePath(QStringLiteral("full"));
    QVERIFY(QDir().mkpath(full));
    if (::geteuid() != 0 ||
        ::mount("tmpfs", QFile::encodeName(full).constData(), "tmpfs", 0, options.constData()) != 0)
        QSKIP("needs root to mount a small file system");
    m_mounted = full;
    for (int i = 0;; ++i) {
        QFile filler(full + QStringLiteral("/filler%1").arg(i));
        if (!filler.open(QIODevice::WriteOnly) ||
            filler.write(QByteArray(fileSize, 'x')) != fileSize || !filler.flush())
            break;
    }
    SingleInstance first(full);
    QVERIFY(first.claim());
    SingleInstance later(full);
    QVERIFY(!later.claim());
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
