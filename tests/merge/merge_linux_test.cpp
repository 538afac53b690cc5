// Tests of merges that need Linux to set up: owners, permissions, long names, a kill, a memory limit.
#include "merge_apertures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "child_process.h"
#include "ordinary_user.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using merge_test::CrLf;
using merge_test::FailureOf;
using merge_test::ReadBytes;
using merge_test::TestFolder;
using Module1::MergeApertures;

const char* const kApertures = "D10 ROUND 010.0 020.0 030.0\r\n";
const char* const kRecord =
    "(apertureDef|(dCode 10 )|(apertureShape Ellipse)|(width 010)|(height 030)|(holeDiam 0)|(desc \"\")|)|";

struct stat StatusOf(const fs::path& path)
{
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status;
}

// The names in `folder`, so that a test sees any file left behind.
std::vector<std::string> NamesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
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

// The file may be written, so it is, though no temporary file can be made beside it: root makes it
// in the folder anyway, an ordinary user elsewhere.
TEST(MergeOnLinux, WritesAnExistingFileInAFolderThatTakesNoNewFile)
{
    {
        TestFolder folder;
        const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
        const auto gap = folder.Write("main.gap", kApertures);
        fs::create_directory(folder.Path() / "locked");
        const auto out = folder.Write("locked/New_main.pcb", "earlier output, longer than the new one\r\n");
        fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write);
        fs::permissions(folder.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);

        MergeApertures(pcb, gap, out);

        EXPECT_EQ(ReadBytes(out), CrLf("drawPolygons|") + CrLf(kRecord));
        EXPECT_EQ(fs::status(out).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(NamesIn(folder.Path() / "locked"), std::vector<std::string>{"New_main.pcb"});

        // Prepared elsewhere, a full disk there is named as that disk, and the file stays as it was.
        folder.Write("main.pcb", "drawPolygons\r\n" + std::string(20000, 'x'));
        const std::string before = ReadBytes(out);
        const std::string failure = merge_test::InChild(
            [] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit fileSize{4096, 4096};
                setrlimit(RLIMIT_FSIZE, &fileSize);
            },
            [&] { return FailureOf(pcb, gap, out); });
        const std::string where = test_support::PassesPermissionChecks()
                                      ? std::string()
                                      : R"( \(prepared first in ".*/~corvane-[0-9a-f]{8}\.tmp"\))";
        EXPECT_TRUE(
            std::regex_match(failure, std::regex("Cannot write the output file \".*\"" + where + ": File too large")))
            << failure;
        EXPECT_EQ(ReadBytes(out), before);
        EXPECT_EQ(NamesIn(folder.Path() / "locked"), std::vector<std::string>{"New_main.pcb"});
    }
    if (test_support::PassesPermissionChecks())
        test_support::RerunAsOrdinaryUser();
}

