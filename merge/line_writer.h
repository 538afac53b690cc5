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

    // Writes bytes as they stand, without a line end: whole lines that already end in CR LF, or a
    // piece of a line too long to be held whole, which EndLine() ends after its last piece.
    void WriteAsItStands(std::string_view bytes);
    void EndLine();

    // Hands everything written so far to the operating system.
    void Flush();

private:
    void Append(std::string_view bytes);
    void WriteOut(const char* data, std::size_t size);

    std::FILE* file_;
    std::string description_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
};

}  // namespace Module1
