#include "core/text/XmlReference.h"

#include "core/text/Integer.h"

#include <utility>

namespace {

constexpr char32_t LargestCode = 0x10FFFF;

bool isXmlCharacter(char32_t code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= LargestCode);
}

} // namespace

char32_t xmlReferencedCharacter(std::string_view reference)
{
    static constexpr std::pair<std::string_view, char32_t> Entities[] = {
        {"amp", U'&'}, {"lt", U'<'}, {"gt", U'>'}, {"quot", U'"'}, {"apos", U'\''}};
    for (const auto &[entity, character] : Entities) {
        if (reference == entity)
            return character;
    }
    if (!reference.starts_with('#'))
        return 0;
    reference.remove_prefix(1);
    const bool hexadecimal = reference.starts_with('x');
    if (hexadecimal)
        reference.remove_prefix(1);
    const std::optional<std::uint64_t> code = parseUnsigned(
        reference, hexadecimal ? IntegerSyntaxes::HexDigits : IntegerSyntaxes::Digits, LargestCode);
    return code && isXmlCharacter(static_cast<char32_t>(*code)) ? static_cast<char32_t>(*code) : 0;
}
