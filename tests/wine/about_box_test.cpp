// The About box as the game opens it: the real dialog template, cursor and
// version resource of this program (every test program links the game's
// resources), driven from a timer inside the dialog's modal loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cstdlib>
#include <fstream>
#include <shellapi.h>
#include <vector>
#include <memory>

#include "about/about_box.h"
#include "about/link_label.h"
#include "engine/random.h"
#include "tests/wine/about_driver.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/malloc_seam.h"

using namespace about_test;

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

// The first version of TOOLINFOA, which every comctl32 accepts: its three
// handles and the tool id are pointer-sized, so the 64-bit one is longer.
constexpr UINT kToolInfoV1Size = sizeof(void*) == 4 ? 40 : 56;

// The file the shell's target leaves when it is opened.
struct OpenTarget {
    std::string exe = Fixture("about_open_target.exe");
    std::string mark = exe + ".opened";
    OpenTarget() { DeleteFileA(mark.c_str()); }
    ~OpenTarget() { DeleteFileA(mark.c_str()); }
    bool Opened(DWORD waitMs) const
    {
        return wt::PumpUntil(
            [&] { return GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES; }, waitMs);
    }
    std::string Mark() const
    {
        std::string line;
        std::ifstream in(mark);
        std::getline(in, line);
        return line;
    }
};

// The resource meter stand-in in the system folder for the life of the object.
struct ResourceMeter : PlacedMeter {
    ResourceMeter() : PlacedMeter("rsrc32_standin\\rsrc32.dll", SystemFolder()) {}
};

RECT WindowRect(HWND hwnd)
{
    RECT rect;
    GetWindowRect(hwnd, &rect);
    return rect;
}

RECT WorkArea()
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

POINT CentreOf(HWND hwnd)
{
    const RECT rect = WindowRect(hwnd);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void MoveCursorTo(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    // A link under the pointer runs its leave timer without pause: pump for a while.
    wt::PumpFor(150);
}

// The tooltip subclasses the link on top of the label, so the window
// procedure is not the label's own: its saved procedure tells.
// Off the dialog, below it: a link left behind stops its leave watch.
void MoveCursorOff(HWND dialog)
{
    const RECT rect = WindowRect(dialog);
    MoveCursorTo({rect.left + 10, rect.bottom + 40});
}

// A real click: the harness's own waits for an idle queue, which a link under
// the pointer never gives.
void Click(HWND window, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(window, &point);
    MoveCursorTo(point);
    wt::SendMouseButton(true);
    wt::PumpFor(100);
    wt::SendMouseButton(false);
    wt::PumpFor(100);
}

bool IsLink(HWND control)
{
    return GetPropA(control, kPropOriginalProc) != nullptr;
}

// The colour and mask bits of an icon, for telling icons apart.
std::vector<DWORD> IconBits(HICON icon)
{
    std::vector<DWORD> bits;
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info)) return bits;
    HDC dc = GetDC(nullptr);
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
        BITMAP size;
        if (!bitmap || !GetObjectA(bitmap, sizeof size, &size)) continue;
        BITMAPINFO header;
        memset(&header, 0, sizeof header);
        header.bmiHeader.biSize = sizeof header.bmiHeader;
        header.bmiHeader.biWidth = size.bmWidth;
        header.bmiHeader.biHeight = size.bmHeight;
        header.bmiHeader.biPlanes = 1;
        header.bmiHeader.biBitCount = 32;
        std::vector<DWORD> part(static_cast<size_t>(size.bmWidth) * size.bmHeight);
        GetDIBits(dc, bitmap, 0, size.bmHeight, part.data(), &header, DIB_RGB_COLORS);
        bits.push_back(size.bmWidth);
        bits.insert(bits.end(), part.begin(), part.end());
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, dc);
    return bits;
}

