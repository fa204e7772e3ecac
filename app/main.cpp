// Kestrune's entry point: the splash starts everything and hands over to the main window,
// whose unload ends the program.
#include <objbase.h>
#include <windows.h>

#include "app/form.hpp"
#include "app/frm_splash.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The shell's open action may use COM components.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    kestrune::frmSplash.Load();
    return kestrune::RunMessageLoop();
}
