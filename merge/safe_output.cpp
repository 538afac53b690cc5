// The output file, written beside its final place and moved there only once it is whole.
#include "safe_output.h"

#include <cerrno>
#include <cstdint>
#include <random>
#include <system_error>

#include "merge_error.h"
#include "open_file.h"

namespace Module1 {

namespace {

namespace fs = std::filesystem;

bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

// A name for the temporary file that no file in the folder is likely to have; creation is exclusive,
// so an unlucky guess only costs another try.
fs::path TemporaryPath(const fs::path& destination, std::mt19937& random)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix;
    auto value = static_cast<std::uint32_t>(random());
    for (int i = 0; i < 8; ++i, value >>= 4)
        suffix += kDigits[value & 0xF];
    fs::path temporary = destination;
    temporary += "." + suffix + ".tmp";
    return temporary;
}

}  // namespace

SafeOutput::SafeOutput(const fs::path& outputPath, const fs::path& pcbPath, const fs::path& gapPath)
    : description_("the output file " + Quoted(outputPath))
{
    if (outputPath.empty())
        throw MergeError("Cannot write the output file: no output path is given");

    destination_ = Destination(outputPath);
    std::error_code error;
    const fs::file_status status = fs::status(destination_, error);
    if (!destination_.has_filename() || fs::is_directory(status))
        Refuse("it is a folder");
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status))
            Refuse("it is not a regular file");
        if (SameFile(destination_, pcbPath))
            Refuse("it is the board file " + Quoted(pcbPath));
        if (SameFile(destination_, gapPath))
            Refuse("it is the aperture list " + Quoted(gapPath));
    }
    CreateTemporary();
}

SafeOutput::~SafeOutput()
{
    if (file_)
        std::fclose(file_);
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }
}

void SafeOutput::Refuse(const std::string& reason) const
{
    throw MergeError("Cannot write " + description_ + ": " + reason);
}

// The file that the output path leads to, through any links.
fs::path SafeOutput::Destination(const fs::path& outputPath) const
{
    constexpr int kMostLinks = 40;
    fs::path destination = outputPath;
    for (int links = 0;; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(destination, error)))
            return destination;
        if (links == kMostLinks)
            Refuse(std::make_error_code(std::errc::too_many_symbolic_link_levels).message());
        const fs::path target = fs::read_symlink(destination, error);
        if (error)
            Refuse(error.message());
        destination = target.is_absolute() ? target : destination.parent_path() / target;
    }
}

void SafeOutput::CreateTemporary()
{
    constexpr int kMostTries = 100;
    std::mt19937 random(std::random_device{}());
    int openError = 0;
    for (int tries = 0; tries < kMostTries; ++tries) {
        const fs::path candidate = TemporaryPath(destination_, random);
        errno = 0;
        // "x": never open a file that is already there, whoever put it there.
        file_ = OpenFile(candidate, "wbx");
        openError = errno;
        if (file_) {
            temporary_ = candidate;
            std::setvbuf(file_, nullptr, _IONBF, 0);
            return;
        }
        std::error_code ignored;
        if (openError != EEXIST && !fs::exists(fs::symlink_status(candidate, ignored)))
            break;
    }
    throw MergeError("Cannot create " + description_ + ": " + Reason(openError));
}

void SafeOutput::Commit()
{
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(file) != 0)
        throw MergeError("Cannot write " + description_ + ": " + Reason(errno));

    std::error_code error;
    const fs::file_status replaced = fs::status(destination_, error);
    if (fs::is_regular_file(replaced)) {
        // Kept where the file system allows it; a file system without permissions has none to keep.
        fs::permissions(temporary_, replaced.permissions(), error);
    }

    fs::rename(temporary_, destination_, error);
    if (error)
        throw MergeError("Cannot replace " + description_ + ": " + error.message());
    temporary_.clear();
}

}  // namespace Module1
