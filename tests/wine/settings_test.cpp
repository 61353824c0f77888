// The settings file through Wine's real profile functions: each test gives
// LoadSettingsForModulePath / SaveSettingsForModulePath an executable path in
// a fresh temporary folder and judges the file by its bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/sjis_path.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/malloc_seam.h"
#include "tests/wine/support/wine_test.h"

namespace {

// The section and key names as stored, byte for byte (code page 932).
const std::string kTopmost = "\x8F\xED\x82\xC9\x8E\xE8\x91\x4F\x82\xC9\x95\x5C\x8E\xA6";
const std::string kGrid = "\x83\x7B\x83\x5E\x83\x93\x82\xCC\x90\x94";
const std::string kCell = "\x83\x7B\x83\x5E\x83\x93\x82\xCC\x91\xE5\x82\xAB\x82\xB3";

// A folder of its own under the temporary folder, emptied and removed at the
// end. Every test has a new one, so no profile cache of an earlier test sees
// the same file name.
class TempFolder {
public:
    TempFolder()
    {
        static int serial = 0;
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + "tessaly-settings-" + std::to_string(GetCurrentProcessId()) +
                "-" + std::to_string(++serial);
        EXPECT_TRUE(CreateDirectoryA(path_.c_str(), nullptr)) << path_;
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
                names.push_back(found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
        return names;
    }

private:
    static void RemoveTree(const std::string& folder)
    {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string full = folder + "\\" + name;
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
                else DeleteFileA(full.c_str());
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(bytes.size(), written);
}

std::string ReadBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

// The same text in UTF-16 with its byte-order mark, as Notepad saves it.
std::string Utf16(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

struct Values {
    int topmost, columns, rows, cellWidth, cellHeight;
};

// A load or a save gives back every block and handle it takes, on every path.
class Balanced {
public:
    ~Balanced()
    {
        EXPECT_EQ(handles_, wt::CountKernelHandles()) << "kernel handles";
        EXPECT_EQ(0, watch_.Live()) << "blocks";
    }

private:
    // One load before the first count: it makes what the C library and Wine
    // make once (buffers, the code page's tables) and keep.
    static bool WarmUp()
    {
        static const bool warm = [] {
            AppSettings s;
            return LoadSettingsForModulePath("C:\\tessaly-none\\knaplet.exe", &s) == 1;
        }();
        return warm;
    }
    bool warm_ = WarmUp();
    ms::MallocWatch watch_;
    DWORD handles_ = wt::CountKernelHandles();
};

Values Load(const std::string& modulePath)
{
    Balanced balanced;
    AppSettings s;
    memset(&s, 0xA5, sizeof s);  // whatever was there must not show through
    EXPECT_EQ(1, LoadSettingsForModulePath(modulePath.c_str(), &s));
    return {s.topmost, s.columns, s.rows, s.cellWidth, s.cellHeight};
}

void Save(const std::string& modulePath, const Values& v, int written = 1)
{
    Balanced balanced;
    const AppSettings s = {v.topmost, v.columns, v.rows, v.cellWidth, v.cellHeight};
    EXPECT_EQ(written, SaveSettingsForModulePath(modulePath.c_str(), &s)) << modulePath;
}

std::string Show(const Values& v)
{
    return std::to_string(v.topmost) + " / " + std::to_string(v.columns) + " x " +
           std::to_string(v.rows) + " / " + std::to_string(v.cellWidth) + " x " +
           std::to_string(v.cellHeight);
}

const std::string kDefaultFile =
    "[Tessaly]\r\n" + kTopmost + "=0\r\n" + kGrid + "=\"4, 4\"\r\n" + kCell + "=\"32, 32\"\r\n";

}  // namespace

TEST(SettingsLoad, AMissingFileGivesTheDefaultsAndIsNotCreated)
{
    TempFolder folder;
    EXPECT_EQ(Show({0, 4, 4, 32, 32}), Show(Load(folder / "Knaplet.exe")));
    EXPECT_TRUE(folder.Names().empty());
}

TEST(SettingsLoad, ValuesAreReadWithDefaultsAndClamping)
{
    struct Case {
        std::string lines;
        Values expected;
    };
    const Case cases[] = {
        {kTopmost + "=1\r\n" + kGrid + "=\"8, 6\"\r\n" + kCell + "=\"24, 16\"\r\n",
         {1, 8, 6, 24, 16}},
        {kGrid + "=200, 1\r\n", {0, 128, 2, 32, 32}},
        {kCell + "=abc\r\n", {0, 4, 4, 32, 32}},
        {kCell + "=4, 300\r\n", {0, 4, 4, 5, 256}},
        {kTopmost + "=7\r\n", {7, 4, 4, 32, 32}},
        {kTopmost + "=yes\r\n", {0, 4, 4, 32, 32}},
        {kTopmost + "= -2 \r\n", {-2, 4, 4, 32, 32}},
        {kGrid + "=12\r\n" + kCell + "=\"9\"\r\n", {0, 4, 4, 32, 32}},
        {kGrid + "=\"4 , 9\"\r\n", {0, 4, 4, 32, 32}},
        {kGrid + "=\"10,   12 and more\"\r\n", {0, 10, 12, 32, 32}},
        {kGrid + "=\"-3, 500\"\r\n", {0, 2, 128, 32, 32}},
        {kGrid + "=\"\"\r\n" + kCell + "=\r\n", {0, 4, 4, 32, 32}},
        // Numbers too large for an int saturate, then clamp.
        {kGrid + "=\"99999999999, 5\"\r\n" + kCell + "=\"-99999999999, 2147483648\"\r\n",
         {0, 128, 5, 5, 256}},
        {kTopmost + "=99999999999\r\n", {2147483647, 4, 4, 32, 32}},
        // The longest values the reads take whole.
        {kTopmost + "=" + std::string(257, '0') + "12\r\n", {12, 4, 4, 32, 32}},
        {kGrid + "=10," + std::string(1017, '0') + "12\r\n", {0, 10, 12, 32, 32}},
    };
    TempFolder folder;
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = "case" + std::to_string(++n);
        WriteBytes(folder / (name + ".ini"), "[Tessaly]\r\n" + c.lines);
        EXPECT_EQ(Show(c.expected), Show(Load(folder / (name + ".EXE")))) << c.lines;
    }
}

TEST(SettingsLoad, KeysOutsideTheSectionDoNotCount)
{
    TempFolder folder;
    WriteBytes(folder / "knaplet.ini",
               "[Other]\r\n" + kGrid + "=\"8, 8\"\r\n[tessaly]\r\n" + kCell + "=\"20, 20\"\r\n");
    // Section names are not case-sensitive in profile files.
    EXPECT_EQ(Show({0, 4, 4, 20, 20}), Show(Load(folder / "knaplet.exe")));
}

TEST(SettingsLoad, JunkLongLinesAndBinaryBytesDoNoHarm)
{
    TempFolder folder;
    std::string junk = "garbage without equals\r\n;comment\r\n=\r\n[\r\n]]]\r\n";
    junk += "[Tessaly]\r\n" + kGrid + "=\"6, 7\"\r\n";
    junk += kTopmost + "=" + std::string(5000, '9') + "\r\n";      // longer than any buffer
    junk += kCell + "=\"" + std::string(3000, '1') + ", 8\"\r\n";  // cut on reading: no pair
    junk += "long=" + std::string(70000, 'x') + "\r\n";
    for (int b = 1; b < 256; ++b) junk += static_cast<char>(b);
    junk += "\r\n\x81\r\n\x95\\=\x83\r\n";
    WriteBytes(folder / "knaplet.ini", junk);
    const Values v = Load(folder / "knaplet.exe");
    EXPECT_EQ(Show({2147483647, 6, 7, 32, 32}), Show(v));
}

TEST(SettingsSave, AFileFromTheDefaultsHoldsExactlyFourLines)
{
    TempFolder folder;
    Save(folder / "Knaplet.EXE", {0, 4, 4, 32, 32});
    EXPECT_EQ(std::vector<std::string>{"knaplet.ini"}, folder.Names());
    EXPECT_EQ(kDefaultFile, ReadBytes(folder / "knaplet.ini"));
    // And it reads back as what was saved.
    EXPECT_EQ(Show({0, 4, 4, 32, 32}), Show(Load(folder / "Knaplet.EXE")));
}

TEST(SettingsSave, WritesWhatWasLoadedInItsNormalForm)
{
    TempFolder folder;
    WriteBytes(folder / "knaplet.ini", "[Tessaly]\r\n" + kTopmost + "=7\r\n" + kGrid +
                                           "=200, 1\r\n" + kCell + "=4, 300\r\n");
    const Values loaded = Load(folder / "knaplet.exe");
    Save(folder / "knaplet.exe", loaded);
    EXPECT_EQ("[Tessaly]\r\n" + kTopmost + "=1\r\n" + kGrid + "=\"128, 2\"\r\n" + kCell +
                  "=\"5, 256\"\r\n",
              ReadBytes(folder / "knaplet.ini"));
    // The record is written as given; only loading clamps.
    Save(folder / "knaplet.exe", {-1, -5, 1000, 0, 7});
    EXPECT_EQ("[Tessaly]\r\n" + kTopmost + "=1\r\n" + kGrid + "=\"-5, 1000\"\r\n" + kCell +
                  "=\"0, 7\"\r\n",
              ReadBytes(folder / "knaplet.ini"));
}

TEST(SettingsSave, ReplacesValuesInPlaceAndKeepsEverythingElse)
{
    TempFolder folder;
    WriteBytes(folder / "knaplet.ini", "[Before]\r\na=1\r\n[Tessaly]\r\nfirst=x\r\n" + kGrid +
                                           "=\"4, 4\"\r\nmiddle=y\r\n" + kTopmost +
                                           "=0\r\nlast=z\r\n[After]\r\n" + kCell + "=other\r\n");
    Save(folder / "knaplet.exe", {1, 16, 16, 8, 9});
    // Existing keys change where they are; the missing one goes to the end of
    // the section; other keys and sections stay.
    EXPECT_EQ("[Before]\r\na=1\r\n[Tessaly]\r\nfirst=x\r\n" + kGrid +
                  "=\"16, 16\"\r\nmiddle=y\r\n" + kTopmost + "=1\r\nlast=z\r\n" + kCell +
                  "=\"8, 9\"\r\n[After]\r\n" + kCell + "=other\r\n",
              ReadBytes(folder / "knaplet.ini"));
    EXPECT_EQ(Show({1, 16, 16, 8, 9}), Show(Load(folder / "knaplet.exe")));
}

TEST(SettingsSave, AFileThatCannotBeWrittenIsLeftAsItWas)
{
    {
        TempFolder folder;
        const std::string ini = folder / "knaplet.ini";
        WriteBytes(ini, kDefaultFile);
        // Another program holds the file open and shares it with nobody.
        HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);
        Save(folder / "knaplet.exe", {1, 8, 8, 16, 16}, 0);
        CloseHandle(held);
        EXPECT_EQ(kDefaultFile, ReadBytes(ini));
    }
    {
        TempFolder folder;
        // A folder by the settings file's name.
        ASSERT_TRUE(CreateDirectoryA((folder / "knaplet.ini").c_str(), nullptr));
        Save(folder / "knaplet.exe", {1, 8, 8, 16, 16}, 0);
        EXPECT_EQ(std::vector<std::string>{"knaplet.ini"}, folder.Names());
        EXPECT_TRUE(GetFileAttributesA((folder / "knaplet.ini").c_str()) &
                    FILE_ATTRIBUTE_DIRECTORY);
    }
    {
        TempFolder folder;
        const std::string ini = folder / "knaplet.ini";
        WriteBytes(ini, kDefaultFile);
        ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
        // Left alone even where the system would let it be written.
        Save(folder / "knaplet.exe", {1, 8, 8, 16, 16}, 0);
        EXPECT_EQ(kDefaultFile, ReadBytes(ini));
    }
}

TEST(SettingsSave, AFolderThatDoesNotExistGetsNothing)
{
    TempFolder folder;
    Save(folder / "missing\\deeper\\knaplet.exe", {1, 8, 8, 16, 16}, 0);
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(Show({0, 4, 4, 32, 32}), Show(Load(folder / "missing\\deeper\\knaplet.exe")));
}

TEST(SettingsPath, AShiftJisNameWithA5CTrailByteLosesItsExtension)
{
    TempFolder folder;
    Save(folder / "X.\x95\x5C", {0, 5, 5, 10, 10});  // x.表
    EXPECT_EQ(std::vector<std::string>{"x.ini"}, folder.Names());
    EXPECT_EQ(Show({0, 5, 5, 10, 10}), Show(Load(folder / "X.\x95\x5C")));
}

TEST(SettingsPath, TheLongestPathsAreUsedWholeOrNotAtAll)
{
    TempFolder folder;
    const std::string base = folder / "";
    // A save writes "<settings file>.<8 hex digits>.tmp" first, and the
    // profile functions take 259 characters at most: 246 characters of
    // settings path, once ".e" becomes ".ini", leave room for it.
    const std::string fits = base + std::string(242 - base.size(), 'k');
    ASSERT_EQ(246u, (fits + ".ini").size());
    Save(fits + ".e", {1, 8, 8, 16, 16});
    EXPECT_EQ("[Tessaly]\r\n" + kTopmost + "=1\r\n" + kGrid + "=\"8, 8\"\r\n" + kCell +
                  "=\"16, 16\"\r\n",
              ReadBytes(fits + ".ini"));
    // One more and only the temporary file's path does not fit: the file
    // still loads, and a save writes nothing.
    const std::string longer = fits + "k";
    WriteBytes(longer + ".ini", kDefaultFile);
    Save(longer + ".e", {1, 8, 8, 16, 16}, 0);
    EXPECT_EQ(kDefaultFile, ReadBytes(longer + ".ini"));
    EXPECT_EQ(Show({0, 4, 4, 32, 32}), Show(Load(longer + ".e")));
    EXPECT_EQ(2u, folder.Names().size());

    // Settings paths of 261 characters outgrow their 261-byte buffer: nothing
    // is read or written (the exact limit is tested natively).
    TempFolder other;
    const std::string otherBase = other / "";
    const std::string tooLong = otherBase + std::string(257 - otherBase.size(), 'k') + ".e";
    ASSERT_EQ(261u, tooLong.size() - 2 + 4);
    EXPECT_EQ(Show({0, 4, 4, 32, 32}), Show(Load(tooLong)));
    Save(tooLong, {1, 8, 8, 16, 16}, 0);
    EXPECT_TRUE(other.Names().empty());
}

TEST(SettingsSave, AFailedStepLeavesTheFileAsItWasAndNoTemporaryFile)
{
    // The stored cell size is the one saved: a step that fails after the
    // other two writes leaves a file that reads back right, but is not whole.
    const std::string stored = ";mine\r\n[Before]\r\na=1\r\n[After]\r\nb=2\r\n[Tessaly]\r\n" +
                               kTopmost + "=0\r\n" + kGrid + "=\"5, 5\"\r\n" + kCell +
                               "=\"16, 16\"\r\nc=3\r\n";
    TempFolder folder;
    const std::string ini = folder / "knaplet.ini";
    WriteBytes(ini, stored);
    const DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), kHiddenSystem));
    struct Step {
        const char* name;
        is::Call call;
        int nth;
        int shortBy;
    };
    const Step steps[] = {
        {"copy", is::Call::WriteFile, 0, 0},
        {"copy cut short", is::Call::WriteFile, 0, 1},
        {"last profile write", is::Call::WritePrivateProfileStringA, 3, 0},
        // A full disk cuts the file short: by its last line end, or by a whole
        // line (of the game's own section).
        {"disk full, 1 byte", is::Call::WritePrivateProfileStringA, 3, 1},
        {"disk full, 5 bytes", is::Call::WritePrivateProfileStringA, 3, 5},
        {"read-back", is::Call::GetPrivateProfileStringA, 0, 0},
        {"flush", is::Call::FlushFileBuffers, 0, 0},
        {"replace, held all along", is::Call::ReplaceFileA, 0, 0},
    };
    for (const Step& step : steps) {
        {
            is::Failing failing(step.call, step.nth, step.shortBy);
            Save(folder / "knaplet.exe", {1, 8, 8, 16, 16}, 0);
            EXPECT_LE(1, failing.Calls()) << step.name;  // the save got as far as the step
        }
        EXPECT_EQ(stored, ReadBytes(ini)) << step.name;
        EXPECT_EQ(std::vector<std::string>{"knaplet.ini"}, folder.Names()) << step.name;
    }
    // Without a failing step only the game's values change, the attributes
    // stay, and a replace refused once is tried again.
    is::Failing heldOnce(is::Call::ReplaceFileA, 1);
    Save(folder / "knaplet.exe", {1, 8, 8, 16, 16});
    EXPECT_EQ(1, heldOnce.Calls());
    EXPECT_EQ(";mine\r\n[Before]\r\na=1\r\n[After]\r\nb=2\r\n[Tessaly]\r\n" + kTopmost + "=1\r\n" +
                  kGrid + "=\"8, 8\"\r\n" + kCell + "=\"16, 16\"\r\nc=3\r\n",
              ReadBytes(ini));
    EXPECT_EQ(kHiddenSystem, GetFileAttributesA(ini.c_str()) & kHiddenSystem);
}