std::vector<DWORD> ShellIconBits(bool small)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    SHFILEINFOA file;
    memset(&file, 0, sizeof file);
    SHGetFileInfoA(path, 0, &file, sizeof file, SHGFI_ICON | (small ? SHGFI_SMALLICON : 0));
    std::vector<DWORD> bits = IconBits(file.hIcon);
    DestroyIcon(file.hIcon);
    EXPECT_FALSE(bits.empty());
    return bits;
}

LOGFONTA FontOf(HGDIOBJ font)
{
    LOGFONTA look;
    memset(&look, 0, sizeof look);
    EXPECT_NE(0, GetObjectA(font, sizeof look, &look));
    return look;
}

int CountColour(const wt::Pixels& p, COLORREF colour)
{
    return p.Count({0, 0, p.width, p.height}, colour);
}

std::string ToolText(HWND tooltip, int index, TOOLINFOA* tool)
{
    char text[128] = "";
    memset(tool, 0, sizeof *tool);
    tool->cbSize = kToolInfoV1Size;
    tool->lpszText = text;
    if (!SendMessageA(tooltip, TTM_ENUMTOOLSA, index, reinterpret_cast<LPARAM>(tool)))
        return "<none>";
    return text;
}

int g_hookCalls = 0;

INT_PTR CALLBACK CountingHook(HWND, UINT, WPARAM, LPARAM)
{
    ++g_hookCalls;
    return FALSE;
}

// Swallows WM_INITDIALOG (counted); the second box it sees is closed at once.
INT_PTR CALLBACK SwallowInitHook(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG) return FALSE;
    if (++g_hookCalls == 2) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

// Takes the link's font away before the box sets it up, as a template
// without a font would leave it.
INT_PTR CALLBACK NoUrlFontHook(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) SendDlgItemMessageA(dialog, IDC_ABOUT_URL, WM_SETFONT, 0, 0);
    return FALSE;
}

class AboutBoxTest : public testing::Test {
protected:
    void SetUp() override
    {
        // A known state of the shared random source: no rare caption in the next draws.
        RandomSeed(1);
        owner = std::make_unique<wt::TestWindow>(200, 80);
        SetCursorPos(600, 500);
        info = GameGetAboutInfo(GetModuleHandleA(nullptr));
    }

    std::unique_ptr<wt::TestWindow> owner;
    AboutBoxInfo info;
};

}  // namespace

TEST_F(AboutBoxTest, ShowsTheProgramsTextsAndIconOverItsDisabledOwner)
{
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        EXPECT_EQ("Tessaly について", WindowText(dialog));
        EXPECT_EQ("Tessaly ver. 0.00", ItemText(dialog, IDC_ABOUT_VERSION));
        EXPECT_EQ(TESSALY_SUPPORT_URL, ItemText(dialog, IDC_ABOUT_URL));
        EXPECT_EQ("", ItemText(dialog, IDC_ABOUT_SYSRES));  // no resource meter here
        EXPECT_EQ(owner->hwnd(), GetWindow(dialog, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(owner->hwnd()));
        EXPECT_EQ(GetDlgItem(dialog, IDOK), GetFocus());
        EXPECT_NE(0, SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(0, SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));

        // The icons are the ones the shell gives for this program's file.
        HICON icon =
            reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_GETICON, 0, 0));
        EXPECT_EQ(ShellIconBits(false), IconBits(icon));
        EXPECT_EQ(ShellIconBits(false),
                  IconBits(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0))));
        EXPECT_EQ(ShellIconBits(true), IconBits(reinterpret_cast<HICON>(
                                           SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0))));
    });
    EXPECT_TRUE(IsWindowEnabled(owner->hwnd()));
    EXPECT_TRUE(OpenDialogs().empty());
}

