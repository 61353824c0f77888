#ifndef TESSALY_APP_SAVE_POLICY_H
#define TESSALY_APP_SAVE_POLICY_H

#include <windows.h>

// When the main window saves the settings, and what: one record, made at the
// main window's creation and freed at its destruction. Saves are held while
// start-up applies the stored choices (the board's notifications would save
// its own first grid meanwhile). After a start-up that could not read the
// settings file, saves write nothing until the file can be read, and then
// keep its stored values but for the groups the player has changed.

// Makes the record, saves held; 0 without memory for it, and then no save
// happens in this run: the player's changes could not be told from the
// stored values.
int SavePolicyCreate(HWND main);
// Start-up has applied the stored choices: saves go through. `loaded` is
// what LoadSettings returned (0: the file could not be read).
void SavePolicyBegin(HWND main, int loaded);
void SavePolicyDestroy(HWND main);

// Saves always-on-top, the grid and the cell size as they are now; 0, and
// nothing written, while saves are held or the board cannot tell its sizes.
int SaveCurrentSettings(HWND main);

#endif
