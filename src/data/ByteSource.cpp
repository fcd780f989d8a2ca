#include "data/ByteSource.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

FileSource::~FileSource()
{
    close();
}

bool FileSource::open(const std::filesystem::path &path)
{
    close();
    do {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    return m_fd >= 0;
}

std::ptrdiff_t FileSource::read(char *buffer, std::size_t size)
{
    if (m_fd < 0)
        return -1;
    ssize_t n;
    do {
        n = ::read(m_fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

bool FileSource::close()
{
    if (m_fd < 0)
        return true;
    const int result = ::close(m_fd);
    m_fd = -1;
    // After EINTR the descriptor is gone on Linux; the data were only read, so nothing is lost.
    return result == 0 || errno == EINTR;
}
