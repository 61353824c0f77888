// The link label on a real static control, driven with the real cursor and
// mouse buttons, judged by the notifications its parent receives, by what
// reaches the control's own procedure, and by the pixels on screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "about/link_label.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/malloc_seam.h"
#include "tests/wine/support/wine_test.h"

namespace {

constexpr int kLabelId = 1008;
constexpr int kLabelX = 20, kLabelY = 20, kLabelW = 180, kLabelH = 34;
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGray = RGB(128, 128, 128);
// A face colour no other pixel has, so the background is told apart from the parent's.
constexpr COLORREF kFace = RGB(20, 140, 60);

struct Received {
    UINT code;
    DWORD keyFlags;
    DWORD position;
    HWND capture;  // who held the mouse capture while the parent handled it
};

// What the test saw; the procedures below are plain functions, so it is global.
struct Log {
    bool reflect = true;
    std::vector<Received> notes;
    std::vector<std::string> order;  // notifications and saved-procedure messages, in turn
    std::vector<std::pair<UINT, WPARAM>> spied;  // messages that reached the saved procedure
    WNDPROC staticProc = nullptr;
    // Seen by the saved procedure during WM_DESTROY.
    bool destroyed = false;
    int propsAtDestroy = -1;
    LONG_PTR procAtDestroy = 0;
};
Log g;

int Notes(UINT code)
{
    int n = 0;
    for (const Received& r : g.notes)
        if (r.code == code) ++n;
    return n;
}

bool Spied(UINT message, WPARAM wParam)
{
    for (const auto& m : g.spied)
        if (m.first == message && m.second == wParam) return true;
    return false;
}

bool Spied(UINT message)
{
    for (const auto& m : g.spied)
        if (m.first == message) return true;
    return false;
}

BOOL CALLBACK CountLinkProp(HWND, LPSTR name, HANDLE, ULONG_PTR count)
{
    // Properties added by atom come back as integer names.
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && strncmp(name, "LLPROP_", 7) == 0) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

int CountLinkProps(HWND window)
{
    int count = 0;
    EnumPropsExA(window, CountLinkProp, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Installed under the link label: the "saved procedure" the label passes on to.
LRESULT CALLBACK SpyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER || msg == WM_NOTIFY || msg == WM_LBUTTONUP || msg == WM_LBUTTONDOWN ||
        msg == WM_MOUSEMOVE || msg == WM_PAINT) {
        g.spied.emplace_back(msg, wParam);
    }
    if (msg == WM_LBUTTONUP) g.order.push_back("saved:WM_LBUTTONUP");
    if (msg == WM_DESTROY) {
        g.destroyed = true;
        g.propsAtDestroy = CountLinkProps(hwnd);
        g.procAtDestroy = GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
    }
    return CallWindowProcA(g.staticProc, hwnd, msg, wParam, lParam);
}

bool ParentHandler(HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT* result)
{
    if (msg != WM_NOTIFY) return false;
    const auto* note = reinterpret_cast<const LinkNotify*>(lParam);
    if (note->header.idFrom != kLabelId) return false;
    g.notes.push_back({note->header.code, note->keyFlags, note->position, GetCapture()});
    if (note->header.code == LLN_CLICK) g.order.push_back("LLN_CLICK");
    if (g.reflect && (note->header.code == LLN_HOVER || note->header.code == LLN_LEAVE)) {
        SendMessageA(note->header.hwndFrom, WM_NOTIFY, note->header.idFrom, lParam);
    }
    *result = 0;
    return true;
}

// While the pointer is over the label its leave timer runs without pause, so
// the queue is never idle: these helpers pump for a fixed time instead.
void Settle()
{
    wt::PumpFor(120);
}

void MoveTo(HWND window, int x, int y)
{
    POINT target = {x, y};
    ClientToScreen(window, &target);
    SetCursorPos(target.x, target.y);
    wt::PumpUntil(
        [&] {
            POINT now;
            GetCursorPos(&now);
            return now.x == target.x && now.y == target.y;
        },
        1000);
    Settle();
}

void Button(bool down)
{
    wt::SendMouseButton(down);
    Settle();
}

class LinkLabelTest : public testing::Test {
protected:
    void SetUp() override
    {
        g = Log();
        parent = std::make_unique<wt::TestWindow>(280, 110, ParentHandler);
        // No SS_NOTIFY: a plain static lets every hit fall through to its
        // parent, so the mouse reaches it only through the label's hit test.
        label =
            CreateWindowExA(0, "STATIC", "Link text", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                            kLabelX, kLabelY, kLabelW, kLabelH, parent->hwnd(),
                            reinterpret_cast<HMENU>(kLabelId), GetModuleHandleA(nullptr), nullptr);
        // Big, bold and without anti-aliasing, so text pixels are exactly the text colour.
        font = CreateFontA(-26, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                           NONANTIALIASED_QUALITY, 0, "IPAPGothic");
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        g.staticProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SpyProc)));
        EXPECT_EQ(1, LinkLabelAttach(label));
        // The cursor starts on the parent, away from the label.
        MoveTo(parent->hwnd(), 250, 90);
        Repaint();
        g.notes.clear();
        g.order.clear();
        g.spied.clear();
    }

    void TearDown() override
    {
        wt::SendMouseButton(false);
        if (IsWindow(label)) DestroyWindow(label);
        parent.reset();
        DeleteObject(font);
    }

    void Repaint()
    {
        InvalidateRect(label, nullptr, FALSE);
        UpdateWindow(label);
        Settle();
    }

    wt::Pixels Pixels() const { return wt::ReadClientPixels(label); }

    static int Count(const wt::Pixels& p, COLORREF colour)
    {
        return p.Count({0, 0, p.width, p.height}, colour);
    }

    // The one-pixel border of the label, all in one colour.
    static bool Framed(const wt::Pixels& p, COLORREF colour)
    {
        for (int x = 0; x < p.width; ++x)
            if (p.At(x, 0) != colour || p.At(x, p.height - 1) != colour) return false;
        for (int y = 0; y < p.height; ++y)
            if (p.At(0, y) != colour || p.At(p.width - 1, y) != colour) return false;
        return true;
    }

    void Inside() { MoveTo(label, 40, 12); }
    void Outside() { MoveTo(parent->hwnd(), 250, 90); }

    ms::Fence fence;  // a text written past its block faults
    std::unique_ptr<wt::TestWindow> parent;
    HWND label = nullptr;
    HFONT font = nullptr;
};

}  // namespace

