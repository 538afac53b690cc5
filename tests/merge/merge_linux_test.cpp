// Tests of merges that need Linux to set up: owners, permissions, extended attributes, long names, a
// running program, a kill, a memory limit.
#include "merge_apertures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "child_process.h"
#include "ordinary_user.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using merge_test::CrLf;
using merge_test::FailureOf;
using merge_test::Quoted;
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

// The value of the extended attribute `name` of `path`, or nothing where it has none.
std::optional<std::string> AttributeOf(const fs::path& path, const char* name)
{
    const ssize_t size = getxattr(path.c_str(), name, nullptr, 0);
    if (size < 0)
        return std::nullopt;
    std::string value(static_cast<std::size_t>(size), '\0');
    if (getxattr(path.c_str(), name, value.data(), value.size()) != size)
        return std::nullopt;
    return value;
}

// The kernel's own form of an access ACL, as setfacl would write it, so that no package is needed:
// user::rw-, user:12345:rw-, group::r--, mask::rw-, other::r--. Its mask sets the mode's group bits.
std::string AccessAcl()
{
    constexpr std::uint32_t kNoId = 0xFFFFFFFF;
    const struct {
        std::uint16_t tag;
        std::uint16_t permissions;
        std::uint32_t id;
    } entries[] = {{0x01, 6, kNoId}, {0x02, 6, 12345}, {0x04, 4, kNoId}, {0x10, 6, kNoId}, {0x20, 4, kNoId}};
    std::string acl;
    const auto append = [&acl](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i, value >>= 8)
            acl += static_cast<char>(value & 0xFF);
    };
    append(2, 4);  // the format's version
    for (const auto& entry : entries) {
        append(entry.tag, 2);
        append(entry.permissions, 2);
        append(entry.id, 4);
    }
    return acl;
}

struct AttributeCase {
    const char* name;
    const char* attribute;
    std::string value;
};

void PrintTo(const AttributeCase& c, std::ostream* os)
{
    *os << c.name;
}

class MergeKeepingAttributes : public ::testing::TestWithParam<AttributeCase> {};

// A new file in its place would lose them, and with an ACL its mode would follow the ACL's mask: the
// file is written where it stands instead.
TEST_P(MergeKeepingAttributes, WritesTheFileWhereItStands)
{
    const AttributeCase& c = GetParam();
    TestFolder folder;
    const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    const auto gap = folder.Write("main.gap", kApertures);
    const auto out = folder.Write("New_main.pcb", "earlier output\r\n");
    if (setxattr(out.c_str(), c.attribute, c.value.data(), c.value.size(), 0) != 0)
        GTEST_SKIP() << "the file system of the temporary folder refuses " << c.attribute << ": "
                     << std::generic_category().message(errno);
    const std::optional<std::string> attribute = AttributeOf(out, c.attribute);
    ASSERT_TRUE(attribute.has_value());
    const mode_t mode = StatusOf(out).st_mode;

    MergeApertures(pcb, gap, out);

    EXPECT_EQ(ReadBytes(out), CrLf("drawPolygons|") + CrLf(kRecord));
    EXPECT_EQ(AttributeOf(out, c.attribute), attribute);
    EXPECT_EQ(StatusOf(out).st_mode, mode);
    EXPECT_EQ(NamesIn(folder.Path()).size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeKeepingAttributes,
                         ::testing::Values(AttributeCase{"users_own", "user.corvane.note", "drawn by hand"},
                                           AttributeCase{"access_acl", "system.posix_acl_access", AccessAcl()}),
                         [](const ::testing::TestParamInfo<AttributeCase>& info) {
                             return std::string(info.param.name);
                         });

// A refusal after the temporary file was made (the output is a running program's file, which can't
// be opened to write) leaves no temporary file, and the program's file as it was.
TEST(MergeOnLinux, LeavesNothingBehindWhenTheOutputIsARunningProgram)
{
    TestFolder folder;
    const auto pcb = folder.Write("main.pcb", "drawPolygons\r\n");
    const auto gap = folder.Write("main.gap", kApertures);
    const fs::path program = folder.Path() / "sleeper";
    std::error_code error;
    fs::copy_file("/bin/sleep", program, error);
    if (error)
        GTEST_SKIP() << "no program to run: /bin/sleep can't be copied (" << error.message() << ")";
    // A second link, so that the file is to be written where it stands, not replaced.
    const fs::path out = folder.Path() / "New_main.pcb";
    fs::create_hard_link(program, out);
    const auto before = merge_test::Snapshot(folder.Path());

    const merge_test::RunningProgram running(program, {"infinity"});
    if (!running.Failure().empty())
        GTEST_SKIP() << running.Failure() << " (may programs run from the temporary folder?)";
    const int fd = open(out.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0)
        close(fd);
    if (fd >= 0 || errno != ETXTBSY)
        GTEST_SKIP() << "this system lets a running program's file be opened to write";

    EXPECT_EQ(FailureOf(pcb, gap, out), "Cannot write the output file " + Quoted(out) + ": Text file busy");
    EXPECT_EQ(merge_test::Snapshot(folder.Path()), before);
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