// The link draws its text from one pixel in, in its own underlined font, and
// cuts whatever is wider than the control. Text widths vary with the font that
// stands in for the dialog's: one set-up cut a 28-character address after 25.
// So the address must fit the 102-unit field with a sixth of it to spare.
TEST_F(AboutBoxTest, TheWholeLinkFitsItsControlWithRoomToSpare)
{
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        HWND link = GetDlgItem(dialog, IDC_ABOUT_URL);
        const std::string text = WindowText(link);
        ASSERT_EQ(TESSALY_SUPPORT_URL, text);
        HDC dc = GetDC(link);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(link, WM_GETFONT, 0, 0)));
        SIZE extent = {0, 0};
        EXPECT_NE(0,
                  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent));
        SelectObject(dc, old);
        ReleaseDC(link, dc);
        RECT client;
        GetClientRect(link, &client);
        EXPECT_GT(extent.cx, 0);
        EXPECT_LE(1 + extent.cx, client.right * 5 / 6) << text << " in a field of " << client.right;
    });
}

TEST_F(AboutBoxTest, TheUrlBecomesAnUnderlinedLinkWithTooltipHandCursorAndLight)
{
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        HWND link = GetDlgItem(dialog, IDC_ABOUT_URL);
        HWND version = GetDlgItem(dialog, IDC_ABOUT_VERSION);
        EXPECT_TRUE(IsLink(link));
        EXPECT_FALSE(IsLink(version));

        // The link's font: the dialog's, underlined, owned by the dialog.
        HGDIOBJ font = GetPropA(dialog, kPropFontUrl);
        ASSERT_NE(nullptr, font);
        EXPECT_EQ(font, reinterpret_cast<HGDIOBJ>(SendMessageA(link, WM_GETFONT, 0, 0)));
        const LOGFONTA underlined = FontOf(font);
        const LOGFONTA plain =
            FontOf(reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
        EXPECT_EQ(1, underlined.lfUnderline);
        EXPECT_EQ(0, plain.lfUnderline);
        EXPECT_EQ(plain.lfHeight, underlined.lfHeight);
        EXPECT_STREQ(plain.lfFaceName, underlined.lfFaceName);
        EXPECT_EQ(nullptr, GetPropA(dialog, kPropFontMail));

        // One tooltip, owned by the dialog, with the link as its one tool.
        const std::vector<HWND> tips = OwnedTooltips(dialog);
        ASSERT_EQ(1u, tips.size());
        EXPECT_NE(0, GetWindowLongPtrA(tips[0], GWL_STYLE) & TTS_ALWAYSTIP);
        EXPECT_EQ(1, SendMessageA(tips[0], TTM_GETTOOLCOUNT, 0, 0));
        TOOLINFOA tool;
        EXPECT_EQ("サポートサイトへ", ToolText(tips[0], 0, &tool));
        EXPECT_EQ(static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS),
                  tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS));
        EXPECT_EQ(dialog, tool.hwnd);
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(link), tool.uId);

        // Under the pointer: the hand, and red text (the dialog reflects the hover).
        RECT linkRect = WindowRect(link);
        MoveCursorTo({linkRect.left + 3, (linkRect.top + linkRect.bottom) / 2});
        EXPECT_EQ(info.linkCursor, GetCursor());
        UpdateWindow(link);
        wt::Pixels p = wt::ReadClientPixels(link);
        EXPECT_GT(CountColour(p, kRed), 10);
        EXPECT_EQ(0, CountColour(p, kBlue));

        // Elsewhere: the normal cursor, and blue again once the label has left.
        MoveCursorTo(CentreOf(version));
        EXPECT_NE(info.linkCursor, GetCursor());
        UpdateWindow(link);
        p = wt::ReadClientPixels(link);
        EXPECT_GT(CountColour(p, kBlue), 10);
        EXPECT_EQ(0, CountColour(p, kRed));
    });
    // A link without a font of its own is the system font, underlined.
    info.hook = NoUrlFontHook;
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        const LOGFONTA link = FontOf(GetPropA(dialog, kPropFontUrl));
        EXPECT_STREQ(FontOf(GetStockObject(SYSTEM_FONT)).lfFaceName, link.lfFaceName);
        EXPECT_EQ(1, link.lfUnderline);
    });
    // Run by somebody else with no record, the box takes the last one shown.
    RunWithBox(
        [&] { DialogBoxParamA(info.instance, info.templateId, owner->hwnd(), AboutBoxDlgProc, 0); },
        [&](HWND dialog) { EXPECT_TRUE(IsLink(GetDlgItem(dialog, IDC_ABOUT_URL))); });
}

