// Writes a text file line by line, each line followed by CR LF.
#include "line_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "merge_error.h"

namespace Module1 {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

LineWriter::LineWriter(std::FILE* file, std::string description, std::size_t bufferSize)
    : file_(file),
      description_(std::move(description)),
      buffer_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(bufferSize, 1))),
      capacity_(std::max<std::size_t>(bufferSize, 1))
{
}

void LineWriter::WriteLine(std::string_view line)
{
    if (line.size() + kLineEnd.size() <= capacity_ - used_) {
        char* out = buffer_.get() + used_;
        std::memcpy(out, line.data(), line.size());
        std::memcpy(out + line.size(), kLineEnd.data(), kLineEnd.size());
        used_ += line.size() + kLineEnd.size();
        return;
    }
    Append(line);
    Append(kLineEnd);
}

void LineWriter::EndLine()
{
    Append(kLineEnd);
}

void LineWriter::WriteAsItStands(std::string_view bytes)
{
    // Large pieces go to the file straight from where they stand, without a copy into the buffer.
    if (bytes.size() >= capacity_ / 2) {
        WriteOut(buffer_.get(), used_);
        used_ = 0;
        WriteOut(bytes.data(), bytes.size());
        return;
    }
    Append(bytes);
}

void LineWriter::Append(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (used_ == 0 && bytes.size() >= capacity_) {
            WriteOut(bytes.data(), bytes.size());
            return;
        }
        const std::size_t piece = std::min(bytes.size(), capacity_ - used_);
        std::memcpy(buffer_.get() + used_, bytes.data(), piece);
        used_ += piece;
        bytes.remove_prefix(piece);
        if (used_ == capacity_) {
            WriteOut(buffer_.get(), used_);
            used_ = 0;
        }
    }
}

void LineWriter::WriteOut(const char* data, std::size_t size)
{
    errno = 0;
    if (std::fwrite(data, 1, size, file_) != size)
        throw MergeError("Cannot write " + description_ + ": " + Reason(errno));
}

void LineWriter::Flush()
{
    WriteOut(buffer_.get(), used_);
    used_ = 0;
    errno = 0;
    if (std::fflush(file_) != 0)
        throw MergeError("Cannot write " + description_ + ": " + Reason(errno));
}

}  // namespace Module1
