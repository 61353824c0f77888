// The About box's parts on their own: the version reading, the resource
// meter, the placement on the cursor, the bounded formatting, and the game's
// resources the box is made of.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "about/center_on_cursor.h"
#include "about/free_resources.h"
#include "about/text_format.h"
#include "about/version_info.h"
#include "app/sjis_path.h"
#include "resources/resource_ids.h"
#include "tests/wine/malloc_seam.h"
#include "tests/wine/about_driver.h"

using about_test::Fixture;
using about_test::PlacedMeter;
using about_test::ProgramFolder;
using about_test::SystemFolder;

namespace {

std::string ProgramPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

struct Block {
    void* data = nullptr;
    DWORD* translation = nullptr;
    explicit Block(const std::string& path) { data = VersionLoad(path.c_str(), &translation); }
    ~Block() { free(data); }
    std::string Get(const char* key, int size = 261, int* result = nullptr) const
    {
        std::vector<char> buffer(static_cast<size_t>(size) + 1, 'x');
        const int r = VersionGetString(buffer.data(), size, data, *translation, key);
        if (result) *result = r;
        EXPECT_EQ('x', buffer[static_cast<size_t>(size)]) << "wrote past the buffer";
        return buffer.data();
    }
};

}  // namespace

// ---- Version resource --------------------------------------------------------

