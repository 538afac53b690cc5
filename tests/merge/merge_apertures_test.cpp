// Tests of whole merges: where the records go, which lines they come from, and what the output holds.
#include "merge_apertures.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "file_system.h"
#include "line_reader.h"
#include "test_folder.h"

#ifdef __linux__
#include <chrono>
#include <cstdio>
#include <functional>

#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using merge_test::CrLf;
using merge_test::ReadBytes;
using merge_test::TestFolder;
using Module1::MergeApertures;
using namespace std::string_literals;

TEST(MergeApertures, WritesTheBoardWithTheRecordsAfterTheFirstDrawPolygonsLine)
{
    TestFolder folder;
    // Mixed line ends, bytes of no character set, a second "drawPolygons", a last line without end.
    const auto pcb = folder.Write("main.pcb",
                                  "ACCEL_ASCII \"main.pcb\"\r\n"
                                  "(pcbDesign \xe9\0\xff\n"s
                                  "  (layerContents (drawPolygons True)\r\n"
                                  "  (line (pt 1.0 2.0))\r"
                                  "  (drawPolygons False)\r\n"
                                  ")");
    const auto gap = folder.Write("main.gap",
                                  "D10 ROUND 010.0 020.0 030.0\r\n"
                                  "no shape here 1.0\n"
                                  "D11 SQUARE 025.5\r\n"
                                  "D12 OBLONG 040.0 060.0 000.0");
    const auto out = folder.Path() / "New_main.pcb";

    MergeApertures(pcb, gap, out);

    EXPECT_EQ(ReadBytes(out),
              "ACCEL_ASCII \"main.pcb\"\r\n"
              "(pcbDesign \xe9\0\xff\r\n"s
              "  (layerContents (drawPolygons True)\r\n"
              "(apertureDef\r\n(dCode 10 )\r\n(apertureShape Ellipse)\r\n(width 010)\r\n(height 030)\r\n"
              "(holeDiam 0)\r\n(desc \"\")\r\n)\r\n"
              "(apertureDef\r\n(dCode 11 )\r\n(apertureShape Rect)\r\n(width 025)\r\n(height 025)\r\n"
              "(holeDiam 0)\r\n(desc \"\")\r\n)\r\n"
              "(apertureDef\r\n(dCode 12 )\r\n(apertureShape Oval)\r\n(width 040)\r\n(height 040)\r\n"
              "(holeDiam 0)\r\n(desc \"\")\r\n)\r\n"
              "  (line (pt 1.0 2.0))\r\n"
              "  (drawPolygons False)\r\n"
              ")\r\n");
    EXPECT_EQ(merge_test::Snapshot(folder.Path()).size(), 3u);  // no temporary file left
}

// The record of each aperture line below, as one line of "|"-separated text.
const std::map<std::string, std::string> kRecords = {
    {"R10", "(apertureDef|(dCode 10 )|(apertureShape Ellipse)|(width 010)|(height 030)|(holeDiam 0)|(desc \"\")|)"},
    {"R11", "(apertureDef|(dCode 11 )|(apertureShape Rect)|(width 025)|(height 025)|(holeDiam 0)|(desc \"\")|)"},
};
const char* const kR10 = "D10 ROUND 010.0 020.0 030.0";
const char* const kR11 = "D11 SQUARE 025.5";

struct PlaceCase {
    const char* name;
    std::string board;
    std::string apertures;
    // The expected output, lines separated by "|", with R10 and R11 standing for their records.
    std::string output;
};

std::string Expand(std::string text)
{
    for (const auto& [name, record] : kRecords) {
        for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name))
            text.replace(at, name.size(), record);
    }
    return CrLf(text);
}

