// Reads a text file line by line, without line ends.
#include "line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "merge_error.h"

namespace Module1 {

namespace {

// Line ends are checked a block of bytes at a time: a loop of fixed length without an early exit is
// one that GCC and Clang vectorise at -O2 and above (not at -O1), and a stray line end is still
// found within a block.
constexpr std::size_t kBlock = 256;

// True unless the byte at `at` is a CR without an LF after it, or the byte after it an LF without a
// CR before it.
bool CrLfPair(const char* at)
{
    return (at[0] == '\r') == (at[1] == '\n');
}

// CrLfPair for each of the kBlock bytes from `at`; without an early exit, so that it vectorises.
bool CrLfBlock(const char* at)
{
    unsigned char stray = 0;
    for (std::size_t i = 0; i < kBlock; ++i)
        stray |= static_cast<unsigned char>(!CrLfPair(at + i));
    return stray == 0;
}

}  // namespace

LineReader::LineReader(const std::filesystem::path& path, std::string_view role, std::size_t bufferSize)
    : description_(std::string("the ") + std::string(role) + " " + Quoted(path)),
      buffer_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(bufferSize, 1))),
      capacity_(std::max<std::size_t>(bufferSize, 1))
{
    OpenedFile opened = OpenForReading(path);
    if (opened.kind == FileKind::Folder)
        throw MergeError("Cannot open " + description_ + ": it is a folder");
    if (opened.kind == FileKind::Other)
        throw MergeError("Cannot open " + description_ + ": it is not a regular file");
    if (!opened.file)
        throw MergeError("Cannot open " + description_ + ": " + Reason(opened.error));
    file_ = std::move(opened.file);
    errno = 0;
    const std::optional<FileStamp> stamp = Stamp(file_.get());
    if (!stamp)
        throw MergeError("Cannot read " + description_ + ": " + Reason(errno));
    opened_ = *stamp;
}

void LineReader::Changed() const
{
    throw MergeError("Cannot read " + description_ + ": it changed while it was read");
}

void LineReader::ConfirmUnchanged() const
{
    errno = 0;
    const std::optional<FileStamp> now = Stamp(file_.get());
    if (!now)
        throw MergeError("Cannot read " + description_ + ": " + Reason(errno));
    if (*now != opened_)
        Changed();
}

bool LineReader::Fill()
{
    begin_ = 0;
    end_ = 0;
    nextCr_ = -1;
    nextLf_ = -1;
    if (atFileEnd_)
        return false;
    errno = 0;
    end_ = std::fread(buffer_.get(), 1, capacity_, file_.get());
    if (end_ < capacity_) {
        if (std::ferror(file_.get()))
            throw MergeError("Cannot read " + description_ + ": " + Reason(errno));
        atFileEnd_ = true;
    }
    read_ += end_;
    // Cut short or grown since it was opened: what was read is not the file that was opened.
    if (read_ > opened_.size || (atFileEnd_ && read_ != opened_.size))
        Changed();
    return end_ > 0;
}

bool LineReader::AtEnd()
{
    for (;;) {
        if (begin_ == end_ && !Fill())
            return true;
        if (!skipLf_)
            return false;
        skipLf_ = false;
        if (buffer_[begin_] == '\n')
            ++begin_;
    }
}

std::size_t LineReader::NextLineEnd()
{
    const char* const data = buffer_.get();
    const auto begin = static_cast<std::ptrdiff_t>(begin_);
    const auto find = [&](char c) {
        const void* found = std::memchr(data + begin_, c, end_ - begin_);
        return found ? static_cast<const char*>(found) - data : static_cast<std::ptrdiff_t>(end_);
    };
    if (nextCr_ < begin)
        nextCr_ = find('\r');
    if (nextLf_ < begin)
        nextLf_ = find('\n');
    return static_cast<std::size_t>(std::min(nextCr_, nextLf_));
}

void LineReader::SkipLineEnd(std::size_t lineEnd)
{
    begin_ = lineEnd + 1;
    if (buffer_[lineEnd] != '\r')
        return;
    if (begin_ == end_)
        skipLf_ = true;
    else if (buffer_[begin_] == '\n')
        ++begin_;
}

LinePiece LineReader::ReadLinePiece()
{
    if (AtEnd())
        return {};
    const std::size_t lineEnd = NextLineEnd();
    if (lineEnd < end_) {
        const std::string_view line(buffer_.get() + begin_, lineEnd - begin_);
        SkipLineEnd(lineEnd);
        return {line, true};
    }
    const std::string_view piece(buffer_.get() + begin_, end_ - begin_);
    begin_ = end_;
    // The file may end right here, and then so does the line.
    return {piece, atFileEnd_};
}

std::string_view LineReader::ReadCrLfLines()
{
    if (AtEnd())
        return {};
    const char* const data = buffer_.get();
    // The next line end tells at once whether there is a run at all, so that a file whose lines end
    // otherwise costs no scan ahead for each of its lines.
    const std::size_t firstEnd = NextLineEnd();
    if (firstEnd + 1 >= end_ || data[firstEnd] != '\r' || data[firstEnd + 1] != '\n')
        return {};

    // Up to `stray`, every CR stands before an LF and every LF after a CR: it is the first byte whose
    // pair with the next breaks that, or the buffer's last byte.
    std::size_t stray = firstEnd + 1;
    while (stray + kBlock < end_ && CrLfBlock(data + stray))
        stray += kBlock;
    while (stray + 1 < end_ && CrLfPair(data + stray))
        ++stray;
    const std::string_view ahead(data + begin_, stray + 1 - begin_);
    const std::size_t lastLf = ahead.rfind('\n');
    if (lastLf == std::string_view::npos)
        return {};
    begin_ += lastLf + 1;
    return ahead.substr(0, lastLf + 1);
}

}  // namespace Module1
