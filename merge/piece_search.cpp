// Finds a text in a line that comes in pieces, also where a piece's edge cuts through it.
#include "piece_search.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "text_operations.h"

namespace Module1 {

PieceSearch::PieceSearch(std::string_view sought, Finder find) : sought_(sought), find_(find)
{
    assert(!sought.empty() && sought.size() <= kLongestSought);
}

std::size_t PieceSearch::FindFromStart(std::string_view text, std::string_view sought)
{
    return Find(text, sought, 1);
}

bool PieceSearch::Feed(std::string_view piece)
{
    // An empty view may hold no pointer at all, which memcpy must not be given.
    if (found_ || piece.empty())
        return found_;
    // A text that a cut divides has at most this many characters on either side of it.
    const std::size_t keep = sought_.size() - 1;
    const std::size_t head = std::min(piece.size(), keep);
    std::memcpy(joint_.data() + kept_, piece.data(), head);
    found_ = find_({joint_.data(), kept_ + head}, sought_) != 0 || find_(piece, sought_) != 0;
    if (piece.size() >= keep) {
        std::memcpy(joint_.data(), piece.data() + piece.size() - keep, keep);
        kept_ = keep;
    } else {
        const std::size_t joined = kept_ + head;
        const std::size_t dropped = joined > keep ? joined - keep : 0;
        std::memmove(joint_.data(), joint_.data() + dropped, joined - dropped);
        kept_ = joined - dropped;
    }
    return found_;
}

}  // namespace Module1
