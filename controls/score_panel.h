#ifndef TESSALY_CONTROLS_SCORE_PANEL_H
#define TESSALY_CONTROLS_SCORE_PANEL_H

#include <windows.h>

#include "engine/grid_point.h"

// The "score" window: a grey strip holding the click counter (child 10) and
// the timer (child 11) with their tooltips, side by side when it is wide
// enough, stacked otherwise. The rest of the game reaches the two displays
// only through these operations.

// Registers "timer", "counter" and "score", in that order; 1 when all three were.
int ScoreRegister(HINSTANCE instance);
HWND ScoreCreate(HWND parent, int id, DWORD style);

// The panel's size for a given available width: 121 x 37 from 121 up, else 66 x 66.
int ScoreGetPreferredSize(HWND panel, GridPoint* size, int availableWidth);

// The operations find the children by id each time. The getters give 0 and
// the others 0 (failure) when a child or its record is missing, else 1.
int ScoreGetClicks(HWND panel);
int ScoreGetSeconds(HWND panel);  // as computed at the timer's last tick
int ScoreStartTimer(HWND panel);
int ScoreStopTimer(HWND panel);
int ScoreAddClick(HWND panel);
int ScoreReset(HWND panel);  // both displays to 0; a running timer keeps running

#endif
