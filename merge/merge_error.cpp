// The pieces of the merge's error sentences.
#include "merge_error.h"

#include <system_error>

namespace Module1 {

std::string Quoted(const std::filesystem::path& path)
{
    // UTF-8 whatever the platform: the window reads messages as UTF-8, and no name is lost on the way.
    const std::u8string name = path.u8string();
    return '"' + std::string(name.begin(), name.end()) + '"';
}

std::string Reason(int errorNumber)
{
    // Not every C library sets errno for every stream failure.
    if (errorNumber == 0)
        return "the operating system gave no reason";
    return std::generic_category().message(errorNumber);
}

}  // namespace Module1
