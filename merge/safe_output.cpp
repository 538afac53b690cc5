// The output file: renamed into place once whole, or written into the existing file once prepared.
#include "safe_output.h"

#include <cerrno>
#include <cstdint>
#include <memory>
#include <random>
#include <system_error>

#include "merge_error.h"

namespace Module1 {

namespace {

namespace fs = std::filesystem;

// The same short name whatever the output's, so that a long output name still leaves room for it,
// and one that tells an operator whose unfinished output a leftover is (after a crash).
fs::path TemporaryName(std::mt19937& random)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = "~corvane-";
    auto value = static_cast<std::uint32_t>(random());
    for (int i = 0; i < 8; ++i, value >>= 4)
        name += kDigits[value & 0xF];
    return name + ".tmp";
}

// The folder of a path, as a path that can be opened: the current folder for a bare name.
fs::path FolderOf(const fs::path& path)
{
    const fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

}  // namespace

SafeOutput::SafeOutput(const fs::path& outputPath, const fs::path& pcbPath, const fs::path& gapPath)
    : outputName_("the output file " + Quoted(outputPath)), description_(outputName_)
{
    if (outputPath.empty())
        throw MergeError("Cannot write the output file: no output path is given");
    if (const std::string reason = WhyNotAFile(outputPath); !reason.empty())
        Refuse(reason);

    destination_ = Destination(outputPath);
    std::error_code error;
    const fs::file_status status = fs::status(destination_, error);
    // Not there at all is what a new output is; anything else that keeps the path from being looked
    // at (a name too long) would stop the merge at its end, so it is said before a line is read.
    if (status.type() == fs::file_type::none)
        Refuse(Reason(error));
    if (fs::is_directory(status))
        Refuse("it is a folder");
    if (!destination_.has_filename())
        Refuse("the path ends in a separator, so it names no file");

    existed_ = fs::exists(status);
    bool replace = true;
    if (existed_) {
        if (!fs::is_regular_file(status))
            Refuse("it is not a regular file");
        if (SameFile(destination_, pcbPath))
            Refuse("it is the board file " + Quoted(pcbPath));
        if (SameFile(destination_, gapPath))
            Refuse("it is the aperture list " + Quoted(gapPath));
        const ExistingFile existing = InspectExisting(destination_);
        // Also for root, who could write it: to the operator, a file nobody may write is read-only.
        if (existing.readOnly)
            Refuse("it is read-only");
        if (existing.writeError != 0)
            Refuse(Reason(existing.writeError));
        replace = existing.replaceable;
    }

    const fs::path folder = FolderOf(destination_);
    const int createError = CreateTemporary(folder, true);
    if (createError != 0 && !existed_) {
        if (createError == ENOENT && !fs::exists(folder, error))
            Refuse("the folder " + Quoted(folder) + " does not exist");
        if (createError == ENOTDIR || (fs::exists(folder, error) && !fs::is_directory(folder, error)))
            Refuse(Quoted(folder) + " is not a folder");
        throw MergeError("Cannot create " + outputName_ + ": " + Reason(createError));
    }
    if (createError != 0) {
        // The file may be written, but no new file may be made beside it.
        replace = false;
        const fs::path elsewhere = fs::temp_directory_path(error);
        if (error)
            Refuse("no new file may be made in its folder (" + Reason(createError) +
                   "), and there is no temporary folder to prepare it in");
        const int elsewhereError = CreateTemporary(elsewhere, false);
        if (elsewhereError != 0)
            Refuse("no new file may be made in its folder (" + Reason(createError) + "), nor in the temporary folder " +
                   Quoted(elsewhere) + " (" + Reason(elsewhereError) + ")");
        // A full disk there is not the output's disk.
        description_ = outputName_ + " (prepared first in " + Quoted(temporary_.Path()) + ")";
    }
    if (existed_ && replace && !TakeAttributes(temporary_.File(), destination_))
        replace = false;
    if (existed_ && !replace) {
        OpenedFile opened = OpenForWritingInPlace(destination_);
        if (opened.kind != FileKind::Regular)
            Refuse("it is not a regular file");
        if (!opened.file)
            Refuse(Reason(opened.error));
        inPlace_ = std::move(opened.file);
        // Held until the file is written and closed. A file system that keeps no locks gives some
        // other error: the file is then written as it would have been without them.
        const int lockError = LockForWriting(inPlace_.get());
        if (lockError == EWOULDBLOCK || lockError == EAGAIN)
            Refuse("another program is writing it");
    }
}

SafeOutput::Temporary::~Temporary()
{
    file_.reset();
    if (!path_.empty()) {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
}

void SafeOutput::Temporary::Hold(const fs::path& path, FilePtr file)
{
    path_ = path;
    file_ = std::move(file);
}

void SafeOutput::Refuse(const std::string& reason) const
{
    throw MergeError("Cannot write " + outputName_ + ": " + reason);
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
            Refuse(Reason(std::make_error_code(std::errc::too_many_symbolic_link_levels)));
        const fs::path target = fs::read_symlink(destination, error);
        if (error)
            Refuse(Reason(error));
        destination = target.is_absolute() ? target : destination.parent_path() / target;
    }
}

// Yields 0 once the temporary file is made in `folder`, else the error number of the last try.
int SafeOutput::CreateTemporary(const fs::path& folder, bool shared)
{
    constexpr int kMostTries = 100;
    std::mt19937 random(std::random_device{}());
    int error = 0;
    for (int tries = 0; tries < kMostTries; ++tries) {
        const fs::path candidate = folder / TemporaryName(random);
        // Created only where nothing stands yet, whoever put it there.
        OpenedFile created = CreateNewFile(candidate, shared);
        if (created.file) {
            temporary_.Hold(candidate, std::move(created.file));
            return 0;
        }
        error = created.error;
        if (error != EEXIST)
            break;
    }
    return error;
}

void SafeOutput::Commit()
{
    if (inPlace_)
        CommitInPlace();
    else
        CommitByRename();
}

void SafeOutput::CommitByRename()
{
    int error = SyncFile(temporary_.File());
    if (error == 0)
        error = CloseFile(temporary_.Stream());
    if (error != 0)
        Refuse(Reason(error));

    error = RenameOnto(temporary_.Path(), destination_);
    if (error != 0) {
        std::string sentence = (existed_ ? "Cannot replace " : "Cannot write ") + outputName_ + ": " + Reason(error);
        // A replace that failed half-way (Windows can remove the old file and then fail to move the new
        // one in) leaves the prepared file as the only output there is: it stays, and the operator
        // learns where.
        std::error_code ignored;
        if (existed_ && !fs::exists(destination_, ignored)) {
            sentence += "; the earlier file is gone, and the new output is kept in " + Quoted(temporary_.Path());
            temporary_.Kept();
        }
        throw MergeError(sentence);
    }
    temporary_.Kept();

    error = SyncFolder(FolderOf(destination_));
    if (error != 0)
        throw MergeError("Cannot write " + outputName_ + " to the disk: " + Reason(error));
}

void SafeOutput::CommitInPlace()
{
    std::FILE* from = temporary_.File();
    std::FILE* to = inPlace_.get();
    std::error_code sizeError;
    const std::uintmax_t size = fs::file_size(temporary_.Path(), sizeError);
    if (sizeError)
        Refuse("the prepared output " + Quoted(temporary_.Path()) + " can't be read back: " + Reason(sizeError));
    // The last check that leaves the file as it was: from here on, a failure leaves it half written.
    int error = ReserveSpace(to, destination_, size);
    if (error != 0)
        Refuse(Reason(error));

    const auto damaged = [this](int reason) { Refuse(Reason(reason) + "; the file is now incomplete"); };
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
    errno = 0;
    if (std::fseek(from, 0, SEEK_SET) != 0)
        Refuse("the prepared output " + Quoted(temporary_.Path()) + " can't be read back: " + Reason(errno));
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(piece.get(), 1, kPiece, from);
        if (got < kPiece && std::ferror(from))
            damaged(errno);
        errno = 0;
        if (got > 0 && std::fwrite(piece.get(), 1, got, to) != got)
            damaged(errno);
        if (got < kPiece)
            break;
    }
    error = TruncateFile(to, size);
    if (error == 0)
        error = SyncFile(to);
    if (error == 0)
        error = CloseFile(inPlace_);
    if (error != 0)
        damaged(error);
}

}  // namespace Module1
