#pragma once

#include <system_error>
#include <type_traits>

// Why a file could not be read where the system itself sees no error.
enum class FileError {
    NotRegularFile = 1, // a FIFO, a device or a socket: Vorn reads only plain files
};

const std::error_category &fileErrorCategory();

inline std::error_code make_error_code(FileError error)
{
    return {static_cast<int>(error), fileErrorCategory()};
}

template<> struct std::is_error_code_enum<FileError> : std::true_type
{
};

// The outcome of reading a whole file. The error is the system's own reason ("Permission
// denied", "Is a directory") or one of FileError; error.message() is fit for a message box.
struct LoadResult
{
    std::error_code error; // empty when the file was read to its end

    explicit operator bool() const { return !error; }
};
