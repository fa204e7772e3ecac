#include "win32/win32_platform.hpp"

#include <windows.h>
// After <windows.h>:
#include <shlobj.h>

#include <vector>

#include "util/path.hpp"

namespace kestrune {

std::int16_t Win32KeyState::Query(std::int32_t code) {
    if (code < 0 || code > 255) return 0;
    return static_cast<std::int16_t>(GetAsyncKeyState(code));
}

std::string ProgramFolder() {
    // Long paths can exceed MAX_PATH: grow the buffer until the whole path fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return FolderOfPath(WideToUtf8({buffer.data(), n}));
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFilesX86Folder() {
    // FOLDERID_ProgramFilesX86, spelled out here: the import library that defines it (uuid)
    // would bring every other identifier along.
    static constexpr KNOWNFOLDERID kProgramFilesX86{
        0x7c5a40ef, 0xa0fb, 0x4bfc, {0x87, 0x4a, 0xc0, 0xf2, 0xe0, 0xb9, 0xfa, 0x8e}};
    PWSTR folder = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(kProgramFilesX86, 0, nullptr, &folder))) {
        result = WideToUtf8(folder);
    }
    CoTaskMemFree(folder);
    return result;
}

std::string UserGroupSeparator() {
    wchar_t separator[8] = {};
    const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
    if (n == 0) return ",";  // no locale data: the English separator
    return WideToUtf8({separator, static_cast<std::size_t>(n - 1)});
}

}  // namespace kestrune