TEST(VersionInfo, ReadsThisProgramsVersionResource)
{
    const Block block(ProgramPath());
    ASSERT_NE(nullptr, block.data);
    ASSERT_NE(nullptr, block.translation);
    EXPECT_EQ(0x04B00411u, *block.translation);  // Japanese, Unicode
    EXPECT_EQ("Tessaly", block.Get("ProductName"));
    EXPECT_EQ("Tessaly", block.Get("FileDescription"));
    EXPECT_EQ("0.00", block.Get("ProductVersion"));
    EXPECT_EQ("0.00", block.Get("FileVersion"));
    EXPECT_EQ("knaplet.exe", block.Get("OriginalFilename"));
    EXPECT_EQ(TESSALY_SUPPORT_URL, block.Get("Comments"));
    EXPECT_NE("", block.Get("CompanyName"));
    EXPECT_NE("", block.Get("LegalCopyright"));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data, "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0u, fixed->dwFileVersionMS | fixed->dwFileVersionLS);
    EXPECT_EQ(0u, fixed->dwProductVersionMS | fixed->dwProductVersionLS);
    EXPECT_EQ(0x40004u, fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
}

TEST(VersionInfo, AMissingValueEmptiesTheBuffer)
{
    const Block block(ProgramPath());
    ASSERT_NE(nullptr, block.data);
    int result = -1;
    EXPECT_EQ("", block.Get("NoSuchKey", 261, &result));
    EXPECT_EQ(0, result);
    // Another translation than the table's holds nothing.
    char buffer[16] = "junk";
    EXPECT_EQ(0, VersionGetString(buffer, sizeof buffer, block.data, 0x04E40409, "ProductName"));
    EXPECT_STREQ("", buffer);
}

TEST(VersionInfo, UsesTheFilesOwnTranslationAndCutsBetweenCharacters)
{
    const Block block(Fixture("rsrc32_noexport\\rsrc32.dll"));
    ASSERT_NE(nullptr, block.data);
    EXPECT_EQ(0x03A40411u, *block.translation);
    EXPECT_EQ("テスト", block.Get("ProductName"));
    int result = -1;
    EXPECT_EQ("", block.Get("Empty", 261, &result));
    EXPECT_EQ(1, result);  // there, if empty

    // "Aテスト": a cut inside テ drops it whole; a cut after it keeps it.
    EXPECT_EQ("A", block.Get("Mixed", 3));
    EXPECT_EQ("A", block.Get("Mixed", 2));
    EXPECT_EQ("Aテ", block.Get("Mixed", 4));
    EXPECT_EQ("Aテ", block.Get("Mixed", 5));
    EXPECT_EQ("Aテス", block.Get("Mixed", 6));
    EXPECT_EQ("", block.Get("Mixed", 1, &result));
    EXPECT_EQ(1, result);
    EXPECT_EQ(0, VersionGetString(nullptr, 8, block.data, *block.translation, "Mixed"));

    // 259 letters and "漢字": 260 bytes would end inside 漢.
    const std::string cut = block.Get("Long");
    EXPECT_EQ(std::string(259, 'A'), cut);
    EXPECT_EQ(std::string(259, 'A') + "漢", block.Get("Long", 262));
}

TEST(VersionInfo, AFileWithoutVersionResourceOrTranslationGivesNoBlock)
{
    DWORD* translation = nullptr;
    const std::string standin = Fixture("rsrc32_standin\\rsrc32.dll");
    ms::MallocWatch watch;  // the block read for a file without translations is freed
    void* block = VersionLoad(standin.c_str(), &translation);
    const int calls = watch.Calls(), live = watch.Live();
    EXPECT_EQ(nullptr, block);
    EXPECT_EQ(1, calls);
    EXPECT_EQ(0, live);
    EXPECT_EQ(nullptr, VersionLoad(Fixture("no such file.exe").c_str(), &translation));
    EXPECT_EQ(nullptr, VersionLoad("", &translation));
}

// ---- Resource meter ---------------------------------------------------------

namespace {

// The game's system folder, through its import: while not 0, a length as
// GetSystemDirectoryA gives it for a folder too long for the buffer.
UINT g_systemFolderLength = 0;

UINT WINAPI TestSystemFolder(char* path, UINT size)
{
    static const auto real = reinterpret_cast<UINT(WINAPI*)(char*, UINT)>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemDirectoryA")));
    return g_systemFolderLength ? g_systemFolderLength : real(path, size);
}

}  // namespace

extern "C" {
#ifdef _WIN64
void* g_folderImport asm("__imp_GetSystemDirectoryA") = reinterpret_cast<void*>(&TestSystemFolder);
#else
void*
    g_folderImport asm("__imp__GetSystemDirectoryA@8") = reinterpret_cast<void*>(&TestSystemFolder);
#endif
}

TEST(FreeResources, ASystemFolderTooLongForTheMetersPathLoadsNothing)
{
    const PlacedMeter meter("rsrc32_standin\\rsrc32.dll", SystemFolder());
    int system = -5;
    for (const UINT length : {250u, 300u}) {  // 249 and the meter's name fill the 261 bytes
        g_systemFolderLength = length;
        EXPECT_EQ(0, GetFreeResources(&system, nullptr, nullptr)) << length;
    }
    g_systemFolderLength = 0;
    EXPECT_EQ(-5, system);
}

TEST(FreeResources, WithoutTheMeterInTheSystemFolderNothingIsFilled)
{
    // Anywhere else it would run when loaded: beside the program, on the DLL search path.
    DeleteFileA((SystemFolder() + "rsrc32.dll").c_str());  // a copy a crashed test left there
    const PlacedMeter beside("rsrc32_standin\\rsrc32.dll", ProgramFolder());
    SetDllDirectoryA(Fixture("rsrc32_standin").c_str());
    int system = -5, gdi = -5, user = -5;
    EXPECT_EQ(0, GetFreeResources(&system, &gdi, &user));
    EXPECT_EQ(-5, system);
    EXPECT_EQ(-5, gdi);
    EXPECT_EQ(-5, user);
    EXPECT_EQ(nullptr, GetModuleHandleA("rsrc32.dll"));
    SetDllDirectoryA(nullptr);
}

TEST(FreeResources, TheMeterIsAskedForEachKindAndFreedAgain)
{
    const PlacedMeter meter("rsrc32_standin\\rsrc32.dll", SystemFolder());
    int system = -5, gdi = -5, user = -5;
    EXPECT_EQ(1, GetFreeResources(&system, &gdi, &user));
    EXPECT_EQ(100, system);
    EXPECT_EQ(61, gdi);
    EXPECT_EQ(72, user);
    EXPECT_EQ(nullptr, GetModuleHandleA("rsrc32.dll"));
    // Null out arguments are skipped.
    system = -5;
    EXPECT_EQ(1, GetFreeResources(nullptr, nullptr, &system));
    EXPECT_EQ(72, system);
    EXPECT_EQ(1, GetFreeResources(nullptr, nullptr, nullptr));
}

TEST(FreeResources, AMeterWithoutTheExportIsFreedAndReportsNothing)
{
    const PlacedMeter meter("rsrc32_noexport\\rsrc32.dll", SystemFolder());
    int system = -5;
    EXPECT_EQ(0, GetFreeResources(&system, nullptr, nullptr));
    EXPECT_EQ(-5, system);
    EXPECT_EQ(nullptr, GetModuleHandleA("rsrc32.dll"));
}

TEST(FreeResources, TheStandInExportsExactlyTheMetersName)
{
    HMODULE meter = LoadLibraryA(Fixture("rsrc32_standin\\rsrc32.dll").c_str());
    ASSERT_NE(nullptr, meter);
    EXPECT_NE(nullptr, GetProcAddress(meter, "_MyGetFreeSystemResources32@4"));
    EXPECT_EQ(nullptr, GetProcAddress(meter, "MyGetFreeSystemResources32@4"));
    EXPECT_EQ(nullptr, GetProcAddress(meter, "MyGetFreeSystemResources32"));
    FreeLibrary(meter);
}

// ---- Placement on the cursor ------------------------------------------------

namespace {

RECT WorkArea()
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

HWND Popup(int width, int height)
{
    const char* cls = wt::RegisterTestClass("center_test", DefWindowProcA);
    return CreateWindowExA(0, cls, "", WS_POPUP | WS_VISIBLE, 10, 10, width, height, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

RECT Placed(HWND window, int cursorX, int cursorY)
{
    SetCursorPos(cursorX, cursorY);
    EXPECT_EQ(1, CenterOnCursor(window));
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

}  // namespace

TEST(CenterOnCursor, CentresThenClampsToTheWorkArea)
{
    // A work area short of the screen, as a task bar leaves it.
    const RECT screen = WorkArea();
    RECT shorter = {screen.left, screen.top, screen.right - 40, screen.bottom - 30};
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &shorter, 0));
    const RECT work = WorkArea();
    EXPECT_EQ(shorter.bottom, work.bottom);
    HWND window = Popup(101, 61);
    RECT r = Placed(window, 400, 300);
    EXPECT_EQ(400 - 50, r.left);  // half the width, truncated
    EXPECT_EQ(300 - 30, r.top);
    EXPECT_EQ(101, r.right - r.left);  // size kept
    EXPECT_EQ(61, r.bottom - r.top);

    r = Placed(window, work.right - 1, work.bottom - 1);
    EXPECT_EQ(work.right, r.right);
    EXPECT_EQ(work.bottom, r.bottom);
    r = Placed(window, work.left, work.top);
    EXPECT_EQ(work.left, r.left);
    EXPECT_EQ(work.top, r.top);
    r = Placed(window, work.right - 30, work.top + 40);
    EXPECT_EQ(work.right, r.right);
    EXPECT_EQ(work.top + 10, r.top);
    DestroyWindow(window);
    SystemParametersInfoA(SPI_SETWORKAREA, 0, const_cast<RECT*>(&screen), 0);
}

TEST(CenterOnCursor, AWindowLargerThanTheWorkAreaSitsAtItsLeftAndTop)
{
    const RECT work = WorkArea();
    HWND window = Popup(work.right - work.left + 200, work.bottom - work.top + 100);
    for (const POINT cursor : {POINT{5, 5}, POINT{work.right - 5, work.bottom - 5}}) {
        const RECT r = Placed(window, cursor.x, cursor.y);
        EXPECT_EQ(work.left, r.left);
        EXPECT_EQ(work.top, r.top);
    }
    DestroyWindow(window);
}

TEST(CenterOnCursor, AChildIsPlacedInItsParentsClientCoordinates)
{
    wt::TestWindow parent(300, 200);
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20,
                                 parent.hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
    POINT target = {150, 100};
    ClientToScreen(parent.hwnd(), &target);
    const RECT r = Placed(child, target.x, target.y);
    EXPECT_EQ(target.x - 20, r.left);  // on screen where it belongs
    EXPECT_EQ(target.y - 10, r.top);
    DestroyWindow(child);
}

// ---- Bounded formatting -----------------------------------------------------

TEST(TextFormat, FitsOrCutsWithoutLeavingHalfACharacter)
{
    char buffer[35];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(1, TextFormat(buffer, sizeof buffer, "システムリソース： %d ％使用可能", 100));
    EXPECT_STREQ("システムリソース： 100 ％使用可能", buffer);
    EXPECT_EQ(33u, strlen(buffer));
    EXPECT_EQ(1, TextFormat(buffer, sizeof buffer, "システムリソース： %d ％使用可能", 0));
    EXPECT_STREQ("システムリソース： 0 ％使用可能", buffer);

    // 34 bytes would end with the lead byte of 使: the cut keeps 33.
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(0, TextFormat(buffer, sizeof buffer, "システムリソース： %d ％使用可能", INT_MIN));
    EXPECT_STREQ("システムリソース： -2147483648 ％", buffer);

    // A cut between characters keeps every byte it may.
    char small[6];
    EXPECT_EQ(0, TextFormat(small, sizeof small, "%s", "ABCDEFG"));
    EXPECT_STREQ("ABCDE", small);
    EXPECT_EQ(0, TextFormat(small, sizeof small, "%s", "Aテスト"));
    EXPECT_STREQ("Aテス", small);
    EXPECT_EQ(0, TextFormat(small, sizeof small, "%s", "ABテスト"));
    EXPECT_STREQ("ABテ", small);
    char two[2];
    EXPECT_EQ(0, TextFormat(two, sizeof two, "%s", "テ"));
    EXPECT_STREQ("", two);
    char one[1] = {'x'};
    EXPECT_EQ(0, TextFormat(one, sizeof one, "%s", "A"));
    EXPECT_EQ('\0', one[0]);
}

// ---- The game's resources ---------------------------------------------------

namespace {

// Reads a DLGTEMPLATE (not the EX form) as windres writes it.
struct TemplateReader {
    const BYTE* p;
    WORD Word()
    {
        WORD w;
        memcpy(&w, p, 2);
        p += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD d;
        memcpy(&d, p, 4);
        p += 4;
        return d;
    }
    std::wstring Text()
    {
        std::wstring s;
        for (WORD c = Word(); c != 0; c = Word()) s += static_cast<wchar_t>(c);
        return s;
    }
    // A name or an ordinal (0xFFFF followed by the number).
    std::wstring NameOrOrdinal()
    {
        WORD first;
        memcpy(&first, p, 2);
        if (first == 0xFFFF) {
            p += 2;
            return L"#" + std::to_wstring(Word());
        }
        return Text();
    }
    void AlignDword(const BYTE* base)
    {
        while ((p - base) % 4) ++p;
    }
};

struct Item {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    std::wstring cls, text;
};

}  // namespace

TEST(Resources, TheAboutDialogTemplateIsAsTheGameNeedsIt)
{
    HRSRC found =
        FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_ABOUT), MAKEINTRESOURCEA(5));  // RT_DIALOG
    ASSERT_NE(nullptr, found);
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    TemplateReader r{base};
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              r.Dword());
    EXPECT_EQ(0u, r.Dword());  // no extended style
    const WORD count = r.Word();
    EXPECT_EQ(5, count);
    EXPECT_EQ(0, static_cast<short>(r.Word()));
    EXPECT_EQ(0, static_cast<short>(r.Word()));
    EXPECT_EQ(139, static_cast<short>(r.Word()));
    EXPECT_EQ(56, static_cast<short>(r.Word()));
    EXPECT_EQ(L"", r.NameOrOrdinal());  // no menu
    EXPECT_EQ(L"", r.NameOrOrdinal());  // the standard dialog class
    EXPECT_EQ(L"について", r.Text());
    EXPECT_EQ(9, r.Word());
    EXPECT_EQ(L"ＭＳ Ｐゴシック", r.Text());

    std::vector<Item> items;
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword(base);
        Item item;
        item.style = r.Dword();
        EXPECT_EQ(0u, r.Dword());
        item.x = static_cast<short>(r.Word());
        item.y = static_cast<short>(r.Word());
        item.cx = static_cast<short>(r.Word());
        item.cy = static_cast<short>(r.Word());
        item.id = r.Word();
        item.cls = r.NameOrOrdinal();
        // The predefined classes may be named or given by their ordinals.
        if (item.cls == L"STATIC") item.cls = L"#130";
        if (item.cls == L"BUTTON") item.cls = L"#128";
        item.text = r.NameOrOrdinal();
        const WORD extra = r.Word();
        r.p += extra;
        items.push_back(item);
    }
    ASSERT_EQ(5u, items.size());
    const DWORD text = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
    const std::wstring staticClass = L"#130", buttonClass = L"#128";
    const std::wstring url = [] {
        std::wstring w;
        for (const char* c = TESSALY_SUPPORT_URL; *c; ++c) w += static_cast<wchar_t>(*c);
        return w;
    }();
    const struct {
        WORD id;
        std::wstring cls;
        DWORD style;
        short x, y, cx, cy;
        std::wstring text;
    } expected[] = {
        {IDC_ABOUT_ICON, staticClass, WS_CHILD | WS_VISIBLE | SS_ICON, 7, 7, 20, 20, L"IDI_ICON"},
        {IDC_ABOUT_VERSION, staticClass, text, 30, 7, 102, 8, L"Tessaly for DEBUG"},
        {IDC_ABOUT_URL, staticClass, text, 30, 16, 102, 8, url},
        {IDC_ABOUT_SYSRES, staticClass, text, 30, 25, 102, 8, L""},
        {IDOK, buttonClass, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 45, 35, 45, 14,
         L"OK"},
    };
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].id, items[i].id);
        EXPECT_EQ(expected[i].cls, items[i].cls);
        EXPECT_EQ(expected[i].style, items[i].style);
        EXPECT_EQ(expected[i].x, items[i].x);
        EXPECT_EQ(expected[i].y, items[i].y);
        EXPECT_EQ(expected[i].cx, items[i].cx);
        EXPECT_EQ(expected[i].cy, items[i].cy);
        EXPECT_TRUE(expected[i].text == items[i].text);
    }
    // The program has no icon of that name: the icon control starts empty.
    EXPECT_EQ(nullptr, FindResourceA(nullptr, "IDI_ICON", MAKEINTRESOURCEA(14)));  // RT_GROUP_ICON
}

