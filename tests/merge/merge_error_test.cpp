// Tests of the pieces of the merge's messages: file names shown readably, reasons in English.
#include "merge_error.h"
#include "german_locale.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <type_traits>
#include <vector>

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

// The reasons stand in English sentences, so they are English whatever the locale says; the C
// library's own texts follow it.
TEST(MergeError, GivesReasonsInEnglishUnderAnyLocale)
{
    const test_support::GermanLocale german;
    if (!german.IsSet())
        GTEST_SKIP() << test_support::GermanLocale::Missing();

    struct Case {
        const char* name;
        std::string reason;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"an error number", Reason(ENOENT), "No such file or directory"},
        {"a file system error code", Reason(std::make_error_code(std::errc::no_space_on_device)),
         "No space left on device"},
        {"a failure without a number", Reason(0), "the operating system gave no reason"},
        {"a number of no known error", Reason(987654), "error number 987654"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.reason, c.expected);
    }
}

// The C library's "Operation not permitted" tells an operator nothing; the reason says where to look.
TEST(MergeError, GivesAReasonForAForbiddenOperationThatPointsAtTheFile)
{
    const std::string reason = Reason(EPERM);
    EXPECT_EQ(reason.find("not permitted"), std::string::npos) << reason;
    EXPECT_NE(reason.find("file"), std::string::npos) << reason;
}

}  // namespace
