// Tests of failed merges: each names the file and the reason, and leaves every file as it was.
#include "merge_apertures.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "file_system.h"
#include "merge_error.h"
#include "ordinary_user.h"
#include "safe_output.h"
#include "test_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

#ifdef __linux__
#include <csignal>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "child_process.h"
#include "line_writer.h"
#endif

namespace {

namespace fs = std::filesystem;
using merge_test::FailureOf;
using merge_test::Quoted;
using merge_test::TestFolder;

struct Paths {
    fs::path pcb;
    fs::path gap;
    fs::path out;
    // Any other path that the message names.
    fs::path other;
};

// What a case's set-up yields: the paths to merge, or nothing where the platform can't lay it out.
using Layout = std::optional<Paths>;

// Who runs the merge: where permissions matter, root and an ordinary user can differ.
enum class Runner { Here, OrdinaryUser, HereAndOrdinaryUser };

struct FailureCase {
    const char* name;
    // Changes the standard layout (a board file, an aperture list and an earlier output file) and
    // returns the paths to merge; nothing where the platform can't lay out the case.
    std::function<Layout(const TestFolder&, Paths)> setUp;
    // {pcb}, {gap}, {out} and {other} stand for the quoted paths.
    std::string message;
    Runner runner = Runner::Here;
    // When set, the merge runs in a child process prepared by this (limits on it; POSIX only).
    std::function<void()> inChild = nullptr;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Fill(std::string text, const Paths& paths)
{
    const std::pair<const char*, const fs::path*> fields[] = {
        {"{pcb}", &paths.pcb}, {"{gap}", &paths.gap}, {"{out}", &paths.out}, {"{other}", &paths.other}};
    for (const auto& [name, path] : fields) {
        for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name))
            text.replace(at, std::string_view(name).size(), Quoted(*path));
    }
    return text;
}

Layout WithApertures(const TestFolder& folder, Paths paths, const std::string& apertures)
{
    folder.Write(paths.gap.filename(), apertures);
    return paths;
}

#ifdef __linux__
// Board lines enough to fill `size` bytes.
std::string BoardOf(std::size_t size)
{
    std::string board;
    while (board.size() < size)
        board += "(line (pt 1100.0 2200.0) (pt 1300.0 2200.0) (width 10.0))\r\n";
    return board;
}

// A write beyond `bytes` then fails with EFBIG, as on a full disk, instead of ending the process.
void LimitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit fileSize{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &fileSize);
}
#endif

