// The integer syntaxes of the files and answers, against a second reading of the same rules, and
// the whole update information with the sizes and digests of the data files in every form it
// reads.

#include "FuzzInput.h"
#include "core/data/DataFolder.h"
#include "core/net/Download.h"
#include "core/text/Integer.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

// The rules again, through the C library: blanks, sign, "$" or "0x" and digits only, each
// where the syntax allows it.
struct Written
{
    std::string sign;
    int base = 10;
    std::string digits;
};

std::optional<Written> written(const std::string &text, IntegerSyntax syntax)
{
    std::size_t i = syntax.leadingBlanks ? text.find_first_not_of(' ') : 0;
    if (i == std::string::npos)
        return std::nullopt;
    Written number;
    if (syntax.sign && (text[i] == '+' || text[i] == '-'))
        number.sign = text[i++];
    number.base = syntax.bareHexadecimal ? 16 : 10;
    if (syntax.hexadecimal && text.compare(i, 1, "$") == 0) {
        number.base = 16;
        i += 1;
    } else if (syntax.hexadecimal &&
               (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0)) {
        number.base = 16;
        i += 2;
    }
    number.digits = text.substr(i);
    if (number.digits.empty() ||
        (syntax.maxDigits != 0 && number.digits.size() > syntax.maxDigits) ||
        number.digits.find_first_not_of(number.base == 16 ? "0123456789abcdefABCDEF"
                                                          : "0123456789") != std::string::npos)
        return std::nullopt;
    return number;
}

std::optional<std::int32_t> reference(const std::string &text, IntegerSyntax syntax)
{
    const std::optional<Written> number = written(text, syntax);
    if (!number)
        return std::nullopt;
    errno = 0;
    const long long value =
        std::strtoll((number->sign + number->digits).c_str(), nullptr, number->base);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::uint64_t> referenceUnsigned(const std::string &text, IntegerSyntax syntax,
                                               std::uint64_t most)
{
    const std::optional<Written> number = written(text, syntax);
    if (!number || number->sign == "-")
        return std::nullopt;
    errno = 0;
    const unsigned long long value = std::strtoull(number->digits.c_str(), nullptr, number->base);
    if (errno == ERANGE || value > most)
        return std::nullopt;
    return value;
}

} // namespace

constexpr DataFile DataFilesOfAnUpdate[] = {DataFile::Country, DataFile::Bureau, DataFile::Calls};

// What the reading found, written as the generator writes it and in the layout of sha256sum,
// reads back the same.
void readsBack(const Publication &published)
{
    std::string generator = "1\r\n2\r\n";
    std::string sha256sum = "1\r\n2\r\n";
    for (const DataFile file : DataFilesOfAnUpdate) {
        const std::optional<PublishedFile> &known = published.fileOf(file);
        if (!known)
            continue;
        const std::string name(DataFolder::nameOf(file));
        const std::string hex = Sha256::toHex(known->sha256);
        if (known->size)
            generator += name + " " + std::to_string(*known->size) + " " + hex + "\r\n";
        generator += known->size ? "" : hex + "  " + name + "\r\n";
        generator += known->muchSmallerAllowed ? "allow-smaller " + name + "\r\n" : "";
        sha256sum += hex + " *" + name + "\n";
    }
    for (const std::string *text : {&generator, &sha256sum}) {
        PieceSource source(*text, text->size());
        const UpdateInfoReading again = readUpdateInfo(source);
        FUZZ_CHECK(again.failure == DownloadFailure::None);
        for (const DataFile file : DataFilesOfAnUpdate) {
            const std::optional<PublishedFile> &before = published.fileOf(file);
            const std::optional<PublishedFile> &after = again.published.fileOf(file);
            FUZZ_CHECK(before.has_value() == after.has_value());
            if (before && after) {
                FUZZ_CHECK(before->sha256 == after->sha256);
                FUZZ_CHECK(text == &sha256sum || *before == *after);
            }
        }
    }
}

std::string lowerCase(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    // However the bytes arrive, the reading is the same.
    PieceSource whole(text, text.size() + 1);
    PieceSource pieces(text, size % 7 + 1);
    const UpdateInfoReading once = readUpdateInfo(whole);
    const UpdateInfoReading inPieces = readUpdateInfo(pieces);
    FUZZ_CHECK(once.failure == inPieces.failure);
    FUZZ_CHECK(once.published.data == inPieces.published.data);
    const std::string lower = lowerCase(text);
    for (const DataFile file : DataFilesOfAnUpdate) {
        const std::optional<PublishedFile> &published = once.published.fileOf(file);
        FUZZ_CHECK(published == inPieces.published.fileOf(file));
        // Damaged information publishes nothing; a file is published only where it is named.
        FUZZ_CHECK(!published || once.failure == DownloadFailure::None);
        FUZZ_CHECK(!published || lower.find(DataFolder::nameOf(file)) != std::string::npos);
    }
    readsBack(once.published);

    if (text.find('\0') != std::string::npos)
        return 0;
    for (const IntegerSyntax syntax :
         {IntegerSyntaxes::Digits, IntegerSyntaxes::SignedDecimal, IntegerSyntaxes::UpdateInfo,
          IntegerSyntaxes::HexDigits, IntegerSyntax{.maxDigits = 9}}) {
        FUZZ_CHECK(parseInt32(text, syntax) == reference(text, syntax));
        // The bound from the input's length, so that every size of bound is reached.
        for (const std::uint64_t most : {UINT64_MAX, std::uint64_t{0x10FFFF}, std::uint64_t{size}})
            FUZZ_CHECK(parseUnsigned(text, syntax, most) == referenceUnsigned(text, syntax, most));
    }
    return 0;
}
