// The aperture definition record: the shape test and the record's eight lines.
#include "aperture_record.h"

#include <algorithm>
#include <cstring>

#include "text_operations.h"

namespace Module1 {

namespace {

struct ShapeKeyword {
    std::string_view keyword;
    std::string_view shapeText;
};

// Tried in this order: where a line holds several keywords, the first row wins, not the first place.
constexpr std::array<ShapeKeyword, 4> kShapeKeywords{{
    {"ROUND", "(apertureShape Ellipse)"},
    {"RECTANGLE", "(apertureShape Rect)"},
    {"OBLONG", "(apertureShape Oval)"},
    {"SQUARE", "(apertureShape Rect)"},
}};

}  // namespace

template <std::size_t N>
void ApertureLine::Tail<N>::Append(std::string_view text)
{
    // An empty view may hold no pointer at all, which memcpy must not be given.
    if (text.empty())
        return;
    if (text.size() >= N) {
        std::memcpy(chars.data(), text.data() + text.size() - N, N);
        size = N;
        return;
    }
    const std::size_t kept = std::min(size, N - text.size());
    std::memmove(chars.data(), chars.data() + size - kept, kept);
    std::memcpy(chars.data() + kept, text.data(), text.size());
    size = kept + text.size();
}

static_assert(std::ranges::all_of(kShapeKeywords, [](const ShapeKeyword& row) {
    return row.keyword.size() <= PieceSearch::kLongestSought;
}));

ApertureLine::ApertureLine()
    : keywords_{PieceSearch(kShapeKeywords[0].keyword), PieceSearch(kShapeKeywords[1].keyword),
                PieceSearch(kShapeKeywords[2].keyword), PieceSearch(kShapeKeywords[3].keyword)}
{
}

void ApertureLine::Feed(std::string_view piece)
{
    if (piece.empty())
        return;
    for (PieceSearch& keyword : keywords_)
        keyword.Feed(piece);

    if (size_ < kShown) {
        const std::size_t head = std::min<std::size_t>(piece.size(), kShown - size_);
        std::memcpy(head_.data() + size_, piece.data(), head);
    }

    // Only the first three "." count; the rest of a line is read past.
    for (std::size_t start = 1; dots_ < dotAt_.size();) {
        const std::size_t dot = Find(piece, ".", start);
        if (dot == 0)
            break;
        beforeDot_[dots_] = cutTail_;
        beforeDot_[dots_].Append(Take(piece, 1, dot - 1));
        dotAt_[dots_] = size_ + dot;
        ++dots_;
        start = dot + 1;
    }
    cutTail_.Append(piece);
    size_ += piece.size();
}

std::optional<std::string_view> ApertureLine::Shape() const
{
    for (std::size_t row = 0; row < kShapeKeywords.size(); ++row) {
        if (keywords_[row].Found())
            return kShapeKeywords[row].shapeText;
    }
    return std::nullopt;
}

// The line as an error message can show it: control bytes (a NUL would end the message) as "?", and
// a long line cut short.
std::string ApertureLine::Shown() const
{
    std::string shown = "\"";
    for (std::size_t at = 0; at < std::min<std::uint64_t>(size_, kShown); ++at) {
        const auto byte = static_cast<unsigned char>(head_[at]);
        shown += byte < 0x20 || byte == 0x7F ? '?' : head_[at];
    }
    if (size_ > kShown)
        shown += "...";
    return shown + '"';
}

ApertureRecord ApertureLine::Record(std::string_view shapeText) const
{
    if (dots_ == 0)
        throw ApertureLineError(Shown() + " holds no \".\", so it gives no width");
    if (dotAt_[0] <= kCut)
        throw ApertureLineError("the first \".\" of " + Shown() + " stands at position " + std::to_string(dotAt_[0]) +
                                ", with no room for the three characters of the width before it");
    if (dots_ == 2)
        throw ApertureLineError(
            Shown() + " holds exactly two \".\", so it gives no height: an aperture line needs one, or three or more");

    ApertureRecord record;
    record.dCode = Take({head_.data(), std::min<std::uint64_t>(size_, kShown)}, 2, kCut);
    record.apertureShape = shapeText;
    record.width = beforeDot_[0].View();
    // With exactly one ".", the search for the third finds the first again.
    record.height = dots_ == 1 ? record.width : beforeDot_[2].View();
    if (NumericValue(TrimLeadingBlanks(record.height)) == 0.0)
        record.height = record.width;
    return record;
}

std::array<std::string, 8> RecordLines(const ApertureRecord& record)
{
    return {
        "(apertureDef",
        "(dCode " + std::string(record.dCode) + ")",
        std::string(record.apertureShape),
        "(width " + std::string(record.width) + ")",
        "(height " + std::string(record.height) + ")",
        "(holeDiam 0)",
        "(desc \"\")",
        ")",
    };
}

}  // namespace Module1
