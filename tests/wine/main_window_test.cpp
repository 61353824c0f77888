// The main window in this process: start-up from the settings file beside the
// test program, layout, commands and the flow of a game, driven through real
// windows, the real cursor and the menus.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/game_commands.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/settings.h"
#include "app/window_util.h"
#include "controls/board_control.h"
#include "controls/score_panel.h"
#include "engine/board.h"
#include "engine/solver.h"
#include "resources/resource_ids.h"
#include "tests/wine/about_driver.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/malloc_seam.h"
#include "tests/wine/support/wine_test.h"

namespace {

std::string SettingsPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path);
    s = s.substr(0, s.rfind('.')) + ".ini";
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// The settings file's lines, without line ends or blank lines.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

const std::string kSection = "[Tessaly]";
const std::string kTopmostKey = "常に手前に表示";
const std::string kGridKey = "ボタンの数";
const std::string kCellKey = "ボタンの大きさ";

std::string SettingsFile(int topmost, const std::string& grid, const std::string& cell)
{
    return kSection + "\r\n" + kTopmostKey + "=" + std::to_string(topmost) + "\r\n" + kGridKey +
           "=" + grid + "\r\n" + kCellKey + "=" + cell + "\r\n";
}

RECT ChildRect(HWND main, int id)
{
    HWND child = GetDlgItem(main, id);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Which cells of the board are sunk, read from the screen: a sunk cell's
// top-left pixel is the shadow colour, a raised one's the highlight.
std::vector<int> SunkFromScreen(HWND board)
{
    GridPoint grid, size;
    CellSize cell;
    BoardCtlGetGridSize(board, &grid);
    BoardCtlGetCellSize(board, &cell);
    RECT client;
    GetClientRect(board, &client);
    size = {grid.x * cell.width, grid.y * cell.height};
    const int left = client.right / 2 - size.x / 2;
    const int top = client.bottom / 2 - size.y / 2;
    const wt::Pixels p = wt::ReadClientPixels(board);
    std::vector<int> sunk;
    for (int y = 0; y < grid.y; ++y)
        for (int x = 0; x < grid.x; ++x)
            sunk.push_back(p.At(left + x * cell.width, top + y * cell.height) ==
                                   GetSysColor(COLOR_BTNSHADOW)
                               ? 1
                               : 0);
    return sunk;
}

POINT CellCentre(HWND board, int x, int y)
{
    GridPoint grid;
    CellSize cell;
    BoardCtlGetGridSize(board, &grid);
    BoardCtlGetCellSize(board, &cell);
    RECT client;
    GetClientRect(board, &client);
    const int left = client.right / 2 - grid.x * cell.width / 2;
    const int top = client.bottom / 2 - grid.y * cell.height / 2;
    return {left + x * cell.width + cell.width / 2, top + y * cell.height + cell.height / 2};
}

void ClickCell(HWND board, int x, int y)
{
    const POINT at = CellCentre(board, x, y);
    wt::ClickClient(board, at.x, at.y);
}

// The presses that raise every cell, by Gaussian elimination over GF(2).
std::vector<int> Solve(const std::vector<int>& sunk, int columns, int rows)
{
    const int n = columns * rows;
    std::vector<std::vector<int>> m(n, std::vector<int>(n + 1, 0));
    for (int cellIndex = 0; cellIndex < n; ++cellIndex) {
        const int cx = cellIndex % columns, cy = cellIndex / columns;
        for (int press = 0; press < n; ++press) {
            const int px = press % columns, py = press / columns;
            if (std::abs(px - cx) + std::abs(py - cy) <= 1) m[cellIndex][press] = 1;
        }
        m[cellIndex][n] = sunk[cellIndex];
    }
    std::vector<int> pivotOf(n, -1);
    int row = 0;
    for (int col = 0; col < n && row < n; ++col) {
        int pivot = -1;
        for (int r = row; r < n; ++r)
            if (m[r][col]) pivot = r;
        if (pivot < 0) continue;
        std::swap(m[row], m[pivot]);
        for (int r = 0; r < n; ++r)
            if (r != row && m[r][col])
                for (int c = 0; c <= n; ++c) m[r][c] ^= m[row][c];
        pivotOf[col] = row++;
    }
    std::vector<int> presses(n, 0);
    for (int col = 0; col < n; ++col)
        if (pivotOf[col] >= 0) presses[col] = m[pivotOf[col]][n];
    return presses;
}

// The fewest presses that raise every cell, trying every press set.
int FewestPresses(const std::vector<int>& sunk, int columns, int rows)
{
    const int n = columns * rows;
    uint32_t target = 0;
    std::vector<uint32_t> effect(n, 0);
    for (int i = 0; i < n; ++i) {
        target |= uint32_t(sunk[i]) << i;
        for (int j = 0; j < n; ++j)
            if (std::abs(i % columns - j % columns) + std::abs(i / columns - j / columns) <= 1)
                effect[i] |= uint32_t{1} << j;
    }
    int fewest = -1;
    for (uint32_t set = 0; set < (uint32_t{1} << n); ++set) {
        uint32_t flipped = 0;
        for (int i = 0; i < n; ++i)
            if ((set >> i) & 1) flipped ^= effect[i];
        const int count = __builtin_popcount(set);
        if (flipped == target && (fewest < 0 || count < fewest)) fewest = count;
    }
    return fewest;
}

// Watches for the win message box from inside its own modal loop, reads its
// caption and text, and closes it with OK.
struct WinBoxWatch {
    static std::string caption, text;
    static int seen;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND box = FindWindowA("#32770", nullptr);
        if (!box || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
        char buffer[2048];
        GetWindowTextA(box, buffer, sizeof buffer);
        caption = buffer;
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
        text = buffer;
        ++seen;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    UINT_PTR timer;
    WinBoxWatch()
    {
        caption.clear();
        text.clear();
        seen = 0;
        timer = SetTimer(nullptr, 0, 50, Tick);
    }
    ~WinBoxWatch() { KillTimer(nullptr, timer); }
};
std::string WinBoxWatch::caption, WinBoxWatch::text;
int WinBoxWatch::seen;

UINT MenuState(HMENU menu, UINT id)
{
    return GetMenuState(menu, id, MF_BYCOMMAND);
}

class MainWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EXPECT_EQ(1, MainWndRegisterClasses(GetModuleHandleA(nullptr)));
    }

    void SetUp() override
    {
        path = SettingsPath();
        DeleteFileA(path.c_str());
        BoardCtlLock();  // as at process start
    }

    void TearDown() override
    {
        if (main && IsWindow(main)) DestroyWindow(main);
        wt::PumpMessages();  // also takes the WM_QUIT that WM_DESTROY posts
        DeleteFileA(path.c_str());
    }

    HWND Start()
    {
        main = MainWndCreate(GetModuleHandleA(nullptr));
        EXPECT_NE(nullptr, main);
        wt::PumpMessages();
        return main;
    }

    HWND Board() const { return GetDlgItem(main, IDC_BOARD); }
    HWND Score() const { return GetDlgItem(main, IDC_SCORE); }
    // Every command the game knows is handled: the window procedure answers 0.
    void Command(UINT id)
    {
        EXPECT_EQ(0, SendMessageA(main, WM_COMMAND, id, 0)) << id;
        wt::PumpMessages();
    }

    // Opens a popup of the menu bar the way the system does before showing it.
    HMENU Popup(int index)
    {
        HMENU popup = GetSubMenu(GetMenu(main), index);
        SendMessageA(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), index);
        return popup;
    }
    HMENU SystemMenu()
    {
        HMENU system = GetSystemMenu(main, FALSE);
        SendMessageA(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, TRUE));
        return system;
    }

    std::string path;
    HWND main = nullptr;
};

}  // namespace

