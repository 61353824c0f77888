#include "about/about_box.h"

#include <commctrl.h>
#include <cstdlib>
#include <cstring>
#include <shellapi.h>

#include "about/center_on_cursor.h"
#include "about/free_resources.h"
#include "about/link_label.h"
#include "about/text_format.h"
#include "about/version_info.h"
#include "app/sjis_path.h"
#include "app/window_util.h"
#include "controls/tooltip.h"
#include "engine/random.h"

namespace {

constexpr int kTextSize = 261;   // paths and version texts
constexpr int kSysResSize = 35;  // the free-resources line, terminator included

constexpr char kCaptionFormat[] = "%s について";
constexpr char kVersionFormat[] = "%s ver. %s";
constexpr char kSysResFormat[] = "システムリソース： %d ％使用可能";
constexpr char kRareCaption[] = "-時には、翼のない天使のように-";
constexpr int kRareCaptionOdds = 1000;

constexpr char kUrlTip[] = "サポートサイトへ";
constexpr char kMailTip[] = "作者へメールを送る";

// The one About box that may be open, and the record it was opened with. The
// dialog procedure reads the copy: the caller's record may be gone by then.
HWND g_openDialog = nullptr;
AboutBoxInfo g_info;

bool Has(const AboutBoxInfo* info, uint32_t flag)
{
    return (info->flags & flag) != 0;
}

void SetIcons(HWND dialog, const char* path)
{
    SendMessageA(dialog, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(GetFileShellIcon(path, FALSE)));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(GetFileShellIcon(path, TRUE)));
}

// The shell makes a new icon at every request; whoever asked destroys it.
void ReleaseIcons(HWND dialog)
{
    DestroyIcon(reinterpret_cast<HICON>(SendMessageA(dialog, WM_SETICON, ICON_BIG, 0)));
    DestroyIcon(reinterpret_cast<HICON>(SendMessageA(dialog, WM_SETICON, ICON_SMALL, 0)));
    if (Has(&g_info, ABF_ICON)) {
        DestroyIcon(
            reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, g_info.iconId, STM_SETICON, 0, 0)));
    }
}

void SetVersionTexts(HWND dialog, const AboutBoxInfo* info, const char* path)
{
    DWORD* translation = nullptr;
    void* block = VersionLoad(path, &translation);
    if (!block) return;  // the template's own texts stay

    char company[kTextSize];
    char copyright[kTextSize];
    char version[kTextSize];
    char product[kTextSize];
    VersionGetString(company, sizeof company, block, *translation, "CompanyName");
    VersionGetString(copyright, sizeof copyright, block, *translation, "LegalCopyright");
    VersionGetString(version, sizeof version, block, *translation, "ProductVersion");
    VersionGetString(product, sizeof product, block, *translation, "ProductName");
    if (product[0] == '\0') {
        VersionGetString(product, sizeof product, block, *translation, "FileDescription");
    }
    char caption[kTextSize];
    char versionLine[kTextSize];
    TextFormat(caption, sizeof caption, kCaptionFormat, product);
    TextFormat(versionLine, sizeof versionLine, kVersionFormat, product, version);
    free(block);

    if (Has(info, ABF_CAPTION)) SetWindowTextA(dialog, caption);
    if (Has(info, ABF_COMPANY)) SetDlgItemTextA(dialog, info->companyId, company);
    if (Has(info, ABF_COPYRIGHT)) SetDlgItemTextA(dialog, info->copyrightId, copyright);
    if (Has(info, ABF_VERSION)) SetDlgItemTextA(dialog, info->versionId, versionLine);
}

void SetFreeResourcesLine(HWND dialog, int id)
{
    SetDlgItemTextA(dialog, id, "");
    int system = 0;
    if (!GetFreeResources(&system, nullptr, nullptr)) return;
    char line[kSysResSize];
    TextFormat(line, sizeof line, kSysResFormat, system);
    SetDlgItemTextA(dialog, id, line);
}

void SetUpLink(HWND dialog, HWND tooltip, int id, const char* text, const char* property,
               const char* tip)
{
    HWND control = GetDlgItem(dialog, id);
    SetWindowTextA(control, text);
    // The tooltip subclasses the control to watch the mouse, and frees its
    // subclass record when its own procedure sees the control's last message.
    // So it goes first: the label, which puts back the procedure it replaced
    // when the control is destroyed, then puts back the tooltip's.
    TooltipAddTool(tooltip, TTF_SUBCLASS, dialog, control, tip);
    LinkLabelAttach(control);

    // A control without a font of its own draws in the system font.
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (!font) font = GetStockObject(SYSTEM_FONT);
    LOGFONTA look;
    memset(&look, 0, sizeof look);
    GetObjectA(font, sizeof look, &look);
    look.lfUnderline = 1;
    HFONT underlined = CreateFontIndirectA(&look);
    // Only the property lets the dialog delete the font at its end: a font it
    // cannot hold goes at once, and the link keeps the control's own.
    if (!SetPropA(dialog, property, underlined)) {
        DeleteObject(underlined);
        return;
    }
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(underlined), TRUE);
}

void DeleteLinkFont(HWND dialog, const char* property)
{
    HGDIOBJ font = RemovePropA(dialog, property);
    if (font) DeleteObject(font);
}