// The player's own file takes saves, in UTF-16 as in bytes, with or without
// a line end after its last line, or empty; a full disk's cut is still seen.
TEST(SettingsSave, AFileInUtf16OrWithoutAFinalLineEndTakesASave)
{
    const std::string unended = kDefaultFile.substr(0, kDefaultFile.size() - 2);
    const std::string cases[] = {"", unended, Utf16(kDefaultFile), Utf16(unended)};
    TempFolder folder;
    int n = 0;
    for (const std::string& bytes : cases) {
        const std::string name = folder / ("case" + std::to_string(++n));
        WriteBytes(name + ".ini", bytes);
        {
            // A byte short or, in UTF-16, the whole last character (the final \n).
            const int shortBy = bytes == Utf16(kDefaultFile) ? 2 : 1;
            is::Failing diskFull(is::Call::WritePrivateProfileStringA, 3, shortBy);
            Save(name + ".exe", {1, 8, 8, 16, 16}, 0);
        }
        EXPECT_EQ(bytes, ReadBytes(name + ".ini")) << n;
        Save(name + ".exe", {1, 8, 8, 16, 16});
        EXPECT_EQ(Show({1, 8, 8, 16, 16}), Show(Load(name + ".exe"))) << n;
        const std::string bom = "\xFF\xFE";  // UTF-16 stays UTF-16
        EXPECT_EQ(bytes.rfind(bom, 0), ReadBytes(name + ".ini").rfind(bom, 0)) << n;
    }
}

