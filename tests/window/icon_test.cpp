// Reads the program's icon, its Windows resource pieces and the logo back from the resource folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readResource(const std::string& name)
{
    const std::string path = std::string(CORVANE_RESOURCE_DIR) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ADD_FAILURE() << "cannot open " << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t little(const Bytes& data, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | data.at(at + static_cast<std::size_t>(i));
    return value;
}

std::uint32_t big(const Bytes& data, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | data.at(at + i);
    return value;
}

struct Expected {
    int size;
    int colours;
    int depth;
};
constexpr std::array<Expected, 3> expectedImages{{{32, 2, 1}, {32, 16, 4}, {16, 16, 4}}};

// One image of the icon, cut out of the file by its directory entry.
struct Image {
    int size = 0;
    int depth = 0;
    Bytes bytes;

    std::size_t paletteSize() const { return 4u << depth; }
    std::size_t colourStride() const { return static_cast<std::size_t>((size * depth + 31) / 32 * 4); }
    std::size_t maskStride() const { return static_cast<std::size_t>((size + 31) / 32 * 4); }
    std::size_t colourStart() const { return 40 + paletteSize(); }
    std::size_t maskStart() const { return colourStart() + colourStride() * static_cast<std::size_t>(size); }

    // Rows are stored bottom up; y counts from the top.
    int index(int x, int y) const
    {
        const std::size_t row = colourStart() + colourStride() * static_cast<std::size_t>(size - 1 - y);
        const int bit = x * depth;
        const unsigned char byte = bytes.at(row + static_cast<std::size_t>(bit / 8));
        return (byte >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
    }
    bool transparent(int x, int y) const
    {
        const std::size_t row = maskStart() + maskStride() * static_cast<std::size_t>(size - 1 - y);
        return (bytes.at(row + static_cast<std::size_t>(x / 8)) >> (7 - x % 8)) & 1;
    }
    std::uint32_t colour(int paletteIndex) const  // 0xRRGGBB
    {
        return little(bytes, 40 + 4 * static_cast<std::size_t>(paletteIndex), 4) & 0xFFFFFF;
    }
};

std::vector<Image> iconImages(const Bytes& file)
{
    std::vector<Image> images;
    const std::uint32_t count = little(file, 4, 2);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::size_t bytes = little(file, entry + 8, 4);
        const std::size_t offset = little(file, entry + 12, 4);
        if (offset + bytes > file.size()) {
            ADD_FAILURE() << "image " << i + 1 << " reaches past the end of the file";
            break;
        }
        const auto begin = file.begin() + static_cast<std::ptrdiff_t>(offset);
        images.push_back({file.at(entry), static_cast<int>(little(file, entry + 6, 2)),
                          Bytes(begin, begin + static_cast<std::ptrdiff_t>(bytes))});
    }
    return images;
}

constexpr std::array<std::uint32_t, 16> standardPalette{
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
constexpr int black = 0;
constexpr int cyan = 14;
constexpr int white = 15;

class IconFile : public ::testing::Test {
protected:
    Bytes file = readResource("corvane.ico");
    std::vector<Image> images = iconImages(file);
};

TEST_F(IconFile, holdsTheThreeImagesInOrderEachWithItsMask)
{
    ASSERT_GE(file.size(), 6u);
    EXPECT_EQ(little(file, 0, 2), 0u);
    EXPECT_EQ(little(file, 2, 2), 1u) << "not an icon";
    ASSERT_EQ(images.size(), expectedImages.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        const Expected& want = expectedImages[i];
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(file[entry], want.size);
        EXPECT_EQ(file[entry + 1], want.size);
        EXPECT_EQ(file[entry + 2], want.colours);
        EXPECT_EQ(little(file, entry + 4, 2), 1u);
        EXPECT_EQ(images[i].depth, want.depth);

        const Image& image = images[i];
        const auto header = [&](std::size_t at, int count) { return little(image.bytes, at, count); };
        EXPECT_EQ(header(0, 4), 40u);
        EXPECT_EQ(header(4, 4), static_cast<std::uint32_t>(want.size));
        EXPECT_EQ(header(8, 4), static_cast<std::uint32_t>(2 * want.size)) << "height must count the mask";
        EXPECT_EQ(header(12, 2), 1u);
        EXPECT_EQ(header(14, 2), static_cast<std::uint32_t>(want.depth));
        EXPECT_EQ(header(16, 4), 0u) << "compressed";
        // Header, palette, colour bits and a transparency mask of one bit a pixel, and nothing else.
        EXPECT_EQ(image.bytes.size(), image.maskStart() + image.maskStride() * static_cast<std::size_t>(want.size));
    }
}

TEST_F(IconFile, usesBlackAndWhiteOrTheStandardSixteenColours)
{
    ASSERT_EQ(images.size(), expectedImages.size());
    EXPECT_EQ(images[0].colour(0), 0x000000u);
    EXPECT_EQ(images[0].colour(1), 0xFFFFFFu);
    for (std::size_t i = 1; i < images.size(); ++i)
        for (int c = 0; c < 16; ++c)
            EXPECT_EQ(images[i].colour(c), standardPalette[static_cast<std::size_t>(c)])
                << "image " << i + 1 << ", colour " << c;
}

// A white sheet outlined in black with a cyan band on top, leaning right, on a transparent ground.
TEST_F(IconFile, showsTheSlantedSheetWithItsBand)
{
    ASSERT_EQ(images.size(), expectedImages.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        const Image& image = images[i];
        const int last = image.size - 1;
        int firstCyanRow = -1, firstWhiteRow = -1, blacks = 0;
        std::vector<int> leftEdge;  // of each row that shows anything, top down
        for (int y = 0; y < image.size; ++y) {
            int left = -1;
            for (int x = 0; x < image.size; ++x) {
                if (image.transparent(x, y)) {
                    EXPECT_EQ(image.index(x, y), black) << "would invert the screen at " << x << "," << y;
                    continue;
                }
                const std::uint32_t rgb = image.colour(image.index(x, y));
                if (left < 0)
                    left = x;
                blacks += rgb == 0x000000;
                if (rgb == 0xFFFFFF && firstWhiteRow < 0)
                    firstWhiteRow = y;
                if (rgb == 0x00FFFF && firstCyanRow < 0)
                    firstCyanRow = y;
            }
            if (left >= 0)
                leftEdge.push_back(left);
        }
        for (const auto& [x, y] : std::array<std::pair<int, int>, 4>{{{0, 0}, {last, 0}, {0, last}, {last, last}}})
            EXPECT_TRUE(image.transparent(x, y)) << "corner " << x << "," << y;
        EXPECT_GT(blacks, 0) << "no outline";
        EXPECT_GE(firstWhiteRow, 0) << "no white sheet";
        ASSERT_FALSE(leftEdge.empty());
        EXPECT_GT(leftEdge.front(), leftEdge.back()) << "the sheet does not lean";
        if (image.depth == 4) {
            EXPECT_GE(firstCyanRow, 0) << "no cyan band";
            EXPECT_LT(firstCyanRow, firstWhiteRow) << "the cyan band is not along the top";
            EXPECT_EQ(image.index(image.size / 2, image.size / 2), white) << "the sheet's middle";
        }
    }
}

// Windows takes the icon from these pieces; they must be the images of corvane.ico, numbered 30001-30003.
TEST_F(IconFile, windowsResourcePiecesAreItsImages)
{
    ASSERT_EQ(images.size(), expectedImages.size());
    const Bytes group = readResource("corvane-group.bin");
    ASSERT_EQ(group.size(), 6 + 14 * images.size());
    EXPECT_TRUE(std::equal(group.begin(), group.begin() + 6, file.begin()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::uint32_t number = 30001 + static_cast<std::uint32_t>(i);
        SCOPED_TRACE("image " + std::to_string(number));
        EXPECT_EQ(readResource("corvane-" + std::to_string(number) + ".dib"), images[i].bytes);
        const auto fileEntry = file.begin() + static_cast<std::ptrdiff_t>(6 + 16 * i);
        const auto groupEntry = group.begin() + static_cast<std::ptrdiff_t>(6 + 14 * i);
        EXPECT_TRUE(std::equal(groupEntry, groupEntry + 12, fileEntry)) << "size, colours, depth or length differ";
        EXPECT_EQ(little(group, 6 + 14 * i + 12, 2), number);
    }
}

TEST(Logo, is986By371AtTwentyFourBitsAPixel)
{
    const Bytes png = readResource("logo.png");
    ASSERT_GE(png.size(), 33u);
    EXPECT_EQ(Bytes(png.begin(), png.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    EXPECT_EQ(big(png, 8), 13u);
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(big(png, 16), 986u);
    EXPECT_EQ(big(png, 20), 371u);
    EXPECT_EQ(png[24], 8) << "bit depth";
    EXPECT_EQ(png[25], 2) << "colour type: red, green, blue without alpha";
    EXPECT_EQ(png[28], 0) << "interlaced";
}

}  // namespace