const FailureCase kFailures[] = {
    {"missing_board_file",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.pcb = folder.Path() / "missing.pcb";
         return paths;
     },
     "Cannot open the board file {pcb}: No such file or directory"},
    {"missing_aperture_list",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.gap = folder.Path() / "missing.gap";
         return paths;
     },
     "Cannot open the aperture list {gap}: No such file or directory"},
    // With more than one file missing, the order of opening decides which is named.
    {"everything_missing",
     [](const TestFolder& folder, Paths) -> Layout {
         return Paths{folder.Path() / "missing.pcb",
                      folder.Path() / "missing.gap",
                      folder.Path() / "no such folder" / "New_main.pcb",
                      {}};
     },
     "Cannot open the board file {pcb}: No such file or directory"},
    {"aperture_list_and_output_folder_missing",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.gap = folder.Path() / "missing.gap";
         paths.out = folder.Path() / "no such folder" / "New_main.pcb";
         return paths;
     },
     "Cannot open the aperture list {gap}: No such file or directory"},
    {"output_folder_missing",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.other = folder.Path() / "no such folder";
         paths.out = paths.other / "New_main.pcb";
         return paths;
     },
     "Cannot write the output file {out}: the folder {other} does not exist"},
    {"output_path_ending_in_a_separator",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.out = folder.Path() / "no such folder" / "";
         return paths;
     },
     "Cannot write the output file {out}: the path ends in a separator, so it names no file"},
    {"output_folder_is_a_file",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.out = paths.pcb / "New_main.pcb";
         return paths;
     },
     "Cannot write the output file {out}: {pcb} is not a folder"},
    // Root could write it, but to the operator a file without write permission is read-only, and
    // Windows refuses its read-only files to everyone.
    {"output_is_read_only",
     [](const TestFolder&, Paths paths) -> Layout {
         fs::permissions(paths.out, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         return paths;
     },
     "Cannot write the output file {out}: it is read-only", Runner::HereAndOrdinaryUser},
    {"board_file_is_a_folder",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.pcb = folder.Path() / "folder.pcb";
         fs::create_directory(paths.pcb);
         return paths;
     },
     "Cannot open the board file {pcb}: it is a folder"},
    {"aperture_list_is_a_folder",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.gap = folder.Path() / "folder.gap";
         fs::create_directory(paths.gap);
         return paths;
     },
     "Cannot open the aperture list {gap}: it is a folder"},
    {"empty_output_path",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.out.clear();
         return paths;
     },
     "Cannot write the output file: no output path is given"},
    {"output_is_the_board_file",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.out = paths.pcb;
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"output_is_the_aperture_list",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.out = paths.gap;
         return paths;
     },
     "Cannot write the output file {out}: it is the aperture list {gap}"},
    {"output_is_the_board_file_spelt_otherwise",
     [](const TestFolder& folder, Paths paths) -> Layout {
         fs::create_directory(folder.Path() / "sub");
         paths.out = folder.Path() / "sub" / ".." / "." / "main.pcb";
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"output_is_a_link_to_the_board_file",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.out = folder.Path() / "link.pcb";
         if (!merge_test::TryCreateSymlink("main.pcb", paths.out))
             return std::nullopt;
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"output_in_a_linked_folder_is_the_aperture_list",
     [](const TestFolder& folder, Paths paths) -> Layout {
         if (!merge_test::TryCreateSymlink(folder.Path(), folder.Path() / "again"))
             return std::nullopt;
         paths.out = folder.Path() / "again" / "main.gap";
         return paths;
     },
     "Cannot write the output file {out}: it is the aperture list {gap}"},
#ifdef _WIN32
    // Windows names a file in any letter case.
    {"output_is_the_board_file_in_other_capitals",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.out = folder.Path() / "MAIN.PCB";
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"output_is_the_board_file_by_its_long_path_form",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.out = L"\\\\?\\" + fs::absolute(paths.pcb).native();
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    // Wine's drive Z: is the whole Unix file system, so a file on C: is on Z: too, by another name.
    {"output_is_the_board_file_on_another_drive",
     [](const TestFolder&, Paths paths) -> Layout {
         using UnixName = char*(__cdecl*)(const wchar_t*);
         const auto unixName = reinterpret_cast<UnixName>(
             reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
         if (!unixName)
             return merge_test::CannotLayOut("only wine shows a file on two drives");
         char* name = unixName(paths.pcb.c_str());
         if (!name)
             return merge_test::CannotLayOut("wine gives no Unix name for the board file");
         std::string onZ = std::string("Z:") + name;
         HeapFree(GetProcessHeap(), 0, name);
         for (char& c : onZ) {
             if (c == '/')
                 c = '\\';
         }
         paths.out = onZ;
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"board_file_is_a_device",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.pcb = "NUL";
         return paths;
     },
     "Cannot open the board file {pcb}: it is not a regular file"},
#endif
    {"output_is_a_hard_link_to_the_board_file",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.out = folder.Path() / "hard.pcb";
         std::error_code error;
         fs::create_hard_link(paths.pcb, paths.out, error);
         if (error)
             return merge_test::CannotLayOut("no hard link can be made: " + error.message());
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"output_is_a_folder",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.out = folder.Path() / "sub";
         fs::create_directory(paths.out);
         return paths;
     },
     "Cannot write the output file {out}: it is a folder"},
    {"output_is_a_link_to_a_folder",
     [](const TestFolder& folder, Paths paths) -> Layout {
         fs::create_directory(folder.Path() / "sub");
         paths.out = folder.Path() / "link";
         if (!merge_test::TryCreateSymlink("sub", paths.out))
             return std::nullopt;
         return paths;
     },
     "Cannot write the output file {out}: it is a folder"},
    {"output_is_a_loop_of_links",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.out = folder.Path() / "loop1";
         if (!merge_test::TryCreateSymlink("loop2", paths.out) ||
             !merge_test::TryCreateSymlink("loop1", folder.Path() / "loop2"))
             return std::nullopt;
         return paths;
     },
     "Cannot write the output file {out}: Too many levels of symbolic links"},
    {"aperture_line_without_dot",
     [](const TestFolder& folder, Paths paths) {
         return WithApertures(folder, paths,
                              "D10 ROUND 010.0 020.0 030.0\r\nskipped\r\nD30 RECTANGLE 40X60\r\nD11 SQUARE 025.5\r\n");
     },
     "Cannot make an aperture from line 3 of the aperture list {gap}: \"D30 RECTANGLE 40X60\" holds no \".\", so it "
     "gives no width"},
    {"aperture_line_with_an_early_dot",
     [](const TestFolder& folder, Paths paths) {
         return WithApertures(folder, paths, "D.1 ROUND 010.0 010.0 010.0\n");
     },
     "Cannot make an aperture from line 1 of the aperture list {gap}: the first \".\" of \"D.1 ROUND 010.0 010.0 "
     "010.0\" stands at position 2, with no room for the three characters of the width before it"},
    {"aperture_line_with_two_dots",
     [](const TestFolder& folder, Paths paths) {
         return WithApertures(folder, paths, "D10 ROUND 010.0 020.0 030.0\rD20 OBLONG 040.0 060.0");
     },
     "Cannot make an aperture from line 2 of the aperture list {gap}: \"D20 OBLONG 040.0 060.0\" holds exactly two "
     "\".\", so it gives no height: an aperture line needs one, or three or more"},
#ifdef __linux__
    // Said before a line is read, not once the whole merge is done, and never as a "replace".
    {"output_name_too_long",
     [](const TestFolder& folder, Paths paths) -> Layout {
         const std::optional<std::size_t> longest = merge_test::LongestName(folder.Path());
         if (!longest)
             return merge_test::CannotLayOut("the file system sets no limit on the length of a name");
         paths.out = folder.Path() / std::string(*longest + 1, 'n');
         return paths;
     },
     "Cannot write the output file {out}: File name too long"},
    // A FIFO would keep the merge waiting for a writer forever: the child is stopped after a while.
    {"board_file_is_a_fifo",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.pcb = folder.Path() / "fifo.pcb";
         if (mkfifo(paths.pcb.c_str(), 0600) != 0)
             return merge_test::CannotLayOut("no FIFO can be made here");
         return paths;
     },
     "Cannot open the board file {pcb}: it is not a regular file", Runner::Here, [] { alarm(20); }},
    {"aperture_list_is_a_fifo",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.gap = folder.Path() / "fifo.gap";
         if (mkfifo(paths.gap.c_str(), 0600) != 0)
             return merge_test::CannotLayOut("no FIFO can be made here");
         return paths;
     },
     "Cannot open the aperture list {gap}: it is not a regular file", Runner::Here, [] { alarm(20); }},
    {"board_file_is_a_device",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.pcb = "/dev/zero";
         return paths;
     },
     "Cannot open the board file {pcb}: it is not a regular file", Runner::Here, [] { alarm(20); }},
    {"board_file_is_a_socket",
     [](const TestFolder& folder, Paths paths) -> Layout {
         paths.pcb = folder.Path() / "socket.pcb";
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         const std::string name = paths.pcb.string();
         if (name.size() >= sizeof address.sun_path)
             return merge_test::CannotLayOut("the socket's path is too long");
         name.copy(address.sun_path, name.size());
         const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
         const bool bound = fd >= 0 && bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
         if (fd >= 0)
             close(fd);
         if (!bound)
             return merge_test::CannotLayOut("no socket can be made here");
         return paths;
     },
     "Cannot open the board file {pcb}: it is not a regular file"},
    {"aperture_list_is_a_device",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.gap = "/dev/null";
         return paths;
     },
     "Cannot open the aperture list {gap}: it is not a regular file"},
    {"output_is_a_fifo",
     [](const TestFolder&, Paths paths) -> Layout {
         fs::remove(paths.out);
         if (mkfifo(paths.out.c_str(), 0600) != 0)
             return merge_test::CannotLayOut("no FIFO can be made here");
         return paths;
     },
     "Cannot write the output file {out}: it is not a regular file", Runner::Here, [] { alarm(20); }},
    // A regular file that opens, but whose every read fails.
    {"board_file_cannot_be_read",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.pcb = "/proc/self/mem";
         return paths;
     },
     "Cannot read the board file {pcb}: Input/output error"},
    {"aperture_list_cannot_be_read",
     [](const TestFolder&, Paths paths) -> Layout {
         paths.gap = "/proc/self/mem";
         return paths;
     },
     "Cannot read the aperture list {gap}: Input/output error"},
    // A file size limit fails the writes as a full disk would.
    {"write_failing_while_copying",
     [](const TestFolder& folder, Paths paths) -> Layout {
         folder.Write(paths.pcb.filename(), "drawPolygons\r\n" + BoardOf(3 * Module1::kWriteBufferSize));
         return paths;
     },
     "Cannot write the output file {out}: File too large", Runner::Here, [] { LimitFileSize(64 * 1024); }},
    {"write_failing_at_the_last_flush",
     [](const TestFolder& folder, Paths paths) -> Layout {
         folder.Write(paths.pcb.filename(), "drawPolygons\r\n" + BoardOf(20000));
         return paths;
     },
     "Cannot write the output file {out}: File too large", Runner::Here, [] { LimitFileSize(4096); }},
    // An output file with another link is written where it stands, but is still prepared whole
    // first: a write that fails on the way leaves it as it was.
    {"write_failing_in_place",
     [](const TestFolder& folder, Paths paths) -> Layout {
         folder.Write(paths.pcb.filename(), "drawPolygons\r\n" + BoardOf(20000));
         fs::create_hard_link(paths.out, folder.Path() / "twin.pcb");
         return paths;
     },
     "Cannot write the output file {out}: File too large", Runner::Here, [] { LimitFileSize(4096); }},
    // Held whole, this line would take 32 MiB; the merge takes no more than the limit, and finds
    // that the line, all NULs after its keyword, holds no ".".
    {"bad_aperture_line_too_long_to_hold",
     [](const TestFolder& folder, Paths paths) -> Layout {
         if (merge_test::UnderAddressSanitizer())
             return merge_test::CannotLayOut("the sanitizers' shadow memory leaves no room for a memory limit");
         fs::resize_file(folder.Write(paths.gap.filename(), "D10 ROUND 010.0 020.0 030.0\r\nD11 ROUND"), 32 << 20);
         return paths;
     },
     "Cannot make an aperture from line 2 of the aperture list {gap}: \"D11 ROUND" + std::string(91, '?') +
         "...\" holds no \".\", so it gives no width",
     Runner::Here, [] { merge_test::LimitMemoryGrowth(24 << 20); }},
    // Out of memory, the operator reads a sentence, not the name of an exception.
    {"out_of_memory",
     [](const TestFolder&, Paths paths) -> Layout {
         if (merge_test::UnderAddressSanitizer())
             return merge_test::CannotLayOut("the sanitizers' shadow memory leaves no room for a memory limit");
         return paths;
     },
     "Cannot merge the board file {pcb} with the aperture list {gap}: there is not enough memory", Runner::Here,
     merge_test::LeaveLittleMemory},
    {"output_folder_takes_no_new_file",
     [](const TestFolder& folder, Paths paths) -> Layout {
         fs::create_directory(folder.Path() / "locked");
         paths.out = folder.Path() / "locked" / "New_main.pcb";
         fs::permissions(folder.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
         return paths;
     },
     "Cannot create the output file {out}: Permission denied", Runner::OrdinaryUser},
#endif
};

class MergeFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(MergeFailure, NamesTheFileAndLeavesEveryFileAsItWas)
{
    const FailureCase& c = GetParam();
    if (c.runner == Runner::OrdinaryUser && test_support::RerunAsOrdinaryUser())
        return;
    TestFolder folder;
    Paths standard{folder.Write("main.pcb", "a\r\ndrawPolygons\r\nb\r\n"),
                   folder.Write("main.gap", "D10 ROUND 010.0 020.0 030.0\r\n"),
                   folder.Write("New_main.pcb", "earlier output\r\n"),
                   {}};
    const Layout paths = c.setUp(folder, standard);
    if (!paths)
        GTEST_SKIP() << "the platform can't lay out this case (" << merge_test::LastLayoutFailure() << ")";
    const auto before = merge_test::Snapshot(folder.Path());

    std::string failure;
#ifdef __linux__
    if (c.inChild)
        failure = merge_test::InChild(c.inChild, [&] { return FailureOf(paths->pcb, paths->gap, paths->out); });
    else
#endif
        failure = FailureOf(paths->pcb, paths->gap, paths->out);
    EXPECT_EQ(failure, Fill(c.message, *paths));
    EXPECT_EQ(merge_test::Snapshot(folder.Path()), before);

    if (c.runner == Runner::HereAndOrdinaryUser && test_support::PassesPermissionChecks())
        test_support::RerunAsOrdinaryUser();
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             return std::string(info.param.name);
                         });

