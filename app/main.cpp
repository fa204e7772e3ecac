// Kestrune's entry point: the splash starts everything and hands over to the main window,
// whose unload ends the program. A second start for the same settings file only brings the
// running copy to the screen.
#include <objbase.h>
#include <windows.h>

#include <string>

#include "app/forms.hpp"
#include "app/single_instance.hpp"
#include "hotkeys/messages.hpp"
#include "settings/settings.hpp"
#include "ui/form.hpp"
#include "util/wide_text.hpp"
#include "win32/message_loop.hpp"
#include "win32/win32_platform.hpp"

namespace {

// The start failed before the program had a window: say so, since nothing else will.
int ReportFailedStart(DWORD error) {
    std::string reason;
    wchar_t* system_text = nullptr;
    if (error != 0 &&
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&system_text), 0, nullptr) &&
        system_text) {
        reason = kestrune::WideToUtf8(system_text);
        LocalFree(system_text);
    }
    MessageBoxW(nullptr, kestrune::Utf8ToWide(kestrune::FailedStartMessage(reason)).c_str(),
                kestrune::kProgramName, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything can load a DLL: DLLs come from System32 only, never from the program's
    // folder (often Downloads, where anybody may have put a DLL of a system DLL's name).
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const std::string& settings = kestrune::ProgramSettingsFile();
    const kestrune::Claim claim = kestrune::ClaimSettingsFile(settings);
    if (claim != kestrune::Claim::kOurs) {
        if (claim == kestrune::Claim::kHeldByAdministrator)
            kestrune::ReportRunningAsAdministrator();
        kestrune::ShowRunningCopy(settings);
        return 0;
    }
    // What earlier runs left beside the file goes, when no copy in any session runs on it:
    // none can be in the middle of a save then.
    if (kestrune::ClaimSettingsFileInEverySession(settings)) {
        kestrune::RemoveLeftoverFiles(settings);
    }
    // The shell's open action may use COM components.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    kestrune::StartSplash();
    if (!kestrune::IsMainWindowLoaded()) {
        return ReportFailedStart(kestrune::LastCreationError());
    }
    return kestrune::RunMessageLoop();
}
