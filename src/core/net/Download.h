#pragma once

#include "core/data/DataFolder.h"
#include "core/text/ByteSource.h"
#include "core/text/FileReplacement.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What a download fetches from the web server.
enum class DownloadKind : char {
    CountryFile = 'C', // country.asc
    BureauFile = 'Q',  // vorn.asc
    UpdateInfo = 'X',  // vorn_update.asc: the published data and program versions
};

// Why a download failed.
enum class DownloadFailure {
    None,
    CannotConnect,   // the name was not found, or no connection could be made
    CannotSend,      // the request could not be sent
    ReceiveFailed,   // the connection broke, went silent, or the file could not be written
    BadResponse,     // not a complete answer with a 2xx status, or its header could not be cut
    NotDataFile,     // a data file arrived, but it cannot be one (an error or portal page, say)
    UnreadableInfo,  // the update information arrived but could not be read
    NoVersionNumber, // the update information's first line holds no integer
    Cancelled,       // the user closed the dialog
};

// The number that "failed to check for updates (...)" shows for a failed check.
int checkFailureCode(DownloadFailure failure);

// The two numbers of the update information.
struct PublishedVersions
{
    std::int32_t data = 0;
    std::int32_t program = 0; // 0 when the second line holds no integer
};

struct DownloadResult
{
    DownloadFailure failure = DownloadFailure::None;
    std::string detail;          // what went wrong, in words
    PublishedVersions published; // the update information, when it was fetched

    bool succeeded() const { return failure == DownloadFailure::None; }
};

// Runs one download to its end and says how it went. The program shows a modal dialog while it
// runs; tests stand in for it.
class Downloader
{
public:
    virtual ~Downloader() = default;
    // backupFirst: for the data files, the current file becomes the backup copy before the
    // connection is made.
    virtual DownloadResult download(DownloadKind kind, bool backupFirst) = 0;
};

namespace Download {
// The file a download writes, in the data folder.
std::string_view targetName(DownloadKind kind);
// The data file a download of that kind replaces, if any.
std::optional<DataFile> dataFileOf(DownloadKind kind);
// "Downloading country file from <host> ..." and the like.
std::string statusText(DownloadKind kind, std::string_view host);
// The request: the GET line with its three blanks, the Host field and the empty line.
std::string request(DownloadKind kind, std::string_view host);
} // namespace Download

// Reads the first two lines of a received update information file: integers with leading
// blanks, a sign, and decimal digits or hexadecimal ones after "$" or "0x".
struct UpdateInfoReading
{
    DownloadFailure failure = DownloadFailure::None; // UnreadableInfo or NoVersionNumber
    PublishedVersions published;
};
UpdateInfoReading readUpdateInfo(const std::filesystem::path &file);

// Cuts the response header off a received file: drops every line up to and including the
// first empty one and writes every later line with CR LF to the replacement's work file,
// reading lines by the CR rule. False when the file could not be read or written whole, or held
// no header; the replacement is then not to be committed.
bool stripHttpHeader(const std::filesystem::path &received, FileReplacement &stripped);
// The same from any source of bytes, handing each line with its CR LF to write, which says
// whether it could take it.
bool stripHttpHeader(ByteSource &received, const std::function<bool(std::string_view)> &write);
