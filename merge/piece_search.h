// Finds a text in a line that comes in pieces, also where a piece's edge cuts through it.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace Module1 {

// Keeps no more than the end of the pieces so far, in a fixed place: a line of any length is searched
// in the same small memory.
class PieceSearch {
public:
    // Nonzero where `sought` stands in `text`; a quicker search than Find's may take its place.
    using Finder = std::size_t (*)(std::string_view text, std::string_view sought);

    // `sought` must outlive the search and be at most kLongestSought characters long.
    explicit PieceSearch(std::string_view sought, Finder find = FindFromStart);

    // The next piece of the line; true once `sought` has been seen in the pieces so far.
    bool Feed(std::string_view piece);
    bool Found() const { return found_; }

    static constexpr std::size_t kLongestSought = 16;

private:
    static std::size_t FindFromStart(std::string_view text, std::string_view sought);

    std::string_view sought_;
    Finder find_;
    // The end of the earlier pieces, where a cut `sought` would begin; joined to the next piece's start.
    std::array<char, 2 * (kLongestSought - 1)> joint_{};
    std::size_t kept_ = 0;
    bool found_ = false;
};

}  // namespace Module1
