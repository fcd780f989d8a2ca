#pragma once

#include "core/text/ByteSource.h"

#include <filesystem>
#include <string>
#include <string_view>

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    // Writes bytes exactly as given to a file in this directory and returns its path.
    std::filesystem::path write(const std::string &name, std::string_view bytes) const;
    // The bytes of a file in this directory; empty when it cannot be read.
    std::string read(const std::string &name) const;
    // The names in this directory, sorted and separated by blanks.
    std::string names() const;

private:
    std::filesystem::path m_path;
};

// Data files that fit together, as one update brings them.
struct DataSet
{
    std::string country;
    std::string bureau;
    std::string calls; // empty: no list of exact calls

    // Writes them into the folder under their names.
    void writeTo(const TempDir &dir) const;
};
// One row in each file as installed, two as published, so that the counts tell them apart.
extern const DataSet OldSet;
extern const DataSet NewSet;

// Hands out its bytes in small pieces, then fails like a broken device.
class FailingSource final : public ByteSource
{
public:
    FailingSource(std::string bytes, std::size_t failAfter)
        : m_bytes(std::move(bytes)), m_failAfter(failAfter)
    {}
    std::ptrdiff_t read(char *buffer, std::size_t size) override;

private:
    std::string m_bytes;
    std::size_t m_failAfter;
    std::size_t m_pos = 0;
};

// Hands out its bytes a few at a time, so that line ends fall across reads.
class TrickleSource final : public ByteSource
{
public:
    TrickleSource(std::string bytes, std::size_t piece) : m_bytes(std::move(bytes)), m_piece(piece)
    {}
    std::ptrdiff_t read(char *buffer, std::size_t size) override;

private:
    std::string m_bytes;
    std::size_t m_piece;
    std::size_t m_pos = 0;
};
