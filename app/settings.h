#ifndef TESSALY_APP_SETTINGS_H
#define TESSALY_APP_SETTINGS_H

#include <cstdint>

// The three choices the game remembers, in the INI file beside the
// executable (its path with the extension ".ini", lower-cased), section
// "Tessaly". Loaded once at start-up, saved whole after every change. Loads
// and saves of every instance of the game on one file take turns.
struct AppSettings {
    int32_t topmost;     // 0 off, anything else on
    int32_t columns;     // 2 .. 128 after loading
    int32_t rows;        // 2 .. 128
    int32_t cellWidth;   // 5 .. 256
    int32_t cellHeight;  // 5 .. 256
};
static_assert(sizeof(AppSettings) == 20, "AppSettings is five 32-bit words");

// Defaults and clamping. 0, with the defaults, when the file exists but
// stays unreadable for a moment: the caller must then not save over it.
int LoadSettings(AppSettings* settings);
int SaveSettings(const AppSettings* settings);  // write failures are ignored; always 1

int IniReadInt(const char* path, const char* section, const char* key, int defaultValue);
int IniWriteFlag(const char* path, const char* section, const char* key, int value);
int IniWriteQuoted(const char* path, const char* section, const char* key, const char* text);

// The same load and save for an executable at `modulePath`, so tests can put
// the settings file in a folder of their own; the game itself always goes
// through LoadSettings and SaveSettings. When the settings file's path does
// not fit in 261 bytes, nothing is read (the defaults apply) and nothing is
// written.
int LoadSettingsForModulePath(const char* modulePath, AppSettings* settings);
int SaveSettingsForModulePath(const char* modulePath, const AppSettings* settings);

#endif
