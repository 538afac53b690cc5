// Writes the benchmark's inputs, board.pcb of the given size and apertures.gap, into a folder.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "bench_files.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_bench_files FOLDER BOARD_MIB\n");
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        bench::WriteBoardFile(folder / "board.pcb", std::strtoull(argv[2], nullptr, 10) << 20);
        bench::WriteApertureList(folder / "apertures.gap");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