TEST_F(AboutBoxTest, TheBodyDragsTheDialogButTheLinkKeepsItsHits)
{
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        const RECT frame = WindowRect(dialog);
        POINT body = {0, 0};
        ClientToScreen(dialog, &body);
        body.x += 4;  // left of every control
        body.y += 40;
        EXPECT_EQ(HTCAPTION, SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(body.x, body.y)));
        // What is not the body keeps its own answer.
        EXPECT_EQ(HTNOWHERE, SendMessageA(dialog, WM_NCHITTEST, 0,
                                          MAKELPARAM(frame.right + 20, frame.bottom + 20)));

        HWND link = GetDlgItem(dialog, IDC_ABOUT_URL);
        MoveCursorTo(CentreOf(link));
        EXPECT_EQ(link, WindowFromPoint(CentreOf(link)));
        EXPECT_EQ(HTCLIENT, SendMessageA(link, WM_NCHITTEST, 0, 0));
    });
}

TEST_F(AboutBoxTest, OpensCentredOnTheCursorAndInsideTheWorkArea)
{
    const RECT work = WorkArea();
    SetCursorPos(500, 400);
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        const RECT rect = WindowRect(dialog);
        const int w = rect.right - rect.left, h = rect.bottom - rect.top;
        EXPECT_EQ(500 - w / 2, rect.left);
        EXPECT_EQ(400 - h / 2, rect.top);
    });
    SetCursorPos(work.right - 3, work.bottom - 2);
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        const RECT rect = WindowRect(dialog);
        EXPECT_EQ(work.right, rect.right);
        EXPECT_EQ(work.bottom, rect.bottom);
    });
    SetCursorPos(work.left + 1, work.top + 2);
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        const RECT rect = WindowRect(dialog);
        EXPECT_EQ(work.left, rect.left);
        EXPECT_EQ(work.top, rect.top);
    });
}

TEST_F(AboutBoxTest, ASecondShowOnlyBringsTheOpenBoxForward)
{
    g_hookCalls = 0;
    AboutBoxInfo second = info;
    second.linkCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));  // IDC_CROSS
    second.hook = CountingHook;
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        MoveCursorOff(dialog);
        {
            wt::TestWindow other(120, 60);
            SetForegroundWindow(other.hwnd());
            wt::PumpMessages();
            ASSERT_EQ(other.hwnd(), GetForegroundWindow());

            const DWORD start = GetTickCount();
            EXPECT_EQ(1, AboutBoxShow(owner->hwnd(), &second));
            EXPECT_LT(GetTickCount() - start, 2000u);  // returned at once, no second modal loop
            EXPECT_EQ(dialog, GetForegroundWindow());
            EXPECT_EQ(1u, OpenDialogs().size());
            // Above the other window too, not only the active one.
            for (HWND w = GetTopWindow(nullptr); w && w != dialog; w = GetWindow(w, GW_HWNDNEXT))
                EXPECT_NE(other.hwnd(), w);
        }

        // The open box still works from its own record: the hook of the
        // second never runs, and the link keeps the first one's cursor.
        HWND link = GetDlgItem(dialog, IDC_ABOUT_URL);
        MoveCursorTo(CentreOf(link));
        EXPECT_EQ(info.linkCursor, GetCursor());
        EXPECT_EQ(0, g_hookCalls);
    });
    // No record, no box; closed, the next show opens a box again.
    EXPECT_EQ(1, AboutBoxShow(owner->hwnd(), nullptr));
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) { EXPECT_TRUE(IsWindowVisible(dialog)); });
}