TEST_F(MainWindowTest, StartsWithDefaultsAndWritesThemWhenThereIsNoFile)
{
    Start();
    char title[64];
    GetWindowTextA(main, title, sizeof title);
    EXPECT_STREQ("Tessaly", title);
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(0x90C80000u, static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE)) &
                               ~static_cast<DWORD>(WS_CLIPSIBLINGS));
    EXPECT_EQ(0, IsTopmost(main));
    const GridPoint client = GetClientSize(main);
    EXPECT_EQ(150, client.x);
    EXPECT_EQ(195, client.y);
    const RECT score = ChildRect(main, IDC_SCORE);
    EXPECT_EQ(8, score.left);
    EXPECT_EQ(8, score.top);
    EXPECT_EQ(134, score.right - score.left);
    EXPECT_EQ(37, score.bottom - score.top);
    const RECT board = ChildRect(main, IDC_BOARD);
    EXPECT_EQ(8, board.left);
    EXPECT_EQ(53, board.top);
    EXPECT_EQ(134, board.right - board.left);
    EXPECT_EQ(134, board.bottom - board.top);
    EXPECT_EQ(Board(), GetFocus());
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetStockObject(WHITE_BRUSH)),
              GetClassLongPtrA(main, GCLP_HBRBACKGROUND));

    const std::vector<std::string> expected = {kSection, kTopmostKey + "=0", kGridKey + "=\"4, 4\"",
                                               kCellKey + "=\"32, 32\""};
    EXPECT_EQ(expected, Lines(ReadFile(path)));

    // The frame: three raised rings in the system colours around face grey.
    const wt::Pixels p = wt::ReadClientPixels(main);
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), p.At(0, 0));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), p.At(2, 100));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), p.At(149, 194));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), p.At(147, 100));
    EXPECT_EQ(RGB(192, 192, 192), p.At(3, 100));
    EXPECT_EQ(RGB(192, 192, 192), p.At(100, 49));
}

TEST_F(MainWindowTest, SmallCellsStackThePanelAndWidenTheBoard)
{
    WriteFile(path, SettingsFile(0, "\"4, 4\"", "\"8, 8\""));
    Start();
    const GridPoint client = GetClientSize(main);
    EXPECT_EQ(82, client.x);
    EXPECT_EQ(128, client.y);
    const RECT score = ChildRect(main, IDC_SCORE);
    EXPECT_EQ(8, score.left);
    EXPECT_EQ(66, score.right - score.left);
    EXPECT_EQ(66, score.bottom - score.top);
    const RECT board = ChildRect(main, IDC_BOARD);
    EXPECT_EQ(8, board.left);
    EXPECT_EQ(82, board.top);
    EXPECT_EQ(66, board.right - board.left);
    EXPECT_EQ(38, board.bottom - board.top);
}

TEST_F(MainWindowTest, StoredTopmostAndOutOfRangeSizesAreAppliedClampedAndWrittenBack)
{
    WriteFile(path, SettingsFile(1, "\"200, 1\"", "4, 300"));
    Start();
    EXPECT_NE(0, IsTopmost(main));
    GridPoint grid;
    BoardCtlGetGridSize(Board(), &grid);
    EXPECT_EQ(128, grid.x);
    EXPECT_EQ(2, grid.y);
    CellSize cell;
    BoardCtlGetCellSize(Board(), &cell);
    EXPECT_EQ(5, cell.width);
    EXPECT_EQ(256, cell.height);
    const std::vector<std::string> expected = {kSection, kTopmostKey + "=1",
                                               kGridKey + "=\"128, 2\"", kCellKey + "=\"5, 256\""};
    EXPECT_EQ(expected, Lines(ReadFile(path)));
    EXPECT_TRUE(MenuState(Popup(1), IDM_TOPMOST) & MF_CHECKED);
    EXPECT_TRUE(MenuState(SystemMenu(), IDM_TOPMOST) & MF_CHECKED);
    // Neither the grid nor the cell size is a menu choice: nothing is checked.
    for (const LevelRow& row : LevelTable)
        EXPECT_FALSE(MenuState(Popup(0), row.command) & MF_CHECKED);
    for (const ViewSizeRow& row : ViewSizeTable)
        EXPECT_FALSE(MenuState(Popup(1), row.command) & MF_CHECKED);

    // Nor is an oblong grid or cell whose one side matches a choice.
    DestroyWindow(main);
    WriteFile(path, SettingsFile(0, "\"8, 16\"", "\"32, 40\""));
    Start();
    for (const LevelRow& row : LevelTable)
        EXPECT_FALSE(MenuState(Popup(0), row.command) & MF_CHECKED);
    for (const ViewSizeRow& row : ViewSizeTable)
        EXPECT_FALSE(MenuState(Popup(1), row.command) & MF_CHECKED);
}