TEST(SettingsSave, AFolderThatTakesNoNewFileHasTheFileWrittenInPlace)
{
    TempFolder folder;
    const std::string ini = folder / "knaplet.ini";
    is::Failing noNewFile(is::Call::CreateFileA);
    Save(folder / "knaplet.exe", {1, 8, 8, 16, 16}, 0);  // no file to write in place
    EXPECT_TRUE(folder.Names().empty());
    WriteBytes(ini, kDefaultFile);
    Save(folder / "knaplet.exe", {1, 8, 8, 16, 16});
    EXPECT_EQ(2, noNewFile.Calls());
    EXPECT_EQ(Show({1, 8, 8, 16, 16}), Show(Load(folder / "knaplet.exe")));
}

TEST(SettingsSave, TemporaryFilesOfEndedGamesAreRemovedAndNeverRead)
{
    TempFolder folder;
    const std::string ini = folder / "knaplet.ini";
    WriteBytes(ini, kDefaultFile);
    // A process that runs: a suspended copy of this test program.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION live = {};
    ASSERT_TRUE(CreateProcessA(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &live));
    char liveName[64];
    snprintf(liveName, sizeof liveName, "knaplet.ini.%08lx.tmp", live.dwProcessId);
    const std::string half = "[Tessaly]\r\n" + kGrid + "=\"9, 9\"\r\n";
    for (const std::string name :
         {"knaplet.ini.7ffffff0.tmp", "knaplet.ini.7ffffff4.bak", "knaplet.ini.backup.tmp",
          "knaplet.ini.0000001.tmp", "knaplet.ini.7ffffffg.tmp", "KNAPLET.INI.7ffffff1.tmp",
          "knaplet.ini.7ffffff2.TMP"})
        WriteBytes(folder / name, half);
    WriteBytes(folder / liveName, half);
    EXPECT_EQ(Show({0, 4, 4, 32, 32}), Show(Load(folder / "knaplet.exe")));
    Save(folder / "knaplet.exe", {0, 5, 5, 32, 32});
    TerminateProcess(live.hProcess, 0);
    CloseHandle(live.hThread);
    CloseHandle(live.hProcess);
    // The ended game's file went; the running one's and files of other names stay.
    std::vector<std::string> names = folder.Names();
    std::sort(names.begin(), names.end());
    std::vector<std::string> kept = {"KNAPLET.INI.7ffffff1.tmp", "knaplet.ini",
                                     "knaplet.ini.0000001.tmp",  "knaplet.ini.7ffffffg.tmp",
                                     "knaplet.ini.7ffffff2.TMP", liveName,
                                     "knaplet.ini.backup.tmp"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, names);

    // A game killed inside its replace left the old file aside, and no file:
    // the next start puts it back.
    DeleteFileA(ini.c_str());
    const std::string aside = folder / "knaplet.ini.7ffffff3.bak";
    WriteBytes(aside, half);
    EXPECT_EQ(Show({0, 9, 9, 32, 32}), Show(Load(folder / "knaplet.exe")));
    EXPECT_EQ(half, ReadBytes(ini));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(aside.c_str()));
}

