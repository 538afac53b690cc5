// Tests of the merge as a Windows operator meets it: files open in other programs, devices, drives,
// Windows' own error codes, and what an output file keeps when it is replaced.
#include "merge_apertures.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cwchar>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "file_system.h"
#include "merge_error.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using merge_test::FailureOf;
using merge_test::Quoted;
using merge_test::ReadBytes;
using merge_test::TestFolder;

constexpr std::string_view kBoard = "a\r\ndrawPolygons\r\nb\r\n";
constexpr std::string_view kApertures = "D10 ROUND 010.0 020.0 030.0\r\n";

std::string MergedOutput()
{
    return merge_test::CrLf(
        "a|drawPolygons|(apertureDef|(dCode 10 )|(apertureShape Ellipse)|(width 010)|"
        "(height 030)|(holeDiam 0)|(desc \"\")|)|b|");
}

// Relative paths are taken in the test's folder, so that anything they made would show there.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder()
    {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    fs::path previous_;
};

// The helper program hold_file, which stands beside this test program.
fs::path HolderProgram()
{
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (length < self.size()) {
            self.resize(length);
            break;
        }
        self.resize(self.size() * 2);
    }
    return fs::path(self).parent_path() / "hold_file.exe";
}

// Another program that has `path` open with the given access and share mode (hold_file's letters),
// until this object goes.
class HeldFile {
public:
    HeldFile(const fs::path& path, const std::wstring& access, const std::wstring& share)
    {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        HANDLE childInput = nullptr;
        HANDLE childOutput = nullptr;
        if (!CreatePipe(&childInput, &input_, &inherited, 0) || !CreatePipe(&output_, &childOutput, &inherited, 0)) {
            state_ = "no pipe: Windows error " + std::to_string(GetLastError());
            return;
        }
        SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::wstring command =
            L"\"" + HolderProgram().native() + L"\" " + access + L" " + share + L" \"" + path.native() + L"\"";
        PROCESS_INFORMATION process{};
        const BOOL started =
            CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
        const DWORD startError = GetLastError();
        CloseHandle(childInput);
        CloseHandle(childOutput);
        if (!started) {
            state_ = "hold_file not started: Windows error " + std::to_string(startError);
            return;
        }
        CloseHandle(process.hThread);
        process_ = process.hProcess;
        // Its first line says that it holds the file, or why not; an end without one ends the wait too.
        state_.clear();
        char c = 0;
        DWORD got = 0;
        while (ReadFile(output_, &c, 1, &got, nullptr) && got == 1 && c != '\n')
            state_ += c;
    }

    ~HeldFile()
    {
        if (input_)
            CloseHandle(input_);
        if (process_) {
            WaitForSingleObject(process_, INFINITE);
            CloseHandle(process_);
        }
        if (output_)
            CloseHandle(output_);
    }

    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // "holding" while the other program has the file open.
    const std::string& State() const { return state_; }

private:
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    HANDLE process_ = nullptr;
    std::string state_ = "hold_file not started";
};

enum class Which { Board, Apertures, Output };

struct SharingCase {
    const char* name;
    Which held;
    const wchar_t* access;
    const wchar_t* share;
    // {pcb}, {gap} and {out} stand for the quoted paths; empty when the merge goes through.
    std::string message;
};

void PrintTo(const SharingCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Fill(std::string text, const fs::path& pcb, const fs::path& gap, const fs::path& out)
{
    const std::pair<const char*, const fs::path*> fields[] = {{"{pcb}", &pcb}, {"{gap}", &gap}, {"{out}", &out}};
    for (const auto& [name, path] : fields) {
        for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name))
            text.replace(at, std::string_view(name).size(), Quoted(*path));
    }
    return text;
}

