#ifndef TESSALY_CONTROLS_TOOLTIP_H
#define TESSALY_CONTROLS_TOOLTIP_H

#include <windows.h>

// Tooltips for whole windows. The "tooltips_class32" class must be registered
// already (InitCommonControlsEx at start-up).

HWND TooltipCreate(HWND owner, HINSTANCE instance, DWORD style, DWORD exStyle);  // null on failure
// Adds `tool` (a window, TTF_IDISHWND is added to `flags`) with `text`, which
// must outlive the tooltip, in a version-1 TOOLINFOA (40 bytes) that every
// comctl32 accepts. Returns the TTM_ADDTOOLA result (TRUE when added).
LRESULT TooltipAddTool(HWND tooltip, UINT flags, HWND owner, HWND tool, const char* text);
// The same for the child `childId` of `parent`; FALSE when there is no such child.
LRESULT TooltipAddChildTool(HWND tooltip, UINT flags, HWND owner, HWND parent, int childId,
                            const char* text);

#endif
