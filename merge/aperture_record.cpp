// The aperture definition record: the shape test and the record's eight lines.
#include "aperture_record.h"

#include "text_operations.h"

namespace Module1 {

namespace {

struct ShapeKeyword {
    std::string_view keyword;
    std::string_view shapeText;
};

// Tried in this order: where a line holds several keywords, the first row wins, not the first place.
constexpr std::array<ShapeKeyword, 4> kShapeKeywords{{
    {"ROUND", "(apertureShape Ellipse)"},
    {"RECTANGLE", "(apertureShape Rect)"},
    {"OBLONG", "(apertureShape Oval)"},
    {"SQUARE", "(apertureShape Rect)"},
}};

constexpr std::size_t kCutLength = 3;

// The line as an error message can show it: control bytes (a NUL would end the message) as "?", and
// a very long line cut short.
std::string Shown(std::string_view line)
{
    constexpr std::size_t kMostShown = 100;
    std::string shown;
    for (const char c : line.substr(0, kMostShown)) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    if (line.size() > kMostShown)
        shown += "...";
    return '"' + shown + '"';
}

}  // namespace

std::optional<std::string_view> ShapeTest(std::string_view line)
{
    for (const ShapeKeyword& row : kShapeKeywords) {
        if (Find(line, row.keyword, 1) != 0)
            return row.shapeText;
    }
    return std::nullopt;
}

ApertureRecord MakeRecord(std::string_view line, std::string_view shapeText)
{
    const std::size_t p1 = Find(line, ".", 1);
    const std::size_t p2 = Find(line, ".", p1 + 1);
    // With exactly one ".", p2 is 0 and this finds that one "." again.
    const std::size_t p3 = Find(line, ".", p2 + 1);

    if (p1 == 0)
        throw ApertureLineError(Shown(line) + " holds no \".\", so it gives no width");
    if (p1 <= kCutLength)
        throw ApertureLineError("the first \".\" of " + Shown(line) + " stands at position " + std::to_string(p1) +
                                ", with no room for the three characters of the width before it");
    if (p2 != 0 && p3 == 0)
        throw ApertureLineError(
            Shown(line) +
            " holds exactly two \".\", so it gives no height: an aperture line needs one, or three or more");

    ApertureRecord record;
    record.dCode = Take(line, 2, kCutLength);
    record.apertureShape = shapeText;
    record.width = Take(line, p1 - kCutLength, kCutLength);
    record.height = Take(line, p3 - kCutLength, kCutLength);
    if (NumericValue(TrimLeadingBlanks(record.height)) == 0.0)
        record.height = record.width;
    return record;
}

std::array<std::string, 8> RecordLines(const ApertureRecord& record)
{
    return {
        "(apertureDef",
        "(dCode " + std::string(record.dCode) + ")",
        std::string(record.apertureShape),
        "(width " + std::string(record.width) + ")",
        "(height " + std::string(record.height) + ")",
        "(holeDiam 0)",
        "(desc \"\")",
        ")",
    };
}

}  // namespace Module1
