// The text operations that the aperture record is cut with.
#include "text_operations.h"

#include <charconv>

namespace Module1 {

std::size_t Find(std::string_view text, std::string_view sought, std::size_t start)
{
    if (start == 0 || start > text.size())
        return 0;
    const std::size_t found = text.find(sought, start - 1);
    return found == std::string_view::npos ? 0 : found + 1;
}

std::string_view Take(std::string_view text, std::size_t start, std::size_t length)
{
    if (start == 0 || start > text.size())
        return {};
    return text.substr(start - 1, length);
}

std::string_view TrimLeadingBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

double NumericValue(std::string_view text)
{
    std::size_t end = 0;
    bool negative = false;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) {
        negative = text[end] == '-';
        ++end;
    }
    const std::size_t numberStart = end;
    bool digits = false;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
        digits = true;
    }
    if (end + 1 < text.size() && text[end] == '.' && IsDigit(text[end + 1])) {
        end += 2;
        digits = true;
        while (end < text.size() && IsDigit(text[end]))
            ++end;
    }
    if (!digits)
        return 0.0;

    // The extent is known to be plain fixed notation, so from_chars reads exactly it.
    const std::string_view number = text.substr(numberStart, end - numberStart);
    double value = 0.0;
    std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
    return negative ? -value : value;
}

}  // namespace Module1
