// The merge routine: a board file copied line for line, aperture records after its first "drawPolygons".
#pragma once

#include <filesystem>

namespace Module1 {

// Writes `outputPath` as a copy of the board file with, directly after its first line holding
// "drawPolygons", one aperture definition record for each line of the aperture list that names a
// shape. Returns only when the output file is complete and closed; throws an exception derived from
// std::runtime_error, whose what() is a sentence for the operator, on any failure, and then leaves
// whatever stood at `outputPath` as it was. An output path that names either input, a folder or any
// other file that is not a regular file is refused before anything is written; one that is a link is
// written through to the file it leads to, and a file that is replaced keeps its permissions.
void MergeApertures(const std::filesystem::path& pcbPath, const std::filesystem::path& gapPath,
                    const std::filesystem::path& outputPath);

}  // namespace Module1
