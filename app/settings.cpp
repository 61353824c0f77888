#include "app/settings.h"

#include <windows.h>

#include <cctype>
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

// A file held open without sharing by another program reads as missing; at
// start it is asked for again this often, this many milliseconds apart,
// before the game gives up on it. A save asks once.
constexpr int kReadAttempts = 10;
constexpr DWORD kReadRetryMs = 100;
// Another instance saves in milliseconds; one that holds the file's mutex
// longer is stuck or stopped in a debugger, and the game goes on without it.
// That is safe because no save without the mutex changes the file in place:
// the worst two unlocked saves do is that the later one wins.
constexpr DWORD kLoadLockWaitMs = 500;
constexpr DWORD kSaveLockWaitMs = 200;
// A save takes at most this long, waiting for the lock included; a rename
// that another program refuses for a moment is tried again this often.
constexpr DWORD kSaveBudgetMs = 200;
constexpr DWORD kReplaceRetryMs = 20;

// A save writes a temporary file beside the settings file and puts it in its
// place, the old file moved aside for that moment. Their names are the
// settings file's name followed by the saving process's id in eight hex
// digits and ".tmp" or ".bak", so they are unique per process and a later
// game knows those that a killed game left behind.
constexpr char kTempFormat[] = "%s.%08lx.tmp";
constexpr char kBackupFormat[] = "%s.%08lx.bak";
constexpr char kLeftPattern[] = "%s.*";
constexpr int kTempSuffixLength = 13;  // ".bak" as long as ".tmp"

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

// Each save is three profile writes, and each rewrites the whole file: a
// second instance of the game that loads or saves in between sees half a
// file or writes over the first one's keys. One named mutex per settings
// file, held for a whole load or save, keeps them apart. The name is a hash
// of the path, which may be longer than a mutex name may be and holds
// backslashes; two paths sharing a hash only wait for each other.
constexpr unsigned long long kHashStart = 14695981039346656037ull;  // FNV-1a, 64 bits

unsigned long long HashByte(unsigned long long hash, unsigned char byte)
{
    return (hash ^ byte) * 1099511628211ull;
}

unsigned long long HashText(unsigned long long hash, const char* text)
{
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        hash = HashByte(hash, *p);
    return hash;
}

// The text and a zero after it, which keeps "ab", "c" apart from "a", "bc".
unsigned long long HashItem(unsigned long long hash, const char* text)
{
    return HashByte(HashText(hash, text), 0);
}

HANDLE LockSettingsFile(const char* path, DWORD waitMs)
{
    char name[64];
    snprintf(name, sizeof name, "Tessaly.settings.%016llx", HashText(kHashStart, path));
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (mutex == nullptr) return nullptr;
    // WAIT_ABANDONED: an instance died while saving; the mutex is ours now.
    const DWORD waited = WaitForSingleObject(mutex, waitMs);
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
int WaitUntilReadable(const char* path, int attempts)
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
        if (attempt >= attempts) return 0;
        Sleep(kReadRetryMs);
    }
}

void SetDefaults(AppSettings* settings)
{
    settings->topmost = 0;
    settings->columns = settings->rows = kGrid.defaultValue;
    settings->cellWidth = settings->cellHeight = kCell.defaultValue;
}

void TidyLeftFiles(const char* path);  // with the save, below

// `path` is null when the settings file's path could not be had: the
// profile functions would then read and write win.ini, so the defaults apply.
int LoadFromFile(const char* path, AppSettings* settings)
{
    SetDefaults(settings);
    if (path == nullptr) return 1;
    HANDLE lock = LockSettingsFile(path, kLoadLockWaitMs);
    TidyLeftFiles(path);
    const int readable = WaitUntilReadable(path, kReadAttempts);
    if (readable) {
        settings->topmost = IniReadInt(path, kSection, kTopmostKey, 0);
        ReadPair(path, kGrid, &settings->columns, &settings->rows);
        ReadPair(path, kCell, &settings->cellWidth, &settings->cellHeight);
    }
    UnlockSettingsFile(lock);
    return readable;
}