TEST_F(MainWindowTest, TheSystemMenuGetsTheTopmostItemRightBelowMaximize)
{
    Start();
    HMENU system = GetSystemMenu(main, FALSE);
    const int maximize = FindMenuItemPosition(system, SC_MAXIMIZE);
    ASSERT_GE(maximize, 0);
    EXPECT_EQ(maximize + 1, FindMenuItemPosition(system, IDM_TOPMOST));
    char text[64];
    GetMenuStringA(system, IDM_TOPMOST, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ("常に手前に表示(&T)", text);
    EXPECT_EQ(-1, FindMenuItemPosition(system, 12345));
    EXPECT_EQ(0, FindMenuItemPosition(system, SC_RESTORE));
}

TEST_F(MainWindowTest, TheMenuBarHoldsEveryCommandWithItsText)
{
    Start();
    HMENU bar = GetMenu(main);
    ASSERT_EQ(2, GetMenuItemCount(bar));
    char text[64];
    GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("ｹﾞｰﾑ(&G)", text);
    GetMenuStringA(bar, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("表示(&V)", text);
    struct Item {
        int popup, position;
        UINT id;
        const char* text;
    };
    const Item items[] = {
        {0, 0, IDM_START, "スタート(&N)\tF5"},
        {0, 1, IDM_RETRY, "リトライ(&R)\tF2"},
        {0, 3, IDM_LEVEL_1, "初級(&Z)"},
        {0, 7, IDM_LEVEL_5, "神の領域(&X)"},
        {0, 9, IDM_ABOUT, "About(&A)"},
        {0, 10, IDM_EXIT, "終了(&Q)"},
        {1, 0, IDM_TOPMOST, "常に最前面に表示(&T)"},
        {1, 2, IDM_SIZE_1, "極小((&P)"},
        {1, 6, IDM_SIZE_5, "極大(&H)"},
    };
    for (const Item& item : items) {
        HMENU popup = GetSubMenu(bar, item.popup);
        EXPECT_EQ(item.id, GetMenuItemID(popup, item.position)) << item.text;
        GetMenuStringA(popup, item.position, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(item.text, text);
    }
    EXPECT_EQ(11, GetMenuItemCount(GetSubMenu(bar, 0)));
    EXPECT_EQ(7, GetMenuItemCount(GetSubMenu(bar, 1)));
}

TEST_F(MainWindowTest, BeforeStartClicksDoNothingAndRetryIsGreyed)
{
    Start();
    const std::vector<int> before = SunkFromScreen(Board());
    ClickCell(Board(), 1, 1);
    EXPECT_EQ(before, SunkFromScreen(Board()));
    EXPECT_EQ(0, ScoreGetClicks(Score()));
    EXPECT_TRUE(MenuState(Popup(0), IDM_RETRY) & MF_GRAYED);
    Command(IDM_RETRY);
    EXPECT_EQ(0, BoardCtlHasGame(Board()));
    EXPECT_EQ(before, SunkFromScreen(Board()));
}

TEST_F(MainWindowTest, StartDealsRetryReplaysAndClicksCount)
{
    Start();
    // Two deals within one second are the same puzzle: the seed is the time
    // in whole seconds. Retry the pair until it falls inside one second.
    std::vector<int> first, second;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const time_t before = time(nullptr);
        Command(IDM_START);
        first = SunkFromScreen(Board());
        Command(IDM_START);
        second = SunkFromScreen(Board());
        if (time(nullptr) == before) break;
    }
    EXPECT_EQ(first, second);
    EXPECT_EQ(1, BoardCtlHasGame(Board()));
    EXPECT_FALSE(MenuState(Popup(0), IDM_RETRY) & MF_GRAYED);

    ClickCell(Board(), 0, 0);
    ClickCell(Board(), 2, 3);
    EXPECT_EQ(2, ScoreGetClicks(Score()));
    EXPECT_NE(second, SunkFromScreen(Board()));
    // Only the board's notifications count: the same code from another child does not.
    BoardNotify other = {Score(), IDC_SCORE, BN_PRESSED};
    SendMessageA(main, WM_NOTIFY, IDC_SCORE, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(2, ScoreGetClicks(Score()));
    // Nor does a stranger's whose id, taken for a message, is WM_CLOSE.
    other.idFrom = WM_CLOSE;
    SendMessageA(main, WM_NOTIFY, WM_CLOSE, reinterpret_cast<LPARAM>(&other));
    ASSERT_TRUE(IsWindow(main));
    wt::PumpFor(1150);
    EXPECT_GE(ScoreGetSeconds(Score()), 1);  // the timer runs

    Command(IDM_RETRY);
    EXPECT_EQ(second, SunkFromScreen(Board()));
    EXPECT_EQ(0, ScoreGetClicks(Score()));
    EXPECT_EQ(0, ScoreGetSeconds(Score()));
    wt::PumpFor(1150);
    EXPECT_GE(ScoreGetSeconds(Score()), 1);  // and runs again after the retry
}

namespace {

// The game's calendar clock, through its import of GetSystemTimeAsFileTime
// (as import_seam.cpp fails calls): these seconds after 1970 while not 0.
uint64_t g_clockSeconds = 0;

void WINAPI TestClock(FILETIME* now)
{
    static const auto real = reinterpret_cast<void(WINAPI*)(FILETIME*)>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimeAsFileTime")));
    if (!g_clockSeconds) return real(now);
    const uint64_t ticks = (g_clockSeconds + 11644473600u) * 10000000u;  // 100 ns from 1601
    *now = FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace

extern "C" {
#ifdef _WIN64
void* g_clockImport asm("__imp_GetSystemTimeAsFileTime") = reinterpret_cast<void*>(&TestClock);
#else
void* g_clockImport asm("__imp__GetSystemTimeAsFileTime@4") = reinterpret_cast<void*>(&TestClock);
#endif
}

TEST_F(MainWindowTest, TheSeedIsTheClocksSecondsCutTo32BitsAfter2038Too)
{
    Start();
    // 2040-01-01 00:00:00 UTC, and 14818 seconds into the clock's second round of 2^32.
    for (const uint64_t seconds : {uint64_t{2208988800}, (uint64_t{1} << 32) + 14818}) {
        g_clockSeconds = seconds;
        Command(IDM_START);
        g_clockSeconds = 0;
        ::Board* expected = BoardCreate(4, 4);
        BoardDeal(expected, 1, static_cast<uint32_t>(seconds));
        const auto* dealt = static_cast<const ::Board*>(GetPropA(Board(), kBoardProp));
        EXPECT_EQ(0, memcmp(expected->cells, dealt->cells, 16 * sizeof(uint32_t))) << seconds;
        BoardDestroy(expected);
    }
}

TEST_F(MainWindowTest, SolvingShowsTheWinBoxThenRetryDealsTheSamePuzzle)
{
    Start();
    Command(IDM_START);
    std::vector<int> dealt = SunkFromScreen(Board());
    // A deal can come out already solved; deal until there is something to do.
    for (int i = 0; i < 5 && std::count(dealt.begin(), dealt.end(), 1) == 0; ++i) {
        Sleep(1000);
        Command(IDM_START);
        dealt = SunkFromScreen(Board());
    }
    const std::vector<int> presses = Solve(dealt, 4, 4);
    const int total = static_cast<int>(std::count(presses.begin(), presses.end(), 1));
    ASSERT_GT(total, 0);
    WinBoxWatch watch;
    for (int i = 0; i < 16; ++i)
        if (presses[i]) ClickCell(Board(), i % 4, i / 4);
    wt::PumpUntil([] { return WinBoxWatch::seen > 0; }, 3000);
    ASSERT_EQ(1, WinBoxWatch::seen);
    EXPECT_EQ("Congratulations!", WinBoxWatch::caption);
    const int seconds = ScoreGetSeconds(Score());
    char expected[128];
    snprintf(expected, sizeof expected,
             "\x81\x40時間 : %d\n\x81\x40手数 : %d\n\x81\x40最少手数 : %d", seconds, total,
             FewestPresses(dealt, 4, 4));
    EXPECT_EQ(expected, WinBoxWatch::text);
    EXPECT_EQ(total, ScoreGetClicks(Score()));

    // Solved: locked, the timer stopped, the game kept for a retry.
    EXPECT_EQ(std::vector<int>(16, 0), SunkFromScreen(Board()));
    ClickCell(Board(), 1, 1);
    EXPECT_EQ(std::vector<int>(16, 0), SunkFromScreen(Board()));
    EXPECT_EQ(total, ScoreGetClicks(Score()));
    EXPECT_FALSE(MenuState(Popup(0), IDM_RETRY) & MF_GRAYED);

    Command(IDM_RETRY);
    EXPECT_EQ(dealt, SunkFromScreen(Board()));
    EXPECT_EQ(0, ScoreGetClicks(Score()));
    ClickCell(Board(), 1, 1);
    EXPECT_EQ(1, ScoreGetClicks(Score()));
}

// Seed 14818 deals on 4 x 4 just what a press of (1, 1) makes: one click
// wins it, and its fewest presses are one.
TEST_F(MainWindowTest, AOnePressDealNamesOnePressAndWithoutMemoryTheBoxKeepsTwoLines)
{
    Start();
    auto win = [&](int failNth) {
        BoardCtlNewGame(Board(), 14818);
        BoardCtlUnlock();
        WinBoxWatch box;
        ms::MallocWatch watch(failNth);
        ClickCell(Board(), 1, 1);
        wt::PumpUntil([] { return WinBoxWatch::seen > 0; }, 3000);
        EXPECT_EQ(1, WinBoxWatch::seen);
        char lines[64];
        snprintf(lines, sizeof lines, "\x81\x40時間 : %d\n\x81\x40手数 : %d",
                 ScoreGetSeconds(Score()), ScoreGetClicks(Score()));
        return std::make_pair(std::string(lines), watch.FailedSize());
    };
    const auto solved = win(0);
    EXPECT_EQ(solved.first + "\n\x81\x40最少手数 : 1", WinBoxWatch::text);
    // The solver's work space for 16 cells is the allocation that fails.
    for (int n = 1; n < 8; ++n) {
        const auto starved = win(n);
        if (starved.second != 2 * 16) continue;
        EXPECT_EQ(starved.first, WinBoxWatch::text);
        return;
    }
    ADD_FAILURE() << "the solver never asked for memory";
}

TEST_F(MainWindowTest, AGridTooLargeToSearchWholeShowsTheBestFoundAsAnUpperBound)
{
    // 23 x 47 has 2^22 solutions, more than the solver looks at one by one.
    WriteFile(path, SettingsFile(0, "\"23, 47\"", "\"8, 8\""));
    Start();
    Command(IDM_START);
    ::Board* model = static_cast<::Board*>(GetPropA(Board(), kBoardProp));
    ASSERT_EQ(23 * 47, BoardColumns(model) * BoardRows(model));
    std::vector<unsigned char> deal(23 * 47), presses(23 * 47);
    BoardGetDeal(model, deal.data());
    int exact = 1;
    const int fewest = SolverFewestPresses(23, 47, deal.data(), presses.data(), &exact);
    ASSERT_EQ(0, exact);
    // Raise every cell but a press of (0, 0) behind the game's back: a click there wins.
    for (int i = 0; i < 23 * 47; ++i) model->cells[i] &= ~CELL_SUNK;
    BoardPress(model, GridPoint{0, 0});
    WinBoxWatch watch;
    ClickCell(Board(), 0, 0);
    wt::PumpUntil([] { return WinBoxWatch::seen > 0; }, 3000);
    ASSERT_EQ(1, WinBoxWatch::seen);
    char expected[128];
    snprintf(expected, sizeof expected,
             "\x81\x40時間 : %d\n\x81\x40手数 : 1\n\x81\x40最少手数 : %d 以下",
             ScoreGetSeconds(Score()), fewest);
    EXPECT_EQ(expected, WinBoxWatch::text);
}

TEST_F(MainWindowTest, ALevelEndsTheGameResizesAroundTheTopLeftAndSaves)
{
    Start();
    SetWindowPos(main, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Command(IDM_START);
    ClickCell(Board(), 0, 0);
    RECT before;
    GetWindowRect(main, &before);

    Command(IDM_LEVEL_3);
    GridPoint grid;
    BoardCtlGetGridSize(Board(), &grid);
    EXPECT_EQ(6, grid.x);
    EXPECT_EQ(6, grid.y);
    EXPECT_EQ(0, BoardCtlHasGame(Board()));
    EXPECT_EQ(0, ScoreGetClicks(Score()));
    RECT after;
    GetWindowRect(main, &after);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    EXPECT_GT(after.right - after.left, before.right - before.left);
    const GridPoint client = GetClientSize(main);
    EXPECT_EQ(6 * 32 + 6 + 16, client.x);
    EXPECT_EQ(37 + 6 * 32 + 6 + 24, client.y);
    EXPECT_EQ(kGridKey + "=\"6, 6\"", Lines(ReadFile(path))[2]);
    EXPECT_TRUE(MenuState(Popup(0), IDM_LEVEL_3) & MF_CHECKED);
    EXPECT_FALSE(MenuState(Popup(0), IDM_LEVEL_1) & MF_CHECKED);

    // Locked until the next Start, and the timer no longer runs.
    ClickCell(Board(), 2, 2);
    EXPECT_EQ(std::vector<int>(36, 0), SunkFromScreen(Board()));
    EXPECT_EQ(0, ScoreGetClicks(Score()));
    wt::PumpFor(1150);
    EXPECT_EQ(0, ScoreGetSeconds(Score()));

    // The level already in use ends a game all the same.
    Command(IDM_START);
    Command(IDM_LEVEL_3);
    EXPECT_EQ(0, BoardCtlHasGame(Board()));
    EXPECT_EQ(std::vector<int>(36, 0), SunkFromScreen(Board()));
}

TEST_F(MainWindowTest, AViewSizeKeepsThePuzzleCounterAndTimer)
{
    Start();
    Command(IDM_START);
    ClickCell(Board(), 1, 2);
    const std::vector<int> played = SunkFromScreen(Board());
    Command(IDM_SIZE_3);
    CellSize cell;
    BoardCtlGetCellSize(Board(), &cell);
    EXPECT_EQ(24, cell.width);
    EXPECT_EQ(played, SunkFromScreen(Board()));
    EXPECT_EQ(1, ScoreGetClicks(Score()));
    EXPECT_EQ(1, BoardCtlHasGame(Board()));
    wt::PumpFor(1150);
    EXPECT_GE(ScoreGetSeconds(Score()), 1);
    EXPECT_EQ(kCellKey + "=\"24, 24\"", Lines(ReadFile(path))[3]);
    EXPECT_TRUE(MenuState(Popup(1), IDM_SIZE_3) & MF_CHECKED);
    EXPECT_FALSE(MenuState(Popup(1), IDM_SIZE_4) & MF_CHECKED);
    ClickCell(Board(), 1, 2);
    EXPECT_EQ(2, ScoreGetClicks(Score()));
}

TEST_F(MainWindowTest, TopmostTogglesFromEitherMenuAndShowsInBoth)
{
    Start();
    Command(IDM_TOPMOST);
    EXPECT_NE(0, IsTopmost(main));
    EXPECT_TRUE(MenuState(Popup(1), IDM_TOPMOST) & MF_CHECKED);
    EXPECT_TRUE(MenuState(SystemMenu(), IDM_TOPMOST) & MF_CHECKED);
    EXPECT_EQ(kTopmostKey + "=1", Lines(ReadFile(path))[1]);

    SendMessageA(main, WM_SYSCOMMAND, IDM_TOPMOST, 0);
    EXPECT_EQ(0, IsTopmost(main));
    EXPECT_FALSE(MenuState(SystemMenu(), IDM_TOPMOST) & MF_CHECKED);
    EXPECT_FALSE(MenuState(Popup(1), IDM_TOPMOST) & MF_CHECKED);
    EXPECT_EQ(kTopmostKey + "=0", Lines(ReadFile(path))[1]);

    // The system menu's own items still work.
    SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(main));
}

TEST_F(MainWindowTest, ExitDestroysTheWindowAndSavesNothing)
{
    Start();
    Command(IDM_START);
    WriteFile(path, "left alone\r\n");
    SendMessageA(main, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ("left alone\r\n", ReadFile(path));
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, quit.wParam);
}

namespace {

HRESULT g_comInLoop = E_FAIL;

// From inside the game's loop: is the thread in a single-threaded apartment? Then quit.
void CALLBACK AskComAndQuit(HWND, UINT, UINT_PTR, DWORD)
{
    g_comInLoop = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(g_comInLoop)) CoUninitialize();
    SendMessageA(FindWindowA("knaplet", nullptr), WM_COMMAND, IDM_EXIT, 0);
}

}  // namespace

TEST_F(MainWindowTest, WinMainRunsTheGameInAComApartmentAndLeavesItAtTheEnd)
{
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, AskComAndQuit);
    EXPECT_EQ(0, WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL));
    KillTimer(nullptr, timer);
    EXPECT_EQ(S_FALSE, g_comInLoop);  // there already, and apartment-threaded
    EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
}

TEST_F(MainWindowTest, AMissingChildFailsTheCreationAndLeavesNoWindow)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // Classes already there: reported, harmless.
    EXPECT_EQ(0, MainWndRegisterClasses(instance));
    EXPECT_EQ(0, BoardCtlRegister(instance));
    // Without its class a child cannot be created.
    for (const char* child : {"board", "score"}) {
        ASSERT_TRUE(UnregisterClassA(child, instance));
        const wt::HandleCounts before = wt::CountHandles();
        EXPECT_EQ(nullptr, MainWndCreate(instance)) << child;
        wt::PumpMessages();
        EXPECT_EQ(before.user, wt::CountHandles().user) << child;
        BoardCtlRegister(instance);
        ScoreRegister(instance);
        WNDCLASSA back;
        ASSERT_TRUE(GetClassInfoA(instance, child, &back)) << child;
    }

    // A game whose window cannot be made ends at once rather than wait for messages.
    const UINT_PTR quit =
        SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK { PostQuitMessage(7); });
    {
        ms::MallocWatch noBoard(3);  // after the two displays' records: the board's
        EXPECT_EQ(0, WinMain(instance, nullptr, const_cast<char*>(""), SW_SHOWNORMAL));
        EXPECT_TRUE(noBoard.Failed());
    }
    KillTimer(nullptr, quit);
}

