#include "core/net/QslInfoAnswer.h"

#include "core/net/QslInfoRequest.h"

#include <gtest/gtest.h>

namespace {

struct ShownTextCase
{
    const char *name;
    std::string received;
    std::string shown;
};

void PrintTo(const ShownTextCase &row, std::ostream *out)
{
    *out << row.name;
}

class ShownTextTest : public testing::TestWithParam<ShownTextCase>
{
};

TEST_P(ShownTextTest, ShowsOnlyWhatCannotPassAsAnotherLine)
{
    EXPECT_EQ(QslInfoAnswer::shownText(GetParam().received), GetParam().shown);
}

const std::string Replacement = "\xef\xbf\xbd";

// Characters as the service sends them, in UTF-8; "\xNN" marks bytes that are no UTF-8.
INSTANTIATE_TEST_SUITE_P(
    Answers, ShownTextTest,
    testing::Values(
        ShownTextCase{"plain text and a tab", "QSL via\tbureau", "QSL via\tbureau"},
        ShownTextCase{"beyond ASCII", "F\u00c9LIX \U0001f4fb", "F\u00c9LIX \U0001f4fb"},
        // "K1FAKE" written backwards would read forwards.
        ShownTextCase{"direction override", "QSL \u202eEKAF1K", "QSL EKAF1K"},
        ShownTextCase{"embeddings and isolates", "\u202aa\u202cb\u2066c\u2069", "abc"},
        ShownTextCase{"line and paragraph separators", "x\u2028********** K1FAKE **********\u2029y",
                      "x********** K1FAKE **********y"},
        ShownTextCase{"neighbours of the removed ranges", "\u200f\u2027\u202f\u2065\u206a",
                      "\u200f\u2027\u202f\u2065\u206a"},
        ShownTextCase{"C0 and C1 controls",
                      std::string("a\0b\vc\x1b[2Jd\x7f", 11) + "\u0085e\u009f", "abc[2Jde"},
        ShownTextCase{"a sequence cut at the end", "a\xe2\x80", "a" + Replacement + Replacement},
        // The overlong form of U+202E must not slip past.
        ShownTextCase{"overlong override", "a\xf0\x82\x80\xae",
                      "a" + Replacement + Replacement + Replacement + Replacement},
        ShownTextCase{"surrogate", "\xed\xa0\x80", Replacement + Replacement + Replacement},
        ShownTextCase{"Latin-1 byte", "K\xe9", "K" + Replacement}),
    [](const testing::TestParamInfo<ShownTextCase> &row) {
        std::string name = row.param.name;
        for (char &c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

// A reference becomes its character unless that would break the shown line: the control
// characters at either end of their ranges, and what XML allows no reference to, stay as written.
TEST(XmlUnescaped, LeavesReferencesToControlCharactersAsWritten)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"a &amp; b &lt;c&gt;", "a & b <c>"},
        {"&#x1f;&#x20;", "&#x1f; "},
        {"&#x7e;&#x7f;", "~&#x7f;"},
        {"&#x9f;&#xa0;", "&#x9f;\u00a0"},
        {"&#xFFFD;&#xFFFE;", "\ufffd&#xFFFE;"},
        // A reference is ten characters long at most.
        {"&#x0010FFFF;", "\U0010ffff"},
        {"&#x00010FFFF;", "&#x00010FFFF;"},
        {"&amp &#65", "&amp &#65"},
    };
    for (const auto &[text, plain] : cases)
        EXPECT_EQ(QslInfoRequest::xmlUnescaped(text), plain) << text;
}

} // namespace
