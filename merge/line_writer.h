// Writes a text file line by line, each line followed by CR LF.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace Module1 {

// Large enough that a merge is bound by the disk, not by the calls that write it.
inline constexpr std::size_t kWriteBufferSize = std::size_t{1} << 20;

// Writes the bytes of each line as they are, then CR LF. Every failed write throws MergeError: a full
// disk is never passed over.
class LineWriter {
public:
    // Writes to `file`, which stays the caller's to close; `description` names it in error messages,
    // e.g. the output file "/boards/New_main.pcb".
    LineWriter(std::FILE* file, std::string description, std::size_t bufferSize = kWriteBufferSize);

    void WriteLine(std::string_view line);

    // Writes text that already consists of whole lines ending in CR LF, as it stands.
    void WriteCrLfLines(std::string_view lines);

    // Writes a line in pieces, for a line too long to be held whole: each piece as it stands, and
    // EndLine() after the last.
    void WriteLinePiece(std::string_view piece);
    void EndLine();

    // Hands everything written so far to the operating system.
    void Flush();

private:
    void WriteAsItStands(std::string_view bytes);
    void Append(std::string_view bytes);
    void WriteOut(const char* data, std::size_t size);

    std::FILE* file_;
    std::string description_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
};

}  // namespace Module1