// The profile functions keep files they have read in memory and trust a
// cached copy while the file's time stamp stays the same, which two writes
// in one clock tick share. Dropping the copy makes the next read take the
// file from the disk.
void ForgetProfile(const char* file)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
}

bool IsOwnKeyLine(const char* line)
{
    static constexpr const char* kKeys[] = {kTopmostKey, kGridKey, kCellKey};
    for (const char* key : kKeys) {
        const size_t length = strlen(key);
        if (strncmp(line, key, length) == 0 && line[length] == '=') return true;
    }
    return false;
}

// A hash of everything the profile functions read from `file` but this
// game's three values: each section's name and lines, in order; the game's
// own section without its name, since a save adds it when it is missing.
// 0 when the file cannot be read whole.
int HashProfile(const char* file, unsigned long long* hash)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file, GetFileExInfoStandard, &data) || data.nFileSizeHigh != 0)
        return 0;
    // Neither the list of names nor a section's lines is longer than the file.
    const DWORD size = data.nFileSizeLow + 256;
    char* names = static_cast<char*>(malloc(size));
    char* lines = static_cast<char*>(malloc(size));
    int whole = names && lines && GetPrivateProfileSectionNamesA(names, size, file) < size - 2;
    *hash = kHashStart;
    for (const char* name = names; whole && *name; name += strlen(name) + 1) {
        const bool own = lstrcmpiA(name, kSection) == 0;
        if (!own) *hash = HashItem(*hash, name);
        whole = GetPrivateProfileSectionA(name, lines, size, file) < size - 2;
        for (const char* line = lines; whole && *line; line += strlen(line) + 1)
            if (!own || !IsOwnKeyLine(line)) *hash = HashItem(*hash, line);
    }
    free(names);
    free(lines);
    return whole;
}

// Where a save writes: the file the settings path leads to, a symbolic link
// followed, so that a link stays a link; its attributes
// (INVALID_FILE_ATTRIBUTES: there is no file yet); the temporary file beside it.
struct SaveTarget {
    char path[kPathSize];
    char temp[kPathSize];
    char backup[kPathSize];
    DWORD attributes;
};

// Replaces `path` by the final path of the file `file` is open on when that
// is another name: the path went through a symbolic link or a junction.
// Looked up at run time: systems before Vista have neither file links nor
// the function.
void FollowLinks(HANDLE file, char* path)
{
    using Fn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
    static const auto finalPath = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    char found[kPathSize + 8];  // "\\?\UNC\" before a path of 259 characters
    const DWORD length = finalPath ? finalPath(file, found, sizeof found, 0) : 0;
    if (length == 0 || length >= sizeof found) return;
    const bool unc = strncmp(found, "\\\\?\\UNC\\", 8) == 0;
    const char* rest = unc ? found + 8 : strncmp(found, "\\\\?\\", 4) == 0 ? found + 4 : found;
    char resolved[kPathSize];
    if (snprintf(resolved, sizeof resolved, "%s%s", unc ? "\\\\" : "", rest) >= kPathSize) return;
    if (lstrcmpiA(resolved, path) != 0) memcpy(path, resolved, sizeof resolved);
}

