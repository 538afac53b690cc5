// Runs one merge on the given paths, so that a whole process can be timed and its memory read.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "merge_apertures.h"

namespace {

// Every failure ends as one sentence and a non-zero exit.
template <typename Char>
int Run(int argc, Char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: merge_files BOARD GAP OUT\n");
        return 2;
    }
    try {
        Module1::MergeApertures(std::filesystem::path(argv[1]), std::filesystem::path(argv[2]),
                                std::filesystem::path(argv[3]));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    } catch (...) {
        std::fprintf(stderr, "The merge failed for a reason that could not be told.\n");
        return 1;
    }
    return 0;
}

}  // namespace

#ifdef _WIN32
// The paths as Windows gives them, in UTF-16, so that names outside the ANSI code page arrive whole.
int wmain(int argc, wchar_t** argv)
{
    return Run(argc, argv);
}
#else
int main(int argc, char** argv)
{
    return Run(argc, argv);
}
#endif
