// The merge routine: a board file copied line for line, aperture records after its first "drawPolygons".
#include "merge_apertures.h"

#include <array>
#include <cassert>
#include <cstring>
#include <new>

#include "aperture_record.h"
#include "line_reader.h"
#include "line_writer.h"
#include "merge_error.h"
#include "piece_search.h"
#include "safe_output.h"

namespace Module1 {

namespace {

constexpr std::string_view kInsertionMark = "drawPolygons";

// Find(text, kInsertionMark, 1), quicker: board files are written almost all in lower case, so the
// mark's one capital is the rare byte to scan for.
std::size_t FindInsertionMark(std::string_view text)
{
    constexpr std::size_t kCapitalAt = 4;
    for (std::size_t at = kCapitalAt; at < text.size(); ++at) {
        const void* capital = std::memchr(text.data() + at, 'P', text.size() - at);
        if (!capital)
            return 0;
        at = static_cast<std::size_t>(static_cast<const char*>(capital) - text.data());
        if (text.substr(at - kCapitalAt, kInsertionMark.size()) == kInsertionMark)
            return at - kCapitalAt + 1;
    }
    return 0;
}

// Writes one record for each line of the aperture list that names a shape, in the list's order.
void WriteApertureRecords(LineReader& apertures, const std::filesystem::path& gapPath, LineWriter& output)
{
    std::size_t lineNumber = 0;
    while (!apertures.AtEnd()) {
        ++lineNumber;
        ApertureLine line;
        for (LinePiece piece = apertures.ReadLinePiece();; piece = apertures.ReadLinePiece()) {
            line.Feed(piece.text);
            if (piece.lineEnds || apertures.AtEnd())
                break;
        }
        const std::optional<std::string_view> shapeText = line.Shape();
        if (!shapeText)
            continue;
        std::array<std::string, 8> recordLines;
        try {
            recordLines = RecordLines(line.Record(*shapeText));
        } catch (const ApertureLineError& error) {
            throw MergeError("Cannot make an aperture from line " + std::to_string(lineNumber) +
                             " of the aperture list " + Quoted(gapPath) + ": " + error.what());
        }
        for (const std::string& recordLine : recordLines)
            output.WriteLine(recordLine);
    }
}

// Copies one line that may be longer than the read buffer, piece by piece; true when it holds the mark.
bool CopyLineInPieces(LineReader& board, LineWriter& output, bool searched)
{
    LinePiece piece = board.ReadLinePiece();
    if (piece.lineEnds) {
        // Nearly every line: whole in the buffer.
        output.WriteLine(piece.text);
        return searched && FindInsertionMark(piece.text) != 0;
    }
    PieceSearch search(kInsertionMark, [](std::string_view text, std::string_view) { return FindInsertionMark(text); });
    bool found = false;
    for (;;) {
        output.WriteAsItStands(piece.text);
        if (searched)
            found = search.Feed(piece.text);
        if (piece.lineEnds || board.AtEnd())
            break;
        piece = board.ReadLinePiece();
    }
    output.EndLine();
    return found;
}

void Merge(const std::filesystem::path& pcbPath, const std::filesystem::path& gapPath,
           const std::filesystem::path& outputPath)
{
    LineReader board(pcbPath, "board file");
    LineReader apertures(gapPath, "aperture list");
    SafeOutput output(outputPath, pcbPath, gapPath);
    LineWriter lines(output.File(), output.Description());

    // Only the first "drawPolygons" line is followed by records: by the second, the aperture list
    // has been read to its end, so there is no need to look for one any more.
    bool inserted = false;
    while (!board.AtEnd()) {
        // Lines that end in CR LF already stand as they are to be written, so they are copied in
        // runs; only the line that holds "drawPolygons" has to be found among them.
        std::string_view run = board.ReadCrLfLines();
        if (!run.empty()) {
            const std::size_t found = inserted ? 0 : FindInsertionMark(run);
            if (found != 0) {
                const std::size_t insertionLineEnd = run.find('\n', found - 1);
                // A run is whole lines, each with its CR LF, so a line end follows every mark in it.
                assert(insertionLineEnd != std::string_view::npos);
                lines.WriteAsItStands(run.substr(0, insertionLineEnd + 1));
                inserted = true;
                WriteApertureRecords(apertures, gapPath, lines);
                run.remove_prefix(insertionLineEnd + 1);
            }
            lines.WriteAsItStands(run);
            continue;
        }

        if (CopyLineInPieces(board, lines, !inserted)) {
            inserted = true;
            WriteApertureRecords(apertures, gapPath, lines);
        }
    }

    // An input that another program saved meanwhile may have given a cut or mixed copy; the earlier
    // output is better kept than replaced by that.
    board.ConfirmUnchanged();
    apertures.ConfirmUnchanged();
    lines.Flush();
    output.Commit();
}

}  // namespace

void MergeApertures(const std::filesystem::path& pcbPath, const std::filesystem::path& gapPath,
                    const std::filesystem::path& outputPath)
{
    // Every failure reaches the operator as a sentence about the merge, never as a type's name.
    const auto failure = [&](const std::string& reason) {
        return MergeError("Cannot merge the board file " + Quoted(pcbPath) + " with the aperture list " +
                          Quoted(gapPath) + ": " + reason);
    };
    try {
        Merge(pcbPath, gapPath, outputPath);
    } catch (const MergeError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw failure("there is not enough memory");
    } catch (...) {
        throw failure("the program met a failure that it cannot name");
    }
}

}  // namespace Module1