TEST_F(AboutBoxTest, ClickingTheLinkOpensItsTargetAndEndsWithOne)
{
    OpenTarget target;
    info.url = target.exe.c_str();
    const INT_PTR code = EndCode(owner->hwnd(), info, [&](HWND dialog) {
        HWND link = GetDlgItem(dialog, IDC_ABOUT_URL);
        EXPECT_EQ(target.exe, WindowText(link));  // the link shows its target
        Click(link, 3, 3);
    });
    EXPECT_EQ(1, code);
    EXPECT_TRUE(target.Opened(5000));
    wt::PumpFor(200);                     // while it writes
    EXPECT_EQ("shown 1", target.Mark());  // SW_SHOWNORMAL, as a browser's window would open
}

TEST_F(AboutBoxTest, PressingOnTheLinkAndReleasingElsewhereDoesNothing)
{
    OpenTarget target;
    info.url = target.exe.c_str();
    const INT_PTR code = EndCode(owner->hwnd(), info, [&](HWND dialog) {
        HWND link = GetDlgItem(dialog, IDC_ABOUT_URL);
        MoveCursorTo(CentreOf(link));
        wt::SendMouseButton(true);
        wt::PumpFor(100);
        MoveCursorTo(CentreOf(GetDlgItem(dialog, IDC_ABOUT_VERSION)));
        wt::SendMouseButton(false);
        wt::PumpFor(300);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(nullptr, GetCapture());
    });
    EXPECT_EQ(99, code);  // closed by the driver, not by the link
    EXPECT_FALSE(target.Opened(500));
}

TEST_F(AboutBoxTest, EscapeEndsWithTwoAndOkWithOne)
{
    // Keys go to the focus, the OK button; the dialog's loop turns them into commands.
    EXPECT_EQ(2, EndCode(owner->hwnd(), info, [](HWND dialog) {
                  ASSERT_EQ(GetDlgItem(dialog, IDOK), GetFocus());
                  PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
              }));
    EXPECT_EQ(1, EndCode(owner->hwnd(), info, [](HWND dialog) {
                  PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 1);
              }));
    EXPECT_EQ(1, EndCode(owner->hwnd(), info, [](HWND dialog) {
                  RECT ok;
                  GetClientRect(GetDlgItem(dialog, IDOK), &ok);
                  Click(GetDlgItem(dialog, IDOK), ok.right / 2, ok.bottom / 2);
              }));
    // Other commands leave it open.
    EXPECT_EQ(99, EndCode(owner->hwnd(), info, [](HWND dialog) {
                  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED), 0);
                  wt::PumpFor(50);
              }));
}

TEST_F(AboutBoxTest, AHookThatSwallowsInitDialogLeavesTheTemplateAsItIs)
{
    g_hookCalls = 0;
    info.hook = SwallowInitHook;
    SetCursorPos(700, 600);
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        EXPECT_EQ("について", WindowText(dialog));
        EXPECT_EQ("Tessaly for DEBUG", ItemText(dialog, IDC_ABOUT_VERSION));
        EXPECT_EQ(TESSALY_SUPPORT_URL, ItemText(dialog, IDC_ABOUT_URL));
        EXPECT_FALSE(IsLink(GetDlgItem(dialog, IDC_ABOUT_URL)));
        EXPECT_EQ(nullptr, GetPropA(dialog, kPropFontUrl));
        EXPECT_EQ(0, SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_GETICON, 0, 0));
        EXPECT_EQ(0, SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
        EXPECT_TRUE(OwnedTooltips(dialog).empty());
        const POINT centre = CentreOf(dialog);
        EXPECT_FALSE(abs(centre.x - 700) <= 1 && abs(centre.y - 600) <= 1);

        EXPECT_EQ(1, AboutBoxShow(owner->hwnd(), &info));
        EXPECT_EQ(2, g_hookCalls);  // a second box opened: the first never counted as open
    });
}

