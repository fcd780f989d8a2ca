#include "core/net/Download.h"

#include "core/data/DataFiles.h"
#include "core/text/Ascii.h"
#include "core/text/ByteSource.h"
#include "core/text/Integer.h"
#include "core/text/TextLines.h"

#include <vector>

int checkFailureCode(DownloadFailure failure)
{
    switch (failure) {
    case DownloadFailure::None:
        return 0;
    case DownloadFailure::UnreadableInfo:
    case DownloadFailure::DamagedInfo:
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
    case DownloadFailure::MuchSmaller:
        return -6;
    }
    return -1;
}

std::string_view Download::targetName(DownloadKind kind)
{
    const std::optional<DataFile> file = dataFileOf(kind);
    return file ? DataFolder::nameOf(*file) : DataFiles::UpdateInfoFile;
}

std::optional<DataFile> Download::dataFileOf(DownloadKind kind)
{
    switch (kind) {
    case DownloadKind::CountryFile:
        return DataFile::Country;
    case DownloadKind::BureauFile:
        return DataFile::Bureau;
    case DownloadKind::CallsFile:
        return DataFile::Calls;
    case DownloadKind::UpdateInfo:
        break;
    }
    return std::nullopt;
}

DownloadKind Download::kindOf(DataFile file)
{
    switch (file) {
    case DataFile::Country:
        break;
    case DataFile::Bureau:
        return DownloadKind::BureauFile;
    case DataFile::Calls:
        return DownloadKind::CallsFile;
    }
    return DownloadKind::CountryFile;
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
    case DownloadKind::CallsFile:
        text = "Downloading calls file from ";
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

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f';
}

std::vector<std::string_view> wordsOf(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        if (isWhiteSpace(line[at])) {
            ++at;
            continue;
        }
        const std::size_t start = at;
        while (at < line.size() && !isWhiteSpace(line[at]))
            ++at;
        words.push_back(line.substr(start, at - start));
    }
    return words;
}

// A byte that may stand in a file name beside the name of a data file, making it another name
// ("country.asc.bak", "mycountry.asc").
bool isNameByte(char c)
{
    return Ascii::isAlnum(c) || c == '.' || c == '_' || c == '-';
}

// The data file that the line names anywhere, in any letter case.
std::optional<DataFile> fileNamedIn(std::string_view line)
{
    for (const DataFile file : AllDataFiles) {
        const std::string_view name = DataFolder::nameOf(file);
        for (std::size_t at = 0; at + name.size() <= line.size(); ++at) {
            if (Ascii::equalIgnoringCase(line.substr(at, name.size()), name) &&
                (at == 0 || !isNameByte(line[at - 1])) &&
                (at + name.size() == line.size() || !isNameByte(line[at + name.size()])))
                return file;
        }
    }
    return std::nullopt;
}

// A word that is the name of a data file, in any letter case, perhaps after a folder
// ("files/country.asc") and, as sha256sum marks a file read as binary, a '*'.
std::optional<DataFile> fileNamed(std::string_view word)
{
    if (word.starts_with('*'))
        word.remove_prefix(1);
    if (const std::size_t slash = word.rfind('/'); slash != std::string_view::npos)
        word.remove_prefix(slash + 1);
    for (const DataFile file : AllDataFiles) {
        if (Ascii::equalIgnoringCase(word, DataFolder::nameOf(file)))
            return file;
    }
    return std::nullopt;
}

std::optional<Sha256::Digest> digestOf(std::string_view word)
{
    if (Ascii::startsWithIgnoringCase(word, "sha256:"))
        word.remove_prefix(7);
    return Sha256::fromHex(word);
}

// "SHA256 (country.asc) = <sha256>", as sha256sum --tag and the BSD tools write it; openssl
// writes "SHA2-256(country.asc)= <sha256>".
bool readTaggedLine(std::string_view line, std::optional<DataFile> &file,
                    std::optional<Sha256::Digest> &digest)
{
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return false;
    line.remove_prefix(start);
    for (const std::string_view tag : {std::string_view("SHA256"), std::string_view("SHA2-256")}) {
        if (!Ascii::startsWithIgnoringCase(line, tag))
            continue;
        std::string_view rest = line.substr(tag.size());
        rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
        const std::size_t close = rest.rfind(')');
        const std::size_t equals = rest.rfind('=');
        if (!rest.starts_with('(') || close == std::string_view::npos ||
            equals == std::string_view::npos || equals < close)
            return false;
        const std::vector<std::string_view> between =
            wordsOf(rest.substr(close + 1, equals - close - 1));
        const std::vector<std::string_view> after = wordsOf(rest.substr(equals + 1));
        if (!between.empty() || after.size() != 1)
            return false;
        file = fileNamed(rest.substr(1, close - 1));
        digest = digestOf(after[0]);
        return file && digest;
    }
    return false;
}

