// Runs one merge on the given paths, so that a whole process can be timed and its memory read.
#include <cstdio>
#include <stdexcept>

#include "merge_apertures.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: merge_files BOARD GAP OUT\n");
        return 2;
    }
    try {
        Module1::MergeApertures(argv[1], argv[2], argv[3]);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