TEST_F(LinkLabelTest, AttachingSubclassesAndStartsBlueOnTheFaceColour)
{
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&LinkLabelWndProc),
              GetWindowLongPtrA(label, GWLP_WNDPROC));
    EXPECT_EQ(reinterpret_cast<HANDLE>(&SpyProc), GetPropA(label, kPropOriginalProc));
    EXPECT_EQ(2, CountLinkProps(label));
    EXPECT_EQ(nullptr, GetPropA(label, kPropControlState));
    {
        // A control that cannot keep its saved procedure stays what it was.
        is::Failing failing(is::Call::SetPropA, 1);
        HWND plain = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 9, 9, GetParent(label),
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
        EXPECT_EQ(0, LinkLabelAttach(plain));
        EXPECT_NE(reinterpret_cast<LONG_PTR>(&LinkLabelWndProc),
                  GetWindowLongPtrA(plain, GWLP_WNDPROC));
        DestroyWindow(plain);
    }

    wt::ScopedSysColors colours{{COLOR_BTNFACE, kFace}};
    Repaint();
    const wt::Pixels p = Pixels();
    EXPECT_GT(Count(p, kBlue), 50);
    EXPECT_EQ(0, Count(p, kRed));
    EXPECT_EQ(p.width * p.height, Count(p, kBlue) + Count(p, kFace))
        << p.Picture({0, 0, p.width, p.height}, {{kBlue, '#'}, {kFace, '.'}});
    // The whole text in the control's own 26-pixel font, from column 1 of the top row.
    const wt::Pixels want = wt::DrawOffscreen(p.width, p.height, kFace, [&](HDC dc) {
        SelectObject(dc, font);
        SetTextColor(dc, kBlue);
        SetBkMode(dc, TRANSPARENT);
        TextOutA(dc, 1, 0, "Link text", 9);
    });
    EXPECT_TRUE(want.data == p.data) << p.Picture({0, 0, p.width, p.height}, {{kBlue, '#'}});
    // Its block holds the text and the zero after it.
    ms::MallocWatch watch(1);
    Repaint();
    EXPECT_EQ(10u, watch.FailedSize());
}

