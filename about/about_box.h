#ifndef TESSALY_ABOUT_ABOUT_BOX_H
#define TESSALY_ABOUT_ABOUT_BOX_H

#include <windows.h>

#include <cstdint>

// A reusable modal About dialog driven by one configuration record: texts
// from the executable's version resource, the free system resources, up to
// two link labels. At most one is open at a time.

enum : uint32_t {
    ABF_CAPTION = 0x0002,
    ABF_ICON = 0x0008,
    ABF_COMPANY = 0x0010,
    ABF_VERSION = 0x0020,
    ABF_COPYRIGHT = 0x0040,
    ABF_URL = 0x0080,
    ABF_SYSRES = 0x0100,
    ABF_MAIL = 0x4000,
};

struct AboutBoxInfo {
    uint32_t flags;
    int32_t iconId;
    int32_t companyId;
    int32_t versionId;
    int32_t copyrightId;
    int32_t urlId;
    int32_t mailId;
    int32_t sysResId;
    const char* url;         // not owned; must outlive the dialog
    const char* mail;        // not owned
    const char* templateId;  // as DialogBoxParamA takes it (MAKEINTRESOURCEA)
    DLGPROC hook;            // sees every message first; may be null
    HCURSOR linkCursor;
    HINSTANCE instance;
};

// The dialog's properties: the underlined fonts of its two link labels,
// made at WM_INITDIALOG and deleted at WM_DESTROY.
constexpr char kPropFontUrl[] = "ABPROP_FONTURL";
constexpr char kPropFontMail[] = "ABPROP_FONTMAIL";

int AboutBoxShow(HWND owner, const AboutBoxInfo* info);  // always 1
INT_PTR CALLBACK AboutBoxDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