const SharingCase kSharing[] = {
    // The replace removes the output as it stands: only a program that shares its deletion lets it.
    {"output_in_an_editor_that_shares_nothing", Which::Output, L"rw", L"-",
     "Cannot write the output file {out}: it is open in another program"},
    {"output_in_a_viewer_that_shares_reading", Which::Output, L"r", L"r",
     "Cannot write the output file {out}: it is open in another program"},
    {"output_in_an_editor_that_shares_reading_and_writing", Which::Output, L"rw", L"rw",
     "Cannot write the output file {out}: it is open in another program"},
    {"output_in_a_program_that_shares_everything", Which::Output, L"rw", L"rwd", ""},
    {"board_file_in_an_editor_that_shares_nothing", Which::Board, L"rw", L"-",
     "Cannot open the board file {pcb}: it is open in another program"},
    {"aperture_list_in_an_editor_that_shares_nothing", Which::Apertures, L"rw", L"-",
     "Cannot open the aperture list {gap}: it is open in another program"},
    // Reading needs only that the other program lets it be read.
    {"board_file_in_a_viewer_that_shares_reading", Which::Board, L"r", L"r", ""},
    {"aperture_list_in_an_editor_that_shares_reading_and_writing", Which::Apertures, L"rw", L"rw", ""},
};

class WindowsSharing : public ::testing::TestWithParam<SharingCase> {};

