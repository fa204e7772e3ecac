// The resources built into kestrune.exe: exactly one application manifest with the settings the
// program relies on, the 16x16 program icon and the version record; and the headers that keep
// DLLs in the program's folder out of it. The program file is read as data from the folder this
// test runs in; it is never started.
#include <gtest/gtest.h>
#include <windows.h>
#include <winver.h>
// After <windows.h>:
#include <imagehlp.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "program.hpp"
#include "res/resource.h"

namespace kestrune {
namespace {

// The program file mapped as data only: its resources can be read, its code never runs.
class ProgramImage {
  public:
    ProgramImage()
        : path_(testing::BesideTheTests(L"kestrune.exe")),
          module_(::LoadLibraryExW(path_.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ProgramImage() {
        if (module_ != nullptr) ::FreeLibrary(module_);
    }
    ProgramImage(const ProgramImage&) = delete;
    ProgramImage& operator=(const ProgramImage&) = delete;

    const std::wstring& path() const { return path_; }
    HMODULE module() const { return module_; }

    // A copy of one resource's bytes; empty when there is no such resource.
    std::vector<std::uint8_t> Resource(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = ::FindResourceW(module_, name, type);
        if (found == nullptr) return {};
        HGLOBAL loaded = ::LoadResource(module_, found);
        const auto* data = static_cast<const std::uint8_t*>(::LockResource(loaded));
        if (data == nullptr) return {};
        return std::vector<std::uint8_t>(data, data + ::SizeofResource(module_, found));
    }

  private:
    std::wstring path_;
    HMODULE module_;
};

// A resource name as EnumResourceNames reports it: a number or a string.
struct ResourceName {
    WORD id = 0;
    std::wstring text;
    LPCWSTR get() const { return text.empty() ? MAKEINTRESOURCEW(id) : text.c_str(); }
};

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    ResourceName entry;
    if (IS_INTRESOURCE(name)) {
        entry.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    } else {
        entry.text = name;
    }
    reinterpret_cast<std::vector<ResourceName>*>(names)->push_back(entry);
    return TRUE;
}

BOOL CALLBACK CountLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

template <typename T>
T ReadAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// The program file's bytes, read as a PE image: its headers, and the bytes at an address the
// image gives (an RVA), found through the section that holds it.
class ProgramFile {
  public:
    explicit ProgramFile(const std::wstring& path) {
        const std::string bytes = testing::FileBytes(path);
        bytes_.assign(bytes.begin(), bytes.end());
        const auto dos = ReadAt<IMAGE_DOS_HEADER>(bytes_, 0);
        nt_ = ReadAt<IMAGE_NT_HEADERS64>(bytes_, dos.e_lfanew);
        sections_ = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                    nt_.FileHeader.SizeOfOptionalHeader;
    }
    bool IsPe64() const {
        return nt_.Signature == IMAGE_NT_SIGNATURE &&
               nt_.OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    }
    IMAGE_DATA_DIRECTORY Directory(int index) const {
        return nt_.OptionalHeader.DataDirectory[index];
    }
    // The file offset of `rva`; 0 when no section holds it.
    std::size_t Offset(DWORD rva) const {
        for (int i = 0; i < nt_.FileHeader.NumberOfSections; ++i) {
            const auto section =
                ReadAt<IMAGE_SECTION_HEADER>(bytes_, sections_ + i * sizeof(IMAGE_SECTION_HEADER));
            if (rva >= section.VirtualAddress &&
                rva < section.VirtualAddress + section.SizeOfRawData) {
                return section.PointerToRawData + (rva - section.VirtualAddress);
            }
        }
        return 0;
    }
    template <typename T>
    T At(DWORD rva) const {
        return ReadAt<T>(bytes_, Offset(rva));
    }
    std::string TextAt(DWORD rva) const {
        const std::size_t offset = Offset(rva);
        std::string text;
        for (std::size_t i = offset; offset != 0 && i < bytes_.size() && bytes_[i] != 0; ++i) {
            text += static_cast<char>(bytes_[i]);
        }
        return text;
    }
    // The names the image imports from `dll` (compared without regard to case).
    std::vector<std::string> ImportsFrom(const std::string& dll) const {
        std::vector<std::string> names;
        const DWORD table = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress;
        for (DWORD at = table; table != 0; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto import = At<IMAGE_IMPORT_DESCRIPTOR>(at);
            if (import.Name == 0) break;
            if (lstrcmpiA(TextAt(import.Name).c_str(), dll.c_str()) != 0) continue;
            const DWORD thunks =
                import.OriginalFirstThunk ? import.OriginalFirstThunk : import.FirstThunk;
            for (DWORD thunk = thunks;; thunk += sizeof(ULONGLONG)) {
                const auto entry = At<ULONGLONG>(thunk);
                if (entry == 0) break;
                if (IMAGE_SNAP_BY_ORDINAL64(entry)) continue;
                // IMAGE_IMPORT_BY_NAME: a 2-byte hint, then the name.
                names.push_back(TextAt(static_cast<DWORD>(entry) + 2));
            }
        }
        return names;
    }