TEST_F(LinkLabelTest, AnEmptyTextFillsTheBackgroundOnly)
{
    wt::ScopedSysColors colours{{COLOR_BTNFACE, kFace}};
    SetWindowTextA(label, "");
    Repaint();
    const wt::Pixels p = Pixels();
    EXPECT_EQ(p.width * p.height, Count(p, kFace));
}

TEST_F(LinkLabelTest, AReflectingParentSeesItTurnRedUnderThePointerAndBlueWhenItLeaves)
{
    Inside();
    ASSERT_GE(Notes(LLN_HOVER), 1);
    const Received& hover = g.notes.back();
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(40, 12)), hover.position);
    EXPECT_EQ(0u, hover.keyFlags);
    EXPECT_EQ(0, Notes(LLN_LEAVE));
    Repaint();
    wt::Pixels p = Pixels();
    EXPECT_GT(Count(p, kRed), 50);
    EXPECT_EQ(0, Count(p, kBlue));
    EXPECT_FALSE(Framed(p, kGray));  // not pressed
    EXPECT_EQ(reinterpret_cast<HANDLE>(1), GetPropA(label, kPropControlState));

    // Every move inside is reported, one notification each.
    const int before = Notes(LLN_HOVER);
    MoveTo(label, 60, 14);
    MoveTo(label, 70, 16);
    EXPECT_EQ(before + 2, Notes(LLN_HOVER));

    Outside();
    EXPECT_EQ(1, Notes(LLN_LEAVE));
    Repaint();
    p = Pixels();
    EXPECT_GT(Count(p, kBlue), 50);
    EXPECT_EQ(0, Count(p, kRed));
    // The leave timer is gone with the first tick outside: nothing more comes.
    wt::PumpFor(150);
    EXPECT_EQ(1, Notes(LLN_LEAVE));
    EXPECT_FALSE(KillTimer(label, IDT_LINKLEAVE));
}

TEST_F(LinkLabelTest, HoverAndLeaveAskTheCursorNotTheMessage)
{
    // The pointer is outside: a move whose coordinates claim the inside is no hover.
    SendMessageA(label, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(0, Notes(LLN_HOVER));
    Inside();
    g.notes.clear();
    // The pointer is inside: a move that claims the outside is still a hover,
    // and it carries the message's own wParam and lParam.
    SendMessageA(label, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(500, 400));
    ASSERT_EQ(1, Notes(LLN_HOVER));
    EXPECT_EQ(static_cast<DWORD>(MK_SHIFT), g.notes[0].keyFlags);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(500, 400)), g.notes[0].position);
    EXPECT_TRUE(Spied(WM_MOUSEMOVE, MK_SHIFT));  // and passes the move on as it came
    // Hit tests answer for the cursor too: the label keeps a hit that a plain
    // static would let through, and passes on the rest.
    EXPECT_EQ(HTCLIENT, SendMessageA(label, WM_NCHITTEST, 0, MAKELPARAM(0, 0)));
    Outside();
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(label, WM_NCHITTEST, 0, MAKELPARAM(0, 0)));
}

TEST_F(LinkLabelTest, AParentThatDoesNotReflectKeepsItBlueAndStillGetsClicks)
{
    g.reflect = false;
    Inside();
    EXPECT_GE(Notes(LLN_HOVER), 1);
    Button(true);
    Repaint();
    const wt::Pixels p = Pixels();
    EXPECT_GT(Count(p, kBlue), 50);
    EXPECT_EQ(0, Count(p, kRed));
    EXPECT_EQ(0, Count(p, kGray));  // no frame without hot
    Button(false);
    EXPECT_EQ(1, Notes(LLN_CLICK));
    Outside();
    EXPECT_EQ(1, Notes(LLN_LEAVE));
    EXPECT_EQ(nullptr, GetPropA(label, kPropControlState));
}

