#include "core/text/XmlReference.h"

#include <gtest/gtest.h>

namespace {

struct ReferenceCase
{
    std::string_view reference; // the text between '&' and ';'
    char32_t character;         // 0: no reference
};

// The ranges of characters XML allows, each at its ends and one past them.
TEST(XmlReference, StandsForACharacterXmlAllows)
{
    const ReferenceCase cases[] = {
        {"amp", U'&'},
        {"lt", U'<'},
        {"gt", U'>'},
        {"quot", U'"'},
        {"apos", U'\''},
        {"AMP", 0},
        {"", 0},
        {"#65", U'A'},
        {"#x41", U'A'},
        {"#x6a", U'j'},
        {"#x0000000041", U'A'},
        {"#X41", 0},
        {"#", 0},
        {"#x", 0},
        {"#+65", 0},
        {"# 65", 0},
        {"#0", 0},
        {"#9", U'\t'},
        {"#10", U'\n'},
        {"#11", 0},
        {"#13", U'\r'},
        {"#31", 0},
        {"#32", U' '},
        {"#x7f", 0x7f},
        {"#xD7FF", 0xD7FF},
        {"#xD800", 0},
        {"#xDFFF", 0},
        {"#xE000", 0xE000},
        {"#xFFFD", 0xFFFD},
        {"#xFFFE", 0},
        {"#xFFFF", 0},
        {"#x10000", 0x10000},
        {"#x10FFFF", 0x10FFFF},
        {"#x110000", 0},
        {"#1114111", 0x10FFFF},
        {"#1114112", 0},
        {"#99999999999999999999999", 0},
    };
    for (const ReferenceCase &row : cases)
        EXPECT_EQ(xmlReferencedCharacter(row.reference), row.character) << row.reference;
}

} // namespace
