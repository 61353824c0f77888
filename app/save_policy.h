#ifndef TESSALY_APP_SAVE_POLICY_H
#define TESSALY_APP_SAVE_POLICY_H

#include <windows.h>

#include "app/settings.h"

// When the main window saves the settings, and what: one record, made at the
// main window's creation and freed at its destruction. Saves are held while
// start-up applies the stored choices (the board's notifications would save
// its own first grid meanwhile). After a start-up that could not read the
// settings file, or could not apply what it read, saves write nothing until
// the file can be read, and then keep its stored values but for the groups
// the player has chosen or changed.

// Makes the record, saves held; 0 when it cannot be made or the window
// cannot hold it (it is then freed). No save then happens in this run: the
// game plays on with the stored choices and forgets this run's changes,
// since they could not be told from the stored values.
int SavePolicyCreate(HWND main);
// Start-up is done: saves go through. `applied` is 0 when the window does
// not show the stored choices: LoadSettings returned 0 (the file could not
// be read) or the board could not take a stored size.
void SavePolicyBegin(HWND main, int applied);
void SavePolicyDestroy(HWND main);

// Saves always-on-top, the grid and the cell size as they are now; 0, and
// nothing written, while saves are held or the board cannot tell its sizes.
// `chosen` names the groups (kSettingsTopmost...) the player has just
// chosen: they count as changed even when the choice equals what was shown.
int SaveCurrentSettings(HWND main, unsigned chosen);

#endif
