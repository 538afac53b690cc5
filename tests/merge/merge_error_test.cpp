// Tests of the pieces of the merge's messages: file names shown readably, reasons in English.
#include "merge_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <type_traits>

namespace {

namespace fs = std::filesystem;
using Module1::Quoted;
using Module1::Reason;

TEST(MergeError, QuotesANameAsUtf8AndShowsWhatIsNot)
{
    EXPECT_EQ(Quoted(fs::path(u8"Platine_öß_圖.pcb")), "\"Platine_öß_圖.pcb\"");
    EXPECT_EQ(Quoted(fs::path("a\tb\x7f.pcb")), "\"a\\x09b\\x7f.pcb\"");
    if constexpr (std::is_same_v<fs::path::value_type, char>) {
        // Bytes that are no UTF-8: a lone Latin-1 é, a cut sequence, an overlong one, a surrogate.
        EXPECT_EQ(Quoted(fs::path("caf\xe9.pcb")), "\"caf\\xe9.pcb\"");
        EXPECT_EQ(Quoted(fs::path("\xe5\x9c.pcb")), "\"\\xe5\\x9c.pcb\"");
        EXPECT_EQ(Quoted(fs::path("\xc0\xaf")), "\"\\xc0\\xaf\"");
        EXPECT_EQ(Quoted(fs::path("\xed\xa0\x80")), "\"\\xed\\xa0\\x80\"");
        EXPECT_EQ(Quoted(fs::path("\xf0\x9f\x98\x80")), "\"\xf0\x9f\x98\x80\"");
    } else {
        // A UTF-16 surrogate without its partner.
        EXPECT_EQ(Quoted(fs::path(std::wstring(L"caf") + wchar_t(0xD800) + L".pcb")), "\"caf\\xd800.pcb\"");
        EXPECT_EQ(Quoted(fs::path(std::wstring(L"a") + wchar_t(0xD83D) + wchar_t(0xDE00))), "\"a\xf0\x9f\x98\x80\"");
    }
}

TEST(MergeError, GivesReasonsInEnglishOfItsOwn)
{
    EXPECT_EQ(Reason(ENOENT), "No such file or directory");
    EXPECT_EQ(Reason(ENOSPC), "No space left on device");
    EXPECT_EQ(Reason(0), "the operating system gave no reason");
    EXPECT_EQ(Reason(987654), "error number 987654");
    // The C library's "Operation not permitted" tells an operator nothing.
    EXPECT_EQ(Reason(EPERM).find("not permitted"), std::string::npos);
    EXPECT_EQ(Reason(std::make_error_code(std::errc::no_such_file_or_directory)), "No such file or directory");
}

}  // namespace
