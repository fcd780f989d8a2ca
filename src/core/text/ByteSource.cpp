#include "core/text/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::error_code systemError(int error)
{
    return {error, std::system_category()};
}

// Why a file of this type cannot be read; nothing for one that can.
std::error_code typeError(mode_t mode, FileSource::Kinds kinds)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return systemError(EISDIR);
    if (kinds == FileSource::Kinds::AllButDirectories)
        return {};
    return FileError::NotRegularFile;
}

} // namespace

FileSource::~FileSource()
{
    close();
}

bool FileSource::fail(std::error_code error)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_error = error;
    return false;
}

bool FileSource::open(const std::filesystem::path &path, Kinds kinds)
{
    close();
    m_error.clear();
    // Looked at before opening, so that no device is opened unless asked for; looked at again
    // once open, because the name may have changed meanwhile. O_NONBLOCK keeps a FIFO from
    // blocking the open until a writer comes; it is cleared, so that reads wait for one.
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return fail(systemError(errno));
    if (const auto error = typeError(status.st_mode, kinds))
        return fail(error);
    do {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0)
        return fail(systemError(errno));
    if (::fstat(m_fd, &status) != 0)
        return fail(systemError(errno));
    if (const auto error = typeError(status.st_mode, kinds))
        return fail(error);
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return fail(systemError(errno));
    return true;
}

std::ptrdiff_t MemorySource::read(char *buffer, std::size_t size)
{
    const std::size_t n = std::min(size, m_bytes.size());
    std::memcpy(buffer, m_bytes.data(), n);
    m_bytes.remove_prefix(n);
    return static_cast<std::ptrdiff_t>(n);
}

std::ptrdiff_t DescriptorSource::read(char *buffer, std::size_t size)
{
    if (m_fd < 0) {
        m_error = systemError(EBADF);
        return -1;
    }
    ssize_t n;
    do {
        n = ::read(m_fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        m_error = systemError(errno);
    return n;
}

bool FileSource::close()
{
    if (m_fd < 0)
        return true;
    const int result = ::close(m_fd);
    m_fd = -1;
    // After EINTR the descriptor is gone on Linux; the data were only read, so nothing is lost.
    if (result == 0 || errno == EINTR)
        return true;
    m_error = systemError(errno);
    return false;
}

LoadResult readFile(const std::filesystem::path &path,
                    const std::function<LoadResult(ByteSource &)> &read)
{
    FileSource source;
    if (!source.open(path))
        return {source.error()};
    LoadResult result = read(source);
    if (!source.close() && !result.error)
        result.error = source.error();
    return result;
}

LoadResult readWholeFile(const std::filesystem::path &path, std::string &bytes)
{
    bytes.clear();
    return readFile(path, [&bytes](ByteSource &source) {
        char buffer[16384];
        for (;;) {
            const std::ptrdiff_t n = source.read(buffer, sizeof buffer);
            if (n < 0)
                return LoadResult{source.error()};
            if (n == 0)
                return LoadResult{};
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    });
}
