#include "app/settings.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/number_parse.h"
#include "app/sjis_path.h"

namespace {

constexpr int kPathSize = 261;  // MAX_PATH and its terminating zero

// The key names are stored in code page 932, as the ANSI profile functions
// write them; the source is UTF-8 and compiles to those bytes.
constexpr char kSection[] = "Tessaly";
constexpr char kTopmostKey[] = "常に手前に表示";
constexpr char kGridKey[] = "ボタンの数";
constexpr char kCellKey[] = "ボタンの大きさ";

static_assert(sizeof kTopmostKey == 15 && sizeof kGridKey == 11 && sizeof kCellKey == 15,
              "the key names are double-byte Shift-JIS text");

struct PairKey {
    const char* key;
    const char* defaultText;
    int defaultValue;
    int minimum;
    int maximum;
};
constexpr PairKey kGrid = {kGridKey, "4, 4", 4, 2, 128};
constexpr PairKey kCell = {kCellKey, "32, 32", 32, 5, 256};

// A file held open without sharing by another program reads as missing; it
// is asked for again this often, this many milliseconds apart, before the
// game gives up on it.
constexpr int kReadAttempts = 10;
constexpr DWORD kReadRetryMs = 100;
// Another instance saves in milliseconds; one that holds the file's mutex
// longer is stuck, and the game goes on without it rather than hang.
constexpr DWORD kLockWaitMs = 5000;

int Clamp(int value, int minimum, int maximum)
{
    return value < minimum ? minimum : value > maximum ? maximum : value;
}

// Reads a "%d, %d" pair; a value that is not a pair gives the default for both.
void ReadPair(const char* path, const PairKey& pair, int32_t* first, int32_t* second)
{
    char text[1024];
    GetPrivateProfileStringA(kSection, pair.key, pair.defaultText, text, sizeof text - 1, path);
    int a = 0, b = 0;
    if (NumberScanPair(text, &a, &b) != 2) a = b = pair.defaultValue;
    *first = Clamp(a, pair.minimum, pair.maximum);
    *second = Clamp(b, pair.minimum, pair.maximum);
}

void WritePair(const char* path, const char* key, int first, int second)
{
    char text[1024];
    snprintf(text, sizeof text, "%d, %d", first, second);
    IniWriteQuoted(path, kSection, key, text);
}

// Each save is three profile writes, and each rewrites the whole file: a
// second instance of the game that loads or saves in between sees half a
// file or writes over the first one's keys. One named mutex per settings
// file, held for a whole load or save, keeps them apart. The name is a hash
// of the path, which may be longer than a mutex name may be and holds
// backslashes; two paths sharing a hash only wait for each other.
HANDLE LockSettingsFile(const char* path)
{
    unsigned long long hash = 14695981039346656037ull;  // FNV-1a, 64 bits
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p; ++p)
        hash = (hash ^ *p) * 1099511628211ull;
    char name[64];
    snprintf(name, sizeof name, "Tessaly.settings.%016llx", hash);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (mutex == nullptr) return nullptr;
    // WAIT_ABANDONED: an instance died while saving; the mutex is ours now.
    const DWORD waited = WaitForSingleObject(mutex, kLockWaitMs);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

void UnlockSettingsFile(HANDLE mutex)
{
    if (mutex == nullptr) return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

// 1 when the file can be read or is missing (the profile functions then give
// the defaults), 0 when it exists but stays unreadable, for example held
// open without sharing by another program.
int WaitUntilReadable(const char* path)
{
    for (int attempt = 1;; ++attempt) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return 1;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return 1;
        if (attempt == kReadAttempts) return 0;
        Sleep(kReadRetryMs);
    }
}

void SetDefaults(AppSettings* settings)
{
    settings->topmost = 0;
    settings->columns = settings->rows = kGrid.defaultValue;
    settings->cellWidth = settings->cellHeight = kCell.defaultValue;
}

// `path` is null when the settings file's path could not be had: the
// profile functions would then read and write win.ini, so the defaults apply.
int LoadFromFile(const char* path, AppSettings* settings)
{
    SetDefaults(settings);
    if (path == nullptr) return 1;
    HANDLE lock = LockSettingsFile(path);
    const int readable = WaitUntilReadable(path);
    if (readable) {
        settings->topmost = IniReadInt(path, kSection, kTopmostKey, 0);
        ReadPair(path, kGrid, &settings->columns, &settings->rows);
        ReadPair(path, kCell, &settings->cellWidth, &settings->cellHeight);
    }
    UnlockSettingsFile(lock);
    return readable;
}

void SaveToFile(const char* path, const AppSettings* settings)
{
    if (path == nullptr) return;
    HANDLE lock = LockSettingsFile(path);
    IniWriteFlag(path, kSection, kTopmostKey, settings->topmost);
    WritePair(path, kGridKey, settings->columns, settings->rows);
    WritePair(path, kCellKey, settings->cellWidth, settings->cellHeight);
    UnlockSettingsFile(lock);
}

} // namespace

int IniReadInt(const char* path, const char* section, const char* key, int defaultValue)
{
    char text[261];
    GetPrivateProfileStringA(section, key, "", text, sizeof text - 1, path);
    int value = 0;
    return NumberScanInt(text, &value) == 1 ? value : defaultValue;
}

int IniWriteFlag(const char* path, const char* section, const char* key, int value)
{
    char text[261];
    snprintf(text, sizeof text, "%d", value != 0 ? 1 : 0);
    return WritePrivateProfileStringA(section, key, text, path);
}

int IniWriteQuoted(const char* path, const char* section, const char* key, const char* text)
{
    // The profile functions strip one pair of enclosing quotes on reading,
    // so the pair keeps the blank after the comma.
    const size_t length = strlen(text);
    char* quoted = static_cast<char*>(malloc(length + 3));
    if (quoted == nullptr) return 0;
    quoted[0] = '"';
    memcpy(quoted + 1, text, length);
    quoted[length + 1] = '"';
    quoted[length + 2] = '\0';
    const int result = WritePrivateProfileStringA(section, key, quoted, path);
    free(quoted);
    return result;
}

int LoadSettings(AppSettings* settings)
{
    char path[kPathSize];
    return LoadFromFile(GetModuleSiblingPath(path, sizeof path, ".ini") ? path : nullptr, settings);
}

int SaveSettings(const AppSettings* settings)
{
    char path[kPathSize];
    SaveToFile(GetModuleSiblingPath(path, sizeof path, ".ini") ? path : nullptr, settings);
    return 1;
}

int LoadSettingsForModulePath(const char* modulePath, AppSettings* settings)
{
    char path[kPathSize];
    return LoadFromFile(MakeSiblingPath(path, sizeof path, modulePath, ".ini") ? path : nullptr,
                        settings);
}

int SaveSettingsForModulePath(const char* modulePath, const AppSettings* settings)
{
    char path[kPathSize];
    SaveToFile(MakeSiblingPath(path, sizeof path, modulePath, ".ini") ? path : nullptr, settings);
    return 1;
}
