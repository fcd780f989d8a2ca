#include "core/net/Download.h"

#include "core/data/DataFiles.h"
#include "core/text/ByteSource.h"
#include "core/text/Integer.h"
#include "core/text/TextLines.h"

int checkFailureCode(DownloadFailure failure)
{
    switch (failure) {
    case DownloadFailure::None:
        return 0;
    case DownloadFailure::UnreadableInfo:
        return -1;
    case DownloadFailure::CannotConnect:
        return -2;
    case DownloadFailure::CannotSend:
        return -3;
    case DownloadFailure::ReceiveFailed:
    case DownloadFailure::CannotBackUp:
    case DownloadFailure::Cancelled:
        return -4;
    case DownloadFailure::NoVersionNumber:
    case DownloadFailure::NoDataVersion:
        return -5;
    case DownloadFailure::BadResponse:
    case DownloadFailure::NotDataFile:
    case DownloadFailure::NotAsPublished:
        return -6;
    }
    return -1;
}

std::string_view Download::targetName(DownloadKind kind)
{
    switch (kind) {
    case DownloadKind::CountryFile:
        return DataFiles::CountryFile;
    case DownloadKind::BureauFile:
        return DataFiles::BureauFile;
    case DownloadKind::UpdateInfo:
        break;
    }
    return DataFiles::UpdateInfoFile;
}

std::optional<DataFile> Download::dataFileOf(DownloadKind kind)
{
    switch (kind) {
    case DownloadKind::CountryFile:
        return DataFile::Country;
    case DownloadKind::BureauFile:
        return DataFile::Bureau;
    case DownloadKind::UpdateInfo:
        break;
    }
    return std::nullopt;
}

std::string Download::statusText(DownloadKind kind, std::string_view host)
{
    std::string text;
    switch (kind) {
    case DownloadKind::CountryFile:
        text = "Downloading country file from ";
        break;
    case DownloadKind::BureauFile:
        text = "Downloading Vorn file from ";
        break;
    case DownloadKind::UpdateInfo:
        text = "Checking for updates at ";
        break;
    }
    text += host;
    text += " ...";
    return text;
}

std::string Download::request(DownloadKind kind, std::string_view host)
{
    std::string text = "GET /files/";
    text += targetName(kind);
    text += "   HTTP/1.1\r\nHost: ";
    text += host;
    text += "\r\n\r\n";
    return text;
}

namespace {

// "<name> <size> <sha256>" for the named file; nothing when the line is not of that form.
std::optional<PublishedFile> publishedFile(std::string_view line, std::string_view name)
{
    if (!line.starts_with(name) || line.size() <= name.size() || line[name.size()] != ' ')
        return std::nullopt;
    line.remove_prefix(name.size() + 1);
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank == 0)
        return std::nullopt;
    const std::optional<std::uint64_t> size =
        parseUnsigned(line.substr(0, blank), IntegerSyntaxes::Digits);
    const std::optional<Sha256::Digest> digest = Sha256::fromHex(line.substr(blank + 1));
    if (!size || !digest)
        return std::nullopt;
    return PublishedFile{*size, *digest};
}

} // namespace

UpdateInfoReading readUpdateInfo(ByteSource &source)
{
    UpdateInfoReading reading;
    LineReader reader(source);
    std::string lines[2];
    for (std::string &line : lines) {
        // Past the end a line reads as empty; only a failing device is an error.
        if (reader.next(line) == LineReader::Status::Error) {
            reading.failure = DownloadFailure::UnreadableInfo;
            return reading;
        }
    }
    const std::optional<std::int32_t> data = parseInt32(lines[0], IntegerSyntaxes::UpdateInfo);
    if (!data) {
        reading.failure = DownloadFailure::NoVersionNumber;
        return reading;
    }
    reading.published.data = *data;
    reading.published.program = parseInt32(lines[1], IntegerSyntaxes::UpdateInfo).value_or(0);
    // The sizes and digests follow; a server that does not publish them is read as before.
    std::string line;
    LineReader::Status status;
    while ((status = reader.next(line)) == LineReader::Status::Line) {
        if (auto file = publishedFile(line, DataFiles::CountryFile))
            reading.published.country = file;
        else if (auto bureau = publishedFile(line, DataFiles::BureauFile))
            reading.published.bureau = bureau;
    }
    if (status == LineReader::Status::Error)
        reading.failure = DownloadFailure::UnreadableInfo;
    return reading;
}

UpdateInfoReading readUpdateInfo(const std::filesystem::path &file)
{
    FileSource source;
    if (!source.open(file))
        return {DownloadFailure::UnreadableInfo, {}};
    return readUpdateInfo(source);
}

bool stripHttpHeader(ByteSource &received, const std::function<bool(std::string_view)> &write)
{
    LineReader reader(received);
    std::string line;
    bool pastHeader = false;
    LineReader::Status status = LineReader::Status::End;
    while ((status = reader.next(line)) == LineReader::Status::Line) {
        if (pastHeader) {
            line += "\r\n";
            if (!write(line))
                return false;
        } else if (line.empty()) {
            pastHeader = true;
        }
    }
    // A file cut short by a failing read, or one without a header, is no download.
    return status != LineReader::Status::Error && pastHeader;
}

bool stripHttpHeader(const std::filesystem::path &received, FileReplacement &stripped)
{
    FileSource input;
    return input.open(received) && !stripped.open() &&
           stripHttpHeader(input,
                           [&stripped](std::string_view line) { return !stripped.write(line); }) &&
           input.close();
}