TEST_F(AboutBoxTest, OneBoxInAThousandHasTheRareCaption)
{
    // A seed whose next draw is a multiple of 1000, found with the game's own generator.
    uint32_t rare = 0;
    for (uint32_t seed = 1;; ++seed) {
        RandomSeed(seed);
        if (RandomNext() % 1000 == 0) {
            rare = seed;
            break;
        }
    }
    RandomSeed(rare);
    RandomNext();
    const int afterOneDraw = RandomNext();

    RandomSeed(rare);
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        EXPECT_EQ("-時には、翼のない天使のように-", WindowText(dialog));
        EXPECT_EQ("Tessaly ver. 0.00", ItemText(dialog, IDC_ABOUT_VERSION));
    });
    EXPECT_EQ(afterOneDraw, RandomNext());  // one draw, and no seeding of its own

    // Also without the version caption switched on.
    info.flags &= ~ABF_CAPTION;
    RandomSeed(rare);
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        EXPECT_EQ("-時には、翼のない天使のように-", WindowText(dialog));
    });
    // The draw after it is no multiple of 1000 (from seed 1: 41): the usual caption.
    RandomSeed(1);
    ShowWithBox(owner->hwnd(), info,
                [&](HWND dialog) { EXPECT_EQ("について", WindowText(dialog)); });
}

TEST_F(AboutBoxTest, TheResourceMeterFillsTheFreeResourcesLine)
{
    ResourceMeter meter;
    // Two answers no real meter gives: a line of 34 bytes fits, one of 35 is
    // cut between characters. Then the longest a real meter gives, 100 %.
    const std::pair<const char*, std::string> lines[] = {
        {"1000", "システムリソース： 1000 ％使用可能"},
        {"10000", "システムリソース： 10000 ％使用可"},
        {nullptr, "システムリソース： 100 ％使用可能"},
    };
    for (const auto& line : lines) {
        SetEnvironmentVariableA("TESSALY_FREE_SYSTEM", line.first);
        ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
            EXPECT_EQ(line.second, ItemText(dialog, IDC_ABOUT_SYSRES));
        });
    }
    EXPECT_EQ(nullptr, GetModuleHandleA("rsrc32.dll"));  // loaded for the query only
}

TEST_F(AboutBoxTest, SwitchedOffFeaturesLeaveTheTemplatesControlsAlone)
{
    ResourceMeter meter;  // there, but not asked for
    info.flags = 0;
    SetCursorPos(500, 400);
    int reflected = 0;
    owner->SetHandler([&](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) {
        reflected += msg == WM_NOTIFY;
        return false;
    });
    ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
        // Without ABF_MAIL nothing is the mail link, not even a control numbered 0 as mailId is.
        NMHDR hover = {owner->hwnd(), 0, LLN_HOVER};
        SendMessageA(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hover));
        EXPECT_EQ(0, reflected);
        HWND zero = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 1, 1, 6, 6,
                                    dialog, nullptr, GetModuleHandleA(nullptr), nullptr);
        MoveCursorTo(CentreOf(zero));
        EXPECT_NE(info.linkCursor, GetCursor());
        DestroyWindow(zero);
        EXPECT_EQ("について", WindowText(dialog));
        EXPECT_EQ("Tessaly for DEBUG", ItemText(dialog, IDC_ABOUT_VERSION));
        EXPECT_EQ("", ItemText(dialog, IDC_ABOUT_SYSRES));
        HWND url = GetDlgItem(dialog, IDC_ABOUT_URL);
        EXPECT_FALSE(IsLink(url));
        EXPECT_EQ(nullptr, GetPropA(dialog, kPropFontUrl));
        EXPECT_EQ(0, SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_GETICON, 0, 0));
        // The hand still shows over the URL control: it goes by the id alone.
        MoveCursorTo(CentreOf(url));
        EXPECT_EQ(info.linkCursor, GetCursor());
        // Centring, the caption icons and the (empty) tooltip come in any case.
        const POINT centre = CentreOf(dialog);
        EXPECT_LE(abs(centre.x - 500), 1);
        EXPECT_LE(abs(centre.y - 400), 1);
        EXPECT_NE(0, SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
        const std::vector<HWND> tips = OwnedTooltips(dialog);
        ASSERT_EQ(1u, tips.size());
        EXPECT_EQ(0, SendMessageA(tips[0], TTM_GETTOOLCOUNT, 0, 0));
    });
}

