#include "app/save_policy.h"

#include <cstdlib>
#include <cstring>

#include "app/settings.h"
#include "app/window_util.h"
#include "controls/board_control.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kSavePolicyProp[] = "PROP_SAVEPOLICY";

struct SavePolicy {
    int held;          // no saves at all
    int keepStored;    // the file could not be read at start-up
    AppSettings last;  // with keepStored: the values of the last save
    unsigned changed;  // with keepStored: the groups the player has chosen in this run
};

// The one way to the record; null before SavePolicyCreate, after
// SavePolicyDestroy, or when it could not be made.
SavePolicy* PolicyOf(HWND main)
{
    return static_cast<SavePolicy*>(GetPropA(main, kSavePolicyProp));
}

unsigned ChangedGroups(const AppSettings& a, const AppSettings& b)
{
    return ((a.topmost != 0) != (b.topmost != 0) ? kSettingsTopmost : 0) |
           (a.columns != b.columns || a.rows != b.rows ? kSettingsGrid : 0) |
           (a.cellWidth != b.cellWidth || a.cellHeight != b.cellHeight ? kSettingsCell : 0);
}

// 0 when the board cannot tell its grid or cell size (it is gone): a save
// of whatever the record then held would lose the stored choices.
int ReadCurrentSettings(HWND main, AppSettings* settings)
{
    memset(settings, 0, sizeof *settings);
    settings->topmost = IsTopmost(main);
    CellSize cell = {0, 0};
    GridPoint grid = {0, 0};
    HWND board = GetDlgItem(main, IDC_BOARD);
    if (!BoardCtlGetCellSize(board, &cell) || !BoardCtlGetGridSize(board, &grid)) return 0;
    settings->cellWidth = cell.width;
    settings->cellHeight = cell.height;
    settings->columns = grid.x;
    settings->rows = grid.y;
    return 1;
}

}  // namespace

int SavePolicyCreate(HWND main)
{
    auto* policy = static_cast<SavePolicy*>(calloc(1, sizeof(SavePolicy)));
    if (!policy) return 0;
    policy->held = 1;
    if (!SetPropA(main, kSavePolicyProp, policy)) {
        free(policy);
        return 0;
    }
    return 1;
}

void SavePolicyBegin(HWND main, int applied)
{
    SavePolicy* policy = PolicyOf(main);
    if (!policy) return;
    policy->keepStored = !applied;
    // Without the values start-up applied, the player's changes could not be
    // told from them: no saves in this run, as over an unreadable file.
    policy->held = policy->keepStored && !ReadCurrentSettings(main, &policy->last);
}

void SavePolicyDestroy(HWND main)
{
    free(RemovePropA(main, kSavePolicyProp));
}

int SaveCurrentSettings(HWND main, unsigned chosen)
{
    SavePolicy* policy = PolicyOf(main);
    if (!policy || policy->held) return 0;
    AppSettings settings;
    if (!ReadCurrentSettings(main, &settings)) return 0;
    if (!policy->keepStored) {
        SaveSettings(&settings);
        return 1;
    }
    policy->changed |= chosen | ChangedGroups(policy->last, settings);
    policy->last = settings;
    const unsigned all = kSettingsTopmost | kSettingsGrid | kSettingsCell;
    SaveSettingsKeeping(&settings, all & ~policy->changed);
    return 1;
}
