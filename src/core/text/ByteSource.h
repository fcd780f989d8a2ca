#pragma once

#include "core/text/LoadResult.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

// A sequential source of bytes for the text-file readers. Tests hand in sources that fail on
// purpose; the program reads real files through FileSource.
class ByteSource
{
public:
    virtual ~ByteSource() = default;

    // Reads up to size bytes: the count read, 0 at the end of the data, -1 when the device fails.
    virtual std::ptrdiff_t read(char *buffer, std::size_t size) = 0;
    // Why the last read failed.
    virtual std::error_code error() const { return std::make_error_code(std::errc::io_error); }
};

// Bytes held in memory, read as a file would be; the bytes must outlive the source.
class MemorySource final : public ByteSource
{
public:
    explicit MemorySource(std::string_view bytes) : m_bytes(bytes) {}

    std::ptrdiff_t read(char *buffer, std::size_t size) override;

private:
    std::string_view m_bytes;
};

// Reads from a file descriptor that is opened and closed elsewhere, such as standard input.
// error() tells the system's reason for a failed read.
class DescriptorSource : public ByteSource
{
public:
    explicit DescriptorSource(int fd = -1) : m_fd(fd) {}

    std::ptrdiff_t read(char *buffer, std::size_t size) override;
    std::error_code error() const override { return m_error; }

protected:
    int m_fd;
    std::error_code m_error;
};

// A file opened read-only by its name. Opening never blocks. Opening can fail; so can every
// read and the final close, and error() then tells the system's reason.
class FileSource final : public DescriptorSource
{
public:
    // What a name may lead to. Vorn's own files are regular files: anything else under their
    // names (a FIFO, a device, a directory) counts as a file that cannot be read, and no device
    // is opened at all. A log may also come through a pipe or a device, whose reads then wait
    // for data as usual.
    enum class Kinds { RegularFiles, AllButDirectories };

    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    bool open(const std::filesystem::path &path, Kinds kinds = Kinds::RegularFiles);
    // Closes the file; false when the system reports an error.
    bool close();

private:
    bool fail(std::error_code error);
};

// Reads a whole regular file into bytes; the result says why it could not be read.
LoadResult readWholeFile(const std::filesystem::path &path, std::string &bytes);

// Opens a regular file, hands it to read and closes it. The first failure wins: opening, then
// what read gives, then closing.
LoadResult readFile(const std::filesystem::path &path,
                    const std::function<LoadResult(ByteSource &)> &read);
