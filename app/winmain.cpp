// The game's entry point: register the classes, create the main window, run
// the message loop with the F5/F2 accelerators until the window is gone.
#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"
#include "app/message_loop.h"
#include "resources/resource_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The score panel's and the About box's tooltips need the common
    // controls' "tooltips_class32" registered before they are created.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    MainWndRegisterClasses(instance);
    HWND main = MainWndCreate(instance);
    if (!main) return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCEL));

    return RunMessageLoop(main, accelerators);
}
