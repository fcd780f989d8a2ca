#include "support/TestFiles.h"

#include "core/data/DataFiles.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <stdlib.h>
#include <vector>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vorn-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempDir::write(const std::string &name, std::string_view bytes) const
{
    const auto file = m_path / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    return file;
}

std::string TempDir::read(const std::string &name) const
{
    std::ifstream in(m_path / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string TempDir::names() const
{
    std::vector<std::string> found;
    for (const auto &entry : std::filesystem::directory_iterator(m_path))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    std::string text;
    for (const std::string &name : found)
        text += (text.empty() ? "" : " ") + name;
    return text;
}

void DataSet::writeTo(const TempDir &dir) const
{
    dir.write(DataFiles::CountryFile, country);
    dir.write(DataFiles::BureauFile, bureau);
    if (!calls.empty())
        dir.write(DataFiles::CallsFile, calls);
}

namespace {
const std::string DlRecord = "DL    Germany                DL    DARC                     Y\r\n";
const std::string FRecord = "F     France                 F     REF                      Y\r\n";
} // namespace

const DataSet OldSet{"x DL DL\r\n", DlRecord, "1 DA0X DL\r\n"};
const DataSet NewSet{"x DL DL\r\nx F F\r\n", DlRecord + FRecord, "1 DA0X DL\r\n1 FA0X F\r\n"};

std::ptrdiff_t FailingSource::read(char *buffer, std::size_t size)
{
    if (m_pos >= m_failAfter)
        return -1;
    const std::size_t n =
        std::min({size, m_failAfter - m_pos, m_bytes.size() - m_pos, std::size_t{7}});
    std::memcpy(buffer, m_bytes.data() + m_pos, n);
    m_pos += n;
    return static_cast<std::ptrdiff_t>(n);
}

std::ptrdiff_t TrickleSource::read(char *buffer, std::size_t size)
{
    const std::size_t n = std::min({size, m_piece, m_bytes.size() - m_pos});
    std::memcpy(buffer, m_bytes.data() + m_pos, n);
    m_pos += n;
    return static_cast<std::ptrdiff_t>(n);
}
