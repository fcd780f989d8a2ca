// The integer syntaxes of the files, against a second reading of the same rules.

#include "FuzzInput.h"
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    if (text.find('\0') != std::string::npos)
        return 0;
    for (const IntegerSyntax syntax :
         {IntegerSyntaxes::Digits, IntegerSyntaxes::SignedDecimal, IntegerSyntaxes::UpdateInfo})
        FUZZ_CHECK(parseInt32(text, syntax) == reference(text, syntax));
    return 0;
}
