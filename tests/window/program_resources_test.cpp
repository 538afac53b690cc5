// Tests, on Windows, that corvane.exe carries its icon, its version information and its manifest, as
// Windows reads them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <iterator>
#include <string>
#include <string_view>
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

    // The bytes of resource `id` of `type`; empty where the program has none.
    std::string_view resource(WORD id, WORD type) const
    {
        const HRSRC found = FindResourceW(handle, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
        const void* bytes = found ? LockResource(LoadResource(handle, found)) : nullptr;
        return bytes ? std::string_view(static_cast<const char*>(bytes), SizeofResource(handle, found))
                     : std::string_view();
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
    const std::string_view group = module.resource(1, 14);
    ASSERT_GE(group.size(), sizeof(GroupHeader)) << "no icon group 1";
    const auto* header = reinterpret_cast<const GroupHeader*>(group.data());
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
        EXPECT_FALSE(module.resource(expected[image].id, 3).empty());
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

// The manifest as Windows takes it when it starts the program: the settings through an activation
// context made from the program's manifest resource, which also shows that Windows can parse it.
class Manifest : public testing::Test {
protected:
    void SetUp() override
    {
        ACTCTXW description{};
        description.cbSize = sizeof description;
        description.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        description.lpSource = program.c_str();
        description.lpResourceName = MAKEINTRESOURCEW(1);
        context = CreateActCtxW(&description);
        ASSERT_NE(context, INVALID_HANDLE_VALUE)
            << "Windows can't read manifest 1 of " << CORVANE_PROGRAM << ", error " << GetLastError();
    }

    void TearDown() override
    {
        if (context != INVALID_HANDLE_VALUE)
            ReleaseActCtx(context);
    }

    // A setting of the manifest's windowsSettings, or "(none)".
    std::wstring setting(const wchar_t* space, const wchar_t* name) const
    {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        if (!QueryActCtxSettingsW(0, context, space, name, value, std::size(value), &written))
            return L"(none)";
        return value;
    }

    HANDLE context = INVALID_HANDLE_VALUE;
};

TEST(ProgramResources, ManifestOneIsTheProgramsManifestForWindowsTenAndEleven)
{
    const Module module;
    ASSERT_NE(module.handle, nullptr) << "cannot load " << CORVANE_PROGRAM;
    const std::string manifest(module.resource(1, 24));
    ASSERT_FALSE(manifest.empty()) << "no manifest 1 (the one Windows reads when it starts a program)";
    // Windows 10 and 11 share one identifier; without it they run the program as one of Vista's.
    EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"), std::string::npos)
        << manifest;
}

TEST_F(Manifest, AsksForNoMoreRightsThanItsCallersLongPathsAndQtsDpiAwareness)
{
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    SIZE_T written = 0;
    ASSERT_TRUE(
        QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof level, &written))
        << GetLastError();
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(level.UiAccess, 0u);

    const wchar_t* const settings2016 = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    const wchar_t* const settings2005 = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
    const struct {
        const wchar_t* space;
        const wchar_t* name;
        const wchar_t* value;
    } cases[] = {
        {settings2016, L"longPathAware", L"true"},
        // What Qt asks for itself, so that nothing scales the window twice.
        {settings2016, L"dpiAwareness", L"PerMonitorV2"},
        {settings2005, L"dpiAware", L"true/pm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + std::wcslen(c.name)));
        EXPECT_EQ(setting(c.space, c.name), c.value);
    }
}

}  // namespace