TEST(MergeApertures, PutsTheRecordsInTheirPlace)
{
    const std::string one = kR10 + "\r\n"s;
    const PlaceCase cases[] = {
        {"empty board", "", one, ""},
        {"no drawPolygons line", "a\r\nb\r\n", one, "a|b|"},
        {"aperture list unread without drawPolygons", "a\r\nb\r\n", "D30 RECTANGLE 40X60\r\n", "a|b|"},
        {"drawPolygons in other capitals", "DRAWPOLYGONS\r\nDrawPolygons\r\ndrawpolygons\r\n", one,
         "DRAWPOLYGONS|DrawPolygons|drawpolygons|"},
        {"first line", "drawPolygons\r\nb\r\n", one, "drawPolygons|R10|b|"},
        {"last line without line end", "a\r\nx drawPolygons", one, "a|x drawPolygons|R10|"},
        {"near misses before it", "P drawPolygon\r\nPP drawpolygons drawPolygons\r\nb", one,
         "P drawPolygon|PP drawpolygons drawPolygons|R10|b|"},
        {"inside a longer word", "a\r\n(drawPolygonsTrue)\r\nb", one, "a|(drawPolygonsTrue)|R10|b|"},
        {"two drawPolygons lines", "a\r\ndrawPolygons 1\r\nb\r\ndrawPolygons 2\r\nc", one,
         "a|drawPolygons 1|R10|b|drawPolygons 2|c|"},
        {"empty aperture list", "a\r\ndrawPolygons\r\nb\r\n", "", "a|drawPolygons|b|"},
        {"no qualifying aperture line", "a\r\ndrawPolygons\r\nb\r\n", "x 1.0\r\nD25 round 010.0\r\nROUN\r\n",
         "a|drawPolygons|b|"},
        {"qualifying lines first and last", "drawPolygons\r\nb\r\n", kR10 + "\r\nskipped\r\n"s + kR11,
         "drawPolygons|R10|R11|b|"},
        {"skipped lines after the last qualifying line", "drawPolygons\r\nb\r\n",
         "skipped\r\n"s + kR11 + "\r\n\r\nskipped\r\n", "drawPolygons|R11|b|"},
        {"list order kept", "drawPolygons\r\n", kR11 + "\r\n"s + kR10 + "\n" + kR11, "drawPolygons|R11|R10|R11|"},
        // Far longer than a read buffer, and than any aperture line: nothing names a shape in it.
        {"aperture line of 9 MiB without a shape", "drawPolygons\r\nb\r\n",
         kR11 + "\r\n"s + std::string(9 << 20, '.') + " ROUN D RECTANGL\r\n" + kR10, "drawPolygons|R11|R10|b|"},
        // The read buffer's edges cut its keyword and the width before its first ".".
        {"aperture line across read buffers", "drawPolygons\r\n",
         "D40 " + std::string(Module1::kReadBufferSize - 6, ' ') + "ROUND" +
             std::string(Module1::kReadBufferSize - 4, ' ') + "012.0 020.0 034.0\r\n" + kR11,
         "drawPolygons|(apertureDef|(dCode 40 )|(apertureShape Ellipse)|(width 012)|(height 034)|(holeDiam 0)|"
         "(desc \"\")|)|R11|"},
    };
    for (const PlaceCase& c : cases) {
        TestFolder folder;
        const auto pcb = folder.Write("main.pcb", c.board);
        const auto gap = folder.Write("main.gap", c.apertures);
        const auto out = folder.Path() / "New_main.pcb";
        MergeApertures(pcb, gap, out);
        EXPECT_EQ(ReadBytes(out), Expand(c.output)) << c.name;
    }
}

TEST(MergeApertures, ReadsLinesAcrossTheBufferEdge)
{
    constexpr std::size_t kEdge = Module1::kReadBufferSize;
    const std::string upToEdge(kEdge - 1, 'x');
    struct Case {
        const char* name;
        std::string board;
        std::string output;
    };
    const Case cases[] = {
        {"crlf split by the edge", upToEdge + "\r\ndrawPolygons\r\nb",
         upToEdge + CrLf("|drawPolygons|") + Expand("R10|b|")},
        {"lone cr at the edge", upToEdge + "\rdrawPolygons", upToEdge + CrLf("|drawPolygons|") + Expand("R10|")},
        {"drawPolygons split by the edge", std::string(kEdge - 5, 'y') + "drawPolygons\r\nb",
         std::string(kEdge - 5, 'y') + CrLf("drawPolygons|") + Expand("R10|b|")},
        {"line longer than the buffer", std::string(2 * kEdge + 3, 'z') + "drawPolygons\nb",
         std::string(2 * kEdge + 3, 'z') + CrLf("drawPolygons|") + Expand("R10|b|")},
    };
    for (const Case& c : cases) {
        TestFolder folder;
        const auto pcb = folder.Write("main.pcb", c.board);
        const auto gap = folder.Write("main.gap", kR10);
        const auto out = folder.Path() / "New_main.pcb";
        MergeApertures(pcb, gap, out);
        EXPECT_TRUE(ReadBytes(out) == c.output) << c.name;
    }
}

