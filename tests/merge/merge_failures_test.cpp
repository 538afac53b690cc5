// Tests of failed merges: each names the file and the reason, and leaves every file as it was.
#include "merge_apertures.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using merge_test::FailureOf;
using merge_test::Quoted;
using merge_test::TestFolder;

struct Paths {
    fs::path pcb;
    fs::path gap;
    fs::path out;
};

struct FailureCase {
    const char* name;
    // Changes the standard layout (a board file, an aperture list and an earlier output file) and
    // returns the paths to merge; nothing where the platform can't lay out the case.
    std::function<std::optional<Paths>(const TestFolder&, Paths)> setUp;
    // {pcb}, {gap} and {out} stand for the quoted paths.
    std::string message;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Fill(std::string text, const Paths& paths)
{
    const std::pair<const char*, const fs::path*> fields[] = {{"{pcb}", &paths.pcb}, {"{gap}", &paths.gap}, {"{out}", &paths.out}};
    for (const auto& [name, path] : fields) {
        for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name))
            text.replace(at, std::string_view(name).size(), Quoted(*path));
    }
    return text;
}

std::optional<Paths> WithApertures(const TestFolder& folder, Paths paths, const std::string& apertures)
{
    folder.Write(paths.gap.filename(), apertures);
    return paths;
}

const FailureCase kFailures[] = {
    {"missing_board_file",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         paths.pcb = folder.Path() / "missing.pcb";
         return paths;
     },
     "Cannot open the board file {pcb}: No such file or directory"},
    {"missing_aperture_list",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         paths.gap = folder.Path() / "missing.gap";
         return paths;
     },
     "Cannot open the aperture list {gap}: No such file or directory"},
    // With more than one file missing, the order of opening decides which is named.
    {"everything_missing",
     [](const TestFolder& folder, Paths) -> std::optional<Paths> {
         return Paths{folder.Path() / "missing.pcb", folder.Path() / "missing.gap",
                      folder.Path() / "no such folder" / "New_main.pcb"};
     },
     "Cannot open the board file {pcb}: No such file or directory"},
    {"aperture_list_and_output_folder_missing",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         paths.gap = folder.Path() / "missing.gap";
         paths.out = folder.Path() / "no such folder" / "New_main.pcb";
         return paths;
     },
     "Cannot open the aperture list {gap}: No such file or directory"},
    {"output_folder_missing",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         paths.out = folder.Path() / "no such folder" / "New_main.pcb";
         return paths;
     },
     "Cannot create the output file {out}: No such file or directory"},
    {"empty_output_path",
     [](const TestFolder&, Paths paths) -> std::optional<Paths> {
         paths.out.clear();
         return paths;
     },
     "Cannot write the output file: no output path is given"},
    {"output_is_the_board_file",
     [](const TestFolder&, Paths paths) -> std::optional<Paths> {
         paths.out = paths.pcb;
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"output_is_the_aperture_list",
     [](const TestFolder&, Paths paths) -> std::optional<Paths> {
         paths.out = paths.gap;
         return paths;
     },
     "Cannot write the output file {out}: it is the aperture list {gap}"},
    {"output_is_the_board_file_spelt_otherwise",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         fs::create_directory(folder.Path() / "sub");
         paths.out = folder.Path() / "sub" / ".." / "." / "main.pcb";
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"output_is_a_link_to_the_board_file",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         paths.out = folder.Path() / "link.pcb";
         if (!merge_test::TryCreateSymlink("main.pcb", paths.out))
             return std::nullopt;
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"output_in_a_linked_folder_is_the_aperture_list",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         if (!merge_test::TryCreateSymlink(folder.Path(), folder.Path() / "again"))
             return std::nullopt;
         paths.out = folder.Path() / "again" / "main.gap";
         return paths;
     },
     "Cannot write the output file {out}: it is the aperture list {gap}"},
    {"output_is_a_hard_link_to_the_board_file",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         paths.out = folder.Path() / "hard.pcb";
         std::error_code error;
         fs::create_hard_link(paths.pcb, paths.out, error);
         if (error)
             return std::nullopt;
         return paths;
     },
     "Cannot write the output file {out}: it is the board file {pcb}"},
    {"output_is_a_folder",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         paths.out = folder.Path() / "sub";
         fs::create_directory(paths.out);
         return paths;
     },
     "Cannot write the output file {out}: it is a folder"},
    {"output_is_a_link_to_a_folder",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         fs::create_directory(folder.Path() / "sub");
         paths.out = folder.Path() / "link";
         if (!merge_test::TryCreateSymlink("sub", paths.out))
             return std::nullopt;
         return paths;
     },
     "Cannot write the output file {out}: it is a folder"},
    {"output_is_a_loop_of_links",
     [](const TestFolder& folder, Paths paths) -> std::optional<Paths> {
         paths.out = folder.Path() / "loop1";
         if (!merge_test::TryCreateSymlink("loop2", paths.out) ||
             !merge_test::TryCreateSymlink("loop1", folder.Path() / "loop2"))
             return std::nullopt;
         return paths;
     },
     "Cannot write the output file {out}: Too many levels of symbolic links"},
    {"aperture_line_without_dot",
     [](const TestFolder& folder, Paths paths) {
         return WithApertures(folder, paths, "D10 ROUND 010.0 020.0 030.0\r\nskipped\r\nD30 RECTANGLE 40X60\r\nD11 SQUARE 025.5\r\n");
     },
     "Cannot make an aperture from line 3 of the aperture list {gap}: \"D30 RECTANGLE 40X60\" holds no \".\", so it gives no width"},
    {"aperture_line_with_an_early_dot",
     [](const TestFolder& folder, Paths paths) {
         return WithApertures(folder, paths, "D.1 ROUND 010.0 010.0 010.0\n");
     },
     "Cannot make an aperture from line 1 of the aperture list {gap}: the first \".\" of \"D.1 ROUND 010.0 010.0 010.0\" stands at position 2, with no room for the three characters of the width before it"},
    {"aperture_line_with_two_dots",
     [](const TestFolder& folder, Paths paths) {
         return WithApertures(folder, paths, "D10 ROUND 010.0 020.0 030.0\rD20 OBLONG 040.0 060.0");
     },
     "Cannot make an aperture from line 2 of the aperture list {gap}: \"D20 OBLONG 040.0 060.0\" holds exactly two \".\", so it gives no height: an aperture line needs one, or three or more"},
};

class MergeFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(MergeFailure, NamesTheFileAndLeavesEveryFileAsItWas)
{
    const FailureCase& c = GetParam();
    TestFolder folder;
    Paths standard{folder.Write("main.pcb", "a\r\ndrawPolygons\r\nb\r\n"),
                   folder.Write("main.gap", "D10 ROUND 010.0 020.0 030.0\r\n"),
                   folder.Write("New_main.pcb", "earlier output\r\n")};
    const std::optional<Paths> paths = c.setUp(folder, standard);
    if (!paths)
        GTEST_SKIP() << "the platform can't lay out this case";
    const auto before = merge_test::Snapshot(folder.Path());

    EXPECT_EQ(FailureOf(paths->pcb, paths->gap, paths->out), Fill(c.message, *paths));
    EXPECT_EQ(merge_test::Snapshot(folder.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, MergeFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
