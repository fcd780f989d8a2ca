#include "core/text/FileReplacement.h"

#include "core/text/LoadResult.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names tried for a work file of its own before giving up: "log.adi.tmp", "log.adi.tmp1", ...
constexpr int WorkFileNames = 100;

std::error_code lastError()
{
    return {errno != 0 ? errno : EIO, std::system_category()};
}

} // namespace

FileReplacement::FileReplacement(std::filesystem::path target, std::filesystem::path workFile)
    : m_target(std::move(target)), m_workFile(std::move(workFile)), m_nameChosen(m_workFile.empty())
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

int FileReplacement::openWorkFile(int flags) const
{
    // O_NONBLOCK: a FIFO under the work file's name must not block the program.
    int fd;
    do {
        fd = ::open(m_workFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | flags, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

std::error_code FileReplacement::open()
{
    if (m_error || m_fd >= 0)
        return m_error;
    if (m_nameChosen) {
        std::error_code ignored;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(m_target, ignored))) {
            const auto resolved = std::filesystem::weakly_canonical(m_target, ignored);
            if (!resolved.empty())
                m_target = resolved;
        }
        // Never over a file of the user's that happens to bear the name.
        for (int n = 0; n < WorkFileNames && m_fd < 0; ++n) {
            m_workFile = m_target;
            m_workFile += n == 0 ? std::string(".tmp") : ".tmp" + std::to_string(n);
            m_fd = openWorkFile(O_EXCL);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
    } else {
        m_fd = openWorkFile(O_TRUNC);
    }
    if (m_fd < 0)
        return fail(lastError());
    m_ours = true;
    struct stat status;
    if (::fstat(m_fd, &status) != 0)
        return fail(lastError());
    if (!S_ISREG(status.st_mode))
        return fail(FileError::NotRegularFile);
    // The old file's permissions, if there is one; a failure here costs only those.
    if (::stat(m_target.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        (void)::fchmod(m_fd, status.st_mode & 07777);
    return {};
}

std::error_code FileReplacement::write(std::string_view bytes)
{
    if (m_fd < 0)
        return fail(std::make_error_code(std::errc::bad_file_descriptor));
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(lastError());
        if (n == 0)
            return fail(std::make_error_code(std::errc::io_error));
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
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
                            const std::filesystem::path &workFile)
{
    FileReplacement replacement(target, workFile);
    if (const std::error_code error = replacement.open())
        return error;
    if (const std::error_code error = replacement.write(bytes))
        return error;
    return replacement.commit();
}
