// The text operations that the aperture record is cut with. Positions count from 1; 0 means none.
#pragma once

#include <cstddef>
#include <string_view>

namespace Module1 {

// The position of the first `sought` in `text` at or after position `start` (from 1), compared
// exactly, letter case included; 0 when there is none, also when `start` lies beyond the text.
std::size_t Find(std::string_view text, std::string_view sought, std::size_t start);

// The `length` characters of `text` from position `start` (from 1), fewer where the text ends first.
std::string_view Take(std::string_view text, std::size_t start, std::size_t length);

// `text` without its leading blanks (spaces and tabs).
std::string_view TrimLeadingBlanks(std::string_view text);

// The number at the start of `text`: an optional sign, digits, and an optional "." with more digits.
// Whatever follows ends the number; a text that begins with no number reads as 0. Made for the three
// characters of a cut, whose number always fits a double: one that doesn't would read as 0.
double NumericValue(std::string_view text);

}  // namespace Module1
