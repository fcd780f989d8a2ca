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
    case DownloadFailure::Cancelled:
        return -4;
    case DownloadFailure::NoVersionNumber:
        return -5;
    case DownloadFailure::BadResponse:
    case DownloadFailure::NotDataFile:
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

UpdateInfoReading readUpdateInfo(const std::filesystem::path &file)
{
    UpdateInfoReading reading;
    FileSource source;
    if (!source.open(file)) {
        reading.failure = DownloadFailure::UnreadableInfo;
        return reading;
    }
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
    reading.published = {*data, parseInt32(lines[1], IntegerSyntaxes::UpdateInfo).value_or(0)};
    return reading;
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
