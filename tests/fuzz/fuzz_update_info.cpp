// The integer syntaxes of the files and answers, against a second reading of the same rules, and
// the whole update information with the sizes and digests of the data files.

#include "FuzzInput.h"
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
         {IntegerSyntaxes::Digits, IntegerSyntaxes::SignedDecimal, IntegerSyntaxes::UpdateInfo,
          IntegerSyntaxes::HexDigits, IntegerSyntax{.maxDigits = 9}}) {
        FUZZ_CHECK(parseInt32(text, syntax) == reference(text, syntax));
        // The bound from the input's length, so that every size of bound is reached.
        for (const std::uint64_t most : {UINT64_MAX, std::uint64_t{0x10FFFF}, std::uint64_t{size}})
            FUZZ_CHECK(parseUnsigned(text, syntax, most) == referenceUnsigned(text, syntax, most));
    }
    return 0;
}
