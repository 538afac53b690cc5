// A German locale for the length of a test that must hold whatever the locale.
#include "german_locale.h"

#include <clocale>

namespace test_support {

GermanLocale::GermanLocale() : before_(std::setlocale(LC_ALL, nullptr))
{
    set_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr || std::setlocale(LC_ALL, "German_Germany.1252") != nullptr;
}

GermanLocale::~GermanLocale()
{
    std::setlocale(LC_ALL, before_.c_str());
}

bool GermanLocale::IsSet() const
{
    return set_;
}

const char* GermanLocale::Missing()
{
    return "no German locale to check against: ctest runs this test with LOCPATH at the folder \"locales\" that "
           "the build makes one in (where localedef and the package \"locales\" are installed); "
           "locale-gen de_DE.UTF-8 would make one for the whole machine";
}

}  // namespace test_support
