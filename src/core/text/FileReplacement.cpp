#include "core/text/FileReplacement.h"

#include "core/text/Ascii.h"
#include "core/text/Integer.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names tried before giving up; only leftovers of an earlier process with the same number, or
// names taken by someone else on purpose, make a second one necessary.
constexpr int WorkFileAttempts = 100;

std::atomic<unsigned> nextAttempt{0};

std::error_code lastError()
{
    return {errno != 0 ? errno : EIO, std::system_category()};
}

static_assert(sizeof(pid_t) == sizeof(std::int32_t), "a process number is read as a 32-bit one");

// The process number in a name of the form "<stem>.<pid>-<attempt><suffix>", or 0.
pid_t workFileOwner(std::string_view fileName, const WorkFileName &name)
{
    if (fileName.size() <= name.stem.size() + 1 + name.suffix.size() ||
        !fileName.starts_with(name.stem) || !fileName.ends_with(name.suffix) ||
        fileName[name.stem.size()] != '.')
        return 0;
    std::string_view middle = fileName.substr(name.stem.size() + 1);
    middle.remove_suffix(name.suffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == std::string_view::npos)
        return 0;
    const std::optional<std::int32_t> pid =
        parseInt32(middle.substr(0, dash), IntegerSyntaxes::Digits);
    if (!pid || !Ascii::isDigits(middle.substr(dash + 1)))
        return 0;
    return *pid;
}

bool processEnded(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

std::error_code writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return lastError();
        if (n == 0)
            return std::make_error_code(std::errc::io_error);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

int createWorkFile(const std::filesystem::path &directory, const WorkFileName &name,
                   std::filesystem::path &created)
{
    const std::string prefix = name.stem + "." + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < WorkFileAttempts; ++attempt) {
        created = directory / (prefix + std::to_string(nextAttempt++) + name.suffix);
        int fd;
        do {
            fd =
                ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void removeStaleWorkFiles(const std::filesystem::path &directory, const WorkFileName &name)
{
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory.empty() ? "." : directory, error), end;
         !error && entry != end; entry.increment(error)) {
        const pid_t owner = workFileOwner(entry->path().filename().native(), name);
        if (owner > 0 && processEnded(owner)) {
            std::error_code ignored;
            std::filesystem::remove(entry->path(), ignored);
        }
    }
}

std::error_code syncFolder(const std::filesystem::path &directory)
{
    int fd;
    do {
        fd =
            ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return lastError();
    const bool synced = ::fsync(fd) == 0;
    const std::error_code error = synced ? std::error_code() : lastError();
    ::close(fd);
    return error;
}

FileReplacement::FileReplacement(std::filesystem::path target, WorkFileName workName)
    : m_target(std::move(target)), m_workName(std::move(workName)),
      m_followLink(m_workName.stem.empty())
{}

FileReplacement::~FileReplacement()
{
    fail(std::make_error_code(std::errc::operation_canceled));
}

std::error_code FileReplacement::fail(std::error_code error)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_ours)
        ::unlink(m_workFile.c_str());
    m_ours = false;
    if (!m_error)
        m_error = error;
    return m_error;
}

std::error_code FileReplacement::open()
{
    if (m_error || m_fd >= 0)
        return m_error;
    if (m_followLink) {
        std::error_code ignored;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(m_target, ignored))) {
            const auto resolved = std::filesystem::weakly_canonical(m_target, ignored);
            if (!resolved.empty())
                m_target = resolved;
        }
        m_workName.stem = m_target.filename().string();
    }
    // Never a file that lies there already: neither a user's file that happens to bear the name
    // nor another program's work file, nor a link that would lead the bytes elsewhere.
    m_fd = createWorkFile(m_target.parent_path(), m_workName, m_workFile);
    if (m_fd < 0)
        return fail(lastError());
    m_ours = true;
    // The old file's permissions, if there is one; a failure here costs only those.
    struct stat status;
    if (::stat(m_target.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        (void)::fchmod(m_fd, status.st_mode & 07777);
    return {};
}

std::error_code FileReplacement::write(std::string_view bytes)
{
    if (m_fd < 0)
        return fail(std::make_error_code(std::errc::bad_file_descriptor));
    if (const std::error_code error = writeAll(m_fd, bytes))
        return fail(error);
    return {};
}

std::error_code FileReplacement::commit()
{
    if (m_fd < 0)
        return fail(std::make_error_code(std::errc::bad_file_descriptor));
    // On disk before it takes the name, so that a power cut cannot leave an empty file either.
    if (::fsync(m_fd) != 0)
        return fail(lastError());
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        return fail(lastError());
    if (std::rename(m_workFile.c_str(), m_target.c_str()) != 0)
        return fail(lastError());
    m_ours = false;
    return {};
}

std::error_code replaceFile(const std::filesystem::path &target, std::string_view bytes,
                            const WorkFileName &workName)
{
    FileReplacement replacement(target, workName);
    if (const std::error_code error = replacement.open())
        return error;
    if (const std::error_code error = replacement.write(bytes))
        return error;
    return replacement.commit();
}

std::error_code replaceOwnFile(const std::filesystem::path &target, std::string_view bytes)
{
    const WorkFileName workName{target.filename().string()};
    removeStaleWorkFiles(target.parent_path(), workName);
    return replaceFile(target, bytes, workName);
}

bool saveTextFile(const std::filesystem::path &target, std::string_view text, std::string &error)
{
    if (const std::error_code failure = replaceFile(target, text)) {
        error = "cannot write " + target.string() + ": " + failure.message();
        return false;
    }
    return true;
}
