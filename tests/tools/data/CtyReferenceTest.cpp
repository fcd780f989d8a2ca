#include "CtyReference.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

// Germany with a prefix that carries zone overrides, Austria and the WAE entity inside it
// sharing an exact call, the USA with exact calls elsewhere, and Guantanamo Bay.
constexpr std::string_view World =
    R"(Fed. Rep. of Germany:     14:  28:  EU:   51.00:   -10.00:    -1.0:  DL:
    DA,DL,DL1(14)[28],DL1X<51.0/-10.0>,=DL1ABC/P{EU},
    =DL2ZZ~1.0~;
Austria:                  15:  28:  EU:   47.33:   -13.33:    -1.0:  OE:
    OE,=4U1A;
Vienna Intl Ctr:          15:  28:  EU:   48.20:   -16.30:    -1.0:  *4U1V:
    =4U1A,=4U1VIC;
United States of America: 05:  08:  NA:   37.53:    91.67:     5.0:  K:
    K,W,=DL1ZZ,=KG4AA;
Guantanamo Bay:           08:  11:  NA:   20.00:    75.00:     5.0:  KG4:
    KG4,=KG44WW;
)";

class CtyReferenceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(m_cty.parse(World, error)) << error;
    }
    CtyReference m_cty;
};

TEST_F(CtyReferenceTest, ReadsEntitiesPrefixesAndExactCalls)
{
    ASSERT_EQ(m_cty.entities().size(), 5u);
    EXPECT_EQ(m_cty.entities()[2].name, "Vienna Intl Ctr");
    EXPECT_EQ(m_cty.entities()[2].code, "*4U1V");
    EXPECT_TRUE(m_cty.entities()[2].wae);
    EXPECT_FALSE(m_cty.entities()[1].wae);
    EXPECT_EQ(m_cty.prefixCount(), 8u);
    EXPECT_EQ(m_cty.exactCallCount(), 7u); // 4U1A once
    EXPECT_EQ(m_cty.entityOfPrefix("DL1X"), "DL");
    EXPECT_EQ(m_cty.entityOfPrefix("DL1ABC"), std::nullopt);
    EXPECT_TRUE(m_cty.isExactCall("DL2ZZ"));
}

struct CallCase
{
    const char *call;
    const char *entity; // nullptr: no prefix fits
};

void PrintTo(const CallCase &c, std::ostream *out)
{
    *out << c.call << " -> " << (c.entity ? c.entity : "nothing");
}

class CtyReferenceCallTest : public CtyReferenceTest, public ::testing::WithParamInterface<CallCase>
{
};

TEST_P(CtyReferenceCallTest, ExactCallFirstThenLongestPrefix)
{
    const CallCase &c = GetParam();
    const auto entity = m_cty.entityOf(c.call);
    if (c.entity)
        EXPECT_EQ(entity, std::optional<std::string>(c.entity));
    else
        EXPECT_EQ(entity, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CtyReferenceCallTest,
    ::testing::Values(
        // exact calls, overrides removed
        CallCase{"DL1ABC/P", "DL"}, CallCase{"DL2ZZ", "DL"}, CallCase{"DL1ZZ", "K"},
        // a call under a DXCC entity and the WAE entity inside it
        CallCase{"4U1A", "*4U1V"}, CallCase{"4U1VIC", "*4U1V"},
        // longest prefix
        CallCase{"DL1XYZ", "DL"}, CallCase{"DA0AB", "DL"}, CallCase{"OE3ABC", "OE"},
        CallCase{"W1AW", "K"}, CallCase{"DL/K1ABC", "DL"}, CallCase{"K1ABC/DL", "K"},
        CallCase{"XX1AB", nullptr}, CallCase{"4U1B", nullptr},
        // KG4: two characters Guantanamo Bay, any other number the USA
        CallCase{"KG4", "KG4"}, CallCase{"KG4AB", "KG4"}, CallCase{"KG4AB/P", "KG4"},
        CallCase{"KG4/W1AW", "KG4"}, CallCase{"KG4A", "K"}, CallCase{"KG4ABC", "K"},
        CallCase{"KG4AA", "K"}, CallCase{"KG44WW", "KG4"}),
    [](const ::testing::TestParamInfo<CallCase> &param) {
        std::string name = param.param.call;
        std::replace(name.begin(), name.end(), '/', '_');
        return name;
    });

TEST(CtyReferenceFile, TextsThatAreNotCountryFilesAreRefused)
{
    const std::string_view broken[] = {
        "",
        "Germany: 14: 28: EU:\n    DL;\n",                                 // header too short
        "Germany: 14: 28: EU: 51.00: -10.00: -1.0: DL:\n    DL,dl1;\n",    // lower case
        "Germany: 14: 28: EU: 51.00: -10.00: -1.0: DL:\n    DL,DL1(14;\n", // unclosed override
        "Germany: 14: 28: EU: 51.00: -10.00: -1.0: DL:\n    DL,=;\n",
        "Germany: 14: 28: EU: 51.00: -10.00: -1.0: DL:\n    DL;\n"
        "Austria: 15: 28: EU: 47.33: -13.33: -1.0: OE:\n    OE,DL;\n", // one prefix, two entities
    };
    for (const auto text : broken) {
        CtyReference cty;
        std::string error;
        EXPECT_FALSE(cty.parse(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(CtyReferenceFile, MissingFileIsReported)
{
    CtyReference cty;
    std::string error;
    EXPECT_FALSE(cty.load("/nonexistent/cty.dat", error));
    EXPECT_NE(error.find("/nonexistent/cty.dat"), std::string::npos);
}

} // namespace
