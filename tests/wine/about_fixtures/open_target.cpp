// What the About box tests give the shell to open instead of a web page: it
// leaves a mark beside itself (its own path + ".opened") and ends.
#include <windows.h>

#include <cstdio>

int main()
{
    char path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    lstrcatA(path, ".opened");
    FILE* mark = fopen(path, "w");
    if (!mark) return 1;
    // How it was told to show its window: the shell passes on what the game asked.
    STARTUPINFOA start;
    GetStartupInfoA(&start);
    fprintf(mark, "shown %d\n", start.dwFlags & STARTF_USESHOWWINDOW ? start.wShowWindow : -1);
    fclose(mark);
    return 0;
}
