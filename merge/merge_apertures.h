// The merge routine: a board file copied line for line, aperture records after its first "drawPolygons".
#pragma once

#include <filesystem>

namespace Module1 {

// Writes `outputPath` as a copy of the board file with, directly after its first line holding
// "drawPolygons", one aperture definition record for each line of the aperture list that names a
// shape. Returns only when the output file is complete, closed and on the disk; throws MergeError,
// whose what() is a sentence for the operator, on any failure, and then leaves whatever stood at
// `outputPath` as it was (the one exception: a disk that fails while an existing file that can't be
// replaced is written where it stands, which the sentence then says). Inputs that are not regular
// files are refused before anything is read. An output path that names either input, a folder, a
// read-only file or any other file that is not a regular file is refused before anything is written;
// one that is a link is written through to the file it leads to, and an existing file keeps its
// permissions, and where it matters its owner, group and other links. Memory stays bounded whatever
// the inputs: lines of any length are read in pieces. An input that changes while it is read (its
// size or write time no longer what it was when it was opened, or its end not where its size said)
// fails the merge before the output is kept.
void MergeApertures(const std::filesystem::path& pcbPath, const std::filesystem::path& gapPath,
                    const std::filesystem::path& outputPath);

}  // namespace Module1