TEST(IniRoutines, ReadIntGivesItsDefaultWithoutANumber)
{
    TempFolder folder;
    const std::string ini = folder / "t.ini";
    WriteBytes(ini, "[S]\r\nn=  42tail\r\nword=yes\r\nempty=\r\n");
    EXPECT_EQ(42, IniReadInt(ini.c_str(), "S", "n", -5));
    EXPECT_EQ(-5, IniReadInt(ini.c_str(), "S", "word", -5));
    EXPECT_EQ(-5, IniReadInt(ini.c_str(), "S", "empty", -5));
    EXPECT_EQ(-5, IniReadInt(ini.c_str(), "S", "missing", -5));
    EXPECT_EQ(9, IniReadInt((folder / "none.ini").c_str(), "S", "n", 9));
}

TEST(IniRoutines, WritesReportTheProfileFunctionsResult)
{
    TempFolder folder;
    const std::string ini = folder / "t.ini";
    EXPECT_NE(0, IniWriteFlag(ini.c_str(), "S", "on", -3));
    EXPECT_NE(0, IniWriteFlag(ini.c_str(), "S", "off", 0));
    EXPECT_NE(0, IniWriteQuoted(ini.c_str(), "S", "q", " a, \"b\" "));
    EXPECT_NE(0, IniWriteQuoted(ini.c_str(), "S", "e", ""));
    EXPECT_EQ("[S]\r\non=1\r\noff=0\r\nq=\" a, \"b\" \"\r\ne=\"\"\r\n", ReadBytes(ini));
    const std::string nowhere = folder / "no\\such\\t.ini";
    EXPECT_EQ(0, IniWriteFlag(nowhere.c_str(), "S", "on", 1));
    EXPECT_EQ(0, IniWriteQuoted(nowhere.c_str(), "S", "q", "x"));
}

