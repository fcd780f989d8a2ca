#include "platform/FolderLock.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Status = struct stat;

// A socket's path holds 107 bytes; the user folder leaves room for a key and its separator.
constexpr qsizetype MaxUserFolderBytes = 107 - 1 - 32;
// More than a lock file of ours ever holds.
constexpr qsizetype MaxLockFileBytes = 1024;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Makes the folder when missing and takes it only when it is a folder of this user's, not a
// link; rights that let others in are taken back (the folder is ours: what others could leave
// in it meanwhile is checked as it is used).
bool makePrivate(const QString &path, QString *problem)
{
    const QByteArray native = QFile::encodeName(path);
    QDir().mkpath(QFileInfo(path).path());
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *problem = QStringLiteral("%1: %2").arg(path, systemReason(errno));
        return false;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *problem = QStringLiteral("%1: %2").arg(path, errno == ELOOP || errno == ENOTDIR
                                                          ? QStringLiteral("not a folder")
                                                          : systemReason(errno));
        return false;
    }
    Status info{};
    bool own = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid();
    if (!own)
        *problem = QStringLiteral("%1 belongs to another user").arg(path);
    else if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        *problem = QStringLiteral("%1 is open to other users: %2").arg(path, systemReason(errno));
        own = false;
    }
    ::close(fd);
    return own;
}

bool fitsSocketPath(const QString &folder)
{
    return QFile::encodeName(folder).size() <= MaxUserFolderBytes;
}

// A link, a pipe, a socket or a device in the place of a lock file is nobody's data: it is
// replaced (removing a link leaves what it points to alone). A folder is left as it is.
void replaceUnlessFileOrFolder(const QByteArray &path)
{
    Status info{};
    if (::lstat(path.constData(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        ::unlink(path.constData());
}

FolderLock::Holder readHolder(int fd, const QString &path)
{
    FolderLock::Holder holder{path, 0, {}};
    QByteArray text(MaxLockFileBytes, Qt::Uninitialized);
    const ssize_t size = ::pread(fd, text.data(), static_cast<size_t>(text.size()), 0);
    if (size <= 0)
        return holder;
    text.truncate(size);
    // The process, the program's name and the machine, a line each.
    const QList<QByteArray> lines = text.split('\n');
    bool valid = false;
    const qint64 pid = lines.first().trimmed().toLongLong(&valid);
    if (valid && pid > 0)
        holder.pid = pid;
    if (lines.size() > 2) {
        const QString host = QString::fromUtf8(lines[2].trimmed());
        if (host != QSysInfo::machineHostName())
            holder.host = host;
    }
    return holder;
}

void writeHolder(int fd)
{
    const QString name =
        QCoreApplication::instance() ? QCoreApplication::applicationName() : QStringLiteral("vorn");
    const QByteArray text = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                            name.toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
    // Only a help for the message of a later start: a full disk may leave it empty.
    [[maybe_unused]] const bool written =
        ::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.constData(), text.size(), 0) == text.size();
}

} // namespace

FolderLock::FolderLock(const QString &folder) : m_folder(folder) {}

FolderLock::~FolderLock()
{
    release();
}

void FolderLock::release()
{
    for (int *fd : {&m_inFolder, &m_inUserFolder}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

QString FolderLock::userFolder(QString *problem)
{
    QStringList candidates;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    Status info{};
    // The session's runtime folder, where it is a real folder of this user's.
    if (!runtime.isEmpty() && ::lstat(QFile::encodeName(runtime).constData(), &info) == 0 &&
        S_ISDIR(info.st_mode) && info.st_uid == ::geteuid())
        candidates << QDir(runtime).filePath(QStringLiteral("vorn"));
    candidates << QDir(QDir::tempPath()).filePath(QStringLiteral("vorn-%1").arg(::geteuid()));
    // Where another user took that name first: the cache in the home folder, which nobody else
    // writes to, named after the machine since a home folder may be shared by several.
    const QString cache =
        qEnvironmentVariable("XDG_CACHE_HOME", QDir::home().filePath(QStringLiteral(".cache")));
    if (QDir::isAbsolutePath(cache))
        candidates << QDir(cache).filePath(QStringLiteral("vorn-") + QSysInfo::machineHostName());
    QStringList reasons;
    for (const QString &folder : std::as_const(candidates)) {
        QString why;
        if (!fitsSocketPath(folder))
            reasons << QStringLiteral("%1: the path is too long for a socket").arg(folder);
        else if (makePrivate(folder, &why))
            return folder;
        else
            reasons << why;
    }
    if (problem != nullptr)
        *problem = reasons.join(QStringLiteral("; "));
    return {};
}

QString FolderLock::key(const QString &folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    const QString path = canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    return QString::fromLatin1(
        QCryptographicHash::hash(QFile::encodeName(path), QCryptographicHash::Sha256)
            .toHex()
            .left(32));
}

FolderLock::Outcome FolderLock::lockAt(const QString &path, bool inUserFolder, int &descriptor)
{
    const QByteArray native = QFile::encodeName(path);
    // A few rounds: a link to replace, or a file replaced under us by another start.
    for (int round = 0; round < 4; ++round) {
        replaceUnlessFileOrFolder(native);
        int fd = ::open(native.constData(),
                        O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
        // Another user's lock file in a shared folder can still be locked, read only.
        if (fd < 0 && errno == EACCES)
            fd = ::open(native.constData(),
                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ELOOP)
                continue; // made a link just now
            m_problem = QStringLiteral("%1: %2").arg(path, systemReason(errno));
            return Outcome::Impossible;
        }
        Status opened{};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            continue;
        }
        // In the user's folder only the user's own files count: another's is replaced.
        if (inUserFolder && opened.st_uid != ::geteuid()) {
            ::close(fd);
            ::unlink(native.constData());
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error == EWOULDBLOCK)
                m_holder = readHolder(fd, path);
            else
                m_problem = QStringLiteral("%1: %2").arg(path, systemReason(error));
            ::close(fd);
            return error == EWOULDBLOCK ? Outcome::Held : Outcome::Impossible;
        }
        // Still the file at that name, not one a link replacement took away meanwhile.
        Status named{};
        if (::lstat(native.constData(), &named) != 0 || named.st_dev != opened.st_dev ||
            named.st_ino != opened.st_ino) {
            ::close(fd);
            continue;
        }
        if ((::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDWR)
            writeHolder(fd);
        descriptor = fd;
        return Outcome::Taken;
    }
    m_problem = QStringLiteral("%1: replaced again and again").arg(path);
    return Outcome::Impossible;
}

bool FolderLock::take()
{
    release();
    m_holder = {};
    m_problem.clear();
    // The user's own lock first: two starts of this user then never repair the folder's lock
    // file at the same time.
    QString noUserFolder;
    const QString own = userFolder(&noUserFolder);
    if (own.isEmpty())
        m_problem = noUserFolder;
    else if (lockAt(QDir(own).filePath(key(m_folder) + QStringLiteral(".lock")), true,
                    m_inUserFolder) == Outcome::Held)
        return false;

    const QString ownProblem = m_problem;
    switch (lockAt(QDir(m_folder).filePath(QLatin1String(FileName)), false, m_inFolder)) {
    case Outcome::Held:
        release();
        return false;
    case Outcome::Taken:
        m_problem.clear();
        break;
    case Outcome::Impossible:
        // A full disk, a read-only medium, a folder named vorn.lock: the user's lock holds.
        if (m_inUserFolder >= 0)
            m_problem.clear();
        else if (!ownProblem.isEmpty())
            m_problem = ownProblem + QStringLiteral("; ") + m_problem;
        break;
    }
    return true;
}
