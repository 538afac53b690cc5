// Tests of writing text files line by line, at every place a buffer's edge can fall.
#include "line_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_system.h"
#include "test_folder.h"

namespace {

using merge_test::ReadBytes;
using merge_test::TestFolder;
using Module1::LineWriter;
using namespace std::string_literals;

TEST(LineWriter, WritesEachLineAndCrLfAtEveryBufferEdge)
{
    // Lines that fill a small buffer exactly, cross its edge, and are longer than it; some handed
    // over as runs that already end in CR LF, and some as pieces of one line that EndLine() ends.
    enum class Kind { Line, AsItStands, LineEnd };
    struct Piece {
        std::string text;
        Kind kind;
    };
    const std::vector<Piece> pieces = {
        {"", Kind::Line},
        {"a", Kind::Line},
        {"bc", Kind::Line},
        {"def", Kind::Line},
        {"ghijklmnop", Kind::Line},
        {"", Kind::Line},
        {"\0\r\xff"s, Kind::Line},
        {"q\r\n", Kind::AsItStands},
        {"rs\r\nt\r\n", Kind::AsItStands},
        {"u", Kind::Line},
        {std::string(30, 'z'), Kind::Line},
        {std::string(40, 'y') + "\r\n", Kind::AsItStands},
        {"v", Kind::Line},
        {"piece", Kind::AsItStands},
        {std::string(33, 'w'), Kind::AsItStands},
        {"", Kind::AsItStands},
        {"x", Kind::AsItStands},
        {"", Kind::LineEnd},
        {"", Kind::LineEnd},
        {"y", Kind::Line},
    };
    std::string expected;
    for (const Piece& piece : pieces)
        expected += piece.kind == Kind::Line ? piece.text + "\r\n" : piece.kind == Kind::LineEnd ? "\r\n" : piece.text;

    TestFolder folder;
    const std::filesystem::path path = folder.Path() / "out.txt";
    for (std::size_t bufferSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4}, std::size_t{5},
                                   std::size_t{7}, std::size_t{12}, std::size_t{64}, Module1::kWriteBufferSize}) {
        Module1::FilePtr file(std::fopen(path.string().c_str(), "wb"));
        ASSERT_TRUE(file);
        LineWriter writer(file.get(), "the output file", bufferSize);
        for (const Piece& piece : pieces) {
            switch (piece.kind) {
            case Kind::Line:
                writer.WriteLine(piece.text);
                break;
            case Kind::AsItStands:
                writer.WriteAsItStands(piece.text);
                break;
            case Kind::LineEnd:
                writer.EndLine();
                break;
            }
        }
        writer.Flush();
        ASSERT_EQ(Module1::CloseFile(file), 0);
        EXPECT_EQ(ReadBytes(path), expected) << "buffer of " << bufferSize;
    }
}

}  // namespace