// ---- The boxes the game opens, and what the window does around them --------

namespace {

// Starts games until one has something to solve; returns the cells dealt.
std::vector<int> DealUnsolved(HWND main)
{
    HWND board = GetDlgItem(main, IDC_BOARD);
    std::vector<int> dealt;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) Sleep(1000);  // the seed is the time in seconds
        SendMessageA(main, WM_COMMAND, IDM_START, 0);
        wt::PumpMessages();
        dealt = SunkFromScreen(board);
        if (std::count(dealt.begin(), dealt.end(), 1) > 0) break;
    }
    return dealt;
}

}  // namespace

// While a box is up its owner, the game, is disabled: no F5, level change or
// Exit can run inside the board's button-up handler or under the About box.
TEST_F(MainWindowTest, TheWinBoxBelongsToTheGameAndTheTimerStaysFrozenAfterIt)
{
    Start();
    const std::vector<int> presses = Solve(DealUnsolved(main), 4, 4);
    // The last press of the solution is the winning click.
    const int winning =
        15 - static_cast<int>(std::find(presses.rbegin(), presses.rend(), 1) - presses.rbegin());
    for (int i = 0; i < winning; ++i)
        if (presses[i]) ClickCell(Board(), i % 4, i / 4);
    const POINT at = CellCentre(Board(), winning % 4, winning / 4);
    wt::MoveCursorToClient(Board(), at.x, at.y);
    std::string caption;
    about_test::RunWithBox(
        [&] {
            // The box's watch ticks fast: pump only until it has seen the box.
            wt::SendMouseButton(true);
            wt::SendMouseButton(false);
            wt::PumpUntil([&] { return !caption.empty(); }, 5000);
        },
        [&](HWND box) {
            caption = about_test::WindowText(box);
            EXPECT_EQ(main, GetWindow(box, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(main));
        });
    EXPECT_EQ("Congratulations!", caption);
    EXPECT_TRUE(IsWindowEnabled(main));
    const int seconds = ScoreGetSeconds(Score());
    wt::PumpFor(1150);
    EXPECT_EQ(seconds, ScoreGetSeconds(Score()));
}

TEST_F(MainWindowTest, TheAboutBoxBelongsToTheGameAndItsAddressIsALink)
{
    Start();
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINKCURSOR));
    ASSERT_NE(nullptr, hand);
    about_test::RunWithBox([&] { Command(IDM_ABOUT); },
                           [&](HWND box) {
                               EXPECT_EQ(main, GetWindow(box, GW_OWNER));
                               EXPECT_FALSE(IsWindowEnabled(main));
                               EXPECT_NE(0, SendDlgItemMessageA(box, IDC_ABOUT_ICON, STM_GETICON, 0,
                                                                0));  // the program's icon
                               HWND version = GetDlgItem(box, IDC_ABOUT_VERSION);
                               EXPECT_EQ("Tessaly ver. 0.00", about_test::WindowText(version));
                               HWND link = GetDlgItem(box, IDC_ABOUT_URL);
                               EXPECT_EQ(TESSALY_SUPPORT_URL, about_test::WindowText(link));
                               LOGFONTA font;
                               memset(&font, 0, sizeof font);
                               GetObjectA(
                                   reinterpret_cast<HGDIOBJ>(SendMessageA(link, WM_GETFONT, 0, 0)),
                                   sizeof font, &font);
                               EXPECT_EQ(1, font.lfUnderline);
                               // Under the pointer: the game's own hand, and the text lit red.
                               RECT rect;
                               GetWindowRect(link, &rect);
                               SetCursorPos(rect.left + 3, (rect.top + rect.bottom) / 2);
                               wt::PumpFor(150);
                               EXPECT_EQ(hand, GetCursor());
                               UpdateWindow(link);
                               const wt::Pixels p = wt::ReadClientPixels(link);
                               EXPECT_GT(p.Count({0, 0, p.width, p.height}, RGB(255, 0, 0)), 10);
                               SetCursorPos(600, 500);
                               wt::PumpFor(150);
                           });
    EXPECT_TRUE(IsWindowEnabled(main));
}

