// Tests of merges that need Linux to set up: a disk that fills, unreadable inputs, odd files, permissions.
#include "merge_apertures.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "line_writer.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using Module1::MergeApertures;
using merge_test::FailureOf;
using merge_test::Quoted;
using merge_test::ReadBytes;
using merge_test::TestFolder;

// Runs the merge in a child process whose files may not grow beyond `limit` bytes, and returns what
// the merge threw there, or "no error".
std::string MergeWithFileSizeLimit(const fs::path& pcb, const fs::path& gap, const fs::path& out, rlim_t limit)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        // Without the signal, a write past the limit fails with EFBIG, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize{limit, limit};
        setrlimit(RLIMIT_FSIZE, &fileSize);
        const std::string message = FailureOf(pcb, gap, out);
        const ssize_t written = write(pipeEnds[1], message.data(), message.size());
        _exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string message;
    char piece[512];
    for (ssize_t got; (got = read(pipeEnds[0], piece, sizeof piece)) > 0;)
        message.append(piece, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child process failed";
    return message;
}

TEST(MergeOnLinux, AWriteThatFailsPartWayLeavesTheEarlierOutput)
{
    struct Case {
        const char* name;
        std::size_t boardSize;
        rlim_t limit;
    };
    const Case cases[] = {
        {"failing while copying", 3 * Module1::kWriteBufferSize, 64 * 1024},
        {"failing at the last flush", 20000, 4096},
    };
    for (const Case& c : cases) {
        TestFolder folder;
        std::string board;
        while (board.size() < c.boardSize)
            board += "(line (pt 1100.0 2200.0) (pt 1300.0 2200.0) (width 10.0))\r\n";
        const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n" + board);
        const auto gap = folder.Write("main.gap", "D10 ROUND 010.0 020.0 030.0\r\n");
        const auto out = folder.Write("New_main.pcb", "earlier output\r\n");
        const auto before = merge_test::Snapshot(folder.Path());

        EXPECT_EQ(MergeWithFileSizeLimit(pcb, gap, out, c.limit),
                  "Cannot write the output file " + Quoted(out) + ": File too large")
            << c.name;
        EXPECT_EQ(merge_test::Snapshot(folder.Path()), before) << c.name;
    }
}

TEST(MergeOnLinux, AnInputThatCannotBeReadIsNamed)
{
    TestFolder folder;
    const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    const auto gap = folder.Write("main.gap", "D10 ROUND 010.0 020.0 030.0\r\n");
    const auto out = folder.Write("New_main.pcb", "earlier output\r\n");
    const auto unreadable = folder.Path() / "folder.pcb";
    fs::create_directory(unreadable);  // opens, but every read fails
    const auto before = merge_test::Snapshot(folder.Path());

    EXPECT_EQ(FailureOf(unreadable, gap, out), "Cannot read the board file " + Quoted(unreadable) + ": Is a directory");
    EXPECT_EQ(FailureOf(pcb, unreadable, out), "Cannot read the aperture list " + Quoted(unreadable) + ": Is a directory");
    EXPECT_EQ(merge_test::Snapshot(folder.Path()), before);
}

TEST(MergeOnLinux, RefusesAnOutputThatIsNoRegularFile)
{
    TestFolder folder;
    const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    const auto gap = folder.Write("main.gap", "D10 ROUND 010.0 020.0 030.0\r\n");
    const auto fifo = folder.Path() / "New_main.pcb";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto before = merge_test::Snapshot(folder.Path());

    EXPECT_EQ(FailureOf(pcb, gap, fifo), "Cannot write the output file " + Quoted(fifo) + ": it is not a regular file");
    EXPECT_EQ(merge_test::Snapshot(folder.Path()), before);
}

TEST(MergeOnLinux, KeepsThePermissionsOfTheFileItReplaces)
{
    TestFolder folder;
    const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    const auto gap = folder.Write("main.gap", "");
    const auto out = folder.Write("New_main.pcb", "earlier output\r\n");
    const auto kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(out, kept);

    MergeApertures(pcb, gap, out);

    EXPECT_EQ(ReadBytes(out), "drawPolygons\r\n");
    EXPECT_EQ(fs::status(out).permissions(), kept);
}

}  // namespace
