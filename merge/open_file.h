// Opens a C stream by path on every platform, file names in any script included.
#pragma once

#include <cstdio>
#include <filesystem>

namespace Module1 {

// std::fopen with the path in the platform's own form: on Windows the path's wide text, so that a
// name outside the ANSI code page opens too. Sets errno and yields null on failure, as fopen does.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

}  // namespace Module1