// F2 before the first game must not start one on the all-raised board.
TEST_F(MainWindowTest, RetryBeforeAnyGameLeavesTheBoardLockedAndTheTimerStill)
{
    Start();
    Command(IDM_RETRY);
    ClickCell(Board(), 1, 1);
    EXPECT_EQ(std::vector<int>(16, 0), SunkFromScreen(Board()));
    wt::PumpFor(1150);
    EXPECT_EQ(0, ScoreGetSeconds(Score()));
}

// The window fits around the board after every view size: at 4 x 4 cells the
// score panel is stacked beside boards narrower than its side-by-side width.
TEST_F(MainWindowTest, EachLevelAndViewSizeFitsTheWindowAroundTheNewBoard)
{
    Start();
    const LevelRow levels[] = {
        {IDM_LEVEL_2, 5, 5}, {IDM_LEVEL_4, 8, 8}, {IDM_LEVEL_5, 16, 16}, {IDM_LEVEL_1, 4, 4}};
    for (const LevelRow& level : levels) {
        Command(level.command);
        GridPoint grid;
        BoardCtlGetGridSize(Board(), &grid);
        EXPECT_EQ(level.columns, grid.x) << level.command;
        EXPECT_EQ(level.rows, grid.y) << level.command;
        EXPECT_EQ(level.columns * 32 + 6 + 16, GetClientSize(main).x) << level.command;
    }
    struct Size {
        UINT command;
        int clientWidth, clientHeight;
    };
    const Size sizes[] = {{IDM_SIZE_1, 82, 128},
                          {IDM_SIZE_2, 86, 160},
                          {IDM_SIZE_3, 118, 192},
                          {IDM_SIZE_5, 182, 227},
                          {IDM_SIZE_4, 150, 195}};
    for (const Size& size : sizes) {
        Command(size.command);
        const GridPoint client = GetClientSize(main);
        EXPECT_EQ(size.clientWidth, client.x) << size.command;
        EXPECT_EQ(size.clientHeight, client.y) << size.command;
    }
}

