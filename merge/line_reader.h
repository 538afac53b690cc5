// Reads a text file line by line, without line ends: CR LF, LF and a lone CR each end a line.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "file_system.h"

namespace Module1 {

// Large enough that a merge is bound by the disk, not by the calls that read it.
inline constexpr std::size_t kReadBufferSize = std::size_t{1} << 20;

// The longest line that ReadLine() hands out whole. An aperture line is a few dozen characters; one
// of megabytes is not an aperture line, and holding it would only cost memory.
inline constexpr std::size_t kLongestLine = std::size_t{8} << 20;

// A line longer than the reader's longest; what() says so in words for the operator.
class LineTooLong : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A piece of a line: the whole of it, or as much of a line longer than the buffer as it holds.
struct LinePiece {
    std::string_view text;
    // The line ends after this piece: at a line end, or at the end of the file.
    bool lineEnds = true;
};

// Lines are bytes: nothing is converted, and NUL bytes and bytes of any character set come out as
// they stand in the file. A last line without a line end is still a line; an empty file has none.
class LineReader {
public:
    // Opens `path` for reading. `role` names the file in error messages, e.g. "board file". Throws
    // MergeError when the file can't be opened, or is not a regular file.
    LineReader(const std::filesystem::path& path, std::string_view role, std::size_t bufferSize = kReadBufferSize,
               std::size_t longestLine = kLongestLine);

    // True when no line is left. Reads ahead as far as it must to tell.
    bool AtEnd();

    // The next line, without its line end; empty at the end of the file. The view is valid until the
    // next call on this reader. Throws LineTooLong for a line longer than the reader's longest.
    std::string_view ReadLine();

    // The next piece of the current line, so that a line of any length can be read in bounded
    // memory. The view is valid until the next call on this reader.
    LinePiece ReadLinePiece();

    // The whole lines ahead in the buffer, up to the first that doesn't end in CR LF, each with its
    // CR LF: text that needs no change to be written out again. Empty when the next line is not such
    // a line. The view is valid until the next call on this reader.
    std::string_view ReadCrLfLines();

private:
    bool Fill();
    std::size_t NextLineEnd();
    void SkipLineEnd(std::size_t lineEnd);

    std::string description_;
    FilePtr file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t longestLine_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    // Where the next CR and the next LF stand in the buffer, or end_ when there is none; a value
    // before begin_ is stale. Kept apart so that a file without CRs is scanned for them only once.
    std::ptrdiff_t nextCr_ = -1;
    std::ptrdiff_t nextLf_ = -1;
    bool atFileEnd_ = false;
    // The last line ended in a CR at the buffer's edge, so an LF that opens the next buffer is its.
    bool skipLf_ = false;
    // A line that ReadLine() hands out whole across the buffer's edge is gathered here.
    std::unique_ptr<char[]> line_;
};

}  // namespace Module1
