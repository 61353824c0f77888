// A look at the running game from another Windows process, for the
// end-to-end scripts: where its windows are and what its dialogs say.
//   probe geometry   lines "NAME left top right bottom" in screen coordinates
//                    (window, client, score, counter, timer, board) and "topmost N"
//   probe dialog     the game's open dialog: "caption HEX", then one line
//                    "control ID CLASS HEX LEFT TOP RIGHT BOTTOM" per child (HEX:
//                    the ANSI text's bytes; the rectangle in screen coordinates)
//   probe games      "games N": how many game windows are open
//   probe boards     "board HEIGHT", the board control's height, per open game
//   probe sizes N    gives every open game N view-size commands at once (one
//                    thread each, every command sent and finished before the
//                    next), the last one "medium"; prints "games N"
//   probe flood N    the same with N view-size, level and always-on-top
//                    commands in turn, small levels only; prints "games N"
//   probe hold PATH  takes the lock the games take on the settings file PATH
//                    (as they spell it: lower-cased), prints "held" and keeps
//                    it until its input ends
//   probe command ID sends the game the command ID; prints "ms N", how long
//                    the game took
// Exit code 1 when the window or dialog is not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kBoardId = 10;
constexpr int kScoreId = 11;
constexpr int kCounterId = 10;
constexpr int kTimerId = 11;

void PrintRect(const char* name, RECT r)
{
    printf("%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
}

RECT ScreenClient(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void PrintHex(const char* text)
{
    if (!*text) printf("-");
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        printf("%02x", *p);
}

HWND g_game = nullptr;
HWND g_dialog = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM)
{
    char cls[64];
    GetClassNameA(window, cls, sizeof cls);
    DWORD gameProcess = 0, process = 0;
    GetWindowThreadProcessId(g_game, &gameProcess);
    GetWindowThreadProcessId(window, &process);
    if (process == gameProcess && strcmp(cls, "#32770") == 0 && IsWindowVisible(window)) {
        g_dialog = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK PrintControl(HWND child, LPARAM)
{
    char cls[64], text[1024];
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    printf("control %d %s ", GetDlgCtrlID(child), cls);
    PrintHex(text);
    RECT r;
    GetWindowRect(child, &r);
    printf(" %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return TRUE;
}

constexpr UINT kFirstViewSize = 40020;  // tiny; the five sizes follow
constexpr UINT kMediumViewSize = 40022;
constexpr UINT kFirstLevel = 40010;  // 4 x 4; 5 x 5 and 6 x 6 follow
constexpr UINT kTopmost = 40025;

struct Games {
    HWND windows[16];
    int count;
};

BOOL CALLBACK CollectGame(HWND window, LPARAM context)
{
    auto* games = reinterpret_cast<Games*>(context);
    char cls[64];
    GetClassNameA(window, cls, sizeof cls);
    if (strcmp(cls, "knaplet") == 0 && games->count < 16) games->windows[games->count++] = window;
    return TRUE;
}

Games FindGames()
{
    Games games = {{}, 0};
    EnumWindows(CollectGame, reinterpret_cast<LPARAM>(&games));
    return games;
}

struct SizeRun {
    HWND game;
    int commands;
    bool mixed;
};

UINT Command(const SizeRun& run, int i)
{
    if (!run.mixed) return i + 1 == run.commands ? kMediumViewSize : kFirstViewSize + i % 5;
    switch (i % 3) {
    case 0: return kFirstViewSize + (i / 3) % 5;
    case 1: return kFirstLevel + (i / 3) % 3;
    default: return kTopmost;
    }
}

DWORD WINAPI SendViewSizes(void* context)
{
    const auto* run = static_cast<const SizeRun*>(context);
    for (int i = 0; i < run->commands; ++i) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(run->game, WM_COMMAND, Command(*run, i), 0, SMTO_NORMAL, 10000,
                                 &result))
            break;  // the game has gone
    }
    return 0;
}

int SendViewSizesToAll(int commands, bool mixed)
{
    const Games games = FindGames();
    SizeRun runs[16];
    HANDLE threads[16];
    for (int i = 0; i < games.count; ++i) {
        runs[i] = {games.windows[i], commands, mixed};
        threads[i] = CreateThread(nullptr, 0, SendViewSizes, &runs[i], 0, nullptr);
    }
    for (int i = 0; i < games.count; ++i) {
        if (!threads[i]) continue;
        WaitForSingleObject(threads[i], INFINITE);
        CloseHandle(threads[i]);
    }
    printf("games %d\n", games.count);
    return 0;
}

// The name the games give the lock on one settings file: a hash of its path.
int HoldSettingsLock(const char* path)
{
    unsigned long long hash = 14695981039346656037ull;  // FNV-1a, 64 bits
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p; ++p)
        hash = (hash ^ *p) * 1099511628211ull;
    char name[64];
    snprintf(name, sizeof name, "Tessaly.settings.%016llx", hash);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (!mutex || WaitForSingleObject(mutex, 10000) != WAIT_OBJECT_0) return 1;
    printf("held\n");
    fflush(stdout);
    while (getchar() != EOF) {}
    ReleaseMutex(mutex);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    if (strcmp(argv[1], "games") == 0) {
        printf("games %d\n", FindGames().count);
        return 0;
    }
    if (strcmp(argv[1], "sizes") == 0 && argc >= 3) return SendViewSizesToAll(atoi(argv[2]), false);
    if (strcmp(argv[1], "flood") == 0 && argc >= 3) return SendViewSizesToAll(atoi(argv[2]), true);
    if (strcmp(argv[1], "boards") == 0) {
        const Games games = FindGames();
        for (int i = 0; i < games.count; ++i) {
            RECT r;
            GetClientRect(GetDlgItem(games.windows[i], kBoardId), &r);
            printf("board %ld\n", r.bottom - r.top);
        }
        return 0;
    }
    if (strcmp(argv[1], "hold") == 0 && argc >= 3) return HoldSettingsLock(argv[2]);
    g_game = FindWindowA("knaplet", "Tessaly");
    if (!g_game) return 1;
    if (strcmp(argv[1], "command") == 0 && argc >= 3) {
        DWORD_PTR result = 0;
        const DWORD start = GetTickCount();
        if (!SendMessageTimeoutA(g_game, WM_COMMAND, atoi(argv[2]), 0, SMTO_NORMAL, 20000, &result))
            return 1;
        printf("ms %lu\n", GetTickCount() - start);
        return 0;
    }
    if (strcmp(argv[1], "geometry") == 0) {
        RECT r;
        GetWindowRect(g_game, &r);
        PrintRect("window", r);
        PrintRect("client", ScreenClient(g_game));
        HWND score = GetDlgItem(g_game, kScoreId);
        PrintRect("score", ScreenClient(score));
        PrintRect("counter", ScreenClient(GetDlgItem(score, kCounterId)));
        PrintRect("timer", ScreenClient(GetDlgItem(score, kTimerId)));
        PrintRect("board", ScreenClient(GetDlgItem(g_game, kBoardId)));
        printf("topmost %d\n", (GetWindowLongA(g_game, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
        return 0;
    }
    if (strcmp(argv[1], "dialog") == 0) {
        EnumWindows(FindDialog, 0);
        if (!g_dialog) return 1;
        char caption[1024];
        GetWindowTextA(g_dialog, caption, sizeof caption);
        printf("caption ");
        PrintHex(caption);
        printf("\n");
        EnumChildWindows(g_dialog, PrintControl, 0);
        return 0;
    }
    return 2;
}
