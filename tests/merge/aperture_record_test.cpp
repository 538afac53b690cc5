// Tests of the shape test and of the aperture definition record made from one aperture line in pieces.
#include "aperture_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Module1::ApertureLine;
using Module1::ApertureLineError;
using Module1::RecordLines;

// Every case is read whole and in pieces of these sizes, so that an edge between two pieces falls
// at every place of a short line: inside each keyword, on each ".", among the three characters
// before it, and inside the D-code.
const std::vector<std::size_t> kPieceSizes = {1, 2, 3, 4, 5, 7, 8, 9, 10, 16};

ApertureLine Fed(std::string_view line, std::size_t pieceSize)
{
    ApertureLine fed;
    for (std::size_t at = 0; at < line.size(); at += pieceSize)
        fed.Feed(line.substr(at, pieceSize));
    return fed;
}

// The line whole, then in pieces of each size; with empty pieces between, as a reader may give.
std::vector<std::pair<std::string, ApertureLine>> AllWays(std::string_view line)
{
    std::vector<std::pair<std::string, ApertureLine>> ways;
    ways.emplace_back("whole", Fed(line, std::max<std::size_t>(line.size(), 1)));
    for (std::size_t size : kPieceSizes)
        ways.emplace_back("pieces of " + std::to_string(size), Fed(line, size));
    ApertureLine withEmpty;
    for (char c : line) {
        withEmpty.Feed({});
        withEmpty.Feed({&c, 1});
    }
    ways.emplace_back("with empty pieces", withEmpty);
    return ways;
}

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
        {"round last, square first", "SQUARE xxxxxxxxxxxxxxxxxxxx ROUND", "(apertureShape Ellipse)"},
        {"keyword alone", "ROUND", "(apertureShape Ellipse)"},
        {"keyword in the d-code", "DROUND", "(apertureShape Ellipse)"},
        {"keyword after a near miss", "D26 ROUROUND", "(apertureShape Ellipse)"},
        {"keyword after a repeated letter", "D26 RRECTANGLE", "(apertureShape Rect)"},
        {"longest keyword after a near miss", "RECTANGLRECTANGLE", "(apertureShape Rect)"},
        {"lower case", "D25 round 010.0 010.0 010.0", nullptr},
        {"capital first letter", "D25 Round Square 010.0", nullptr},
        {"cut keyword", "D25 ROUN D 010.0", nullptr},
        {"near misses only", "RECTANGL OBLON SQUAR ROUN OUND", nullptr},
        {"near miss of the longest keyword, repeated", "RECTANGLRECTANGLRECTANGL", nullptr},
        {"short line", "ROUN", nullptr},
        {"empty line", "", nullptr},
    };
    for (const Case& c : cases) {
        for (const auto& [way, line] : AllWays(c.line)) {
            const std::optional<std::string_view> shape = line.Shape();
            if (c.expected)
                EXPECT_EQ(shape, std::optional<std::string_view>(c.expected)) << c.name << ", " << way;
            else
                EXPECT_FALSE(shape) << c.name << ", " << way;
        }
    }
}

TEST(ApertureRecord, WritesTheEightLinesOfTheRecord)
{
    const ApertureLine line = Fed("D12 ROUND 010.0 020.0 030.0", 4);
    const std::array<std::string, 8> expected = {
        "(apertureDef", "(dCode 12 )", "(apertureShape Ellipse)", "(width 010)", "(height 030)", "(holeDiam 0)",
        "(desc \"\")",  ")",
    };
    EXPECT_EQ(RecordLines(line.Record(*line.Shape())), expected);
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
        {"dots side by side", "D11 ROUND 123...", "11 ", "123", "3.."},
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
        {"keyword beyond the dots", "D32 012.0 020.0 030.0" + far + "OBLONG", "32 ", "012", "030"},
    };
    for (const Case& c : cases) {
        for (const auto& [way, line] : AllWays(c.line)) {
            const Module1::ApertureRecord record = line.Record(*line.Shape());
            EXPECT_EQ(record.dCode, c.dCode) << c.name << ", " << way;
            EXPECT_EQ(record.width, c.width) << c.name << ", " << way;
            EXPECT_EQ(record.height, c.height) << c.name << ", " << way;
        }
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
        {"exactly 100 characters shown whole", "ROUND" + std::string(95, 'x'),
         "\"ROUND" + std::string(95, 'x') + "\" holds no \".\", so it gives no width"},
        {"long line cut short", "ROUND" + std::string(200, 'x'),
         "\"ROUND" + std::string(95, 'x') + "...\" holds no \".\", so it gives no width"},
        {"two dots far apart in a long line", "D33 ROUND 010.0" + std::string(200, 'x') + "020.0",
         "\"D33 ROUND 010.0" + std::string(85, 'x') +
             "...\" holds exactly two \".\", so it gives no height: an aperture line needs one, or three or more"},
    };
    for (const Case& c : cases) {
        for (const auto& [way, line] : AllWays(c.line)) {
            try {
                line.Record("(apertureShape Ellipse)");
                ADD_FAILURE() << c.name << ", " << way << ": no error";
            } catch (const ApertureLineError& error) {
                EXPECT_EQ(error.what(), c.reason) << c.name << ", " << way;
            }
        }
    }
}

}  // namespace