// Replacing the file would give it to the one running the merge, so it is written where it stands.
TEST(MergeOnLinux, WritesAFileOfAnotherOwnerWhereItStands)
{
    if (!test_support::PassesPermissionChecks())
        GTEST_SKIP() << "only root can make a file of another owner";
    const passwd* nobody = getpwnam("nobody");
    if (!nobody)
        GTEST_SKIP() << "there is no user \"nobody\" here to own a file";

    TestFolder folder;
    fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    const auto gap = folder.Write("main.gap", kApertures);
    const std::string expected = CrLf("drawPolygons|") + CrLf(kRecord);

    // Root writes into nobody's file.
    const auto nobodys = folder.Write("nobodys.pcb", "earlier output\r\n");
    ASSERT_EQ(chown(nobodys.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    MergeApertures(pcb, gap, nobodys);
    EXPECT_EQ(ReadBytes(nobodys), expected);
    EXPECT_EQ(StatusOf(nobodys).st_uid, nobody->pw_uid);
    EXPECT_EQ(StatusOf(nobodys).st_gid, nobody->pw_gid);

    // Nobody writes into root's file in a shared sticky folder of root's, where the file can't be
    // replaced by anyone but root.
    const fs::path shared = folder.Path() / "shared";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    const auto roots = folder.Write("shared/New_main.pcb", "earlier output\r\n");
    fs::permissions(roots, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                               fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
    const std::string failure =
        merge_test::InChild(test_support::BecomeOrdinaryUser, [&] { return FailureOf(pcb, gap, roots); });
    EXPECT_EQ(failure, "no error");
    EXPECT_EQ(ReadBytes(roots), expected);
    EXPECT_EQ(StatusOf(roots).st_uid, 0u);
    EXPECT_EQ(StatusOf(roots).st_mode & 07777, 0666u);

    // Nobody's own file, but of a group that nobody is no member of: a new file could not have it.
    const auto grouped = folder.Write("shared/grouped.pcb", "earlier output\r\n");
    ASSERT_EQ(chown(grouped.c_str(), nobody->pw_uid, 0), 0);
    EXPECT_EQ(merge_test::InChild(test_support::BecomeOrdinaryUser, [&] { return FailureOf(pcb, gap, grouped); }),
              "no error");
    EXPECT_EQ(ReadBytes(grouped), expected);
    EXPECT_EQ(StatusOf(grouped).st_uid, nobody->pw_uid);
    EXPECT_EQ(StatusOf(grouped).st_gid, 0u);
    EXPECT_EQ(NamesIn(shared), (std::vector<std::string>{"New_main.pcb", "grouped.pcb"}));
}

// The temporary file's name is the same length whatever the output's, so the longest legal name
// is still written.
TEST(MergeOnLinux, WritesAnOutputWithTheLongestName)
{
    const std::optional<std::size_t> longest = merge_test::LongestName(fs::temp_directory_path());
    if (!longest)
        GTEST_SKIP() << "the file system sets no limit on the length of a name";
    for (const std::size_t length : {*longest - 12, *longest}) {
        TestFolder folder;
        const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
        const auto gap = folder.Write("main.gap", kApertures);
        const auto out = folder.Write(std::string(length - 4, 'n') + ".pcb", "earlier output\r\n");

        MergeApertures(pcb, gap, out);

        EXPECT_EQ(ReadBytes(out), CrLf("drawPolygons|") + CrLf(kRecord)) << length;
        EXPECT_EQ(NamesIn(folder.Path()).size(), 3u) << length;
    }
}

// A killed merge leaves the earlier output, and a leftover that tells whose unfinished output it is.
TEST(MergeOnLinux, AKilledMergeLeavesTheEarlierOutputAndANamedLeftover)
{
    TestFolder folder;
    std::string board = "drawPolygons\r\n";
    while (board.size() < (4u << 20))
        board += "(line (pt 1100.0 2200.0) (pt 1300.0 2200.0) (width 10.0))\r\n";
    const auto pcb = folder.Write("main.pcb", board);
    const auto gap = folder.Write("main.gap", kApertures);
    const auto out = folder.Write("New_main.pcb", "earlier output\r\n");

    // Killed as the output file grows past 1 MiB: half-way, wherever that falls in the code.
    const auto killHalfWay = [] {
        std::signal(SIGXFSZ, [](int) { raise(SIGKILL); });
        const rlimit fileSize{1u << 20, 1u << 20};
        setrlimit(RLIMIT_FSIZE, &fileSize);
    };
    for (int kill = 1; kill <= 2; ++kill) {
        const std::string result = merge_test::InChild(killHalfWay, [&] { return FailureOf(pcb, gap, out); });
        EXPECT_NE(result.find("killed by signal " + std::to_string(SIGKILL)), std::string::npos) << result;
    }

    EXPECT_EQ(ReadBytes(out), "earlier output\r\n");
    const std::vector<std::string> names = NamesIn(folder.Path());
    ASSERT_EQ(names.size(), 5u);
    const std::regex leftover(R"(~corvane-[0-9a-f]{8}\.tmp)");
    EXPECT_TRUE(std::regex_match(names[3], leftover)) << names[3];
    EXPECT_TRUE(std::regex_match(names[4], leftover)) << names[4];
}

// A board line of 256 MiB is copied in pieces, in a process that may not grow by 48 MiB, and the
// "drawPolygons" at its end is still found.
TEST(MergeOnLinux, CopiesALineLongerThanMemoryAllows)
{
    if (merge_test::UnderAddressSanitizer())
        GTEST_SKIP() << "the sanitizers' shadow memory leaves no room for a memory limit";
    TestFolder folder;
    constexpr std::uintmax_t kLine = std::uintmax_t{256} << 20;
    // The output, and the board where the file system can't leave its zeros out.
    struct statvfs space {};
    if (statvfs(folder.Path().c_str(), &space) != 0)
        GTEST_SKIP() << "the room in the temporary folder can't be told";
    if (static_cast<std::uintmax_t>(space.f_bavail) * space.f_frsize < 2 * kLine)
        GTEST_SKIP() << "the temporary folder has less than 512 MiB free for a board and its output";
    const auto pcb = folder.Write("main.pcb", "");
    fs::resize_file(pcb, kLine);
    {
        std::ofstream end(pcb, std::ios::binary | std::ios::in | std::ios::out);
        end.seekp(static_cast<std::streamoff>(kLine - 12));
        end << "drawPolygons";
    }
    const auto gap = folder.Write("main.gap", kApertures);
    const auto out = folder.Path() / "New_main.pcb";

    const std::string failure =
        merge_test::InChild([] { merge_test::LimitMemoryGrowth(48 << 20); }, [&] { return FailureOf(pcb, gap, out); });

    EXPECT_EQ(failure, "no error");
    const std::string record = CrLf(kRecord);
    EXPECT_EQ(fs::file_size(out), kLine + 2 + record.size());
    std::ifstream written(out, std::ios::binary);
    written.seekg(static_cast<std::streamoff>(kLine - 12));
    std::string tail(14 + record.size(), '\0');
    written.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    EXPECT_EQ(tail, "drawPolygons\r\n" + record);
}

}  // namespace