// The program's icon, as the shell and the window classes use it: a raised
// grey button, one pixel of edge in the small image and two in the large.
TEST(ProgramIcon, IsARaisedGreyButtonInBothSizes)
{
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon) << size;
        const wt::Pixels p = wt::DrawOffscreen(size, size, RGB(0, 0, 255), [&](HDC dc) {
            DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        });
        DestroyIcon(icon);
        const int edge = size == 16 ? 1 : 2;
        const int last = size - 1;
        EXPECT_EQ(0, p.Count({0, 0, size, size}, RGB(0, 0, 255))) << "fully opaque";
        for (int i = 0; i < edge; ++i) {
            EXPECT_EQ(RGB(255, 255, 255), p.At(i, size / 2)) << size;         // left
            EXPECT_EQ(RGB(255, 255, 255), p.At(size / 2, i)) << size;         // top
            EXPECT_EQ(RGB(128, 128, 128), p.At(last - i, size / 2)) << size;  // right
            EXPECT_EQ(RGB(128, 128, 128), p.At(size / 2, last - i)) << size;  // bottom
        }
        EXPECT_EQ(RGB(192, 192, 192), p.At(edge, edge)) << size;
        EXPECT_EQ((size - 2 * edge) * (size - 2 * edge),
                  p.Count({edge, edge, size - edge, size - edge}, RGB(192, 192, 192)));
    }
}