INT_PTR OnInitDialog(HWND dialog, const AboutBoxInfo* info)
{
    // Opened by somebody else with no record: the last one shown will do.
    if (!info) info = &g_info;
    g_openDialog = dialog;

    char path[kTextSize];
    path[0] = '\0';  // stays empty when the path cannot be had: nothing is found then
    GetModuleSiblingPath(path, sizeof path, nullptr);
    SetIcons(dialog, path);
    CenterOnCursor(dialog);
    SetVersionTexts(dialog, info, path);
    if (Has(info, ABF_SYSRES)) SetFreeResourcesLine(dialog, info->sysResId);

    HWND tooltip = TooltipCreate(dialog, GetModuleHandleA(nullptr), TTS_ALWAYSTIP, 0);
    if (Has(info, ABF_URL))
        SetUpLink(dialog, tooltip, info->urlId, info->url, kPropFontUrl, kUrlTip);
    if (Has(info, ABF_MAIL)) {
        SetUpLink(dialog, tooltip, info->mailId, info->mail, kPropFontMail, kMailTip);
    }
    if (Has(info, ABF_ICON)) {
        SendDlgItemMessageA(dialog, info->iconId, STM_SETICON,
                            reinterpret_cast<WPARAM>(GetFileShellIcon(path, FALSE)), 0);
    }
    if (RandomNext() % kRareCaptionOdds == 0) SetWindowTextA(dialog, kRareCaption);
    return TRUE;  // the dialog manager focuses the first tab stop, the OK button
}

INT_PTR OnDestroy(HWND dialog)
{
    if (Has(&g_info, ABF_URL)) DeleteLinkFont(dialog, kPropFontUrl);
    if (Has(&g_info, ABF_MAIL)) DeleteLinkFont(dialog, kPropFontMail);
    // Only a dialog that went through its set-up holds icons of ours. It is
    // no longer open from here on, also when somebody ran this procedure
    // without AboutBoxShow, which would otherwise never open a box again.
    if (g_openDialog == dialog) {
        ReleaseIcons(dialog);
        g_openDialog = nullptr;
    }
    return TRUE;
}

// A record without the mail link leaves mailId 0, which any control may be:
// that id counts only with ABF_MAIL, here and for notifications.
bool IsLinkControl(HWND dialog, HWND window)
{
    return window == GetDlgItem(dialog, g_info.urlId) ||
           (Has(&g_info, ABF_MAIL) && window == GetDlgItem(dialog, g_info.mailId));
}

INT_PTR OnSetCursor(HWND dialog, WPARAM wParam)
{
    if (!IsLinkControl(dialog, reinterpret_cast<HWND>(wParam))) return FALSE;
    SetCursor(g_info.linkCursor);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

INT_PTR OnNcHitTest(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    // The body answers as the caption does, so the dialog is dragged by it.
    LRESULT hit = DefWindowProcA(dialog, WM_NCHITTEST, wParam, lParam);
    if (hit == HTCLIENT) hit = HTCAPTION;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, hit);
    return TRUE;
}

// Hover and leave go straight back to the label: it lights up only when told.
INT_PTR Reflect(LPARAM lParam)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    return SendMessageA(header->hwndFrom, WM_NOTIFY, header->idFrom, lParam);
}

INT_PTR OnNotify(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header) return TRUE;
    if (wParam == static_cast<WPARAM>(g_info.urlId)) {
        if (header->code != LLN_CLICK) return Reflect(lParam);
        ShellExecuteA(dialog, nullptr, g_info.url, nullptr, nullptr, SW_SHOWNORMAL);
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (Has(&g_info, ABF_MAIL) && wParam == static_cast<WPARAM>(g_info.mailId)) {
        if (header->code != LLN_CLICK) return Reflect(lParam);
        ShellExecuteA(dialog, nullptr, g_info.mail, nullptr, nullptr, SW_SHOWNORMAL);
        return TRUE;
    }
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam)
{
    const WORD command = LOWORD(wParam);
    if (command == IDOK || command == IDCANCEL) EndDialog(dialog, command);
    return TRUE;
}

}  // namespace

int AboutBoxShow(HWND owner, const AboutBoxInfo* info)
{
    if (g_openDialog) {
        BringWindowToTop(g_openDialog);
        SetForegroundWindow(g_openDialog);
        ShowWindow(g_openDialog, SW_SHOWDEFAULT);
        return 1;
    }
    if (!info) return 1;
    g_info = *info;
    DialogBoxParamA(info->instance, info->templateId, owner, AboutBoxDlgProc,
                    reinterpret_cast<LPARAM>(info));
    g_openDialog = nullptr;
    return 1;
}

INT_PTR CALLBACK AboutBoxDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_info.hook && g_info.hook(dialog, message, wParam, lParam)) return FALSE;
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<const AboutBoxInfo*>(lParam));
    case WM_DESTROY: return OnDestroy(dialog);
    case WM_SETCURSOR: return OnSetCursor(dialog, wParam);
    case WM_NCHITTEST: return OnNcHitTest(dialog, wParam, lParam);
    case WM_NOTIFY: return OnNotify(dialog, wParam, lParam);
    case WM_COMMAND: return OnCommand(dialog, wParam);
    default: return FALSE;
    }
}
