#include "app/message_loop.h"

int RunMessageLoop(HWND main, HACCEL accelerators, GetMessageFn getMessage)
{
    MSG msg;
    msg.wParam = 0;
    BOOL got;
    // -1 is an error: it ends the loop too, rather than spinning it, and
    // the last message's wParam is no exit code then.
    while ((got = getMessage(&msg, nullptr, 0, 0)) > 0) {
        if (accelerators && TranslateAcceleratorA(main, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 0;
}
