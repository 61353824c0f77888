#ifndef TESSALY_APP_SETTINGS_H
#define TESSALY_APP_SETTINGS_H

#include <cstdint>

// The three choices the game remembers, in the INI file beside the
// executable (its path with the extension ".ini", lower-cased), section
// "Tessaly". Loaded once at start-up, saved whole after every change. Loads
// and saves of every instance of the game on one file take turns, unless one
// instance holds its turn too long.
struct AppSettings {
    int32_t topmost;     // 0 off, anything else on
    int32_t columns;     // 2 .. 128 after loading
    int32_t rows;        // 2 .. 128
    int32_t cellWidth;   // 5 .. 256
    int32_t cellHeight;  // 5 .. 256
};
static_assert(sizeof(AppSettings) == 20, "AppSettings is five 32-bit words");

// The groups of values a save may keep as they are stored.
constexpr unsigned kSettingsTopmost = 1;
constexpr unsigned kSettingsGrid = 2;
constexpr unsigned kSettingsCell = 4;
static_assert((kSettingsTopmost ^ kSettingsGrid ^ kSettingsCell) == 7,
              "each group a bit of its own");

// Defaults and clamping. 0, with the defaults, when the file exists but
// stays unreadable for a moment: the caller must then not save over it.
int LoadSettings(AppSettings* settings);
// A save replaces the file whole or leaves it as it was (a kill, a full disk,
// a failed write), keeping its encoding, attributes and rights; a file
// reached through a link is saved where the link leads, and in a folder that
// takes no new file the file is written in place. It waits at most 200 ms,
// for another instance's load or save or a program holding the file.
// Failures are not reported: always 1.
int SaveSettings(const AppSettings* settings);
// The same, but the values of the groups in `keep` stay as the file stores
// them; when the file exists but cannot be read nothing is written. 1 when
// the file was written, else 0.
int SaveSettingsKeeping(const AppSettings* settings, unsigned keep);

int IniReadInt(const char* path, const char* section, const char* key, int defaultValue);
int IniWriteFlag(const char* path, const char* section, const char* key, int value);
int IniWriteQuoted(const char* path, const char* section, const char* key, const char* text);

// The same load and save for an executable at `modulePath`, so tests can put
// the settings file in a folder of their own; the game itself always goes
// through LoadSettings and SaveSettings. When the settings file's path does
// not fit in 261 bytes, nothing is read (the defaults apply) and nothing is
// written; a save also writes nothing when the path of its temporary file
// (13 bytes longer) needs more than 259 characters. The save returns 1 when
// it wrote the file.
int LoadSettingsForModulePath(const char* modulePath, AppSettings* settings);
int SaveSettingsForModulePath(const char* modulePath, const AppSettings* settings);

#endif
