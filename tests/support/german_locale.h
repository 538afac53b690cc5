// A German locale for the length of a test that must hold whatever the locale.
#pragma once

#include <string>

namespace test_support {

// Sets the C library's locale, every category, to German, and back to what it was when it goes. The
// POSIX name de_DE.UTF-8 is looked for where LOCPATH points first: ctest gives the tests whose names
// hold "UnderAnyLocale" the one the build makes. Windows has its own name for it.
//
//     const test_support::GermanLocale german;
//     if (!german.IsSet())
//         GTEST_SKIP() << test_support::GermanLocale::Missing();
class GermanLocale {
public:
    GermanLocale();
    ~GermanLocale();
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    bool IsSet() const;
    // Why a test skips when there is none.
    static const char* Missing();

private:
    std::string before_;
    bool set_ = false;
};

}  // namespace test_support