TEST_F(LinkLabelTest, APressShowsTheGrayFrameAndTheClickComesAfterTheCaptureIsReleased)
{
    Inside();
    Button(true);
    EXPECT_EQ(label, GetCapture());
    const wt::Pixels p = Pixels();  // the press repaints by itself
    EXPECT_TRUE(Framed(p, kGray)) << p.Picture({0, 0, p.width, p.height},
                                               {{kGray, 'g'}, {kRed, 'r'}, {kBlue, 'b'}});
    EXPECT_GT(Count(p, kRed), 50);
    EXPECT_EQ(0, Notes(LLN_CLICK));

    Button(false);
    EXPECT_EQ(nullptr, GetCapture());
    ASSERT_EQ(1, Notes(LLN_CLICK));
    for (const Received& r : g.notes)
        if (r.code == LLN_CLICK) {
            EXPECT_EQ(nullptr, r.capture);
            EXPECT_EQ(0u, r.keyFlags);
            EXPECT_EQ(0u, r.position);
        }
    // The click reaches the parent before the control's own procedure sees the release.
    const std::vector<std::string> expected = {"LLN_CLICK", "saved:WM_LBUTTONUP"};
    EXPECT_EQ(expected, g.order);
    EXPECT_TRUE(Spied(WM_LBUTTONDOWN));
}

TEST_F(LinkLabelTest, ReleasingOutsideAfterAPressClicksNothing)
{
    Inside();
    Button(true);
    MoveTo(parent->hwnd(), 250, 90);
    // Moves outside are not hovers; the leave timer turns it blue and drops the frame.
    EXPECT_EQ(1, Notes(LLN_LEAVE));
    Repaint();
    wt::Pixels p = Pixels();
    EXPECT_EQ(0, Count(p, kRed));
    EXPECT_EQ(0, Count(p, kGray));
    EXPECT_GT(Count(p, kBlue), 50);
    EXPECT_EQ(label, GetCapture());

    Button(false);
    EXPECT_EQ(0, Notes(LLN_CLICK));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(Spied(WM_LBUTTONUP));
}

TEST_F(LinkLabelTest, DraggingOutAndBackInClicksExactlyOnce)
{
    Inside();
    Button(true);
    MoveTo(parent->hwnd(), 250, 90);
    EXPECT_EQ(1, Notes(LLN_LEAVE));
    g.notes.clear();
    MoveTo(label, 50, 10);
    EXPECT_GE(Notes(LLN_HOVER), 1);
    wt::Pixels p = Pixels();
    EXPECT_TRUE(Framed(p, kGray));  // red text and frame are back
    EXPECT_GT(Count(p, kRed), 50);
    Button(false);
    EXPECT_EQ(1, Notes(LLN_CLICK));
    wt::PumpFor(100);
    EXPECT_EQ(1, Notes(LLN_CLICK));
}

TEST_F(LinkLabelTest, AReleaseWithoutAPressIsOnlyPassedOn)
{
    // Pressed on the parent, released over the label: the label never had the capture.
    Button(true);
    Inside();
    g.spied.clear();
    Button(false);
    EXPECT_EQ(0, Notes(LLN_CLICK));
    EXPECT_TRUE(Spied(WM_LBUTTONUP));
}

