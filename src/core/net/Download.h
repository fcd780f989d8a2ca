#pragma once

#include "core/data/DataFolder.h"
#include "core/net/Sha256.h"
#include "core/text/ByteSource.h"
#include "core/text/FileReplacement.h"

#include <chrono>
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
    CallsFile = 'L',   // calls.asc, the list of exact calls
    UpdateInfo = 'X',  // vorn_update.asc: the published data and program versions
};

// Why a download failed.
enum class DownloadFailure {
    None,
    CannotConnect,   // the name was not found, or no connection could be made
    CannotSend,      // the request could not be sent
    ReceiveFailed,   // the connection broke, went silent, or the file could not be written
    BadResponse,     // not a complete answer with status 200, or its header could not be cut
    NotDataFile,     // a data file arrived, but it cannot be one (an error or portal page, say)
    NotAsPublished,  // a data file arrived, but its size or SHA-256 is not the published one
    MuchSmaller,     // a sound data file, as published, with less than half the installed rows
    CannotBackUp,    // the backup copy of the data file could not be made, so nothing was fetched
    UnreadableInfo,  // the update information arrived but could not be read
    DamagedInfo,     // ... or a line of it names a data file in no form that can be read
    NoVersionNumber, // the update information's first line holds no integer
    NoDataVersion,   // ... or one that cannot be a data version (see isPlausibleDataVersion)
    Cancelled,       // the user closed the dialog
};

// The number that "failed to check for updates (...)" shows for a failed check.
int checkFailureCode(DownloadFailure failure);

// What the publisher says of a data file: its SHA-256 and, in most forms, its size, as the file
// was published; and whether it may be much smaller than the installed one.
struct PublishedFile
{
    std::optional<std::uint64_t> size; // none in the layout of sha256sum, which gives no size
    Sha256::Digest sha256{};
    bool muchSmallerAllowed = false; // "allow-smaller <name>": the publisher shrank it on purpose

    bool operator==(const PublishedFile &) const = default;
};

// The update information: the two numbers that every reader takes from its first two lines and,
// from a server that publishes them, the size and SHA-256 of each data file. The list of exact
// calls is part of an update only when its line is there.
struct Publication
{
    std::int32_t data = 0;
    std::int32_t program = 0; // 0 when the second line holds no integer
    std::optional<PublishedFile> country;
    std::optional<PublishedFile> bureau;
    std::optional<PublishedFile> calls;

    const std::optional<PublishedFile> &fileOf(DataFile file) const
    {
        return file == DataFile::Country ? country : file == DataFile::Bureau ? bureau : calls;
    }
    std::optional<PublishedFile> &fileOf(DataFile file)
    {
        return file == DataFile::Country ? country : file == DataFile::Bureau ? bureau : calls;
    }
};

struct DownloadResult
{
    DownloadFailure failure = DownloadFailure::None;
    std::string detail;    // what went wrong, in words
    Publication published; // the update information, when it was fetched
    // A data file fetched to be staged: where the checked file waits to take its name.
    std::filesystem::path stagedFile;

    bool succeeded() const { return failure == DownloadFailure::None; }
};

struct DownloadRequest
{
    DownloadKind kind = DownloadKind::UpdateInfo;
    // For the data files: the current file is backed up before the connection is made.
    bool backupFirst = false;
    // For the data files: what the file must be, when the server published it.
    std::optional<PublishedFile> expected;
    // When the whole update of which this download is a part must have ended.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    // For the data files: the checked file is kept beside the target under a name of its own
    // (DownloadResult::stagedFile) instead of taking the target's name, so that the files of an
    // update can take their names together.
    bool staged = false;
};

// Runs one download to its end and says how it went. The program's downloader keeps the event
// loop running meanwhile, and its window shows the download; tests stand in for it.
class Downloader
{
public:
    virtual ~Downloader() = default;
    virtual DownloadResult download(const DownloadRequest &request) = 0;

    DownloadResult download(DownloadKind kind, bool backupFirst)
    {
        return download(DownloadRequest{kind, backupFirst, {}, {}, false});
    }
};

namespace Download {
// The file a download writes, in the data folder.
std::string_view targetName(DownloadKind kind);
// The data file a download of that kind replaces, if any.
std::optional<DataFile> dataFileOf(DownloadKind kind);
// The download of a data file.
DownloadKind kindOf(DataFile file);
// "Downloading country file from <host> ..." and the like.
std::string statusText(DownloadKind kind, std::string_view host);
// The request: the GET line with its three blanks, the Host field and the empty line.
std::string request(DownloadKind kind, std::string_view host);
} // namespace Download

// Reads a received update information file. Its first two lines are integers with leading
// blanks, a sign, and decimal digits or hexadecimal ones after "$" or "0x". A later line gives a
// data file's size and SHA-256 in the form the generator writes, "country.asc <size> <sha256>",
// or its SHA-256 alone as sha256sum writes it, "<sha256>  country.asc" ("*country.asc", a folder
// before the name) or "SHA256 (country.asc) = <sha256>" with --tag; "allow-smaller <name>" lets
// that file be much smaller than the installed one. Words are parted by blanks and tabs, names
// and words are read in any letter case, a digest may follow "sha256:", and a size is decimal
// digits of at most 64 bits. After the first two lines a line feed alone ends a line too, as
// sha256sum writes them. Empty lines, lines that begin with '#' and lines that name no data
// file are passed over; a line that names a data file in no such form, or a second line for a
// file that says otherwise, makes the information damaged (DamagedInfo), since reading past it
// would switch a check off unseen.
struct UpdateInfoReading
{
    DownloadFailure failure =
        DownloadFailure::None; // UnreadableInfo, DamagedInfo or NoVersionNumber
    Publication published;
    std::string detail; // for DamagedInfo: the line and what is wrong with it
};
UpdateInfoReading readUpdateInfo(const std::filesystem::path &file);
UpdateInfoReading readUpdateInfo(ByteSource &source);

// Cuts the response header off a received file: drops every line up to and including the
// first empty one and writes every later line with CR LF to the replacement's work file,
// reading lines by the CR rule. False when the file could not be read or written whole, or held
// no header; the replacement is then not to be committed.
bool stripHttpHeader(const std::filesystem::path &received, FileReplacement &stripped);
// The same from any source of bytes, handing each line with its CR LF to write, which says
// whether it could take it.
bool stripHttpHeader(ByteSource &received, const std::function<bool(std::string_view)> &write);