TEST(GetModuleSiblingPath, IsTheExecutablesOwnPathLowerCased)
{
    char own[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, own, sizeof own);
    ASSERT_GT(length, 4u);
    ASSERT_EQ(0, lstrcmpiA(own + length - 4, ".exe")) << own;
    std::string lowered = own;
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');  // the test runs from an ASCII path

    char buffer[261];
    memset(buffer, 'Q', sizeof buffer);
    EXPECT_EQ(1, GetModuleSiblingPath(buffer, sizeof buffer, ".ini"));
    EXPECT_EQ(lowered.substr(0, length - 4) + ".ini", buffer);
    EXPECT_EQ(1, GetModuleSiblingPath(buffer, sizeof buffer, nullptr));
    EXPECT_EQ(lowered, buffer);
}

TEST(GetModuleSiblingPath, ABufferTooSmallGetsAnEmptyTextAndNoMore)
{
    char own[MAX_PATH + 1] = {};
    const int length = static_cast<int>(GetModuleFileNameA(nullptr, own, sizeof own));
    ASSERT_GT(length, 4);
    struct Case {
        int size;
        const char* extension;
        int result;
    };
    const Case cases[] = {
        {length + 1, ".ini", 1},                             // just fits
        {length + 1, nullptr, 1}, {length + 1, ".inix", 0},  // the new extension is longer
        {length, nullptr, 0},                                // no room for the zero: a cut path
        {length, ".ini", 0},      {5, ".ini", 0},           {1, nullptr, 0},
    };
    for (const Case& c : cases) {
        std::vector<char> buffer(c.size + 16, 'Q');
        EXPECT_EQ(c.result, GetModuleSiblingPath(buffer.data(), c.size, c.extension)) << c.size;
        if (c.result == 0) {
            EXPECT_EQ('\0', buffer[0]) << c.size;
        }
        // Nothing past the size it was given.
        EXPECT_EQ(std::string(16, 'Q'), std::string(buffer.data() + c.size, 16)) << c.size;
    }
}

