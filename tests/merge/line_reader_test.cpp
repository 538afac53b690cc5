// Tests of reading text files line by line, at every place a buffer's edge can fall.
#include "line_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "merge_error.h"
#include "test_folder.h"

namespace {

using merge_test::TestFolder;
using Module1::LineReader;
using namespace std::string_literals;

// The next line, its pieces joined.
std::string ReadJoined(LineReader& reader)
{
    std::string line;
    for (;;) {
        const Module1::LinePiece piece = reader.ReadLinePiece();
        line += piece.text;
        if (piece.lineEnds || reader.AtEnd())
            return line;
    }
}

struct SplitCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

const std::vector<SplitCase>& SplitCases()
{
    static const std::vector<SplitCase> cases = {
        {"empty file", "", {}},
        {"one line without line end", "abc", {"abc"}},
        {"crlf", "abc\r\ndef\r\n", {"abc", "def"}},
        {"lf", "abc\ndef\n", {"abc", "def"}},
        {"lone cr", "abc\rdef\r", {"abc", "def"}},
        {"last line without line end", "abc\r\ndef", {"abc", "def"}},
        {"empty lines", "\r\n\n\r\r\n", {"", "", "", ""}},
        {"cr cr lf", "a\r\r\nb", {"a", "", "b"}},
        {"lf cr", "a\n\rb", {"a", "", "b"}},
        {"lf lf", "a\n\nb", {"a", "", "b"}},
        {"crlf lf", "a\r\n\nb\r\n", {"a", "", "b"}},
        {"mixed among crlf", "a\r\nb\rc\r\nd\ne\r\n\r\nf", {"a", "b", "c", "d", "e", "", "f"}},
        {"only crlf", "\r\n", {""}},
        {"only cr", "\r", {""}},
        {"nul and non-utf-8 bytes", "a\0b\r\n\xff\xfe\x80\r\n\0"s, {"a\0b"s, "\xff\xfe\x80", "\0"s}},
        {"long line", std::string(40, 'x') + "\r\ny", {std::string(40, 'x'), "y"}},
    };
    return cases;
}

// Takes runs of CR LF lines where there are any and single lines elsewhere, as the merge does.
std::vector<std::string> ReadInRuns(const std::filesystem::path& path, std::size_t bufferSize)
{
    LineReader reader(path, "board file", bufferSize);
    std::vector<std::string> lines;
    while (!reader.AtEnd()) {
        std::string_view run = reader.ReadCrLfLines();
        if (run.empty()) {
            lines.push_back(ReadJoined(reader));
            continue;
        }
        EXPECT_EQ(run.substr(run.size() - 2), "\r\n");
        for (std::size_t end; !run.empty(); run.remove_prefix(end + 2)) {
            end = run.find("\r\n");
            lines.emplace_back(run.substr(0, end));
            EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << "a stray line end in a run";
        }
    }
    return lines;
}

TEST(LineReader, GivesRunsOfCrLfLinesThatSplitAsLinesWould)
{
    TestFolder folder;
    for (const SplitCase& c : SplitCases()) {
        const std::filesystem::path file = folder.Write("lines.txt", c.bytes);
        for (std::size_t bufferSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{8},
                                       Module1::kReadBufferSize}) {
            EXPECT_EQ(ReadInRuns(file, bufferSize), c.lines) << c.name << ", buffer of " << bufferSize;
        }
    }

    // Runs are not cut at a few lines: all lines before a stray line end come in one.
    const std::string crLfLines = "abc\r\n\r\ndef\r\n";
    const std::filesystem::path file = folder.Write("lines.txt", crLfLines + crLfLines + "g\nh\r\n");
    LineReader reader(file, "board file");
    EXPECT_EQ(reader.ReadCrLfLines(), crLfLines + crLfLines);
    EXPECT_EQ(reader.ReadCrLfLines(), "");
    EXPECT_EQ(ReadJoined(reader), "g");
    EXPECT_EQ(reader.ReadCrLfLines(), "h\r\n");
    EXPECT_TRUE(reader.AtEnd());
}

TEST(LineReader, FindsAStrayLineEndAnywhereInALongRun)
{
    // Long enough to be checked in many blocks; the lone LF or lone CR falls at every place in one.
    std::string crLfLines;
    for (int i = 0; i < 60; ++i)
        crLfLines += "abc\r\n";
    const std::vector<std::string> lines(60, "abc");
    TestFolder folder;
    for (std::size_t at = 0; at < crLfLines.size(); ++at) {
        if (crLfLines[at] != '\r' && crLfLines[at] != '\n')
            continue;
        std::string bytes = crLfLines;
        bytes.erase(at, 1);
        const std::filesystem::path file = folder.Write("lines.txt", bytes);
        EXPECT_EQ(ReadInRuns(file, Module1::kReadBufferSize), lines) << "stray line end at " << at;
    }
}

