// Tests of writing text files line by line, at every place a buffer's edge can fall.
#include "line_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "test_folder.h"

namespace {

using merge_test::ReadBytes;
using merge_test::TestFolder;
using Module1::LineWriter;
using namespace std::string_literals;

TEST(LineWriter, WritesEachLineAndCrLfAtEveryBufferEdge)
{
    // Lines that fill a small buffer exactly, cross its edge, and are longer than it, some of them
    // handed over as runs that already end in CR LF.
    struct Piece {
        std::string text;
        bool crLfLines;
    };
    const std::vector<Piece> pieces = {
        {"", false},
        {"a", false},
        {"bc", false},
        {"def", false},
        {"ghijklmnop", false},
        {"", false},
        {"\0\r\xff"s, false},
        {"q\r\n", true},
        {"rs\r\nt\r\n", true},
        {"u", false},
        {std::string(30, 'z'), false},
        {std::string(40, 'y') + "\r\n", true},
        {"v", false},
    };
    std::string expected;
    for (const Piece& piece : pieces)
        expected += piece.crLfLines ? piece.text : piece.text + "\r\n";

    TestFolder folder;
    const std::filesystem::path path = folder.Path() / "out.txt";
    for (std::size_t bufferSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4}, std::size_t{5},
                                   std::size_t{7}, std::size_t{12}, std::size_t{64}, Module1::kWriteBufferSize}) {
        std::FILE* file = std::fopen(path.string().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        {
            LineWriter writer(file, "the output file", bufferSize);
            for (const Piece& piece : pieces) {
                if (piece.crLfLines)
                    writer.WriteCrLfLines(piece.text);
                else
                    writer.WriteLine(piece.text);
            }
            writer.Flush();
        }
        ASSERT_EQ(std::fclose(file), 0);
        EXPECT_EQ(ReadBytes(path), expected) << "buffer of " << bufferSize;
    }
}

}  // namespace
