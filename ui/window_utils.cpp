#include "ui/window_utils.hpp"

#include <shellapi.h>

#include "util/wide_text.hpp"
#include "win32/win32_platform.hpp"

namespace kestrune {

void SetTopmost(HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void ClearTopmost(HWND window) {
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void AddDropShadow(HWND window) {
    const ULONG_PTR style = GetClassLongPtrW(window, GCL_STYLE);
    SetClassLongPtrW(window, GCL_STYLE, static_cast<LONG_PTR>(style | CS_DROPSHADOW));
}

void ShellOpen(std::string_view target) {
    const std::wstring file = Utf8ToWide(target);
    if (file.empty()) return;
    const std::wstring folder = Utf8ToWide(ProgramFolder());
    ShellExecuteW(nullptr, L"open", file.c_str(), L"", folder.empty() ? nullptr : folder.c_str(),
                  SW_SHOWNORMAL);
}

}  // namespace kestrune