// A board file, an aperture list and an earlier output with a second hard link, which a merge
// writes where it stands.
struct LinkedOutput {
    TestFolder folder;
    fs::path pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    fs::path gap = folder.Write("main.gap", "D10 ROUND 010.0 020.0 030.0\r\n");
    fs::path out = folder.Write("New_main.pcb", "earlier output\r\n");
    fs::path twin = folder.Path() / "twin.pcb";
    std::string linkFailure;

    LinkedOutput()
    {
        std::error_code error;
        fs::create_hard_link(out, twin, error);
        if (error)
            linkFailure = "no hard link can be made: " + error.message();
    }
};

const char* const kMerged =
    "drawPolygons|(apertureDef|(dCode 10 )|(apertureShape Ellipse)|(width 010)|(height 030)|(holeDiam 0)|(desc "
    "\"\")|)|";

std::string WritingRefusal(const fs::path& out)
{
    return "Cannot write the output file " + Quoted(out) + ": another program is writing it";
}

// The output locked, until the end of this object, as another program writing it would lock it: by
// a child process on Linux; on Windows, whose locks belong to a handle, by a handle of this process.
class LockedElsewhere {
public:
    explicit LockedElsewhere(const fs::path& path)
#ifdef __linux__
        : child_([&] {
              Module1::FilePtr file;
              const std::string failure = OpenLocked(path, file);
              // Left open: the lock lasts as long as the child.
              (void)file.release();
              return failure;
          }),
          failure_(child_.Failure())
#else
        : failure_(OpenLocked(path, file_))
#endif
    {
    }