TEST_P(WindowsSharing, SaysTheFileIsOpenElsewhereAndLeavesEveryFileAsItWas)
{
    const SharingCase& c = GetParam();
    TestFolder folder;
    const fs::path pcb = folder.Write("main.pcb", kBoard);
    const fs::path gap = folder.Write("main.gap", kApertures);
    const fs::path out = folder.Write("New_main.pcb", "earlier output\r\n");
    const auto before = merge_test::Snapshot(folder.Path());

    std::string failure;
    {
        const HeldFile held(c.held == Which::Board ? pcb : c.held == Which::Apertures ? gap : out, c.access, c.share);
        ASSERT_EQ(held.State(), "holding");
        failure = FailureOf(pcb, gap, out);
    }
    if (c.message.empty()) {
        EXPECT_EQ(failure, "no error");
        EXPECT_EQ(ReadBytes(out), MergedOutput());
        auto after = merge_test::Snapshot(folder.Path());
        after.erase("New_main.pcb");
        auto expected = before;
        expected.erase("New_main.pcb");
        EXPECT_EQ(after, expected);
    } else {
        EXPECT_EQ(failure, Fill(c.message, pcb, gap, out));
        EXPECT_EQ(merge_test::Snapshot(folder.Path()), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsSharing, ::testing::ValuesIn(kSharing),
                         [](const ::testing::TestParamInfo<SharingCase>& info) {
                             return std::string(info.param.name);
                         });

// A program that opens the output after it was inspected makes the last step, the replace, fail: the
// output and the prepared file both stay as they were, so that nothing is lost.
TEST(WindowsReplace, SaysTheOutputIsOpenElsewhereAndChangesNothing)
{
    const struct {
        const wchar_t* access;
        const wchar_t* share;
    } holders[] = {{L"rw", L"-"}, {L"r", L"r"}, {L"rw", L"rw"}};
    for (const auto& holder : holders) {
        SCOPED_TRACE(std::string(holder.share, holder.share + std::wcslen(holder.share)));
        TestFolder folder;
        const fs::path prepared = folder.Write("prepared.tmp", "new output\r\n");
        const fs::path out = folder.Write("New_main.pcb", "earlier output\r\n");
        int error = 0;
        {
            const HeldFile held(out, holder.access, holder.share);
            ASSERT_EQ(held.State(), "holding");
            error = Module1::RenameOnto(prepared, out);
        }
        EXPECT_EQ(Module1::Reason(error), "it is open in another program");
        EXPECT_EQ(ReadBytes(out), "earlier output\r\n");
        EXPECT_EQ(ReadBytes(prepared), "new output\r\n");
    }
}

// Paths that name no file, as a Windows operator may type them or pick them. In the paths, {folder}
// stands for the test's folder, {here} for its drive letter and {missing} for a letter that no drive has.
struct PathCase {
    const char* name;
    const wchar_t* pcb;
    const wchar_t* gap;
    const wchar_t* out;
    // {pcb}, {gap}, {out} stand for the quoted paths, {missing} for the missing drive's letter.
    std::string message;
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr const wchar_t* kPcb = L"main.pcb";
constexpr const wchar_t* kGap = L"main.gap";
constexpr const wchar_t* kOut = L"New_main.pcb";
const std::string kDevice = "Cannot write the output file {out}: it is a device, not a file";
const std::string kDrive = "Cannot write the output file {out}: it names a drive, not a file";
const std::string kBadName =
    "Cannot write the output file {out}: Windows does not allow this name (a name holds none of * ? \" < > |)";

// One more character than a name on Windows' file systems may have.
const std::wstring kNameTooLong = L"{folder}\\" + std::wstring(256 - 4, L'x') + L".pcb";

const PathCase kPaths[] = {
    {"output_nul", kPcb, kGap, L"NUL", kDevice},
    {"output_con", kPcb, kGap, L"CON", kDevice},
    {"output_com1", kPcb, kGap, L"COM1", kDevice},
    {"output_lpt1", kPcb, kGap, L"lpt1", kDevice},
    {"output_aux_with_an_extension", kPcb, kGap, L"aux.pcb", kDevice},
    {"output_nul_in_a_folder", kPcb, kGap, L"{folder}\\nul.pcb", kDevice},
    {"output_con_with_a_space_before_the_extension", kPcb, kGap, L"con .pcb", kDevice},
    {"output_console_input", kPcb, kGap, L"CONIN$", kDevice},
    {"output_in_the_device_namespace", kPcb, kGap, L"\\\\.\\COM1", kDevice},
    {"output_a_drive_alone", kPcb, kGap, L"{here}:", kDrive},
    {"output_a_missing_drive_alone", kPcb, kGap, L"{missing}:", kDrive},
    {"output_on_a_missing_drive", kPcb, kGap, L"{missing}:\\New_main.pcb",
     "Cannot write the output file {out}: the drive {missing}: does not exist"},
    {"output_in_the_current_folder_of_a_missing_drive", kPcb, kGap, L"{missing}:New_main.pcb",
     "Cannot write the output file {out}: the drive {missing}: does not exist"},
    {"output_with_a_question_mark", kPcb, kGap, L"{folder}\\New?.pcb", kBadName},
    {"output_with_a_pipe", kPcb, kGap, L"New|main.pcb", kBadName},
    {"output_name_too_long", kPcb, kGap, kNameTooLong.c_str(),
     "Cannot write the output file {out}: File name too long"},
    {"board_file_con", L"CON", kGap, kOut, "Cannot open the board file {pcb}: it is not a regular file"},
    {"board_file_console_input", L"CONIN$", kGap, kOut, "Cannot open the board file {pcb}: it is not a regular file"},
    {"aperture_list_aux_with_an_extension", kPcb, L"aux.gap", kOut,
     "Cannot open the aperture list {gap}: it is not a regular file"},
    {"aperture_list_com1_in_a_folder", kPcb, L"{folder}\\com1.gap", kOut,
     "Cannot open the aperture list {gap}: it is not a regular file"},
    {"board_file_on_a_missing_drive", L"{missing}:\\main.pcb", kGap, kOut,
     "Cannot open the board file {pcb}: the drive does not exist"},
};

// A drive letter that no drive has, or none.
std::wstring MissingDrive()
{
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter >= L'D'; --letter) {
        if ((drives & (1u << (letter - L'A'))) == 0)
            return std::wstring(1, letter);
    }
    return {};
}

fs::path Expand(std::wstring text, const fs::path& folder, const std::wstring& missing)
{
    const std::wstring here = fs::absolute(folder).root_name().native().substr(0, 1);
    const std::pair<const wchar_t*, std::wstring> fields[] = {
        {L"{folder}", folder.native()}, {L"{here}", here}, {L"{missing}", missing}};
    for (const auto& [name, value] : fields) {
        for (std::size_t at = text.find(name); at != std::wstring::npos; at = text.find(name))
            text.replace(at, std::wstring_view(name).size(), value);
    }
    return text;
}

class WindowsPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(WindowsPath, IsRefusedBeforeAnyInputIsRead)
{
    const PathCase& c = GetParam();
    const std::wstring missing = MissingDrive();
    if (missing.empty())
        GTEST_SKIP() << "every drive letter from D: to Z: has a drive";
    TestFolder folder;
    folder.Write("main.pcb", kBoard);
    // A merge that read the aperture list would stop at its line, which gives no record, and say so.
    folder.Write("main.gap", "D10 ROUND 010 020 030\r\n");
    folder.Write("New_main.pcb", "earlier output\r\n");
    const InFolder inFolder(folder.Path());
    const auto before = merge_test::Snapshot(folder.Path());

    const fs::path pcb = Expand(c.pcb, folder.Path(), missing);
    const fs::path gap = Expand(c.gap, folder.Path(), missing);
    const fs::path out = Expand(c.out, folder.Path(), missing);
    std::string message = Fill(c.message, pcb, gap, out);
    const std::string letter(1, static_cast<char>(missing[0]));
    for (std::size_t at = message.find("{missing}"); at != std::string::npos; at = message.find("{missing}"))
        message.replace(at, 9, letter);
    EXPECT_EQ(FailureOf(pcb, gap, out), message);
    EXPECT_EQ(merge_test::Snapshot(folder.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsPath, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

// The Windows errors whose words an operator reads in a failed merge's message.
TEST(WindowsErrorReason, GivesWordsThatSayWhatHappened)
{
    const struct {
        DWORD code;
        const char* reason;
    } cases[] = {
        {ERROR_SHARING_VIOLATION, "it is open in another program"},
        {ERROR_LOCK_VIOLATION, "it is open in another program"},
        {ERROR_INVALID_DRIVE, "the drive does not exist"},
        {ERROR_NOT_READY, "the drive is not ready"},
        {ERROR_WRITE_PROTECT, "the disk is write-protected"},
        {ERROR_BAD_NETPATH, "the network path was not found"},
        {ERROR_BAD_NET_NAME, "the network share was not found"},
        {ERROR_NETNAME_DELETED, "the network connection was lost"},
        {ERROR_INVALID_NAME, "Windows does not allow this name (a name holds none of * ? \" < > |)"},
        // Where an errno value says the same, the words are those of the Linux program.
        {ERROR_FILE_NOT_FOUND, "No such file or directory"},
        {ERROR_PATH_NOT_FOUND, "No such file or directory"},
        {ERROR_ACCESS_DENIED, "Permission denied"},
        {ERROR_DISK_FULL, "No space left on device"},
        {ERROR_FILE_EXISTS, "File exists"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(Module1::Reason(Module1::SystemErrorNumber(c.code)), c.reason);
        // The standard library's file system functions report the same codes.
        EXPECT_EQ(Module1::Reason(std::error_code(static_cast<int>(c.code), std::system_category())), c.reason);
    }
}

TEST(WindowsErrorReason, GivesWindowsOwnTextWithItsNumberForAnyOtherCode)
{
    // Not "Invalid argument" or "Input/output error", which would send the operator elsewhere.
    for (const DWORD code : {ERROR_NOT_SUPPORTED, ERROR_INVALID_PARAMETER, ERROR_CRC}) {
        SCOPED_TRACE(code);
        const std::string reason = Module1::Reason(Module1::SystemErrorNumber(code));
        const std::string number = " (Windows error " + std::to_string(code) + ")";
        ASSERT_GT(reason.size(), number.size());
        EXPECT_EQ(reason.substr(reason.size() - number.size()), number);
        EXPECT_NE(reason.substr(0, reason.size() - number.size()).find_first_not_of(' '), std::string::npos);
        EXPECT_EQ(Module1::Reason(std::error_code(static_cast<int>(code), std::system_category())), reason);
    }
    // A code that Windows has no text for: an application's own.
    const DWORD own = 0x20001234;
    EXPECT_EQ(Module1::Reason(Module1::SystemErrorNumber(own)), "Windows error " + std::to_string(own));
}

TEST(WindowsOutput, KeepsItsHiddenAndSystemAttributesHoweverItsPathIsSpelt)
{
    TestFolder folder;
    const fs::path pcb = folder.Write("main.pcb", kBoard);
    const fs::path gap = folder.Write("main.gap", kApertures);
    const fs::path out = folder.Path() / "New_main.pcb";
    const InFolder inFolder(folder.Path());
    // Whole, with slashes, from the drive's root, and relative.
    const fs::path spellings[] = {out, out.generic_wstring(), L"\\" + out.relative_path().native(), "New_main.pcb"};
    for (const fs::path& spelt : spellings) {
        SCOPED_TRACE(spelt.string());
        folder.Write("New_main.pcb", "earlier output\r\n");
        constexpr DWORD kMarked = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        ASSERT_TRUE(SetFileAttributesW(out.c_str(), kMarked));
        if ((GetFileAttributesW(out.c_str()) & kMarked) != kMarked)
            GTEST_SKIP() << "the file system keeps no hidden or system attribute";

        EXPECT_EQ(FailureOf(pcb, gap, spelt), "no error");
        EXPECT_EQ(GetFileAttributesW(out.c_str()) & kMarked, kMarked);
        EXPECT_EQ(ReadBytes(out), MergedOutput());
        // Marked or not, a merge leaves nothing but its output behind.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 3);
        SetFileAttributesW(out.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// The file's DACL as text, or why it can't be read.
std::string DaclOf(const fs::path& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                              nullptr, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        return "no DACL: Windows error " + std::to_string(error);
    wchar_t* text = nullptr;
    std::string dacl = "no DACL text";
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, nullptr)) {
        dacl.clear();
        for (const wchar_t* c = text; *c != L'\0'; ++c)
            dacl += static_cast<char>(*c);
        LocalFree(text);
    }
    LocalFree(descriptor);
    return dacl;
}

TEST(WindowsOutput, KeepsItsOwnSecurityDescriptor)
{
    TestFolder folder;
    const fs::path pcb = folder.Write("main.pcb", kBoard);
    const fs::path gap = folder.Write("main.gap", kApertures);
    const fs::path out = folder.Write("New_main.pcb", "earlier output\r\n");
    // Its own, not inherited from its folder: everyone may read it, its owner and the system do all.
    const wchar_t* kOwn = L"D:P(A;;FA;;;OW)(A;;FA;;;SY)(A;;FR;;;WD)";
    PSECURITY_DESCRIPTOR wanted = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(kOwn, SDDL_REVISION_1, &wanted, nullptr));
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(wanted, &present, &dacl, &defaulted);
    const DWORD set = SetNamedSecurityInfoW(const_cast<wchar_t*>(out.c_str()), SE_FILE_OBJECT,
                                            DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                            nullptr, dacl, nullptr);
    LocalFree(wanted);
    ASSERT_EQ(set, static_cast<DWORD>(ERROR_SUCCESS));
    const std::string own = DaclOf(out);
    if (!own.starts_with("D:P"))
        GTEST_SKIP() << "the file system keeps no security descriptor of a file's own (wine makes one from the "
                        "Unix permissions)";

    EXPECT_EQ(FailureOf(pcb, gap, out), "no error");
    EXPECT_EQ(DaclOf(out), own);
    EXPECT_EQ(ReadBytes(out), MergedOutput());
}

}  // namespace
