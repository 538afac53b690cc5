// The aperture definition record: which aperture lines name a shape, and the eight lines made from one.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Module1 {

// The fields of one record that differ from line to line, cut character for character from its
// aperture line; the views point into that line and live as long as it does.
struct ApertureRecord {
    std::string_view dCode;
    std::string_view apertureShape;
    std::string_view width;
    std::string_view height;
};

// An aperture line that names a shape but gives no record; what() says what is wrong with it.
class ApertureLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The shape text of the first keyword, in the order ROUND, RECTANGLE, OBLONG, SQUARE, that the line
// holds anywhere; nothing when it holds none of them.
std::optional<std::string_view> ShapeTest(std::string_view line);

// The record of a line that passed the shape test. Throws ApertureLineError for a line that holds no
// ".", exactly two, or its first "." among its first three characters.
ApertureRecord MakeRecord(std::string_view line, std::string_view shapeText);

// The record's eight lines, in the order they are written.
std::array<std::string, 8> RecordLines(const ApertureRecord& record);

}  // namespace Module1
