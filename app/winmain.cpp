// The game's entry point: register the classes, create the main window, run
// the message loop with the F5/F2 accelerators until the window is gone.
#include <windows.h>
#include <commctrl.h>

#include "app/main_window.h"
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

    MSG msg;
    msg.wParam = 0;
    // GetMessageA's -1 (an error) must end the loop too, not spin it.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // F5 and F2 work whichever window of the game has the focus.
        if (accelerators && TranslateAcceleratorA(main, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
