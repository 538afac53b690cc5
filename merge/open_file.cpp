// Opens a C stream by path on every platform, file names in any script included.
#include "open_file.h"

#include <string>

namespace Module1 {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode)
{
#ifdef _WIN32
    // The standard offers no fopen for wide paths; the C runtime's own is the only way to them.
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

}  // namespace Module1