TEST_F(LinkLabelTest, ForeignTimersAndNotificationsReachTheSavedProcedure)
{
    SendMessageA(label, WM_TIMER, 7, 0);
    EXPECT_TRUE(Spied(WM_TIMER, 7));

    // Its own timer id is consumed: with the pointer outside it reports a leave.
    SendMessageA(label, WM_TIMER, IDT_LINKLEAVE, 0);
    EXPECT_FALSE(Spied(WM_TIMER, IDT_LINKLEAVE));
    EXPECT_EQ(1, Notes(LLN_LEAVE));

    NMHDR other = {label, kLabelId, LLN_CLICK};
    SendMessageA(label, WM_NOTIFY, kLabelId, reinterpret_cast<LPARAM>(&other));
    other.code = 0xFFFFFFFE;  // NM_CLICK of the common controls
    SendMessageA(label, WM_NOTIFY, kLabelId, reinterpret_cast<LPARAM>(&other));
    const auto notifies = [] {
        return std::count_if(g.spied.begin(), g.spied.end(),
                             [](const std::pair<UINT, WPARAM>& m) { return m.first == WM_NOTIFY; });
    };
    EXPECT_EQ(2, notifies());
    // The label's own codes are consumed.
    other.code = LLN_LEAVE;
    SendMessageA(label, WM_NOTIFY, kLabelId, reinterpret_cast<LPARAM>(&other));
    other.code = LLN_HOVER;
    SendMessageA(label, WM_NOTIFY, kLabelId, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(2, notifies());
}

TEST_F(LinkLabelTest, AHoverReflectedAfterThePointerLeftKeepsTheStateButRepaints)
{
    LinkNotify late;
    memset(&late, 0, sizeof late);
    late.header = {label, kLabelId, LLN_HOVER};

    // Not hot, pointer outside: stays not hot.
    ValidateRect(label, nullptr);
    SendMessageA(label, WM_NOTIFY, kLabelId, reinterpret_cast<LPARAM>(&late));
    RECT update;
    EXPECT_TRUE(GetUpdateRect(label, &update, FALSE));
    EXPECT_EQ(nullptr, GetPropA(label, kPropControlState));
    Settle();
    EXPECT_EQ(0, Count(Pixels(), kRed));

    // Hot, then the pointer leaves before the leave watch notices: stays hot.
    Inside();
    ASSERT_EQ(reinterpret_cast<HANDLE>(1), GetPropA(label, kPropControlState));
    KillTimer(label, IDT_LINKLEAVE);
    Outside();
    ValidateRect(label, nullptr);
    SendMessageA(label, WM_NOTIFY, kLabelId, reinterpret_cast<LPARAM>(&late));
    EXPECT_TRUE(GetUpdateRect(label, &update, FALSE));
    EXPECT_EQ(reinterpret_cast<HANDLE>(1), GetPropA(label, kPropControlState));
}

TEST_F(LinkLabelTest, DestroyingPutsTheSavedProcedureBackBeforeItRuns)
{
    Inside();  // with a leave timer armed
    DestroyWindow(label);
    Settle();
    EXPECT_TRUE(g.destroyed);
    EXPECT_EQ(0, g.propsAtDestroy);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&SpyProc), g.procAtDestroy);

    // A window that reaches the label's procedure with none saved gets the default handling.
    WNDCLASSA bare = {};
    bare.lpfnWndProc = LinkLabelWndProc;
    bare.hInstance = GetModuleHandleA(nullptr);
    bare.lpszClassName = "bare link";
    RegisterClassA(&bare);
    HWND plain = CreateWindowExA(0, bare.lpszClassName, "text", WS_CHILD, 0, 0, 10, 10,
                                 parent->hwnd(), nullptr, bare.hInstance, nullptr);
    EXPECT_EQ(4, GetWindowTextLengthA(plain));
    DestroyWindow(plain);
}

TEST_F(LinkLabelTest, AnyNumberOfLabelsWorkSideBySide)
{
    HWND second =
        CreateWindowExA(0, "STATIC", "Second", WS_CHILD | WS_VISIBLE | SS_LEFT, kLabelX,
                        kLabelY + kLabelH + 10, kLabelW, 30, parent->hwnd(),
                        reinterpret_cast<HMENU>(2000), GetModuleHandleA(nullptr), nullptr);
    LinkLabelAttach(second);
    SendMessageA(second, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Inside();
    EXPECT_EQ(reinterpret_cast<HANDLE>(1), GetPropA(label, kPropControlState));
    EXPECT_EQ(nullptr, GetPropA(second, kPropControlState));
    InvalidateRect(second, nullptr, FALSE);
    UpdateWindow(second);
    const wt::Pixels p = wt::ReadClientPixels(second);
    EXPECT_GT(Count(p, kBlue), 20);
    EXPECT_EQ(0, Count(p, kRed));
    DestroyWindow(second);
}
