// Benchmark: the merge of a large board file against a plain buffered copy of the same file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "bench_files.h"
#include "file_system.h"
#include "line_reader.h"
#include "merge_apertures.h"

namespace {

namespace fs = std::filesystem;

struct Inputs {
    fs::path folder;
    fs::path board;
    fs::path apertures;
    fs::path output;
    std::size_t boardSize = 0;
};

Inputs g_inputs;

// The baseline: the same bytes read and written in buffers of the merge's size, with no line handling,
// and put down to the disk as the merge puts its output.
void PlainCopy(const fs::path& from, const fs::path& to)
{
    const Module1::FilePtr in(std::fopen(from.string().c_str(), "rb"));
    Module1::FilePtr out(std::fopen(to.string().c_str(), "wb"));
    if (!in || !out)
        throw std::runtime_error("cannot open the copy's files");
    std::setvbuf(in.get(), nullptr, _IONBF, 0);
    std::setvbuf(out.get(), nullptr, _IONBF, 0);
    const auto buffer = std::make_unique<char[]>(Module1::kReadBufferSize);
    for (std::size_t got; (got = std::fread(buffer.get(), 1, Module1::kReadBufferSize, in.get())) > 0;) {
        if (std::fwrite(buffer.get(), 1, got, out.get()) != got)
            throw std::runtime_error("cannot write the copy");
    }
    if (Module1::SyncFile(out.get()) != 0 || Module1::CloseFile(out) != 0)
        throw std::runtime_error("cannot write the copy");
}

// Each round starts without an output file, so that both write a new file.
template <typename Run>
void Measure(benchmark::State& state, Run run)
{
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(g_inputs.output);
        state.ResumeTiming();
        run();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_inputs.boardSize));
}

void BM_PlainCopy(benchmark::State& state)
{
    Measure(state, [] { PlainCopy(g_inputs.board, g_inputs.output); });
}

void BM_Merge(benchmark::State& state)
{
    Measure(state, [] { Module1::MergeApertures(g_inputs.board, g_inputs.apertures, g_inputs.output); });
}

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Merge)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints as usual, and at the end both throughputs and the merge's share of the plain copy's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Plain text: the figures usually end up in a log.
    RatioReporter() : ConsoleReporter(OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (rate == run.counters.end() || run.error_occurred)
                continue;
            // With repetitions, the median stands for the benchmark.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            double& slot = run.run_name.function_name == "BM_Merge" ? merge_ : copy_;
            slot = rate->second.value;
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (merge_ > 0 && copy_ > 0) {
            std::printf("\nmerge:      %8.1f MB/s (10^6 bytes)\nplain copy: %8.1f MB/s\nratio:      %8.2f\n",
                        merge_ / 1e6, copy_ / 1e6, merge_ / copy_);
        }
    }

private:
    double merge_ = 0;
    double copy_ = 0;
};

// Takes --board_mib=N out of the arguments, before the benchmark library sees them.
std::size_t BoardMiB(int& argc, char** argv)
{
    std::size_t mib = 256;
    constexpr std::string_view kFlag = "--board_mib=";
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]).substr(0, kFlag.size()) == kFlag)
            mib = std::strtoull(argv[i] + kFlag.size(), nullptr, 10);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return mib;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t mib = BoardMiB(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    g_inputs.folder = fs::temp_directory_path() / ("corvane-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(g_inputs.folder);
    g_inputs.board = g_inputs.folder / "board.pcb";
    g_inputs.apertures = g_inputs.folder / "apertures.gap";
    g_inputs.output = g_inputs.folder / "New_board.pcb";
    int status = 0;
    try {
        bench::WriteBoardFile(g_inputs.board, mib << 20);
        bench::WriteApertureList(g_inputs.apertures);
        g_inputs.boardSize = fs::file_size(g_inputs.board);
        std::printf("board file: %zu bytes, aperture list: %zu lines\n", g_inputs.boardSize, bench::kApertureLines);
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        status = 1;
    }
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(g_inputs.folder, ignored);
    return status;
}
