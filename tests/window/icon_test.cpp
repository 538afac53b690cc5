// Reads the program's icon, its Windows resource pieces and the logo back, and checks that our scripts still draw them.
#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ADD_FAILURE() << "cannot open " << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes readResource(const std::string& name)
{
    return readFile(std::string(CORVANE_RESOURCE_DIR) + "/" + name);
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

TEST_F(IconFile, HoldsTheThreeImagesInOrderEachWithItsMask)
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

TEST_F(IconFile, UsesBlackAndWhiteOrTheStandardSixteenColours)
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
TEST_F(IconFile, ShowsTheSlantedSheetWithItsBand)
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
                if (rgb == standardPalette[cyan] && firstCyanRow < 0)
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
TEST_F(IconFile, WindowsResourcePiecesAreItsImages)
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

TEST(Logo, Is986By371AtTwentyFourBitsAPixel)
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

// A PNG file's chunks in order, the image data inflated: zlib builds may pack the same rows differently.
std::vector<std::pair<std::string, Bytes>> pngChunks(const Bytes& png)
{
    std::vector<std::pair<std::string, Bytes>> chunks;
    QByteArray packed;
    std::uint32_t width = 0, height = 0;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = big(png, at);
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        if (at + 12 + length > png.size()) {
            ADD_FAILURE() << "chunk " << type << " reaches past the end of the file";
            break;
        }
        const auto data = png.begin() + static_cast<std::ptrdiff_t>(at + 8);
        if (type == "IHDR") {
            width = big(png, at + 8);
            height = big(png, at + 12);
        }
        if (type == "IDAT")
            packed.append(reinterpret_cast<const char*>(&*data), static_cast<qsizetype>(length));
        else
            chunks.emplace_back(type, Bytes(data, data + static_cast<std::ptrdiff_t>(length)));
        at += 12 + length;
    }
    // qUncompress() wants the unpacked size up front: each row a filter byte and three bytes a pixel.
    const std::uint32_t unpackedSize = height * (1 + 3 * width);
    QByteArray sized(4, '\0');
    for (int i = 0; i < 4; ++i)
        sized[i] = static_cast<char>(unpackedSize >> (24 - 8 * i));
    const QByteArray rows = qUncompress(sized + packed);
    EXPECT_EQ(static_cast<std::uint32_t>(rows.size()), unpackedSize) << "the image data doesn't inflate to its rows";
    chunks.emplace_back("IDAT, inflated", Bytes(rows.begin(), rows.end()));
    return chunks;
}

// Empty where the two are the same, else where they part; a byte dump of a whole file would help no one.
std::string difference(const Bytes& made, const Bytes& committed)
{
    if (made == committed)
        return {};
    const auto [at, _] = std::ranges::mismatch(made, committed);
    return "they part at byte " + std::to_string(at - made.begin()) + " of " + std::to_string(made.size()) +
           " drawn and " + std::to_string(committed.size()) + " committed";
}

struct Script {
    const char* name;
    std::vector<std::string> draws;
};

void PrintTo(const Script& script, std::ostream* out)
{
    *out << script.name;
}

class Scripts : public testing::TestWithParam<Script> {};

// Run into a folder of their own, the scripts draw the committed files again.
TEST_P(Scripts, StillDrawTheCommittedFiles)
{
    const QString python = QStringLiteral(CORVANE_PYTHON);
    if (python.isEmpty())
        GTEST_SKIP() << CORVANE_NO_PYTHON;
    const Script& script = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid()) << folder.errorString().toStdString();

    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(python, {QStringLiteral(CORVANE_SCRIPT_DIR "/") + QString::fromLatin1(script.name), folder.path()});
    // Only a script that hangs runs into this; drawing the logo takes seconds.
    ASSERT_TRUE(run.waitForFinished(300'000)) << python.toStdString() << ": " << run.errorString().toStdString();
    ASSERT_EQ(run.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(run.exitCode(), 0) << run.readAll().toStdString();

    std::vector<std::string> drawn;
    for (const QString& name : QDir(folder.path()).entryList(QDir::Files, QDir::Name))
        drawn.push_back(name.toStdString());
    std::vector<std::string> expected = script.draws;
    std::ranges::sort(expected);
    ASSERT_EQ(drawn, expected);
    for (const std::string& name : script.draws) {
        SCOPED_TRACE(name);
        const Bytes made = readFile(folder.filePath(QString::fromStdString(name)).toStdString());
        const Bytes committed = readResource(name);
        if (!name.ends_with(".png")) {
            EXPECT_EQ(difference(made, committed), "");
            continue;
        }
        const auto madeChunks = pngChunks(made);
        const auto committedChunks = pngChunks(committed);
        ASSERT_EQ(madeChunks.size(), committedChunks.size());
        for (std::size_t i = 0; i < madeChunks.size(); ++i) {
            EXPECT_EQ(madeChunks[i].first, committedChunks[i].first);
            EXPECT_EQ(difference(madeChunks[i].second, committedChunks[i].second), "") << madeChunks[i].first;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Icon, Scripts,
                         testing::Values(Script{"make_icon.py",
                                                {"corvane.ico", "corvane-group.bin", "corvane-30001.dib",
                                                 "corvane-30002.dib", "corvane-30003.dib"}},
                                         Script{"make_logo.py", {"logo.png"}}),
                         [](const testing::TestParamInfo<Script>& info) {
                             std::string name = info.param.name;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
