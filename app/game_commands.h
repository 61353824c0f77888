#ifndef TESSALY_APP_GAME_COMMANDS_H
#define TESSALY_APP_GAME_COMMANDS_H

#include <windows.h>

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
    {40010, 4, 4}, {40011, 5, 5}, {40012, 6, 6}, {40013, 8, 8}, {40014, 16, 16},
};

struct ViewSizeRow {
    UINT command;
    int cellWidth;
    int cellHeight;
};
constexpr ViewSizeRow ViewSizeTable[] = {
    {40020, 8, 8}, {40021, 16, 16}, {40022, 24, 24}, {40023, 32, 32}, {40024, 40, 40},
};

// Handlers of the main window's messages; each returns the window procedure's result.
LRESULT GameOnCommand(HWND main, WPARAM wParam, LPARAM lParam);
LRESULT GameOnSysCommand(HWND main, WPARAM wParam, LPARAM lParam);
LRESULT GameOnInitMenuPopup(HWND main, HMENU menu);
LRESULT GameOnNotify(HWND main, WPARAM wParam, LPARAM lParam);

// Saves always-on-top, the grid and the cell size as they are now; 0, and
// nothing written, while saves are held off or the board cannot tell its sizes.
int SaveCurrentSettings(HWND main);
// Holds saves off (on != 0) or lets them through again (a property of the
// main window, removed at its destruction).
void HoldSettingsSaves(HWND main, int on);
// After a start-up that could not read the settings file (on != 0): saves go
// through again, but write nothing until the file can be read, and then
// keep its stored values but for those the player has changed in this run.
// On = 0 ends it (at the main window's destruction).
void KeepStoredSettings(HWND main, int on);

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