// 0 when the file is not the game's to replace: read-only (a link to a
// read-only file too), a folder by its name, out of reach, a link to
// nothing, or with a temporary file's path longer than 259 characters.
int FindTarget(const char* path, SaveTarget* target)
{
    snprintf(target->path, sizeof target->path, "%s", path);
    target->attributes = INVALID_FILE_ATTRIBUTES;
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info;
        if (GetFileInformationByHandle(file, &info)) target->attributes = info.dwFileAttributes;
        FollowLinks(file, target->path);
        CloseHandle(file);
        if (target->attributes == INVALID_FILE_ATTRIBUTES ||
            (target->attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
            return 0;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND ||
               GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        return 0;
    }
    const unsigned long self = GetCurrentProcessId();
    snprintf(target->backup, sizeof target->backup, kBackupFormat, target->path, self);
    const int length = snprintf(target->temp, sizeof target->temp, kTempFormat, target->path, self);
    // 259 characters at most, like any path the profile functions take.
    return length >= 0 && length < kPathSize - 1;
}

// The temporary file starts as the settings file byte for byte (other
// sections, comments and encoding included), or empty when there is none.
int CopyInto(HANDLE temp, const SaveTarget& target)
{
    if (target.attributes == INVALID_FILE_ATTRIBUTES) return 1;
    HANDLE source = CreateFileA(target.path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    int copied = source != INVALID_HANDLE_VALUE;
    while (copied) {
        char chunk[4096];
        DWORD got = 0, written = 0;
        copied = ReadFile(source, chunk, sizeof chunk, &got, nullptr);
        if (!copied || got == 0) break;
        copied = WriteFile(temp, chunk, got, &written, nullptr) && written == got;
    }
    if (source != INVALID_HANDLE_VALUE) CloseHandle(source);
    return copied;
}

bool ReadsBack(const char* file, const char* key, const char* expected)
{
    char text[64];
    GetPrivateProfileStringA(kSection, key, "", text, sizeof text, file);
    return strcmp(text, expected) == 0;
}

// How the text of a file ends, in its own encoding: UTF-16 (after a
// byte-order mark) or bytes (ANSI, UTF-8).
enum TextEnd {
    kTextCut = 0,      // not even a whole character: UTF-16 of an odd length
    kTextUnended = 1,  // a last line without a line end
    kTextEnded = 2,    // with a line end, or no text at all
};

bool ReadAt(HANDLE file, LONG offset, DWORD method, unsigned char* bytes, DWORD count)
{
    DWORD got = 0;
    return SetFilePointer(file, offset, nullptr, method) != INVALID_SET_FILE_POINTER &&
           ReadFile(file, bytes, count, &got, nullptr) && got == count;
}

TextEnd TextEndOf(HANDLE file)
{
    const DWORD size = GetFileSize(file, nullptr);
    unsigned char head[2] = {0, 0}, tail[2] = {0, 0};
    if (size == 0) return kTextEnded;
    if (size == INVALID_FILE_SIZE || !ReadAt(file, -1, FILE_END, tail + 1, 1)) return kTextCut;
    const bool little =
        size >= 2 && ReadAt(file, 0, FILE_BEGIN, head, 2) && head[0] == 0xFF && head[1] == 0xFE;
    const bool big = head[0] == 0xFE && head[1] == 0xFF;
    if (!little && !big) return tail[1] == '\n' ? kTextEnded : kTextUnended;
    if (size % 2 != 0 || !ReadAt(file, -2, FILE_END, tail, 2)) return kTextCut;
    const unsigned char last = little ? tail[0] : tail[1], other = little ? tail[1] : tail[0];
    return size == 2 || (last == '\n' && other == 0) ? kTextEnded : kTextUnended;
}

TextEnd TextEndOf(const char* file)
{
    HANDLE handle = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return kTextCut;
    const TextEnd end = TextEndOf(handle);
    CloseHandle(handle);
    return end;
}

// The profile functions do not report a full disk: the file is just cut
// short. The lines and values the check reads tell most cuts; the rest take
// away a line end that the file had (a file the game or Wine writes ends
// every line; a hand edit may leave the last line without one, which
// Windows' profile functions keep) or half a UTF-16 character. The rename
// below is only as safe as the bytes are on the disk, so they are flushed,
// which Windows does only through a handle that may write.
bool WholeOnDisk(const char* file, TextEnd before)
{
    HANDLE handle = CreateFileA(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const TextEnd end = TextEndOf(handle);
    const bool whole = end != kTextCut && end >= before && FlushFileBuffers(handle);
    CloseHandle(handle);
    return whole;
}

// The three profile writes, judged by what matters: the file reads back as
// it was, in either encoding, but for the three new values.
int WriteChecked(const char* file, const AppSettings* settings)
{
    char grid[32], cell[32];
    snprintf(grid, sizeof grid, "%d, %d", settings->columns, settings->rows);
    snprintf(cell, sizeof cell, "%d, %d", settings->cellWidth, settings->cellHeight);
    const TextEnd before = TextEndOf(file);
    unsigned long long hashBefore = 0, hashAfter = 0;
    const int written = HashProfile(file, &hashBefore) &&
                        IniWriteFlag(file, kSection, kTopmostKey, settings->topmost) &&
                        IniWriteQuoted(file, kSection, kGridKey, grid) &&
                        IniWriteQuoted(file, kSection, kCellKey, cell);
    ForgetProfile(file);
    if (!written) return 0;
    const int right = ReadsBack(file, kTopmostKey, settings->topmost ? "1" : "0") &&
                      ReadsBack(file, kGridKey, grid) && ReadsBack(file, kCellKey, cell) &&
                      HashProfile(file, &hashAfter) && hashAfter == hashBefore &&
                      WholeOnDisk(file, before);
    ForgetProfile(file);
    return right;
}

bool Exists(const char* file)
{
    return GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES;
}

// Another program (an indexer, antivirus, a sync client) holds one of the
// files a moment.
bool HeldByAnother(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

// ReplaceFileA with the old file kept as `backup` until the new one is in.
// Not every system's ReplaceFileA is one step: Wine's moves the old file
// aside and then the new one in, and a game killed in between leaves no
// settings file. The backup is then the whole old file, which the next game
// puts back (TidyLeftFiles). A replace that moved the old file aside but
// could not move the new one in puts it back at once.
bool ReplaceKeepingBackup(const SaveTarget& target)
{
    if (ReplaceFileA(target.path, target.temp, target.backup, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
        DeleteFileA(target.backup);
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileExA(target.backup, target.path, 0);
    SetLastError(error);
    return false;
}

// Puts the checked temporary file in the settings file's place. ReplaceFileA
// keeps what the player set on the old file: its rights and its identity,
// which shortcuts and sync clients follow; hidden and system come along on
// the temporary file, since not every system's ReplaceFileA carries them. A
// file that is not there (yet, or any more after a replace that failed
// halfway) has nothing to keep: the temporary file is renamed. A refused
// rename is tried again while the save's time lasts.
int PutInPlace(const SaveTarget& target, DWORD started)
{
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const DWORD kept = target.attributes == INVALID_FILE_ATTRIBUTES ? 0 : target.attributes & kKept;
    if (kept && !SetFileAttributesA(target.temp, kept | FILE_ATTRIBUTE_ARCHIVE)) return 0;
    for (;;) {
        if (Exists(target.path) ? ReplaceKeepingBackup(target)
                                : MoveFileExA(target.temp, target.path,
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 1;
        if (!HeldByAnother(GetLastError()) || GetTickCount() - started >= kSaveBudgetMs) return 0;
        Sleep(kReplaceRetryMs);
    }
}

// A temporary copy, checked, then put in place: a kill, a full disk or any
// failed step leaves the settings file as it was and removes the copy.
// `locked`: this save holds the settings file's lock.
int SaveThrough(const SaveTarget& target, const AppSettings* values, bool locked, DWORD started)
{
    HANDLE temp = CreateFileA(target.temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (temp == INVALID_HANDLE_VALUE) {
        // Rights granted on the file alone, none to make a file in its
        // folder: the file would never take a save. The profile functions
        // write it in place then, as they were made to. A kill or a full disk
        // in the middle may cut it short, and another game's save must not
        // come between the writes: only under the lock.
        return GetLastError() == ERROR_ACCESS_DENIED && locked &&
               target.attributes != INVALID_FILE_ATTRIBUTES && WriteChecked(target.path, values);
    }
    const int copied = CopyInto(temp, target);
    CloseHandle(temp);
    const int saved = copied && WriteChecked(target.temp, values) && PutInPlace(target, started);
    if (!saved) DeleteFileA(target.temp);
    return saved;
}

// Whether the process `id` still runs; a process that cannot be asked runs.
bool ProcessRuns(DWORD id)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

// The id in `name` when it is the name of a temporary file (or, with
// `backup` set, of a backup) of the settings file named `base`; 0 otherwise.
DWORD LeftFileOwner(const char* name, const char* base, bool* backup)
{
    const size_t length = strlen(base);
    if (strlen(name) != length + kTempSuffixLength || strncmp(name, base, length) != 0) return 0;
    const char* digits = name + length + 1;
    for (int i = 0; i < 8; ++i)
        if (!isxdigit(static_cast<unsigned char>(digits[i]))) return 0;
    *backup = strcmp(digits + 8, ".bak") == 0;
    if (name[length] != '.' || (!*backup && strcmp(digits + 8, ".tmp") != 0)) return 0;
    return strtoul(digits, nullptr, 16);
}

// Clears up after killed games (those of games still running are theirs):
// their temporary files go, and so do their backups, but for one where the
// settings file is missing: that game was killed inside its replace, and
// the backup, the whole old file, goes back in its place.
void TidyLeftFiles(const char* path)
{
    char found[kPathSize];
    if (snprintf(found, sizeof found, kLeftPattern, path) >= kPathSize) return;
    int folderLength = 0;
    for (int i = 0; path[i]; ++i)
        if (IsSeparatorAt(path, i)) folderLength = i + 1;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(found, &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        bool backup = false;
        const DWORD owner = LeftFileOwner(data.cFileName, path + folderLength, &backup);
        if (owner == 0 || (owner != GetCurrentProcessId() && ProcessRuns(owner))) continue;
        // As long as the settings file's temporary name, which fits.
        snprintf(found, sizeof found, "%.*s%s", folderLength, path, data.cFileName);
        if (!backup || Exists(path) || !MoveFileExA(found, path, 0)) DeleteFileA(found);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// The stored values of the groups in `keep` replace those of `settings`; 0
// when the file exists but cannot be read.
int ReadKept(const char* path, unsigned keep, AppSettings* settings)
{
    ForgetProfile(path);
    if (!WaitUntilReadable(path, 1)) return 0;
    if (keep & kSettingsTopmost) settings->topmost = IniReadInt(path, kSection, kTopmostKey, 0);
    if (keep & kSettingsGrid) ReadPair(path, kGrid, &settings->columns, &settings->rows);
    if (keep & kSettingsCell) ReadPair(path, kCell, &settings->cellWidth, &settings->cellHeight);
    return 1;
}

// A save changes the settings file whole or not at all, except in a folder
// that takes no new file. When the temporary file's path needs more than
// 259 characters nothing is written: a save in place could be cut short again.
int SaveToFile(const char* path, const AppSettings* settings, unsigned keep)
{
    if (path == nullptr) return 0;
    const DWORD started = GetTickCount();
    HANDLE lock = LockSettingsFile(path, kSaveLockWaitMs);
    TidyLeftFiles(path);
    SaveTarget target;
    const int found = FindTarget(path, &target);
    if (strcmp(target.path, path) != 0) TidyLeftFiles(target.path);
    AppSettings values = *settings;
    const int saved = found && (keep == 0 || ReadKept(path, keep, &values)) &&
                      SaveThrough(target, &values, lock != nullptr, started);
    UnlockSettingsFile(lock);
    return saved;
}

}  // namespace

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
    SaveSettingsKeeping(settings, 0);
    return 1;
}

int SaveSettingsKeeping(const AppSettings* settings, unsigned keep)
{
    char path[kPathSize];
    return SaveToFile(GetModuleSiblingPath(path, sizeof path, ".ini") ? path : nullptr, settings,
                      keep);
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
    return SaveToFile(MakeSiblingPath(path, sizeof path, modulePath, ".ini") ? path : nullptr,
                      settings, 0);
}