namespace {

DWORD WINAPI CloseAfterAMoment(void* handle)
{
    Sleep(250);
    CloseHandle(static_cast<HANDLE>(handle));
    return 0;
}

}  // namespace

TEST(SettingsLoad, AFileHeldByAnotherProgramIsWaitedForThenLeftAlone)
{
    TempFolder folder;
    const std::string ini = folder / "knaplet.ini";
    WriteBytes(ini, "[Tessaly]\r\n" + kTopmost + "=1\r\n" + kGrid + "=\"8, 8\"\r\n" + kCell +
                        "=\"16, 16\"\r\n");
    // A program reading it (an indexer) shares it: loads and saves go on.
    HANDLE reader = CreateFileA(ini.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(Show({1, 8, 8, 16, 16}), Show(Load(folder / "knaplet.exe")));
    Save(folder / "knaplet.exe", {1, 8, 8, 16, 16});
    CloseHandle(reader);
    // Another program holds the file open and shares it with nobody.
    HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    AppSettings s;
    EXPECT_EQ(0, LoadSettingsForModulePath((folder / "knaplet.exe").c_str(), &s));
    EXPECT_EQ(Show({0, 4, 4, 32, 32}),
              Show({s.topmost, s.columns, s.rows, s.cellWidth, s.cellHeight}));

    // Let go a moment after the load began: the load waits for it.
    HANDLE closer = CreateThread(nullptr, 0, CloseAfterAMoment, held, 0, nullptr);
    ASSERT_NE(nullptr, closer);
    // (Not Load: the thread's start and the closed handle fall inside the load.)
    EXPECT_EQ(1, LoadSettingsForModulePath((folder / "knaplet.exe").c_str(), &s));
    EXPECT_EQ(Show({1, 8, 8, 16, 16}),
              Show({s.topmost, s.columns, s.rows, s.cellWidth, s.cellHeight}));
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
}