TEST(MessageBoxPrintf, CutsATextLongerThanItsBuffer)
{
    WinBoxWatch watch;
    const std::string longText(3000, 'x');
    EXPECT_EQ(IDOK, MessageBoxPrintf(nullptr, MB_OK, "long", "%s!", longText.c_str()));
    ASSERT_EQ(1, WinBoxWatch::seen);
    EXPECT_EQ("long", WinBoxWatch::caption);
    EXPECT_EQ(std::string(1023, 'x'), WinBoxWatch::text);
}

namespace {

// Hands out one message, then fails as GetMessageA does on an error.
int g_messagesGot = 0;
BOOL WINAPI GetOneMessageThenFail(LPMSG message, HWND, UINT, UINT)
{
    if (g_messagesGot++ > 0) return -1;
    memset(message, 0, sizeof *message);
    message->message = WM_NULL;
    message->wParam = 42;
    return TRUE;
}

}  // namespace

TEST(RunMessageLoop, ReturnsTheQuitCodeOrZeroWhenGettingAMessageFails)
{
    // Keys become characters on the way (Alt and a menu's letter open the menu).
    std::string typed;
    wt::TestWindow window(100, 50, [&](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
        if (msg == WM_CHAR) typed += static_cast<char>(wParam);
        return false;
    });
    PostMessageA(window.hwnd(), WM_KEYDOWN, 'G', MAKELPARAM(1, MapVirtualKeyA('G', 0)));
    PostQuitMessage(3);
    EXPECT_EQ(3, RunMessageLoop(nullptr, nullptr));
    EXPECT_EQ("g", typed);
    g_messagesGot = 0;
    EXPECT_EQ(0, RunMessageLoop(nullptr, nullptr, GetOneMessageThenFail));
    EXPECT_EQ(2, g_messagesGot);
}

namespace {

// Icons alive in this process. Wine keeps them in its USER handle table,
// indexed by the low word, and accepts a handle whose high word is zero.
int CountIcons()
{
    int count = 0;
    for (ULONG_PTR i = 2; i < 0x10000; i += 2) {
        ICONINFO info;
        if (!GetIconInfo(reinterpret_cast<HICON>(i), &info)) continue;
        ++count;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    return count;
}

}  // namespace

TEST(RegisterWindowClass, AClassRegisteredBeforeLeavesNoIconBehind)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_NE(0, RegisterWindowClass(instance, "tessaly_twice", DefWindowProcA, 0, 0, WHITE_BRUSH));
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExA(instance, "tessaly_twice", &wc));
    EXPECT_NE(nullptr, wc.hIcon);  // the program file's, as the shell shows it
    EXPECT_NE(nullptr, wc.hIconSm);
    const auto width = [](HICON icon) {
        ICONINFO parts = {};
        BITMAP image = {};
        GetIconInfo(icon, &parts);
        GetObjectA(parts.hbmColor, sizeof image, &image);
        DeleteObject(parts.hbmColor);
        DeleteObject(parts.hbmMask);
        return image.bmWidth;
    };
    EXPECT_EQ(32, width(wc.hIcon));
    EXPECT_EQ(16, width(wc.hIconSm));
    // A file the shell cannot read has no icon, not a stray handle to destroy.
    EXPECT_EQ(nullptr, GetFileShellIcon("c:\\no such folder\\knaplet.exe", FALSE));
    EXPECT_EQ(nullptr, GetModuleShellIcon(reinterpret_cast<HINSTANCE>(0x10000), FALSE));  // none
    const int before = CountIcons();
    EXPECT_GE(before, 2);  // the class's own two
    EXPECT_EQ(0, RegisterWindowClass(instance, "tessaly_twice", DefWindowProcA, 0, 0, WHITE_BRUSH));
    EXPECT_EQ(before, CountIcons());
    UnregisterClassA("tessaly_twice", instance);
}

