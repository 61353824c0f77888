#ifndef TESSALY_TESTS_WINE_ABOUT_DRIVER_H
#define TESSALY_TESTS_WINE_ABOUT_DRIVER_H

// Drives the modal About box in tests: a thread timer, dispatched by the
// dialog's own message loop, runs the test's body once the box is open and
// closes whatever is still open shortly afterwards (end code 99), so the
// modal call returns. What the body posts to the box is handled by the
// dialog's own loop only after the body has returned: a body that pumps
// messages itself dispatches them without the dialog manager's keyboard
// handling. A body
// that gets stuck in a further modal loop is ended by a watchdog.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "about/about_box.h"
#include "app/game_commands.h"
#include "resources/resource_ids.h"
#include "tests/wine/support/wine_test.h"

namespace about_test {

inline BOOL CALLBACK CollectByClass(HWND hwnd, LPARAM lParam)
{
    auto* found = reinterpret_cast<std::pair<const char*, std::vector<HWND>>*>(lParam);
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (strcmp(name, found->first) == 0) found->second.push_back(hwnd);
    return TRUE;
}

inline std::vector<HWND> ThreadWindows(const char* className)
{
    std::pair<const char*, std::vector<HWND>> found{className, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectByClass, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

// The visible dialogs of this thread, the most recently created first.
inline std::vector<HWND> OpenDialogs()
{
    std::vector<HWND> open;
    for (HWND hwnd : ThreadWindows("#32770"))
        if (IsWindowVisible(hwnd)) open.push_back(hwnd);
    return open;
}

// The tooltip windows a dialog owns.
inline std::vector<HWND> OwnedTooltips(HWND dialog)
{
    std::vector<HWND> owned;
    for (HWND hwnd : ThreadWindows("tooltips_class32"))
        if (GetWindow(hwnd, GW_OWNER) == dialog) owned.push_back(hwnd);
    return owned;
}

inline std::string WindowText(HWND hwnd)
{
    char text[512] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

inline std::string ItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

struct Script {
    std::function<void(HWND)> body;
    bool started = false;
    bool finished = false;
    DWORD start = 0;
    DWORD finishedAt = 0;
    UINT_PTR timer = 0;
};
inline Script*& CurrentScript()
{
    static Script* script = nullptr;
    return script;
}

inline VOID CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    Script* script = CurrentScript();
    if (!script) return;
    if (!script->started) {
        const std::vector<HWND> open = OpenDialogs();
        if (open.empty()) return;
        script->started = true;
        // A slower beat from here on: a fast timer would keep the queue from
        // ever looking idle to the pumps in the body.
        KillTimer(nullptr, script->timer);
        script->timer = SetTimer(nullptr, 0, 200, ScriptTick);
        script->body(open.front());
        script->finished = true;
        script->finishedAt = GetTickCount();
    }
    // What the body posted gets a moment in the dialog's own loop first.
    const DWORD now = GetTickCount();
    if ((script->finished && now - script->finishedAt >= 150) || now - script->start > 20000) {
        for (HWND dialog : OpenDialogs()) EndDialog(dialog, 99);
    }
}

// Calls `open` (which shows a modal About box) and runs `body` on the box.
inline void RunWithBox(const std::function<void()>& open, const std::function<void(HWND)>& body)
{
    Script script;
    script.body = body;
    script.start = GetTickCount();
    CurrentScript() = &script;
    script.timer = SetTimer(nullptr, 0, 30, ScriptTick);
    open();
    KillTimer(nullptr, script.timer);
    CurrentScript() = nullptr;
    EXPECT_TRUE(script.started) << "the About box never opened";
    wt::PumpMessages();
}

// AboutBoxShow over `owner`, with `body` run on the open box.
inline void ShowWithBox(HWND owner, const AboutBoxInfo& info, const std::function<void(HWND)>& body)
{
    RunWithBox([&] { EXPECT_EQ(1, AboutBoxShow(owner, &info)); }, body);
}

// The dialog's end code, which AboutBoxShow does not pass on: the record is
// made the module's current one by a first AboutBoxShow, then the dialog
// procedure runs under DialogBoxParamA directly.
inline INT_PTR EndCode(HWND owner, const AboutBoxInfo& info, const std::function<void(HWND)>& body)
{
    ShowWithBox(owner, info, [](HWND) {});
    INT_PTR code = -1;
    RunWithBox(
        [&] {
            code = DialogBoxParamA(info.instance, info.templateId, owner, AboutBoxDlgProc,
                                   reinterpret_cast<LPARAM>(&info));
        },
        body);
    return code;
}

// The folder of this test program, with a trailing backslash.
inline std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

inline std::string Fixture(const char* name)
{
    return ProgramFolder() + "about_fixtures\\" + name;
}

// The system folder as this program sees it (a 32-bit program's, whatever the
// prefix), with a trailing backslash: the one place the game loads the meter from.
inline std::string SystemFolder()
{
    char path[MAX_PATH] = "";
    GetSystemDirectoryA(path, sizeof path);
    return std::string(path) + "\\";
}

// A fixture DLL copied into `folder` as rsrc32.dll for the life of the object.
struct PlacedMeter {
    std::string path;
    PlacedMeter(const char* fixture, const std::string& folder) : path(folder + "rsrc32.dll")
    {
        EXPECT_TRUE(CopyFileA(Fixture(fixture).c_str(), path.c_str(), FALSE)) << path;
    }
    ~PlacedMeter() { EXPECT_TRUE(DeleteFileA(path.c_str())) << path; }
};

}  // namespace about_test

#endif