// Joins the pieces of each line again; each piece is at most one buffer long.
std::vector<std::string> ReadInPieces(const std::filesystem::path& path, std::size_t bufferSize)
{
    LineReader reader(path, "board file", bufferSize);
    std::vector<std::string> lines;
    while (!reader.AtEnd()) {
        std::string line;
        for (;;) {
            const Module1::LinePiece piece = reader.ReadLinePiece();
            EXPECT_LE(piece.text.size(), bufferSize);
            line += piece.text;
            if (piece.lineEnds || reader.AtEnd())
                break;
        }
        lines.push_back(line);
    }
    EXPECT_TRUE(reader.ReadLinePiece().text.empty());
    reader.ConfirmUnchanged();
    return lines;
}

TEST(LineReader, SplitsOnEveryLineEndAtEveryBufferEdge)
{
    TestFolder folder;
    for (const SplitCase& c : SplitCases()) {
        const std::filesystem::path file = folder.Write("lines.txt", c.bytes);
        for (std::size_t bufferSize = 1; bufferSize <= 12; ++bufferSize)
            EXPECT_EQ(ReadInPieces(file, bufferSize), c.lines) << c.name << ", buffer of " << bufferSize;
        EXPECT_EQ(ReadInPieces(file, Module1::kReadBufferSize), c.lines) << c.name;
    }
}

// Another program saving the file while it is read: the file cut short, grown, or written anew in
// place, after `piecesBefore` pieces have been read. Every change is noticed, read to the end or not.
TEST(LineReader, NoticesAFileThatChangesWhileItIsRead)
{
    namespace fs = std::filesystem;
    const std::string bytes = "abcd\r\nefgh\r\nijkl\r\n";
    const auto overwrite = [](const fs::path& path, long at, const std::string& text) {
        const Module1::FilePtr file(std::fopen(path.string().c_str(), "r+b"));
        ASSERT_TRUE(file);
        ASSERT_EQ(std::fseek(file.get(), at, SEEK_SET), 0);
        ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file.get()), text.size());
    };
    // The write time set apart from the opened file's, which a rewrite within the same tick of the
    // file system's clock would not show.
    const auto touch = [](const fs::path& path) {
        fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
    };
    struct Case {
        const char* name;
        std::size_t piecesBefore;
        std::function<void(const fs::path&)> change;
        bool noticed;
    };
    const Case cases[] = {
        {"unchanged", 2, [](const fs::path&) {}, false},
        {"cut short before the first read", 0, [](const fs::path& path) { fs::resize_file(path, 3); }, true},
        {"cut short within what is left", 2, [](const fs::path& path) { fs::resize_file(path, 14); }, true},
        {"cut to just what was read", 2, [](const fs::path& path) { fs::resize_file(path, 8); }, true},
        {"emptied", 2, [](const fs::path& path) { fs::resize_file(path, 0); }, true},
        {"grown", 2, [&](const fs::path& path) { overwrite(path, 18, "mnop\r\n"); }, true},
        {"grown after its end was read", 6, [&](const fs::path& path) { overwrite(path, 18, "m"); }, true},
        {"written anew, same size", 2,
         [&](const fs::path& path) {
             overwrite(path, 0, "ABCD\r\nEFGH\r\nIJKL\r\n");
             touch(path);
         },
         true},
        {"written anew after its end was read", 6,
         [&](const fs::path& path) {
             overwrite(path, 0, "ABCD");
             touch(path);
         },
         true},
    };
    TestFolder folder;
    for (const Case& c : cases) {
        const fs::path file = folder.Write("lines.txt", bytes);
        std::string failure = "no error";
        try {
            LineReader reader(file, "board file", 4);
            for (std::size_t piece = 0; piece < c.piecesBefore; ++piece)
                reader.ReadLinePiece();
            c.change(file);
            while (!reader.AtEnd())
                reader.ReadLinePiece();
            reader.ConfirmUnchanged();
        } catch (const Module1::MergeError& error) {
            failure = error.what();
        }
        EXPECT_EQ(failure, c.noticed ? "Cannot read the board file " + merge_test::Quoted(file) +
                                           ": it changed while it was read"
                                     : "no error")
            << c.name;
    }

    // A file that is never read, as an aperture list without a "drawPolygons" line in the board.
    const fs::path file = folder.Write("unread.gap", bytes);
    LineReader reader(file, "aperture list");
    overwrite(file, 0, "x");
    touch(file);
    try {
        reader.ConfirmUnchanged();
        ADD_FAILURE() << "no error";
    } catch (const Module1::MergeError& error) {
        EXPECT_EQ(error.what(),
                  "Cannot read the aperture list " + merge_test::Quoted(file) + ": it changed while it was read");
    }
}

TEST(LineReader, NamesTheFileThatCannotBeOpened)
{
    TestFolder folder;
    const std::filesystem::path missing = folder.Path() / "missing.gap";
    try {
        LineReader reader(missing, "aperture list");
        FAIL() << "no error";
    } catch (const Module1::MergeError& error) {
        EXPECT_EQ(error.what(),
                  "Cannot open the aperture list \"" + missing.string() + "\": No such file or directory");
    }
}

}  // namespace