    // Empty when the lock is held, else why it isn't.
    const std::string& Failure() const
    {
        return failure_;
    }

private:
    static std::string OpenLocked(const fs::path& path, Module1::FilePtr& file)
    {
#ifdef _WIN32
        file.reset(_wfopen(path.c_str(), L"r+b"));
#else
        file.reset(std::fopen(path.c_str(), "r+b"));
#endif
        if (!file)
            return "cannot open " + Quoted(path);
        const int error = Module1::LockForWriting(file.get());
        return error == 0 ? std::string() : "cannot lock " + Quoted(path) + ": " + Module1::Reason(error);
    }

#ifdef __linux__
    merge_test::HoldingChild child_;
#else
    Module1::FilePtr file_;
#endif
    std::string failure_;
};

TEST(MergeInPlace, RefusesAFileThatAnotherProgramIsWriting)
{
    LinkedOutput files;
    if (!files.linkFailure.empty())
        GTEST_SKIP() << files.linkFailure;
    const auto before = merge_test::Snapshot(files.folder.Path());

    {
        const LockedElsewhere lock(files.out);
        ASSERT_EQ(lock.Failure(), "");
        EXPECT_EQ(FailureOf(files.pcb, files.gap, files.out), WritingRefusal(files.out));
    }
    // Only now: Windows won't let a file that another handle locks be read.
    EXPECT_EQ(merge_test::Snapshot(files.folder.Path()), before);

    EXPECT_EQ(FailureOf(files.pcb, files.gap, files.out), "no error");
    EXPECT_EQ(merge_test::ReadBytes(files.twin), merge_test::CrLf(kMerged));
}

