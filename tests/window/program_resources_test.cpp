// Tests, on Windows, that corvane.exe carries its icon and its version information, as Windows reads them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace {

const std::wstring program = [] {
    const std::string path = CORVANE_PROGRAM;
    return std::wstring(path.begin(), path.end());
}();

struct Module {
    HMODULE handle = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ~Module()
    {
        if (handle != nullptr)
            FreeLibrary(handle);
    }
};

// An icon group's entry as it is stored in the program (GRPICONDIRENTRY), packed as Windows packs it.
#pragma pack(push, 2)
struct GroupEntry {
    std::uint8_t width, height, colours, reserved;
    std::uint16_t planes, bitsPerPixel;
    std::uint32_t bytes;
    std::uint16_t id;
};
struct GroupHeader {
    std::uint16_t reserved, type, count;
};
#pragma pack(pop)

TEST(ProgramResources, IconOneHoldsItsThreeImagesInOrder)
{
    const Module module;
    ASSERT_NE(module.handle, nullptr) << "cannot load " << CORVANE_PROGRAM;
    const HRSRC group = FindResourceW(module.handle, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));
    ASSERT_NE(group, nullptr) << "no icon group 1";
    const auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(module.handle, group)));
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(header->count, 3);
    const auto* entries = reinterpret_cast<const GroupEntry*>(header + 1);
    const struct {
        std::uint16_t id;
        std::uint8_t size;
        std::uint16_t bitsPerPixel;
    } expected[] = {{30001, 32, 1}, {30002, 32, 4}, {30003, 16, 4}};
    for (int image = 0; image < 3; ++image) {
        SCOPED_TRACE("image " + std::to_string(image + 1));
        EXPECT_EQ(entries[image].id, expected[image].id);
        EXPECT_EQ(entries[image].width, expected[image].size);
        EXPECT_EQ(entries[image].height, expected[image].size);
        EXPECT_EQ(entries[image].bitsPerPixel, expected[image].bitsPerPixel);
        EXPECT_NE(FindResourceW(module.handle, MAKEINTRESOURCEW(expected[image].id), MAKEINTRESOURCEW(3)), nullptr);
    }
}

TEST(ProgramResources, VersionIsOnePointNoughtInUsEnglish)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version information in " << CORVANE_PROGRAM;
    std::vector<std::byte> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(
        VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u) << "one entry";
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
        wchar_t* value = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length));
        EXPECT_EQ(std::wstring(value), L"1.00");
    }
}

}  // namespace
