// The game's entry point: register the classes, create the main window, run
// the message loop with the F5/F2 accelerators until the window is gone.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/main_window.h"
#include "app/message_loop.h"
#include "resources/resource_ids.h"

namespace {

int RunGame(HINSTANCE instance)
{
    MainWndRegisterClasses(instance);
    HWND main = MainWndCreate(instance);
    if (!main) return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCEL));
    return RunMessageLoop(main, accelerators);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The score panel's and the About box's tooltips need the common
    // controls' "tooltips_class32" registered before they are created.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    // SHGetFileInfoA (every class's icons) and ShellExecuteA (the support
    // page) are documented to need COM on the calling thread: one apartment
    // for the game's one thread, left once every window is gone. Without it
    // the game still runs, as it did before.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const int code = RunGame(instance);
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
