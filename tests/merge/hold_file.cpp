// A stand-in for another program that has a file open (a viewer, an editor), for the merge's tests.
//
//     hold_file <access: r | rw> <share: - | r | rw | rwd> <path>
//
// Opens the file with CreateFileW, that access and that share mode, writes "holding" (or "failed" and
// Windows' error code) as one line, and keeps the file open until its input ends.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <string_view>

namespace {

void Say(const std::string& line)
{
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

DWORD Bits(std::wstring_view letters, DWORD read, DWORD write, DWORD remove)
{
    DWORD bits = 0;
    for (const wchar_t letter : letters) {
        if (letter == L'r')
            bits |= read;
        else if (letter == L'w')
            bits |= write;
        else if (letter == L'd')
            bits |= remove;
    }
    return bits;
}

}  // namespace

int main()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 4) {
        Say("failed: hold_file <r|rw> <-|r|rw|rwd> <path>");
        return 2;
    }
    const DWORD access = Bits(arguments[1], GENERIC_READ, GENERIC_WRITE, DELETE);
    const DWORD share = Bits(arguments[2], FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_DELETE);
    const HANDLE file =
        CreateFileW(arguments[3], access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Say("failed " + std::to_string(GetLastError()));
        return 1;
    }
    Say("holding");
    // The test closes its end of the pipe when it is done with the file.
    char ignored[64];
    DWORD got = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), ignored, sizeof ignored, &got, nullptr) && got > 0) {}
    CloseHandle(file);
    LocalFree(arguments);
    return 0;
}