TEST_F(AboutBoxTest, TheMailLinkOpensItsTargetAndTheBoxStaysOpen)
{
    OpenTarget target;
    info.flags = ABF_MAIL;
    info.mailId = IDC_ABOUT_SYSRES;
    info.mail = target.exe.c_str();
    HGDIOBJ font = nullptr;
    const INT_PTR code = EndCode(owner->hwnd(), info, [&](HWND dialog) {
        HWND mail = GetDlgItem(dialog, IDC_ABOUT_SYSRES);
        EXPECT_TRUE(IsLink(mail));
        EXPECT_FALSE(IsLink(GetDlgItem(dialog, IDC_ABOUT_URL)));
        font = GetPropA(dialog, kPropFontMail);
        ASSERT_NE(nullptr, font);
        EXPECT_EQ(1, FontOf(font).lfUnderline);
        const std::vector<HWND> tips = OwnedTooltips(dialog);
        ASSERT_EQ(1u, tips.size());
        TOOLINFOA tool;
        EXPECT_EQ("作者へメールを送る", ToolText(tips[0], 0, &tool));

        MoveCursorTo(CentreOf(GetDlgItem(dialog, IDOK)));
        EXPECT_NE(info.linkCursor, GetCursor());  // the hand is the link's alone
        Click(mail, 3, 3);
        EXPECT_TRUE(target.Opened(5000));
        wt::PumpFor(100);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(99, code);
    EXPECT_EQ(0u, GetObjectType(font));  // deleted with the dialog
}

TEST_F(AboutBoxTest, OpenCloseCyclesGiveBackEveryHandle)
{
    HGDIOBJ font = nullptr;
    bool plainLink = false;
    const auto cycle = [&] {
        ShowWithBox(owner->hwnd(), info, [&](HWND dialog) {
            font = GetPropA(dialog, kPropFontUrl);
            plainLink = SendDlgItemMessageA(dialog, IDC_ABOUT_URL, WM_GETFONT, 0, 0) ==
                        SendMessageA(dialog, WM_GETFONT, 0, 0);
            MoveCursorTo(CentreOf(GetDlgItem(dialog, IDC_ABOUT_URL)));  // hover: a repaint in red
            PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 1);
        });
        SetCursorPos(600, 500);
        wt::PumpMessages();
    };
    cycle();  // the first one may fill caches of the system for good
    EXPECT_NE(nullptr, font);
    EXPECT_EQ(0u, GetObjectType(font));
    const wt::HandleCounts before = wt::CountHandles();
    ms::MallocWatch blocks;  // the version block and the link's text among them
    for (int i = 0; i < 5; ++i) cycle();
    {
        // A font the dialog cannot hold is deleted, and the link keeps the dialog's.
        is::Failing failing(is::Call::SetPropA, 3);  // after the label's two
        cycle();
        EXPECT_EQ(1, failing.Calls());
        EXPECT_EQ(nullptr, font);
        EXPECT_TRUE(plainLink);
    }
    const wt::HandleCounts after = wt::CountHandles();
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    EXPECT_EQ(before.heapBlocks, after.heapBlocks);  // the link's tooltip record among them
    EXPECT_EQ(0, blocks.Live());
}
