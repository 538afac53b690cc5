// Generated inputs for the merge benchmarks: a board file of a chosen size and an aperture list.
#pragma once

#include <cstddef>
#include <filesystem>

namespace bench {

inline constexpr std::size_t kApertureLines = 10000;

// Writes a board file of at least `size` bytes: CR LF lines of the lengths a p-cad board has, with
// one "drawPolygons" line in the middle.
void WriteBoardFile(const std::filesystem::path& path, std::size_t size);

// Writes an aperture list of kApertureLines lines, most of them naming a shape.
void WriteApertureList(const std::filesystem::path& path);

}  // namespace bench