// A line longer than the buffer comes in pieces; the mark is found wherever their edge cuts it, and
// a near miss cut the same way is not taken for it.
TEST(MergeApertures, FindsTheMarkWhereverAPieceEdgeCutsIt)
{
    constexpr std::size_t kEdge = Module1::kReadBufferSize;
    const std::string mark = "drawPolygons";
    TestFolder folder;
    const auto gap = folder.Write("main.gap", kR10);
    const auto out = folder.Path() / "New_main.pcb";
    for (std::size_t before = 1; before < mark.size(); ++before) {
        const std::string line = std::string(kEdge - before, 'z') + mark + std::string(kEdge, 'z');
        const auto pcb = folder.Write("main.pcb", line + "\nb");
        MergeApertures(pcb, gap, out);
        EXPECT_TRUE(ReadBytes(out) == line + CrLf("|") + Expand("R10|b|"))
            << before << " bytes of the mark before the edge";

        std::string nearMiss = line;
        nearMiss[kEdge - before + mark.size() - 1] = 'S';
        folder.Write("main.pcb", nearMiss + "\nb");
        MergeApertures(pcb, gap, out);
        EXPECT_TRUE(ReadBytes(out) == nearMiss + CrLf("|b|")) << before << " bytes of a near miss before the edge";
    }
}

TEST(MergeApertures, WritesTheOutputAnewEachTime)
{
    TestFolder folder;
    const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    const auto gap = folder.Write("main.gap", kR10);
    const auto out = folder.Write("New_main.pcb", std::string(10000, 'o'));
    const std::string expected = Expand("drawPolygons|R10|");

    MergeApertures(pcb, gap, out);
    EXPECT_EQ(ReadBytes(out), expected);
    MergeApertures(pcb, gap, out);
    EXPECT_EQ(ReadBytes(out), expected);
    EXPECT_EQ(merge_test::Snapshot(folder.Path()).size(), 3u);
}

TEST(MergeApertures, WritesThroughAnOutputLinkAndKeepsTheLink)
{
    TestFolder folder;
    const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    const auto gap = folder.Write("main.gap", kR10);
    std::filesystem::create_directory(folder.Path() / "elsewhere");
    const auto target = folder.Write("elsewhere/real.pcb", "old");
    const auto link = folder.Path() / "New_main.pcb";
    if (!merge_test::TryCreateSymlink("elsewhere/real.pcb", link))
        GTEST_SKIP() << "no symbolic links here: " << merge_test::LastLayoutFailure();

    MergeApertures(pcb, gap, link);

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), "elsewhere/real.pcb");
    EXPECT_EQ(ReadBytes(target), Expand("drawPolygons|R10|"));
    EXPECT_EQ(merge_test::Snapshot(folder.Path()).size(), 5u);
}

// Replacing the file would cut it off from its other links; it is written where it stands instead.
TEST(MergeApertures, WritesAnOutputWithOtherLinksWhereItStands)
{
    TestFolder folder;
    const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    const auto gap = folder.Write("main.gap", kR10);
    const auto out = folder.Write("New_main.pcb", std::string(3 * Module1::kReadBufferSize, 'o'));
    const auto twin = folder.Path() / "twin.pcb";
    std::error_code error;
    std::filesystem::create_hard_link(out, twin, error);
    if (error)
        GTEST_SKIP() << "no hard links here: " << error.message();

    MergeApertures(pcb, gap, out);

    EXPECT_EQ(ReadBytes(out), Expand("drawPolygons|R10|"));
    EXPECT_EQ(ReadBytes(twin), Expand("drawPolygons|R10|"));
    EXPECT_TRUE(Module1::SameFile(out, twin));
    EXPECT_EQ(merge_test::Snapshot(folder.Path()).size(), 4u);
}

// Names outside ASCII are opened as they are, and an error names them so that they can be read.
TEST(MergeApertures, WorksWithFileNamesInAnyScript)
{
    TestFolder folder;
    const auto pcb = folder.Write(u8"Platine_öß_圖.pcb", "drawPolygons");
    const auto gap = folder.Write(u8"Blenden_ü.gap", kR10);
    const auto out = folder.Path() / u8"New_Platine_öß_圖.pcb";

    MergeApertures(pcb, gap, out);
    EXPECT_EQ(ReadBytes(out), Expand("drawPolygons|R10|"));

    const auto missing = folder.Path() / u8"fehlt_ä.pcb";
    const std::string failure = merge_test::FailureOf(missing, gap, out);
    const std::u8string name = missing.u8string();
    EXPECT_NE(failure.find(std::string(name.begin(), name.end())), std::string::npos) << failure;
}

