#ifndef TESSALY_CONTROLS_TOOLTIP_H
#define TESSALY_CONTROLS_TOOLTIP_H

#include <windows.h>

// Tooltips for whole windows. The "tooltips_class32" class must be registered
// already (InitCommonControlsEx at start-up).

HWND TooltipCreate(HWND owner, HINSTANCE instance, DWORD style, DWORD exStyle);  // null on failure
// Adds `tool` (a window) with `text`, which must outlive the tooltip. Returns
// the TTM_ADDTOOLA result.
LRESULT TooltipAddTool(HWND tooltip, UINT flags, HWND owner, HWND tool, const char* text);
LRESULT TooltipAddChildTool(HWND tooltip, UINT flags, HWND owner, HWND parent, int childId,
                            const char* text);

#endif
