#include "win32/win32_platform.hpp"

#include <windows.h>

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

std::string UserGroupSeparator() {
    wchar_t separator[8] = {};
    const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
    if (n == 0) return ",";  // no locale data: the English separator
    return WideToUtf8({separator, static_cast<std::size_t>(n - 1)});
}

}  // namespace kestrune
