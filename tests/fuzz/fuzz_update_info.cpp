// The integer syntaxes of the files, against a second reading of the same rules, and the whole
// update information with the sizes and digests of the data files.

#include "FuzzInput.h"
#include "core/net/Download.h"
#include "core/text/Integer.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

// The rules again, through the C library: blanks, sign, "$" or "0x" and digits only, each
// where the syntax allows it.
std::optional<std::int32_t> reference(std::string text, IntegerSyntax syntax)
{
    std::size_t i = syntax.leadingBlanks ? text.find_first_not_of(' ') : 0;
    if (i == std::string::npos)
        return std::nullopt;
    std::string sign;
    if (syntax.sign && (text[i] == '+' || text[i] == '-'))
        sign = text[i++];
    int base = 10;
    if (syntax.hexadecimal && text.compare(i, 1, "$") == 0) {
        base = 16;
        i += 1;
    } else if (syntax.hexadecimal &&
               (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0)) {
        base = 16;
        i += 2;
    }
    const std::string digits = text.substr(i);
    if (digits.empty() || digits.find_first_not_of(base == 16 ? "0123456789abcdefABCDEF"
                                                              : "0123456789") != std::string::npos)
        return std::nullopt;
    errno = 0;
    const long long value = std::strtoll((sign + digits).c_str(), nullptr, base);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

// What the reading found, written as the generator writes it, reads back the same.
void readsBack(const Publication &published)
{
    std::string text = "1\r\n2\r\n";
    if (published.country)
        text += "country.asc " + std::to_string(published.country->size) + " " +
                Sha256::toHex(published.country->sha256) + "\r\n";
    if (published.bureau)
        text += "vorn.asc " + std::to_string(published.bureau->size) + " " +
                Sha256::toHex(published.bureau->sha256) + "\r\n";
    PieceSource source(text, text.size());
    const UpdateInfoReading again = readUpdateInfo(source);
    FUZZ_CHECK(again.published.country == published.country);
    FUZZ_CHECK(again.published.bureau == published.bureau);
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
    FUZZ_CHECK(once.published.country == inPieces.published.country);
    FUZZ_CHECK(once.published.bureau == inPieces.published.bureau);
    readsBack(once.published);

    if (text.find('\0') != std::string::npos)
        return 0;
    for (const IntegerSyntax syntax :
         {IntegerSyntaxes::Digits, IntegerSyntaxes::SignedDecimal, IntegerSyntaxes::UpdateInfo})
        FUZZ_CHECK(parseInt32(text, syntax) == reference(text, syntax));
    return 0;
}
