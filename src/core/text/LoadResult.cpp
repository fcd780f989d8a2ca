#include "core/text/LoadResult.h"

#include <string>

namespace {

class FileErrorCategory final : public std::error_category
{
public:
    const char *name() const noexcept override { return "vorn-file"; }
    std::string message(int error) const override
    {
        switch (static_cast<FileError>(error)) {
        case FileError::NotRegularFile:
            return "Not a regular file";
        }
        return "Unknown file error";
    }
};

} // namespace

const std::error_category &fileErrorCategory()
{
    static const FileErrorCategory category;
    return category;
}
