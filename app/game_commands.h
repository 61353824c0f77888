#ifndef TESSALY_APP_GAME_COMMANDS_H
#define TESSALY_APP_GAME_COMMANDS_H

#include <windows.h>

#include "about/about_box.h"
#include "resources/resource_ids.h"

// What the main window does after start-up: menu and accelerator commands,
// the always-on-top item of the system menu, menu check marks, and the board's
// notifications. Together they make the flow of a game (Idle, Playing,
// Solved), which is never stored: it follows from the board's has-game flag,
// the input lock and whether the timer runs.

struct LevelRow {
    UINT command;
    int columns;
    int rows;
};
constexpr LevelRow LevelTable[] = {
    {IDM_LEVEL_1, 4, 4}, {IDM_LEVEL_2, 5, 5},   {IDM_LEVEL_3, 6, 6},
    {IDM_LEVEL_4, 8, 8}, {IDM_LEVEL_5, 16, 16},
};

struct ViewSizeRow {
    UINT command;
    int cellWidth;
    int cellHeight;
};
constexpr ViewSizeRow ViewSizeTable[] = {
    {IDM_SIZE_1, 8, 8},   {IDM_SIZE_2, 16, 16}, {IDM_SIZE_3, 24, 24},
    {IDM_SIZE_4, 32, 32}, {IDM_SIZE_5, 40, 40},
};

// Handlers of the main window's messages; each returns the window procedure's result.
LRESULT GameOnCommand(HWND main, WPARAM wParam, LPARAM lParam);
LRESULT GameOnSysCommand(HWND main, WPARAM wParam, LPARAM lParam);
LRESULT GameOnInitMenuPopup(HWND main, HMENU menu);
LRESULT GameOnNotify(HWND main, WPARAM wParam, LPARAM lParam);

// The record the About command opens the About box with, its resources from `instance`.
AboutBoxInfo GameGetAboutInfo(HINSTANCE instance);

// MessageBoxA with a printf-style text of at most 1023 bytes (longer text is cut).
int MessageBoxPrintf(HWND owner, UINT type, const char* caption, const char* format, ...);

// The win message: two lines, seconds then clicks; a third line with the
// fewest presses that solve the deal (Fewest) or the fewest found (AtMost)
// follows when they are known.
extern const char kWinCaption[];
extern const char kWinFormat[];
extern const char kWinFormatFewest[];
extern const char kWinFormatAtMost[];

#endif
