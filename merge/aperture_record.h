// The aperture definition record: which aperture lines name a shape, and the eight lines made from one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "piece_search.h"

namespace Module1 {

// The fields of one record that differ from line to line, cut character for character from its
// aperture line; the views point into the ApertureLine they came from and live as long as it does.
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

// One aperture line, taken in pieces as it is read. The shape test and the record need only a few
// characters of a line and the places of its first three ".", so only those are kept: a line of
// any length takes the same small memory, and none is refused for its length.
class ApertureLine {
public:
    ApertureLine();

    // The next piece of the line; the pieces, joined, are the line, cut anywhere.
    void Feed(std::string_view piece);

    // The shape text of the first keyword, in the order ROUND, RECTANGLE, OBLONG, SQUARE, that the
    // line holds anywhere; nothing when it holds none of them.
    std::optional<std::string_view> Shape() const;

    // The record of a line that passed the shape test. Throws ApertureLineError for a line that holds
    // no ".", exactly two, or its first "." among its first three characters.
    ApertureRecord Record(std::string_view shapeText) const;

private:
    // The last characters fed, up to N of them.
    template <std::size_t N>
    struct Tail {
        std::array<char, N> chars{};
        std::size_t size = 0;

        void Append(std::string_view text);
        std::string_view View() const { return {chars.data(), size}; }
    };

    // As many characters as an error message shows of a line; the D-code is among them.
    static constexpr std::size_t kShown = 100;
    static constexpr std::size_t kCut = 3;

    std::string Shown() const;

    std::uint64_t size_ = 0;
    std::array<char, kShown> head_{};
    // Whether the line holds each keyword, in the order of the shape test.
    std::array<PieceSearch, 4> keywords_;
    Tail<kCut> cutTail_;
    // The positions (from 1) of the first three "." and the three characters before each; only the
    // first `dots_` of them are set.
    std::size_t dots_ = 0;
    std::array<std::uint64_t, 3> dotAt_{};
    std::array<Tail<kCut>, 3> beforeDot_{};
};

// The record's eight lines, in the order they are written.
std::array<std::string, 8> RecordLines(const ApertureRecord& record);

}  // namespace Module1
