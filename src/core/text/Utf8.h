#pragma once

#include <string>

// Appends the UTF-8 form of a character, a code point up to U+10FFFF.
inline void appendUtf8(std::string &text, char32_t code)
{
    const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (code < 0x80) {
        text += byte(code);
    } else if (code < 0x800) {
        text += byte(0xC0 | (code >> 6));
        text += byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += byte(0xE0 | (code >> 12));
        text += byte(0x80 | ((code >> 6) & 0x3F));
        text += byte(0x80 | (code & 0x3F));
    } else {
        text += byte(0xF0 | (code >> 18));
        text += byte(0x80 | ((code >> 12) & 0x3F));
        text += byte(0x80 | ((code >> 6) & 0x3F));
        text += byte(0x80 | (code & 0x3F));
    }
}
