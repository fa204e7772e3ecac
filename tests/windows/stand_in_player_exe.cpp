// A stand-in for a program the shell starts (the player, or a browser for a web address): it
// adds its command line, as a line of UTF-8, to "player-started.txt" in its working folder,
// and ends.
#include <windows.h>

#include <string>

#include "util/wide_text.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const HANDLE file = CreateFileW(L"player-started.txt", FILE_APPEND_DATA, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const std::string line = kestrune::WideToUtf8(GetCommandLineW()) + "\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