TEST(Resources, TheLinkCursorIsAMonochromeHandPointingAtItsHotSpot)
{
    HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINKCURSOR));
    ASSERT_NE(nullptr, cursor);
    ICONINFO icon;
    ASSERT_TRUE(GetIconInfo(cursor, &icon));
    EXPECT_FALSE(icon.fIcon);
    EXPECT_EQ(7u, icon.xHotspot);
    EXPECT_EQ(0u, icon.yHotspot);
    EXPECT_EQ(nullptr, icon.hbmColor);  // monochrome: the mask holds both halves
    BITMAP mask;
    ASSERT_NE(0, GetObjectA(icon.hbmMask, sizeof mask, &mask));
    EXPECT_EQ(32, mask.bmWidth);
    EXPECT_EQ(64, mask.bmHeight);

    // The hot spot is the fingertip: drawn there, the pixel is the outline's black.
    const wt::Pixels p = wt::DrawOffscreen(32, 32, RGB(0, 255, 0), [&](HDC dc) {
        DrawIconEx(dc, 0, 0, cursor, 32, 32, 0, nullptr, DI_NORMAL);
    });
    EXPECT_EQ(RGB(0, 0, 0), p.At(7, 0));
    EXPECT_EQ(RGB(0, 255, 0), p.At(6, 0));  // nothing above or beside the tip
    EXPECT_EQ(RGB(0, 255, 0), p.At(8, 0));
    EXPECT_GT(p.Count({0, 0, 32, 32}, RGB(255, 255, 255)), 50);  // a white hand in a black outline
    DeleteObject(icon.hbmMask);
}
