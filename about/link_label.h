#ifndef TESSALY_ABOUT_LINK_LABEL_H
#define TESSALY_ABOUT_LINK_LABEL_H

#include <windows.h>

#include "app/window_util.h"

// Turns an existing static control into a hyperlink-style label: blue text,
// red while the parent confirms the pointer is over it, a grey frame while
// pressed. It reports to its parent with WM_NOTIFY and changes its look only
// when the parent reflects LLN_HOVER / LLN_LEAVE back to it.
constexpr UINT LLN_CLICK = 1025;
constexpr UINT LLN_LEAVE = 1026;
constexpr UINT LLN_HOVER = 1027;

constexpr UINT_PTR IDT_LINKLEAVE = 1;

// The record of every link notification: the common header and, for
// LLN_HOVER, the WM_MOUSEMOVE wParam and lParam.
struct LinkNotify {
    BoardNotify header;
    DWORD keyFlags;
    DWORD position;
};
static_assert(sizeof(LinkNotify) == sizeof(NMHDR) + 8, "an NMHDR and two 32-bit words");

// The label's properties: the window procedure it replaced, and its state
// (bit 0: hot).
constexpr char kPropOriginalProc[] = "LLPROP_ORIGINALPROC";
constexpr char kPropControlState[] = "LLPROP_CONTROLSTATE";

// 1; 0, the control left as it was, when its procedure cannot be saved. The
// label detaches itself on WM_DESTROY.
int LinkLabelAttach(HWND control);
LRESULT CALLBACK LinkLabelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