// Two merges at once onto one file written where it stands: the one that comes second is refused
// however long the first takes, so the file is never part one merge and part the other.
TEST(MergeInPlace, HoldsTheFileFromTheStartUntilItIsWritten)
{
    LinkedOutput files;
    if (!files.linkFailure.empty())
        GTEST_SKIP() << files.linkFailure;

    {
        Module1::SafeOutput first(files.out, files.pcb, files.gap);
        EXPECT_EQ(FailureOf(files.pcb, files.gap, files.out), WritingRefusal(files.out));
        const std::string output = "the first merge's output\r\n";
        ASSERT_EQ(std::fwrite(output.data(), 1, output.size(), first.File()), output.size());
        ASSERT_EQ(std::fflush(first.File()), 0);
        EXPECT_EQ(FailureOf(files.pcb, files.gap, files.out), WritingRefusal(files.out));
        first.Commit();
        EXPECT_EQ(merge_test::ReadBytes(files.twin), output);

        EXPECT_EQ(FailureOf(files.pcb, files.gap, files.out), "no error");
    }
    EXPECT_EQ(merge_test::ReadBytes(files.twin), merge_test::CrLf(kMerged));
    EXPECT_EQ(merge_test::Snapshot(files.folder.Path()).size(), 4u);
}

// A rename that fails at the very end (here a folder put in the output's place meanwhile) says
// "replace" only where a file stood, and leaves no temporary file.
TEST(SafeOutput, SaysReplaceOnlyWhereAFileStood)
{
    for (const bool stood : {false, true}) {
        TestFolder folder;
        const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
        const auto gap = folder.Write("main.gap", "");
        const auto out = folder.Path() / "New_main.pcb";
        if (stood) {
            folder.Write(out.filename(), "earlier output\r\n");
            if (!Module1::InspectExisting(out).replaceable)
                GTEST_SKIP() << "here the file would be written where it stands, not replaced";
        }

        std::string failure = "no error";
        {
            Module1::SafeOutput output(out, pcb, gap);
            fs::remove(out);
            fs::create_directory(out);
            try {
                output.Commit();
            } catch (const std::runtime_error& error) {
                failure = error.what();
            }
        }

        const std::string said = (stood ? "Cannot replace " : "Cannot write ") + std::string("the output file ");
        EXPECT_EQ(failure.rfind(said + Quoted(out) + ": ", 0), 0u) << failure;
        EXPECT_EQ(merge_test::Snapshot(folder.Path()).size(), 3u) << stood;
    }
}

}  // namespace