// The list of owned pop-ups holds eight, more than any window of the game
// owns: a ninth is left alone rather than written past the list's end.
TEST(DestroyOwnedPopups, EndsUpToEightOfTheOwnersPopupsAndNoOtherWindow)
{
    wt::TestWindow owner(100, 100), stranger(100, 100);
    std::vector<HWND> popups;
    for (int i = 0; i < 10; ++i)
        popups.push_back(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 8, 8,
                                         i < 9 ? owner.hwnd() : stranger.hwnd(), nullptr, nullptr,
                                         nullptr));
    DestroyOwnedPopups(owner.hwnd());
    EXPECT_EQ(1, std::count_if(popups.begin(), popups.end() - 1,
                               [](HWND w) { return IsWindow(w) != 0; }));
    EXPECT_TRUE(IsWindow(popups.back()));
    for (HWND popup : popups) DestroyWindow(popup);
}

TEST_F(MainWindowTest, ALevelWhoseBoardCannotBeMadeLeavesTheGameAsItWas)
{
    Start();
    Command(IDM_START);
    ClickCell(Board(), 1, 1);
    const std::vector<int> played = SunkFromScreen(Board());
    {
        ms::MallocWatch watch(1);  // the new board's record
        Command(IDM_LEVEL_5);
        EXPECT_TRUE(watch.Failed());
    }
    GridPoint grid;
    BoardCtlGetGridSize(Board(), &grid);
    EXPECT_EQ(4, grid.x);
    EXPECT_TRUE(MenuState(Popup(0), IDM_LEVEL_1) & MF_CHECKED);
    EXPECT_FALSE(MenuState(Popup(0), IDM_LEVEL_5) & MF_CHECKED);
    EXPECT_EQ(played, SunkFromScreen(Board()));
    // Still playing: clicks count and the timer runs.
    ClickCell(Board(), 2, 2);
    EXPECT_EQ(2, ScoreGetClicks(Score()));
    wt::PumpFor(1150);
    EXPECT_GE(ScoreGetSeconds(Score()), 1);
}

TEST_F(MainWindowTest, StartUpWritesBackOnlyTheStoredChoicesWhateverAllocationFails)
{
    const std::string stored = SettingsFile(0, "\"5, 7\"", "\"16, 16\"");
    int calls = 0;
    {
        WriteFile(path, stored);
        ms::MallocWatch watch;
        Start();
        calls = watch.Calls();
    }
    ASSERT_GT(calls, 0);
    DestroyWindow(main);
    wt::PumpMessages();
    // Whichever allocation fails, the file never gets the control's own first
    // grid or cell size: it keeps the stored choices.
    int withoutTheStoredGrid = 0;
    for (int n = 1; n <= calls; ++n) {
        WriteFile(path, stored);
        {
            ms::MallocWatch watch(n);
            main = MainWndCreate(GetModuleHandleA(nullptr));
            wt::PumpMessages();
        }
        EXPECT_EQ(stored, ReadFile(path)) << "allocation " << n << " failed";
        if (main) {
            GridPoint grid;
            BoardCtlGetGridSize(Board(), &grid);
            if (grid.x != 5 || grid.y != 7) ++withoutTheStoredGrid;
            DestroyWindow(main);
            wt::PumpMessages();
        }
    }
    EXPECT_GT(withoutTheStoredGrid, 0) << "no start-up failed to make the stored board";

    // A record a window cannot hold is freed, and no step writes a wrong value.
    for (int n = 1, refused = 1; refused; ++n) {
        WriteFile(path, stored);
        ms::MallocWatch watch;
        {
            is::Failing failing(is::Call::SetPropA, n);
            main = MainWndCreate(GetModuleHandleA(nullptr));
            wt::PumpMessages();
            refused = failing.Calls();
        }
        if (main) Command(IDM_SIZE_3);
        DestroyWindow(main);
        wt::PumpMessages();
        // Wine sends no WM_DESTROY to the children of a window whose creation failed.
        EXPECT_EQ(0, main ? watch.Live() : 0) << "SetPropA " << n << " failed";
        const std::string saved = ReadFile(path);
        EXPECT_TRUE(saved == stored || saved == SettingsFile(0, "\"5, 7\"", "\"24, 24\"")) << n;
    }
}

TEST_F(MainWindowTest, AFileUnreadableAtStartGetsOnlyThePlayersChangesOnceItReads)
{
    const std::string stored = SettingsFile(0, "\"8, 6\"", "\"16, 16\"");
    WriteFile(path, stored);
    // Another program holds the file open and shares it with nobody.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Start();
    GridPoint grid;
    BoardCtlGetGridSize(Board(), &grid);
    EXPECT_EQ(4, grid.x);  // the defaults
    Command(IDM_TOPMOST);  // not written while the file is held, but remembered
    CloseHandle(held);
    EXPECT_EQ(stored, ReadFile(path));
    // Always-on-top is saved as chosen; the grid and the view size, never
    // chosen and unchanged, stay as stored.
    Command(IDM_TOPMOST);
    EXPECT_EQ(stored, ReadFile(path));
    Command(IDM_TOPMOST);
    EXPECT_EQ(SettingsFile(1, "\"8, 6\"", "\"16, 16\""), ReadFile(path));
    Command(IDM_LEVEL_1);  // the grid shown, chosen: a choice all the same
    EXPECT_EQ(SettingsFile(1, "\"4, 4\"", "\"16, 16\""), ReadFile(path));

    // A board that is gone cannot tell its sizes: nothing is saved.
    SendMessageA(Board(), WM_CLOSE, 0, 0);
    ASSERT_EQ(nullptr, Board());
    Command(IDM_TOPMOST);
    EXPECT_EQ(SettingsFile(1, "\"4, 4\"", "\"16, 16\""), ReadFile(path));
}
