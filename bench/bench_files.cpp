// Generated inputs for the merge benchmarks.
#include "bench_files.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "file_system.h"

namespace bench {

namespace {

// A file to write, which fails loudly.
class File {
public:
    explicit File(const std::filesystem::path& path) : file_(std::fopen(path.string().c_str(), "wb"))
    {
        if (!file_)
            throw std::runtime_error("cannot create " + path.string());
    }

    void Write(const std::string& text)
    {
        if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size())
            throw std::runtime_error("cannot write a benchmark file");
    }
    void Close()
    {
        if (Module1::CloseFile(file_) != 0)
            throw std::runtime_error("cannot write a benchmark file");
    }

private:
    Module1::FilePtr file_;
};

// One line of a board file's body, varied by `n` so that no two neighbours are alike.
std::string BoardLine(std::size_t n)
{
    char line[160];
    const unsigned x = static_cast<unsigned>(n * 37 % 9000);
    const unsigned y = static_cast<unsigned>(n * 53 % 7000);
    switch (n % 5) {
    case 0:
        std::snprintf(line, sizeof line,
                      "      (line (pt %u.0 %u.0) (pt %u.0 %u.0) (width 10.0) (netNameRef \"NET%zu\"))\r\n", x, y,
                      x + 150, y, n % 800);
        break;
    case 1:
        std::snprintf(line, sizeof line,
                      "      (pad (padNum %zu) (padStyleRef \"P:EX60Y60D35\") (pt %u.0 %u.0) (rotation 0.0))\r\n",
                      n % 64 + 1, x, y);
        break;
    case 2:
        std::snprintf(line, sizeof line,
                      "      (via (viaStyleRef \"V:40D20\") (pt %u.0 %u.0) (netNameRef \"GND\"))\r\n", x, y);
        break;
    case 3:
        std::snprintf(line, sizeof line,
                      "      (text (pt %u.0 %u.0) \"R%zu\" (textStyleRef \"(Default)\") (rotation 90.0))\r\n", x, y,
                      n % 500);
        break;
    default:
        std::snprintf(line, sizeof line,
                      "    (arc (pt %u.0 %u.0) (radius 25.0) (startAngle 0.0) (sweepAngle 360.0) (width 8.0))\r\n", x,
                      y);
        break;
    }
    return line;
}

}  // namespace

void WriteBoardFile(const std::filesystem::path& path, std::size_t size)
{
    File file(path);
    std::string chunk;
    std::size_t written = 0;
    bool middle = false;
    file.Write("ACCEL_ASCII \"board.pcb\"\r\n\r\n(asciiHeader\r\n  (asciiVersion 3 0)\r\n)\r\n");
    for (std::size_t n = 0; written < size; ++n) {
        if (!middle && written >= size / 2) {
            chunk += "    (layerContents (layerNumRef 1) (drawPolygons True)\r\n";
            middle = true;
        }
        chunk += BoardLine(n);
        if (chunk.size() >= (1u << 16)) {
            file.Write(chunk);
            written += chunk.size();
            chunk.clear();
        }
    }
    file.Write(chunk + ")\r\n");
    file.Close();
}

void WriteApertureList(const std::filesystem::path& path)
{
    static const char* const kShapes[] = {"ROUND", "RECTANGLE", "OBLONG", "SQUARE"};
    File file(path);
    std::string text;
    for (std::size_t n = 0; n < kApertureLines; ++n) {
        char line[96];
        if (n % 10 == 0)
            std::snprintf(line, sizeof line, "; aperture group %zu\r\n", n / 10);
        else if (n % 10 == 5)
            std::snprintf(line, sizeof line, "D%zu %s %03zu.5\r\n", n + 10, kShapes[n % 4], n % 1000);
        else
            std::snprintf(line, sizeof line, "D%zu %s %03zu.0 %03zu.0 %03zu.0\r\n", n + 10, kShapes[n % 4], n % 1000,
                          (n * 7) % 1000, (n * 3) % 1000);
        text += line;
    }
    file.Write(text);
    file.Close();
}

}  // namespace bench
