// The main of every Wine test program: registers the common controls (the
// game's start-up does the same for its tooltips) and runs GoogleTest.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// A fault in the program's own code (the game's code is linked in) ends the
// run at once: Windows and Wine swallow faults inside window procedures, and
// a paint that died half-way would go unseen.
LONG CALLBACK EndOnOwnFault(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    HMODULE module = nullptr;
    if ((record->ExceptionCode & 0xF0000000) == 0xC0000000 &&
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(record->ExceptionAddress), &module) &&
        module == GetModuleHandleA(nullptr)) {
        fprintf(stderr, "exception %08lx at %p in the program's own code\n", record->ExceptionCode,
                record->ExceptionAddress);
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main(int argc, char** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    AddVectoredExceptionHandler(1, EndOnOwnFault);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
