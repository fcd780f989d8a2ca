#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QScopeGuard>
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
    void anotherUsersSocketGetsNothing();
    void anotherUsersRequestIsNotRead();
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

// A child process with the groups of uid (its user id it sets itself, when it is ready), whose
// work reports through a pipe and gives its exit status.
class Child
{
public:
    Child(uid_t uid, const std::function<int(int report)> &work)
    {
        int report[2];
        QVERIFY(::pipe(report) == 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::alarm(20);
            const bool other = uid != ::geteuid();
            ::_exit(other && (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0)
                        ? 90
                        : work(report[1]));
        }
        ::close(report[1]);
        m_report = report[0];
    }
    ~Child() { finish(true); }

    // Waits, with the event loop running, for size bytes of report or the child's end.
    QByteArray read(qsizetype size)
    {
        QByteArray got;
        pollfd ready{m_report, POLLIN, 0};
        for (int i = 0; i < 3000 && got.size() < size; ++i) {
            char buffer[256];
            const ssize_t count =
                ::poll(&ready, 1, 0) == 1 ? ::read(m_report, buffer, sizeof buffer) : -1;
            if (count == 0)
                break;
            if (count > 0)
                got.append(buffer, count);
            else
                QTest::qWait(10);
        }
        return got;
    }
    // The rest of the report, once the child has ended ("exit N" when it failed).
    QByteArray finish(bool kill = false)
    {
        if (m_pid <= 0)
            return {};
        if (kill)
            ::kill(m_pid, SIGKILL);
        const QByteArray rest = read(1 << 20);
        int status = 0;
        ::waitpid(std::exchange(m_pid, 0), &status, 0);
        ::close(m_report);
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return code == 0 || kill ? rest : "exit " + QByteArray::number(code);
    }

private:
    pid_t m_pid = 0;
    int m_report = -1;
};

sockaddr_un addressOf(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), static_cast<size_t>(native.size()));
    return address;
}

const sockaddr *raw(const sockaddr_un &address)
{
    return reinterpret_cast<const sockaddr *>(&address);
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
    struct stat info = {};
    QVERIFY(::lstat(QFile::encodeName(QFileInfo(socketPath()).path()), &info) == 0);
    QVERIFY(S_ISDIR(info.st_mode));
    QCOMPARE(info.st_uid, ::geteuid());
    QCOMPARE(info.st_mode & 077, 0u);
    QVERIFY(handOverTaken({QStringLiteral("/logs/a.adi")}, std::chrono::seconds(2)));
    QTRY_COMPARE(arrived.size(), 1);
}

void SingleInstanceTest::anotherUsersSocketGetsNothing()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    // The folder is held, and at the socket's name another user listens and answers OK.
    QLockFile lock(QDir(data()).filePath(SingleInstance::LockFileName));
    QVERIFY(lock.tryLock(0));
    const sockaddr_un address = addressOf(socketPath());
    ::unlink(address.sun_path);
    Child other(Nobody, [&](int report) {
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(server, raw(address), sizeof address) != 0 || ::setuid(Nobody) != 0 ||
            ::listen(server, 1) != 0)
            return 91;
        const int peer = ::accept(server, nullptr, nullptr);
        char got[256];
        const ssize_t size = std::max<ssize_t>(::read(peer, got, sizeof got), 0);
        ::send(peer, "OK\n", 3, MSG_NOSIGNAL);
        // A mark for the connection, then what came in on it.
        return ::write(report, "A", 1) == 1 && ::write(report, got, size) == size ? 0 : 92;
    });
    QVERIFY(!handOverTaken({QStringLiteral("/logs/a.adi")}, std::chrono::seconds(2)));
    QCOMPARE(other.finish(), QByteArray("A"));
}

void SingleInstanceTest::anotherUsersRequestIsNotRead()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    SingleInstance first(data());
    QVERIFY(first.claim());
    QSignalSpy arrived(&first, &SingleInstance::filesHandedOver);
    // Rights loosened after the start: only the peer's user id stands in the way.
    const QString path = socketPath();
    for (QString folder = QFileInfo(path).path(); folder.startsWith(m_dir->path());
         folder = QFileInfo(folder).path())
        QVERIFY(::chmod(QFile::encodeName(folder), 0711) == 0);
    QVERIFY(::chmod(QFile::encodeName(path), 0777) == 0);
    const sockaddr_un address = addressOf(path);
    Child other(Nobody, [&](int report) {
        const QByteArray request = "VORN OPEN\nfile:///logs/a.adi\n\n";
        const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::setuid(Nobody) != 0 || ::connect(client, raw(address), sizeof address) != 0 ||
            ::write(client, request.constData(), request.size()) != request.size())
            return 91;
        char got[16];
        const ssize_t size = std::max<ssize_t>(::read(client, got, sizeof got), 0);
        return ::write(report, got, size) == size ? 0 : 92;
    });
    QCOMPARE(other.finish(), QByteArray());
    QTest::qWait(100);
    QVERIFY(arrived.isEmpty());
}

void SingleInstanceTest::serverOutlastsHeldConnections()
{
    // 1,024 descriptors at most, as a desktop session gives a program.
    rlimit before{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &before) == 0);
    const rlimit desktop{std::min<rlim_t>(1024, before.rlim_max), before.rlim_max};
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &desktop) == 0);
    const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &before); });
    SingleInstance first(data());
    QVERIFY(first.claim());
    const sockaddr_un address = addressOf(socketPath());
    // 1,020 connections, held open and silent.
    Child holder(::geteuid(), [&](int report) {
        ::setrlimit(RLIMIT_NOFILE, &before);
        int held = 0;
        while (held < 1020) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (::connect(fd, raw(address), sizeof address) == 0) {
                ++held;
                continue;
            }
            // A full queue waits for the server; a refusal means it stopped listening.
            if (errno != EAGAIN)
                break;
            ::close(fd);
            ::usleep(200);
        }
        if (::write(report, &held, sizeof held) != sizeof held)
            return 92;
        ::pause();
        return 0;
    });
    const QByteArray held = holder.read(sizeof(int));
    QVERIFY(handOverTaken({QStringLiteral("/logs/a.adi")}, std::chrono::seconds(2)));
    int count = 0;
    QCOMPARE(held.size(), qsizetype(sizeof count));
    std::memcpy(&count, held.constData(), sizeof count);
    QCOMPARE(count, 1020);
}

void SingleInstanceTest::serverListensAfterFailedAccept()
{
    SingleInstance first(data());
    QVERIFY(first.claim());
    const sockaddr_un address = addressOf(socketPath());
    const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    // No descriptor left for the server to accept with.
    rlimit before{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &before) == 0);
    const rlimit few{static_cast<rlim_t>(client) + 16, before.rlim_max};
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &few) == 0);
    QList<int> filling;
    for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = ::open("/dev/null", O_RDONLY))
        filling << fd;
    const bool connected = ::connect(client, raw(address), sizeof address) == 0;
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
