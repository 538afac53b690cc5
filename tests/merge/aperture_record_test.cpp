// Tests of the shape test and of the aperture definition record made from one aperture line.
#include "aperture_record.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Module1::ApertureLineError;
using Module1::MakeRecord;
using Module1::RecordLines;
using Module1::ShapeTest;

TEST(ShapeTest, TriesTheKeywordsInTheirOrderWhereverTheyStand)
{
    struct Case {
        const char* name;
        const char* line;
        const char* expected;  // nullptr: no shape
    };
    const Case cases[] = {
        {"round", "D12 ROUND 010.0 020.0 030.0", "(apertureShape Ellipse)"},
        {"rectangle", "D30 RECTANGLE 40.0X60.0", "(apertureShape Rect)"},
        {"oblong", "D20 OBLONG 040.0 060.0", "(apertureShape Oval)"},
        {"square", "D15 SQUARE 025.5", "(apertureShape Rect)"},
        {"inside a longer word", "D22 AROUNDX 010.0 010.0 010.0", "(apertureShape Ellipse)"},
        {"round tried before square", "D23 SQUARE ROUND 010.0 010.0 010.0", "(apertureShape Ellipse)"},
        {"rectangle tried before oblong", "D24 OBLONG RECTANGLE 010.0 010.0 010.0", "(apertureShape Rect)"},
        {"oblong tried before square", "D24 SQUARE OBLONG 1.0", "(apertureShape Oval)"},
        {"keyword alone", "ROUND", "(apertureShape Ellipse)"},
        {"keyword in the d-code", "DROUND", "(apertureShape Ellipse)"},
        {"lower case", "D25 round 010.0 010.0 010.0", nullptr},
        {"capital first letter", "D25 Round Square 010.0", nullptr},
        {"cut keyword", "D25 ROUN D 010.0", nullptr},
        {"short line", "ROUN", nullptr},
        {"empty line", "", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<std::string_view> shape = ShapeTest(c.line);
        if (c.expected)
            EXPECT_EQ(shape, std::optional<std::string_view>(c.expected)) << c.name;
        else
            EXPECT_FALSE(shape) << c.name;
    }
}

TEST(ApertureRecord, WritesTheEightLinesOfTheRecord)
{
    const std::string line = "D12 ROUND 010.0 020.0 030.0";
    const std::array<std::string, 8> expected = {
        "(apertureDef", "(dCode 12 )", "(apertureShape Ellipse)", "(width 010)", "(height 030)", "(holeDiam 0)",
        "(desc \"\")",  ")",
    };
    EXPECT_EQ(RecordLines(MakeRecord(line, *ShapeTest(line))), expected);
}

TEST(ApertureRecord, CutsDCodeWidthAndHeightFromTheirPlaces)
{
    struct Case {
        const char* name;
        std::string line;
        const char* dCode;
        const char* width;
        const char* height;
    };
    const std::string far(40000, ' ');  // no 16-bit limit on where a "." may stand
    const Case cases[] = {
        {"three dots", "D12 ROUND 010.0 020.0 030.0", "12 ", "010", "030"},
        {"four dots", "D27 ROUND 012.0 020.0 030.0 040.0", "27 ", "012", "030"},
        {"one dot", "D15 SQUARE 025.5", "15 ", "025", "025"},
        {"first dot at position 4", "D10.5 ROUND", "10.", "D10", "D10"},
        {"d-code from fixed places", "D100ROUND 060.0 060.0 001.0", "100", "060", "001"},
        {"d-code holding the keyword", "XROUND 010.0 010.0 010.0", "ROU", "010", "010"},
        {"height 000 reads as zero", "D18 ROUND 012.0 020.0 000.0", "18 ", "012", "012"},
        {"height of letters reads as zero", "D16 ROUND 012.0 020.0 ABC.0", "16 ", "012", "012"},
        {"height 0.0 reads as zero", "D26 ROUND 012.0 0.0.5", "26 ", "012", "012"},
        {"height of blanks reads as zero", "D19 ROUND 012.0 020.0    .0", "19 ", "012", "012"},
        {"negative height is kept", "D21 ROUND 012.0 020.0 -5.0", "21 ", "012", " -5"},
        {"height behind blanks is kept", "D22 ROUND 012.0 020.0  5.0", "22 ", "012", "  5"},
        {"width with a leading blank", "D13 ROUND 10.0 20.0 30.0", "13 ", " 10", " 30"},
        {"signs and letters stay", "D14 ROUND +1a.0 2.0 -1x.0", "14 ", "+1a", "-1x"},
        {"dots beyond 32767", "D31 ROUND" + far + "011.0" + far + "022.0" + far + "033.0", "31 ", "011", "033"},
    };
    for (const Case& c : cases) {
        const Module1::ApertureRecord record = MakeRecord(c.line, *ShapeTest(c.line));
        EXPECT_EQ(record.dCode, c.dCode) << c.name;
        EXPECT_EQ(record.width, c.width) << c.name;
        EXPECT_EQ(record.height, c.height) << c.name;
    }
}

TEST(ApertureRecord, RefusesALineThatGivesNoWidthOrHeight)
{
    struct Case {
        const char* name;
        std::string line;
        std::string reason;
    };
    const Case cases[] = {
        {"no dot", "D30 RECTANGLE 40X60", "\"D30 RECTANGLE 40X60\" holds no \".\", so it gives no width"},
        {"keyword alone", "ROUND", "\"ROUND\" holds no \".\", so it gives no width"},
        {"exactly two dots", "D20 OBLONG 040.0 060.0",
         "\"D20 OBLONG 040.0 060.0\" holds exactly two \".\", so it gives no height: an aperture line needs one, or "
         "three or more"},
        {"first dot at position 2", "D.1 ROUND 010.0 010.0 010.0",
         "the first \".\" of \"D.1 ROUND 010.0 010.0 010.0\" stands at position 2, with no room for the three "
         "characters of the width before it"},
        {"first dot at position 3", "D1.ROUND",
         "the first \".\" of \"D1.ROUND\" stands at position 3, with no room for the three characters of the width "
         "before it"},
        {"control bytes shown as ?", std::string("D\0\tROUND", 8) + "\r",
         "\"D??ROUND?\" holds no \".\", so it gives no width"},
        {"long line cut short", "ROUND" + std::string(200, 'x'),
         "\"ROUND" + std::string(95, 'x') + "...\" holds no \".\", so it gives no width"},
    };
    for (const Case& c : cases) {
        try {
            MakeRecord(c.line, "(apertureShape Ellipse)");
            ADD_FAILURE() << c.name << ": no error";
        } catch (const ApertureLineError& error) {
            EXPECT_EQ(error.what(), c.reason) << c.name;
        }
    }
}

}  // namespace