// What one later line says: a file's size and digest, an allowance, or nothing.
struct PublishedLine
{
    enum class Says { Nothing, File, AllowSmaller, Damaged } says = Says::Nothing;
    DataFile file = DataFile::Country;
    PublishedFile published;
};

PublishedLine readPublishedLine(std::string_view line)
{
    using Says = PublishedLine::Says;
    const std::vector<std::string_view> words = wordsOf(line);
    if (words.empty() || words[0].starts_with('#'))
        return {};
    std::optional<DataFile> file;
    std::optional<Sha256::Digest> digest;
    if (words.size() == 3 && (file = fileNamed(words[0])) && (digest = digestOf(words[2]))) {
        // The generator's layout: the name, the size in bytes and the digest.
        const std::optional<std::uint64_t> size = parseUnsigned(words[1], IntegerSyntaxes::Digits);
        if (size)
            return {Says::File, *file, {size, *digest, false}};
    } else if (words.size() == 2 && Ascii::equalIgnoringCase(words[0], "allow-smaller") &&
               (file = fileNamed(words[1]))) {
        return {Says::AllowSmaller, *file, {}};
    } else if (words.size() == 2 && (digest = digestOf(words[0])) && (file = fileNamed(words[1]))) {
        // sha256sum's layout.
        return {Says::File, *file, {std::nullopt, *digest, false}};
    } else if (readTaggedLine(line, file, digest)) {
        return {Says::File, *file, {std::nullopt, *digest, false}};
    }
    if (const std::optional<DataFile> named = fileNamedIn(line))
        return {Says::Damaged, *named, {}};
    return {};
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
    const auto damaged = [&reading](std::string why) {
        reading.failure = DownloadFailure::DamagedInfo;
        reading.detail = std::move(why);
        reading.published.country.reset();
        reading.published.bureau.reset();
        reading.published.calls.reset();
    };
    bool allowed[std::size(AllDataFiles)] = {};
    std::string line;
    LineReader::Status status;
    std::size_t lineNumber = 2;
    // What one line says; false once the information is damaged.
    const auto take = [&](std::string_view text) {
        ++lineNumber;
        const PublishedLine said = readPublishedLine(text);
        const std::string name(DataFolder::nameOf(said.file));
        switch (said.says) {
        case PublishedLine::Says::Nothing:
            return true;
        case PublishedLine::Says::AllowSmaller:
            allowed[static_cast<std::size_t>(said.file)] = true;
            return true;
        case PublishedLine::Says::Damaged:
            damaged("line " + std::to_string(lineNumber) + " names " + name +
                    " but gives its size and SHA-256 in no form Vorn reads");
            return false;
        case PublishedLine::Says::File:
            break;
        }
        std::optional<PublishedFile> &known = reading.published.fileOf(said.file);
        if (!known) {
            known = said.published;
            return true;
        }
        // Two lines for one file, as when sha256sum's lines are added to the generator's: they
        // must say the same.
        if (known->sha256 != said.published.sha256 ||
            (known->size && said.published.size && *known->size != *said.published.size)) {
            damaged("line " + std::to_string(lineNumber) + " gives " + name +
                    " another size or SHA-256 than a line before");
            return false;
        }
        if (!known->size)
            known->size = said.published.size;
        return true;
    };
    while ((status = reader.next(line)) == LineReader::Status::Line) {
        // Lines that sha256sum adds end in a line feed alone: each is a line of its own here.
        std::string_view rest = line;
        for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;
             rest.remove_prefix(end + 1)) {
            if (!take(rest.substr(0, end)))
                return reading;
        }
        if (!take(rest))
            return reading;
    }
    if (status == LineReader::Status::Error) {
        reading.failure = DownloadFailure::UnreadableInfo;
        return reading;
    }
    for (const DataFile file : AllDataFiles) {
        if (!allowed[static_cast<std::size_t>(file)])
            continue;
        std::optional<PublishedFile> &known = reading.published.fileOf(file);
        // Without the digest, a file cut short would pass as one made smaller on purpose.
        if (!known) {
            damaged("it allows a much smaller " + std::string(DataFolder::nameOf(file)) +
                    ", but no line gives its SHA-256");
            return reading;
        }
        known->muchSmallerAllowed = true;
    }
    return reading;
}

UpdateInfoReading readUpdateInfo(const std::filesystem::path &file)
{
    FileSource source;
    if (!source.open(file))
        return {DownloadFailure::UnreadableInfo, {}, {}};
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