  private:
    std::vector<std::uint8_t> bytes_;
    IMAGE_NT_HEADERS64 nt_{};
    std::size_t sections_ = 0;
};

// Passes when `text` contains `part`; the failure message names what is missing.
::testing::AssertionResult Contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "missing " << part << " in:\n" << text;
}

std::string VersionText(DWORD most, DWORD least) {
    return std::to_string(HIWORD(most)) + "." + std::to_string(LOWORD(most)) + "." +
           std::to_string(HIWORD(least)) + "." + std::to_string(LOWORD(least));
}

TEST(Resources, OneManifestAsksForCommonControlsAndPerMonitorDpi) {
    ProgramImage program;
    ASSERT_NE(program.module(), nullptr) << "cannot open " << WideToUtf8(program.path());

    // Every manifest in the file, whatever its name and language: the loader must not be left
    // to choose between ours and one the toolchain brought along.
    std::vector<ResourceName> names;
    ::EnumResourceNamesW(program.module(), RT_MANIFEST, CollectName,
                         reinterpret_cast<LONG_PTR>(&names));
    int manifests = 0;
    for (const ResourceName& name : names) {
        ::EnumResourceLanguagesW(program.module(), RT_MANIFEST, name.get(), CountLanguage,
                                 reinterpret_cast<LONG_PTR>(&manifests));
    }
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].text.empty());
    EXPECT_EQ(names[0].id, 1) << "a program's manifest must have the id 1";
    EXPECT_EQ(manifests, 1);

    std::vector<std::uint8_t> bytes =
        program.Resource(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    std::string manifest(bytes.begin(), bytes.end());
    ASSERT_FALSE(manifest.empty());

    std::size_t begin = manifest.find("<dependentAssembly>");
    std::size_t end = manifest.find("</dependentAssembly>");
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    std::string dependency = manifest.substr(begin, end - begin);
    EXPECT_TRUE(Contains(dependency, "name=\"Microsoft.Windows.Common-Controls\""));
    EXPECT_TRUE(Contains(dependency, "version=\"6.0.0.0\""));
    EXPECT_TRUE(Contains(dependency, "publicKeyToken=\"6595b64144ccf1df\""));

    EXPECT_TRUE(Contains(manifest, "level=\"asInvoker\""));
    EXPECT_TRUE(Contains(manifest, ">true/pm</dpiAware>"));
    EXPECT_TRUE(Contains(manifest, "PerMonitorV2"));
}

TEST(Resources, IconHoldsEverySizeAndStaysSmall) {
    ProgramImage program;
    ASSERT_NE(program.module(), nullptr) << "cannot open " << WideToUtf8(program.path());

    // GRPICONDIR: reserved, type (1 for icons), count; then 14-byte GRPICONDIRENTRY records.
    std::vector<std::uint8_t> group =
        program.Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_KESTRUNE));
    ASSERT_GE(group.size(), 6u);
    EXPECT_EQ(ReadAt<WORD>(group, 2), 1);
    // The 16x16 256-colour image, then 20, 24, 32 and 48 pixels in 32-bit colour and 256
    // pixels (width byte 0) stored as PNG.
    const std::vector<int> sizes{16, 20, 24, 32, 48, 256};
    ASSERT_EQ(ReadAt<WORD>(group, 4), sizes.size());
    ASSERT_EQ(group.size(), 6u + 14u * sizes.size());
    std::size_t total = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        SCOPED_TRACE(sizes[i]);
        const std::size_t entry = 6 + 14 * i;
        EXPECT_EQ(ReadAt<BYTE>(group, entry), sizes[i] % 256);      // width
        EXPECT_EQ(ReadAt<BYTE>(group, entry + 1), sizes[i] % 256);  // height
        EXPECT_EQ(ReadAt<BYTE>(group, entry + 2), 0);  // colour count: 0 for 256 or more
        EXPECT_EQ(ReadAt<WORD>(group, entry + 4), 1);  // planes
        EXPECT_EQ(ReadAt<WORD>(group, entry + 6), i == 0 ? 8 : 32);  // bits per pixel
        const DWORD image_size = ReadAt<DWORD>(group, entry + 8);
        const WORD image_id = ReadAt<WORD>(group, entry + 12);
        std::vector<std::uint8_t> image = program.Resource(RT_ICON, MAKEINTRESOURCEW(image_id));
        ASSERT_EQ(image.size(), image_size);
        total += image.size();
        if (sizes[i] == 256) {
            ASSERT_GE(image.size(), 8u);
            EXPECT_EQ(std::string(image.begin() + 1, image.begin() + 4), "PNG");
        } else if (i == 0) {
            // Header, 256-entry palette, one byte per pixel, then the 1-bit mask (rows of 4
            // bytes).
            EXPECT_EQ(image.size(), sizeof(BITMAPINFOHEADER) + 256 * 4 + 16 * 16 + 16 * 4);
            BITMAPINFOHEADER header = ReadAt<BITMAPINFOHEADER>(image, 0);
            EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
            EXPECT_EQ(header.biWidth, 16);
            EXPECT_EQ(header.biHeight, 32);  // the colour bitmap and the mask together
            EXPECT_EQ(header.biPlanes, 1);
            EXPECT_EQ(header.biBitCount, 8);
            EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
        } else {
            BITMAPINFOHEADER header = ReadAt<BITMAPINFOHEADER>(image, 0);
            EXPECT_EQ(header.biWidth, sizes[i]);
            EXPECT_EQ(header.biHeight, 2 * sizes[i]);
            EXPECT_EQ(header.biBitCount, 32);
        }

        HANDLE icon = ::LoadImageW(program.module(), MAKEINTRESOURCEW(IDI_KESTRUNE), IMAGE_ICON,
                                   sizes[i], sizes[i], 0);
        ASSERT_NE(icon, nullptr) << "LoadImageW failed with error " << ::GetLastError();
        ::DestroyIcon(static_cast<HICON>(icon));
    }
    EXPECT_LT(total, 40u * 1024) << "the icon stays small beside the program";
}

