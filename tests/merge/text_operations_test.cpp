// Tests of the text operations that the aperture record is cut with.
#include "text_operations.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Module1::Find;
using Module1::NumericValue;
using Module1::Take;
using Module1::TrimLeadingBlanks;

TEST(TextOperations, FindCountsFromOneAndGivesZeroForNone)
{
    struct Case {
        const char* text;
        const char* sought;
        std::size_t start;
        std::size_t expected;
    };
    const Case cases[] = {
        {"D12 ROUND 010.0 020.0", ".", 1, 14},
        {"D12 ROUND 010.0 020.0", ".", 14, 14},  // a match at the start itself counts
        {"D12 ROUND 010.0 020.0", ".", 15, 20},
        {"D12 ROUND 010.0 020.0", ".", 21, 0},
        {"D12 ROUND 010.0 020.0", "ROUND", 1, 5},
        {"D12 ROUND", "round", 1, 0},  // letter case counts
        {"abc", "c", 3, 3},
        {"abc", "c", 4, 0},  // a start beyond the text finds nothing
        {"abc", "c", 400, 0},
        {"", ".", 1, 0},
        {"xdrawPolygonsx", "drawPolygons", 1, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(c.text, c.sought, c.start), c.expected) << c.text << " / " << c.sought << " from " << c.start;
}

TEST(TextOperations, TakeGivesTheCharactersFromAPosition)
{
    EXPECT_EQ(Take("D12 ROUND", 2, 3), "12 ");
    EXPECT_EQ(Take("D12 ROUND", 1, 3), "D12");
    EXPECT_EQ(Take("D12", 2, 3), "12");  // fewer where the text ends
    EXPECT_EQ(Take("D12", 4, 3), "");
    using namespace std::string_literals;
    EXPECT_EQ(Take("a\0\xff"
                   "b"s,
                   2, 3),
              "\0\xff"
              "b"s);  // bytes, whatever they are
}

TEST(TextOperations, TrimLeadingBlanksRemovesSpacesAndTabsAtTheStartOnly)
{
    EXPECT_EQ(TrimLeadingBlanks("  -5 "), "-5 ");
    EXPECT_EQ(TrimLeadingBlanks("\t 7"), "7");
    EXPECT_EQ(TrimLeadingBlanks("   "), "");
    EXPECT_EQ(TrimLeadingBlanks(""), "");
    EXPECT_EQ(TrimLeadingBlanks("a b"), "a b");
}

TEST(TextOperations, NumericValueReadsSignDigitsAndFraction)
{
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"030", 30}, {"000", 0},  {"-5", -5}, {"+7", 7},  {"0.0", 0},  {"2.5x", 2.5},  {".5", 0.5},
        {"5.", 5},   {"12x", 12}, {"1e5", 1}, {"ABC", 0}, {"", 0},     {"-", 0},       {".", 0},
        {"- 5", 0},  {" 5", 0},   {"inf", 0}, {"nan", 0}, {"0x10", 0}, {"1.2.3", 1.2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumericValue(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
