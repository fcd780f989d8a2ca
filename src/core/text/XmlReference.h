#pragma once

#include <string_view>

// The character that an XML reference stands for, given its text between '&' and ';': one of
// the five predefined entities ("amp", "lt", "gt", "quot", "apos") or a character reference,
// "#65" or "#x41" (a small x, hexadecimal digits of either case). 0 when the text is none of
// these, or names a character that XML does not allow: U+0000 and the control characters below
// U+0020 but tab, line feed and carriage return, the surrogates, U+FFFE, U+FFFF, and anything
// beyond U+10FFFF.
char32_t xmlReferencedCharacter(std::string_view reference);
