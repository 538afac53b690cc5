// Reads a text file line by line, without line ends: CR LF, LF and a lone CR each end a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "file_system.h"

namespace Module1 {

// Large enough that a merge is bound by the disk, not by the calls that read it.
inline constexpr std::size_t kReadBufferSize = std::size_t{1} << 20;

// A piece of a line: the whole of it, or as much of a line longer than the buffer as it holds.
struct LinePiece {
    std::string_view text;
    // The line ends after this piece: at a line end, or at the end of the file.
    bool lineEnds = true;
};

// Lines are bytes: nothing is converted, and NUL bytes and bytes of any character set come out as
// they stand in the file. A last line without a line end is still a line; an empty file has none.
//
// A file that another program cuts short or writes while it is read is noticed: reading its end
// where its size said it would not be, or a size or write time that differs from the one it had when
// it was opened, throws MergeError ("it changed while it was read").
class LineReader {
public:
    // Opens `path` for reading. `role` names the file in error messages, e.g. "board file". Throws
    // MergeError when the file can't be opened, or is not a regular file.
    LineReader(const std::filesystem::path& path, std::string_view role, std::size_t bufferSize = kReadBufferSize);

    // True when no line is left. Reads ahead as far as it must to tell.
    bool AtEnd();

    // The next piece of the current line: the whole line where it fits in the buffer, else as much
    // of it as the buffer holds, so that a line of any length is read in bounded memory. Empty at
    // the end of the file. The view is valid until the next call on this reader.
    LinePiece ReadLinePiece();

    // The whole lines ahead in the buffer, up to the first that doesn't end in CR LF, each with its
    // CR LF: text that needs no change to be written out again. Empty when the next line is not such
    // a line. The view is valid until the next call on this reader.
    std::string_view ReadCrLfLines();

    // Throws MergeError when the file's size or write time is no longer what it was when it was
    // opened. Called once everything needed of the file has been read, before the output is kept.
    void ConfirmUnchanged() const;

private:
    [[noreturn]] void Changed() const;
    bool Fill();
    std::size_t NextLineEnd();
    void SkipLineEnd(std::size_t lineEnd);

    std::string description_;
    FilePtr file_;
    FileStamp opened_;
    // Bytes read from the file so far; at its end, they must be as many as its size said.
    std::uint64_t read_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    // Where the next CR and the next LF stand in the buffer, or end_ when there is none; a value
    // before begin_ is stale. Kept apart so that a file without CRs is scanned for them only once.
    std::ptrdiff_t nextCr_ = -1;
    std::ptrdiff_t nextLf_ = -1;
    bool atFileEnd_ = false;
    // The last line ended in a CR at the buffer's edge, so an LF that opens the next buffer is its.
    bool skipLf_ = false;
};

}  // namespace Module1