#ifdef __linux__
// Runs the merge in a child process that this one traces, and calls `change` while the child stands
// at its second read of the board file: the first has been read, the rest not yet. Yields what the
// merge threw there, or why the platform can't do this (then starting with "cannot trace").
std::string MergeChangedWhileRead(const std::filesystem::path& pcb, const std::filesystem::path& gap,
                                  const std::filesystem::path& out, const std::function<void()>& change)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "cannot trace: no pipe to a child process";
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::string message = "cannot trace: the child can't be traced";
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) == 0 && raise(SIGSTOP) == 0)
            message = merge_test::FailureOf(pcb, gap, out);
        const ssize_t written = write(pipeEnds[1], message.data(), message.size());
        _exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);

    const std::filesystem::path board = std::filesystem::canonical(pcb);
    const std::string procFd = "/proc/" + std::to_string(child) + "/fd/";
    std::string problem;
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSTOPPED(status) &&
        ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL) == 0) {
        int boardReads = 0;
        int signal = 0;
        while (ptrace(PTRACE_SYSCALL, child, nullptr, signal) == 0 && waitpid(child, &status, 0) == child &&
               WIFSTOPPED(status)) {
            signal = WSTOPSIG(status) == (SIGTRAP | 0x80) || WSTOPSIG(status) == SIGSTOP ? 0 : WSTOPSIG(status);
            if (signal != 0 || WSTOPSIG(status) != (SIGTRAP | 0x80))
                continue;
            __ptrace_syscall_info info{};
            if (ptrace(PTRACE_GET_SYSCALL_INFO, child, sizeof info, &info) <= 0) {
                problem = "cannot trace: no PTRACE_GET_SYSCALL_INFO here";
                break;
            }
            if (info.op != PTRACE_SYSCALL_INFO_ENTRY || info.entry.nr != SYS_read)
                continue;
            std::error_code error;
            const auto file = std::filesystem::read_symlink(procFd + std::to_string(info.entry.args[0]), error);
            if (!error && file == board && ++boardReads == 2) {
                change();
                break;
            }
        }
        ptrace(PTRACE_DETACH, child, nullptr, 0);
    } else {
        problem = "cannot trace: the child did not stop";
    }
    std::string message;
    char piece[512];
    for (ssize_t got; (got = read(pipeEnds[0], piece, sizeof piece)) > 0;)
        message.append(piece, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    waitpid(child, &status, 0);
    if (!problem.empty())
        return problem;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? message : message + " (the child process failed)";
}

// Another program saves an input while the merge reads it: the merge fails, names the file, and
// leaves the earlier output as it was.
TEST(MergeApertures, FailsWhenAnInputChangesWhileItIsRead)
{
    namespace fs = std::filesystem;
    // Three read buffers of board, the "drawPolygons" line in the second.
    const std::string half(3 * Module1::kReadBufferSize / 2, 'x');
    const std::string boardBytes = half + "\r\ndrawPolygons\r\n" + half + "\r\n";
    // The write time set apart from the opened file's, which a rewrite within the same tick of the
    // file system's clock would not show.
    const auto rewrite = [](const fs::path& path) {
        const Module1::FilePtr file(std::fopen(path.string().c_str(), "r+b"));
        if (!file || std::fputc('y', file.get()) == EOF)
            ADD_FAILURE() << "cannot rewrite " << path;
        fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
    };
    struct Case {
        const char* name;
        std::function<void(const fs::path& pcb, const fs::path& gap)> change;
        const char* role;
        bool board;
    };
    const Case cases[] = {
        {"board file cut short", [](const fs::path& pcb, const fs::path&) { fs::resize_file(pcb, 100); }, "board file",
         true},
        {"board file written anew", [&](const fs::path& pcb, const fs::path&) { rewrite(pcb); }, "board file", true},
        {"aperture list cut short", [](const fs::path&, const fs::path& gap) { fs::resize_file(gap, 3); },
         "aperture list", false},
        {"aperture list written anew", [&](const fs::path&, const fs::path& gap) { rewrite(gap); }, "aperture list",
         false},
    };
    for (const Case& c : cases) {
        TestFolder folder;
        const auto pcb = folder.Write("main.pcb", boardBytes);
        const auto gap = folder.Write("main.gap", kR10 + "\r\n"s + kR11);
        const auto out = folder.Write("New_main.pcb", "earlier output\r\n");
        const std::string failure = MergeChangedWhileRead(pcb, gap, out, [&] { c.change(pcb, gap); });
        if (failure.starts_with("cannot trace"))
            GTEST_SKIP() << failure;
        EXPECT_EQ(failure, "Cannot read the "s + c.role + " " + merge_test::Quoted(c.board ? pcb : gap) +
                               ": it changed while it was read")
            << c.name;
        EXPECT_EQ(ReadBytes(out), "earlier output\r\n") << c.name;
        EXPECT_EQ(merge_test::Snapshot(folder.Path()).size(), 3u) << c.name << ": a temporary file left";
    }
}
#endif

}  // namespace
