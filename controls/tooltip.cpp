#include "controls/tooltip.h"

#include <commctrl.h>
#include <cstddef>
#include <cstring>

namespace {

// The first version of TOOLINFOA, which every comctl32 accepts: the fields up
// to and including lpszText.
constexpr UINT kToolInfoV1Size = offsetof(TOOLINFOA, lpszText) + sizeof(LPSTR);
static_assert(kToolInfoV1Size == (sizeof(void*) == 4 ? 40 : 56), "TOOLINFOA version 1");

}  // namespace

HWND TooltipCreate(HWND owner, HINSTANCE instance, DWORD style, DWORD exStyle)
{
    return CreateWindowExA(exStyle, "tooltips_class32", nullptr, style, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance,
                           nullptr);
}

LRESULT TooltipAddTool(HWND tooltip, UINT flags, HWND owner, HWND tool, const char* text)
{
    TOOLINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = kToolInfoV1Size;
    info.uFlags = flags | TTF_IDISHWND;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    // The tooltip only reads the text; the Win32 field is not const.
    info.lpszText = const_cast<char*>(text);
    return SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT TooltipAddChildTool(HWND tooltip, UINT flags, HWND owner, HWND parent, int childId,
                            const char* text)
{
    // Without the child the tool would be keyed to a null window and report success.
    HWND child = GetDlgItem(parent, childId);
    if (!child) return FALSE;
    return TooltipAddTool(tooltip, flags, owner, child, text);
}