TEST(Resources, VersionRecordNamesTheProgramAndItsVersion) {
    const std::wstring path = testing::BesideTheTests(L"kestrune.exe");
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version record in " << WideToUtf8(path) << ", error "
                        << ::GetLastError();
    std::vector<std::uint8_t> record(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, record.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof(fixed));
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    // KESTRUNE_VERSION: the version project() sets in CMakeLists.txt.
    EXPECT_EQ(VersionText(fixed.dwFileVersionMS, fixed.dwFileVersionLS), KESTRUNE_VERSION);
    EXPECT_EQ(VersionText(fixed.dwProductVersionMS, fixed.dwProductVersionLS), KESTRUNE_VERSION);
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));

    // The strings are looked up through the record's own translation: US English, UTF-16.
    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 2 * sizeof(WORD));
    WORD translation[2];
    std::memcpy(translation, value, sizeof(translation));
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
    wchar_t block[64];
    ::wsprintfW(block, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);

    auto text = [&](const wchar_t* key) -> std::wstring {
        void* found = nullptr;
        UINT characters = 0;
        std::wstring query = std::wstring(block) + key;
        if (!::VerQueryValueW(record.data(), query.c_str(), &found, &characters) ||
            found == nullptr) {
            return L"(missing)";
        }
        std::wstring result(static_cast<const wchar_t*>(found), characters);
        while (!result.empty() && result.back() == L'\0') result.pop_back();
        return result;
    };
    EXPECT_EQ(text(L"CompanyName"), L"Brindle");
    EXPECT_EQ(text(L"FileDescription"), L"Controls winamp with keyboard");
    EXPECT_EQ(text(L"ProductName"), L"Kestrune");
    EXPECT_EQ(WideToUtf8(text(L"FileVersion")), KESTRUNE_VERSION);
    EXPECT_EQ(WideToUtf8(text(L"ProductVersion")), KESTRUNE_VERSION);
    EXPECT_EQ(text(L"OriginalFilename"), L"kestrune.exe");
}

// A DLL that somebody put beside the program (in Downloads, say) never runs inside it: the
// dependents of its imports, and everything it loads later, come from System32 only.
TEST(Resources, DllsAreLookedForInSystem32Only) {
    const std::wstring path = testing::BesideTheTests(L"kestrune.exe");
    const ProgramFile program(path);
    ASSERT_TRUE(program.IsPe64()) << WideToUtf8(path);

    const IMAGE_DATA_DIRECTORY directory = program.Directory(IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG);
    ASSERT_NE(directory.VirtualAddress, 0u) << "no load-config directory";
    ASSERT_NE(program.Offset(directory.VirtualAddress), 0u);
    // The structure's first field gives its size, which the directory repeats; the 16-bit
    // DependentLoadFlags follows CSDVersion at offset 78.
    const auto size = program.At<DWORD>(directory.VirtualAddress);
    EXPECT_EQ(directory.Size, size);
    ASSERT_GE(size, 80u);
    EXPECT_EQ(program.At<WORD>(directory.VirtualAddress + 78), LOAD_LIBRARY_SEARCH_SYSTEM32);

    const std::vector<std::string> imports = program.ImportsFrom("kernel32.dll");
    EXPECT_NE(std::find(imports.begin(), imports.end(), "SetDefaultDllDirectories"), imports.end());

    // The header's checksum still matches the file after the directory was filled in.
    DWORD stored = 0;
    DWORD computed = 0;
    ASSERT_EQ(::MapFileAndCheckSumW(path.c_str(), &stored, &computed), CHECKSUM_SUCCESS);
    EXPECT_EQ(stored, computed);
}

}  // namespace
}  // namespace kestrune
