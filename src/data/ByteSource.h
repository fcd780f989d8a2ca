#pragma once

#include <cstddef>
#include <filesystem>

// A sequential source of bytes for the text-file readers. Tests hand in sources that fail on
// purpose; the program reads real files through FileSource.
class ByteSource
{
public:
    virtual ~ByteSource() = default;

    // Reads up to size bytes: the count read, 0 at the end of the data, -1 when the device fails.
    virtual std::ptrdiff_t read(char *buffer, std::size_t size) = 0;
};

// A file opened read-only. Opening can fail; so can every read and the final close.
class FileSource final : public ByteSource
{
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    bool open(const std::filesystem::path &path);
    std::ptrdiff_t read(char *buffer, std::size_t size) override;
    // Closes the file; false when the system reports an error.
    bool close();

private:
    int m_fd = -1;
};
