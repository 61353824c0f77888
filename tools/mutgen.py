#!/usr/bin/env python3
"""Writes mutants for tools/mutate.sh mechanically, in the format of tests/mutants.txt.

    tools/mutgen.py [--seed N] [--count N] [--out FILE] [REPO]

and the file work of tools/mutate.sh:

    tools/mutgen.py sync REPO DEST   copy the sources (all but build/ and .git/)
    tools/mutgen.py count FILE       how often $FIND occurs in FILE
    tools/mutgen.py plant FILE       replace the first $FIND in FILE by $REPLACE

    tools/mutgen.py stale FILE...    the entries of mutant lists that no longer
                                     match the code, one a line (exit 1 if any)

A hand-written list finds the faults its author thought of; this one makes the
small, plausible faults of a sweep, in classes:
  partner     a dimension for its partner (x/y, width/height, SM_CXICON/SM_CYICON)
  relational  a comparison that includes or excludes its bound, == for !=
  literal     a literal off by one in a table, a comparison or a constant
  bound       one more or one less on an arithmetic bound (rect->right - 1)
  guard       a guard that never fires
  call        a dropped call
  cleanup     a dropped clean-up, also behind a guard or in a loop
              (if (font) DeleteObject(font);)
  swap        two arguments in the wrong order
  logical     && for || and back
  negation    a dropped !
  arithmetic  + for - and back
  bitwise     | for & and back
  family      a constant of one family for another (WM_LBUTTONDOWN/UP,
              COLOR_BTNSHADOW/BTNHIGHLIGHT, MF_CHECKED/UNCHECKED, SW_ values)
  gdi         another GDI object selected into a DC
  entry       a dropped line of the resource script (a menu item, a value)
  flag        a dropped style flag of the resource script
Every candidate in the product sources (resources/ too) is found; then each
file gets a share of --count in proportion to its lines, drawn with --seed
(and the file's path) from its classes in turn, so that every class a file
offers is sampled, a run can be repeated, and an edit to one file leaves the
other files' mutants as they were. Mutants that do not build are left for
tools/mutate.sh to count apart.
"""
import argparse
import concurrent.futures
import os
import random
import re
import shutil
import subprocess
import sys

FOLDERS = ("engine", "controls", "app", "about", "resources")
SOURCES = (".cpp", ".h", ".rc")

# Which tests cover a source file: the first pattern that matches its path.
# A file's unit tests first; the main window's tests where the game's flow
# is what shows the fault.
COVERAGE = (
    # The board's and the solver's allocation failures are forced in the
    # board control's tests.
    (r"engine/(grid_point|board|solver)\.", "host.engine_tests|wine.board_control_tests"),
    (r"engine/", "host.engine_tests"),
    (r"app/(sjis_path|number_parse)\.", "host.text_tests|wine.settings_tests"),
    # A settings file that is a link only shows in the game itself.
    (r"app/settings\.", "wine.settings_tests|wine.main_window_tests|e2e.stored_settings"),
    (r"app/window_util\.", "wine.main_window_tests|wine.board_control_tests|wine.score_tests"),
    (r"app/winmain\.", "wine.main_window_tests|e2e.start_and_exit|e2e.play"),
    (r"app/", "wine.main_window_tests"),
    (r"controls/(back_buffer|bevel|rect_math)\.", "wine.paint_tests|wine.board_control_tests"),
    (r"controls/(board_control|board_paint|cell_tiles)\.",
     "wine.board_control_tests|wine.main_window_tests"),
    (r"controls/led_", "wine.led_tests|wine.score_tests"),
    (r"controls/", "wine.score_tests|wine.main_window_tests"),
    (r"about/link_label\.", "wine.link_label_tests|wine.about_tests"),
    (r"about/", "wine.about_tests|wine.about_noversion_tests"),
    # The menus, the About box, the digit strip and the ids: the programs that
    # load them; the keys only reach a running game.
    (r"resources/.*\.rc$", "wine.main_window_tests|wine.about_tests|wine.led_tests|e2e.play"),
    (r"resources/", "wine.main_window_tests|wine.about_tests|wine.led_tests|wine.score_tests"),
)

PARTNERS = {
    "x": "y", "cx": "cy", "width": "height", "columns": "rows", "column": "row",
    "left": "top", "right": "bottom",
}
PARTNERS.update({b: a for a, b in list(PARTNERS.items())})
# Partners inside longer names: cellWidth, BoardColumns, SM_CXICON.
NAME_PARTS = (("Width", "Height"), ("Columns", "Rows"), ("Column", "Row"))

# Constants a programmer mixes up: each may stand for any other of its family.
FAMILIES = (
    ("WM_LBUTTONDOWN", "WM_LBUTTONUP", "WM_MOUSEMOVE"),
    ("WM_CREATE", "WM_INITDIALOG"),
    ("WM_DESTROY", "WM_NCDESTROY", "WM_CLOSE"),
    ("WM_PAINT", "WM_ERASEBKGND"),
    ("WM_NOTIFY", "WM_COMMAND"),
    ("WM_COMMAND", "WM_SYSCOMMAND"),
    ("WM_SETICON", "WM_GETICON"),
    ("WM_SETFONT", "WM_GETFONT"),
    ("WM_NCHITTEST", "WM_SETCURSOR"),
    ("WM_INITMENUPOPUP", "WM_INITMENU"),
    ("STM_SETICON", "STM_GETICON"),
    ("ICON_BIG", "ICON_SMALL"),
    ("COLOR_BTNSHADOW", "COLOR_BTNHIGHLIGHT", "COLOR_3DDKSHADOW", "COLOR_3DLIGHT",
     "COLOR_BTNFACE"),
    ("MF_CHECKED", "MF_UNCHECKED"),
    ("MF_ENABLED", "MF_GRAYED", "MF_DISABLED"),
    ("MF_BYCOMMAND", "MF_BYPOSITION"),
    ("SW_SHOWNORMAL", "SW_SHOWDEFAULT", "SW_SHOW", "SW_RESTORE", "SW_SHOWNOACTIVATE"),
    ("SWP_NOSIZE", "SWP_NOMOVE"),
    ("SWP_NOZORDER", "SWP_NOACTIVATE", "SWP_NOOWNERZORDER"),
    ("SWP_NOREDRAW", "SWP_NOCOPYBITS", "SWP_NOSENDCHANGING"),
    ("HWND_TOPMOST", "HWND_NOTOPMOST", "HWND_TOP"),
    ("HTCLIENT", "HTCAPTION", "HTTRANSPARENT"),
    ("SC_MAXIMIZE", "SC_MINIMIZE", "SC_RESTORE"),
    ("EDGE_RAISED", "EDGE_SUNKEN", "EDGE_ETCHED", "EDGE_BUMP"),
    ("BF_RECT", "BF_TOPLEFT", "BF_BOTTOMRIGHT"),
    ("PS_SOLID", "PS_DOT", "PS_INSIDEFRAME"),
    ("WHITE_BRUSH", "GRAY_BRUSH", "LTGRAY_BRUSH", "BLACK_BRUSH", "NULL_BRUSH"),
    ("SYSTEM_FONT", "DEFAULT_GUI_FONT", "ANSI_VAR_FONT"),
    ("SRCCOPY", "SRCPAINT", "SRCINVERT", "SRCAND"),
    ("BLACKNESS", "WHITENESS"),
    ("TRANSPARENT", "OPAQUE"),
    ("IDOK", "IDCANCEL"),
    ("TRUE", "FALSE"),
    ("GW_OWNER", "GW_CHILD", "GW_HWNDNEXT"),
    ("GWLP_WNDPROC", "GWLP_USERDATA", "GWLP_HWNDPARENT"),
    ("GWL_EXSTYLE", "GWL_STYLE"),
    ("WS_EX_TOPMOST", "WS_EX_TOOLWINDOW"),
    ("DWLP_MSGRESULT", "DWLP_USER"),
    ("TTF_SUBCLASS", "TTF_IDISHWND", "TTF_TRANSPARENT"),
    ("TTS_ALWAYSTIP", "TTS_NOPREFIX", "TTS_BALLOON"),
    ("CS_HREDRAW", "CS_VREDRAW", "CS_BYTEALIGNCLIENT", "CS_DBLCLKS"),
    ("SHGFI_SMALLICON", "SHGFI_LARGEICON"),
    ("MK_LBUTTON", "MK_RBUTTON", "MK_SHIFT"),
    ("VK_F2", "VK_F5", "VK_F1"),
    ("WAIT_OBJECT_0", "WAIT_ABANDONED", "WAIT_TIMEOUT"),
    ("GENERIC_READ", "GENERIC_WRITE"),
    ("FILE_SHARE_READ", "FILE_SHARE_WRITE", "FILE_SHARE_DELETE"),
    ("OPEN_EXISTING", "OPEN_ALWAYS", "CREATE_ALWAYS", "CREATE_NEW"),
    ("FILE_BEGIN", "FILE_END", "FILE_CURRENT"),
    ("ERROR_FILE_NOT_FOUND", "ERROR_PATH_NOT_FOUND", "ERROR_ACCESS_DENIED"),
    ("MOVEFILE_REPLACE_EXISTING", "MOVEFILE_WRITE_THROUGH", "MOVEFILE_COPY_ALLOWED"),
    ("FILE_ATTRIBUTE_NORMAL", "FILE_ATTRIBUTE_READONLY", "FILE_ATTRIBUTE_DIRECTORY"),
    ("COINIT_APARTMENTTHREADED", "COINIT_MULTITHREADED"),
    ("SS_LEFT", "SS_CENTER", "SS_RIGHT", "SS_ICON"),
    ("SS_NOTIFY", "SS_NOPREFIX"),
    ("BS_DEFPUSHBUTTON", "BS_PUSHBUTTON"),
    ("WS_CHILD", "WS_POPUP"),
    ("WS_VISIBLE", "WS_DISABLED"),
    # The game's own.
    ("IDM_LEVEL_1", "IDM_LEVEL_2", "IDM_LEVEL_3", "IDM_LEVEL_4", "IDM_LEVEL_5"),
    ("IDM_SIZE_1", "IDM_SIZE_2", "IDM_SIZE_3", "IDM_SIZE_4", "IDM_SIZE_5"),
    ("IDM_START", "IDM_RETRY", "IDM_EXIT", "IDM_ABOUT", "IDM_TOPMOST"),
    ("IDC_BOARD", "IDC_SCORE"),
    ("IDC_COUNTER", "IDC_TIMER"),
    ("IDC_ABOUT_ICON", "IDC_ABOUT_SYSRES", "IDC_ABOUT_URL", "IDC_ABOUT_VERSION"),
    ("BN_SOLVED", "BN_PRESSED", "BN_CELLSIZE", "BN_GRIDSIZE"),
    ("LLN_CLICK", "LLN_LEAVE", "LLN_HOVER"),
    ("ABF_CAPTION", "ABF_ICON"),
    ("ABF_COMPANY", "ABF_VERSION", "ABF_COPYRIGHT"),
    ("ABF_URL", "ABF_MAIL", "ABF_SYSRES"),
    ("CELL_SUNK", "CELL_SAVED_SUNK"),
    ("kLedCounter", "kLedTimer"),
    ("kRaisedCellRings", "kSunkCellRings", "kBoardFrameRings"),
    ("kPropFontUrl", "kPropFontMail"),
    ("kPropOriginalProc", "kPropControlState"),
    ("kBoardProp", "kCellSizeProp"),
    ("kCounterProp", "kTimerProp"),
    ("kTextColour", "kHotTextColour"),
    ("kCounterTip", "kTimerTip"),
    ("kUrlTip", "kMailTip"),
    ("kWinFormat", "kWinFormatFewest", "kWinFormatAtMost"),
    ("kSettingsTopmost", "kSettingsGrid", "kSettingsCell"),
    ("kGrid", "kCell"),
    ("kLoadLockWaitMs", "kSaveLockWaitMs"),
)

# Calls that give back what was taken: a dropped one leaks, or leaves a DC,
# a window or a lock as it should not stay.
CLEANUP = {
    "DeleteObject", "DeleteDC", "ReleaseDC", "RestoreDC", "CloseHandle", "FreeLibrary",
    "ReleaseMutex", "DestroyIcon", "DestroyCursor", "DestroyMenu", "DestroyWindow",
    "DestroyAcceleratorTable", "KillTimer", "RemovePropA", "ReleaseCapture", "EndPaint", "free",
    "CoUninitialize", "FindClose", "DeleteFileA", "UnregisterClassA", "LocalFree", "GlobalFree",
    "HeapFree", "UnmapViewOfFile", "RegCloseKey", "SelectClipRgn", "BoardDestroy",
    "CellTilesDestroy", "BackBufferDestroy", "BoardDrawnDestroy", "SavePolicyDestroy",
    "ReleaseBitmap", "ReleaseAll", "ReleaseIcons", "DeleteLinkFont", "DestroyOwnedPopups",
}

# Where a GDI object comes from, for the wrong one selected.
GDI_SOURCES = re.compile(
    r"([A-Za-z_][\w]*(?:->[A-Za-z_]\w*)?) = (?:static_cast<\w+>\()?"
    r"(?:Create(?:Pen|SolidBrush|FontIndirectA|CompatibleBitmap|TopDownDib|DIBSection)|"
    r"LoadBitmapA|GetStockObject|SelectObject)\(")

KEYWORDS = {"if", "while", "for", "switch", "return", "sizeof", "static_assert", "case",
            "delete", "new", "catch", "defined", "alignof", "decltype", "static_cast",
            "reinterpret_cast", "const_cast"}


def read_text(path):
    with open(path, encoding="utf-8", newline="") as f:
        return f.read()


def coverage(path):
    for pattern, tests in COVERAGE:
        if re.match(pattern, path):
            return tests
    return None


def code_mask(lines):
    """For every line, a list of booleans: True where the character is code
    (outside comments, string and character literals)."""
    masks = []
    in_block = False
    for line in lines:
        mask = [False] * len(line)
        i = 0
        while i < len(line):
            if in_block:
                end = line.find("*/", i)
                if end < 0:
                    i = len(line)
                else:
                    i = end + 2
                    in_block = False
                continue
            if line.startswith("//", i):
                break
            if line.startswith("/*", i):
                in_block = True
                i += 2
                continue
            if line[i] in "\"'":
                quote = line[i]
                i += 1
                while i < len(line) and line[i] != quote:
                    i += 2 if line[i] == "\\" else 1
                i += 1
                continue
            mask[i] = True
            i += 1
        masks.append(mask)
    return masks


def matching_paren(text, start):
    """Index of the ')' that closes the '(' at start, or -1 on this line."""
    depth = 0
    for i in range(start, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def split_args(text):
    """Top-level comma-separated arguments of text, with their offsets."""
    args, depth, begin = [], 0, 0
    for i, ch in enumerate(text):
        if ch in "([{":
            depth += 1
        elif ch in ")]}":
            depth -= 1
        elif ch == "," and depth == 0:
            args.append((begin, i))
            begin = i + 1
    args.append((begin, len(text)))
    return [(b + len(text[b:e]) - len(text[b:e].lstrip()), e - (len(text[b:e]) - len(text[b:e].rstrip())))
            for b, e in args]


SIMPLE = re.compile(r"^[A-Za-z_][\w.:\[\]]*(->[\w.\[\]]+)*$|^-?(0x[0-9A-Fa-f]+|\d+)[uUlL]*$")
NUMBER = re.compile(r"^-?(0x[0-9A-Fa-f]+|\d+)[uUlL]*$")


FAMILY_OF = {}
for _family in FAMILIES:
    for _name in _family:
        FAMILY_OF.setdefault(_name, []).extend(n for n in _family if n != _name)

OPERAND = r"[A-Za-z_]\w*(?:(?:->|\.)[A-Za-z_]\w*)*"
LITERAL = r"(?<![\w.])(0x[0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.])"


def shifted(digits, suffix, delta):
    """The literal one more or one less; None below zero."""
    value = int(digits, 16) if digits.startswith("0x") else int(digits)
    if value + delta < 0:
        return None
    if digits.startswith("0x"):
        return "0x%0*X" % (len(digits) - 2, value + delta) + suffix
    return str(value + delta) + suffix


def edits_of_line(line, mask, next_lines, gdi_objects=()):
    """Yields (operator, start, end, replacement) for one line of C++."""
    def is_code(a, b):
        return all(mask[a:b]) if b > a else False

    code = "".join(ch if ok else " " for ch, ok in zip(line, mask))

    # Partners, whole identifiers and parts of names; constants of one family.
    for m in re.finditer(r"\b[A-Za-z_]\w*\b", line):
        if not is_code(m.start(), m.end()):
            continue
        word = m.group()
        for other in FAMILY_OF.get(word, ()):
            yield "family", m.start(), m.end(), other
        if word in PARTNERS:
            yield "partner", m.start(), m.end(), PARTNERS[word]
            continue
        for a, b in NAME_PARTS:
            for here, there in ((a, b), (b, a)):
                if here in word and not (here == "Column" and "Columns" in word) and \
                        not (here == "Row" and "Rows" in word):
                    yield "partner", m.start(), m.end(), word.replace(here, there, 1)
        cxy = re.search(r"(^|_)C([XY])(?=[A-Z_]|$)", word)
        if cxy:
            other = "Y" if cxy.group(2) == "X" else "X"
            swapped = word[:cxy.start(2)] + other + word[cxy.end(2):]
            yield "partner", m.start(), m.end(), swapped

    # Comparison and equality operators.
    for m in re.finditer(r"<=|>=|==|!=| < | > ", line):
        if not is_code(m.start(), m.end()):
            continue
        op = m.group().strip()
        swap = {"<=": "<", "<": "<=", ">=": ">", ">": ">=", "==": "!=", "!=": "=="}[op]
        start = m.start() + m.group().index(op)
        yield "relational", start, start + len(op), swap

    # Logical, arithmetic and bitwise operators: clang-format puts a space on
    # either side of every binary one, and none after a unary one.
    for m in re.finditer(r" (&&|\|\||\+|-|\||&|\|=|&=) ", code):
        op = m.group(1)
        other = {"&&": "||", "||": "&&", "+": "-", "-": "+", "|": "&", "&": "|", "|=": "&=",
                 "&=": "|="}[op]
        kind = {"&&": "logical", "||": "logical", "+": "arithmetic", "-": "arithmetic"}.get(
            op, "bitwise")
        yield kind, m.start(1), m.end(1), other
    for m in re.finditer(r"!(?!=)", code):
        if m.start() + 1 < len(code) and code[m.start() + 1] != "!":
            yield "negation", m.start(), m.end(), ""

    # Integer literals in tables, comparisons and constants: one more, one less.
    tabular = re.search(r"<=|>=|==|!=| < | > ", code) or "constexpr" in code or \
        re.search(r"\bcase\b", code) or ("{" in code and "}" in code and "," in code)
    if tabular and not code.lstrip().startswith("#") and "static_assert" not in code:
        for m in re.finditer(LITERAL, line):
            if not is_code(m.start(), m.end()):
                continue
            for delta in (1, -1):
                text = shifted(m.group(1), m.group(2), delta)
                if text is not None:
                    yield "literal", m.start(), m.end(), text

    # An arithmetic bound one off: a literal next to an arithmetic operator one
    # more or one less (`right - 1` as `right` or `right - 2`), and a name
    # after + or - with one added or taken (`right - left` as `right - left + 1`).
    for m in re.finditer(r"(?:(?<= [-+*/%] )|(?<= << )|(?<= >> ))" + LITERAL +
                         r"|" + LITERAL + r"(?= [-+*/%] )", code):
        digits, suffix = (m.group(1), m.group(2)) if m.group(1) else (m.group(3), m.group(4))
        before = code[:m.start()]
        for delta in (1, -1):
            text = shifted(digits, suffix, delta)
            if text is None:
                continue
            if text.rstrip("uUlL") in ("0", "0x0") and re.search(r" [-+] $", before):
                yield "bound", m.start() - 3, m.end(), ""
            else:
                yield "bound", m.start(), m.end(), text
    for m in re.finditer(r"(?<= [-+] )(" + OPERAND + r")(?![\w(\[.]|->)(?! *[*/%])", code):
        for extra in (" + 1", " - 1"):
            yield "bound", m.end(), m.end(), extra

    # A guard that never fires: if (...) return ...;  or  if (...) { return ...; }
    m = re.match(r"\s*(?:\}\s*else\s+)?if \(", line)
    if m and is_code(m.end() - 1, m.end()):
        open_at = m.end() - 1
        close_at = matching_paren(line, open_at)
        if close_at > 0:
            rest = line[close_at + 1:].strip()
            body = None
            if rest.startswith("return"):
                body = rest
            elif rest == "{" and len(next_lines) >= 2 and next_lines[0].strip().startswith("return") \
                    and next_lines[1].strip() == "}":
                body = next_lines[0].strip()
            if body is not None:
                cond = line[open_at + 1:close_at]
                yield "guard", open_at + 1, close_at, "(%s) && false" % cond

    # A call statement removed; a clean-up call removed wherever it stands as
    # a statement: alone, behind a guard, in a loop, after a case label. What
    # its argument calls still runs (free(RemovePropA(...)) keeps the removal).
    stripped = line.strip()
    m = re.match(r"(\(void\)\s*)?([A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*)\s*\(", stripped)
    if m and m.group(2).split("::")[-1] not in KEYWORDS and \
            m.group(2) not in CLEANUP and stripped.endswith(";"):
        offset = line.index(stripped)
        close_at = matching_paren(line, offset + m.end() - 1)
        if close_at == offset + len(stripped) - 2 and is_code(offset, offset + 1):
            yield "call", offset, offset + len(stripped), ""
    for m in re.finditer(r"\b([A-Za-z_]\w*)\(", code):
        if m.group(1) not in CLEANUP:
            continue
        close_at = matching_paren(line, m.end() - 1)
        if close_at < 0 or not code[close_at + 1:].startswith(";"):
            continue
        before = code[:m.start()].rstrip()
        inner = line[m.end():close_at]
        if re.search(r"\b[A-Za-z_]\w*\(", inner) and len(split_args(inner)) == 1:
            if not before or before.endswith((";", ":", ")", "else")):
                yield "cleanup", m.start(), close_at + 1, "(void)" + inner.strip()
            continue
        if not before or before.endswith((";", ":", "{")) and not before.endswith("::"):
            end = close_at + 2
            if before and line[end:end + 1] == " ":
                end += 1  # case IDM_EXIT: DestroyWindow(main); return 0;
            yield "cleanup", m.start(), end, ""
        elif before.endswith((")", "else")):
            yield "cleanup", m.start(), close_at + 2, "{}"

    # Another GDI object selected: one the file makes, selects or deletes.
    for m in re.finditer(r"\bSelectObject\(", code):
        close_at = matching_paren(line, m.end() - 1)
        if close_at < 0:
            continue
        inner = line[m.end():close_at]
        args = split_args(inner)
        if len(args) != 2:
            continue
        b0, b1 = args[1]
        chosen = inner[b0:b1]
        for other in gdi_objects:
            if other != chosen and other != inner[args[0][0]:args[0][1]]:
                yield "gdi", m.end() + b0, m.end() + b1, other

    # Two adjacent arguments of one kind swapped.
    for m in re.finditer(r"\b([A-Za-z_]\w*)\(", line):
        if m.group(1) in KEYWORDS or not is_code(m.start(), m.end()):
            continue
        open_at = m.end() - 1
        close_at = matching_paren(line, open_at)
        if close_at < 0:
            continue
        inner = line[open_at + 1:close_at]
        args = split_args(inner)
        for (a0, a1), (b0, b1) in zip(args, args[1:]):
            a, b = inner[a0:a1], inner[b0:b1]
            if not a or not b or a == b or not SIMPLE.match(a) or not SIMPLE.match(b):
                continue
            if bool(NUMBER.match(a)) != bool(NUMBER.match(b)):
                continue
            start = open_at + 1 + a0
            end = open_at + 1 + b1
            yield "swap", start, end, b + inner[a1:b0] + a


DEFINITION = re.compile(r"#define [A-Z_][A-Z0-9_]* +" + LITERAL + r"\s*$")


def edits_of_definition(line, values):
    """A preprocessor constant (#define IDM_LEVEL_2 40011) one more or one
    less where that makes it another constant's value of the file: two ids
    alike. Any other value is used by its name alone and changes nothing."""
    m = DEFINITION.match(line)
    if m:
        for delta in (1, -1):
            text = shifted(m.group(1), m.group(2), delta)
            if text is not None and text in values:
                yield "literal", m.start(1), m.end(2), text


def edits_of_resource_line(line, mask):
    """Yields (operator, start, end, replacement) for one line of the resource
    script: a constant of its family, a style flag dropped, a menu item,
    accelerator or version value dropped, a version value's number one off."""
    code = "".join(ch if ok else " " for ch, ok in zip(line, mask))
    for m in re.finditer(r"\b[A-Za-z_]\w*\b", code):
        for other in FAMILY_OF.get(m.group(), ()):
            yield "family", m.start(), m.end(), other
    for m in re.finditer(r" \| ([A-Z][A-Z0-9_]*)", code):
        yield "flag", m.start(), m.end(), ""
    stripped = code.strip()
    if re.match(r"(MENUITEM [^S]|VALUE |VK_)", stripped):
        yield "entry", 0, len(line), ""
    if stripped.startswith("VALUE "):
        for m in re.finditer(LITERAL, code):
            for delta in (1, -1):
                text = shifted(m.group(1), m.group(2), delta)
                if text is not None:
                    yield "literal", m.start(), m.end(), text


def candidates(repo, path):
    text = read_text(os.path.join(repo, path))
    lines = text.split("\n")
    masks = code_mask(lines)
    gdi_objects = sorted(set(GDI_SOURCES.findall(text)) |
                         set(re.findall(r"\bSelectObject\([^,()]+, ([\w>-]+)\)", text)) |
                         set(re.findall(r"\bDeleteObject\(([\w>-]+)\)", text)))
    values = {m.group(1) + m.group(2) for m in map(DEFINITION.match, lines) if m}
    found, seen = [], set()
    for n, (line, mask) in enumerate(zip(lines, masks)):
        if "\t" in line or not line.strip():
            continue
        if path.endswith(".rc"):
            if line.lstrip().startswith("#"):
                continue
            edits = edits_of_resource_line(line, mask)
        elif line.lstrip().startswith("#"):
            edits = edits_of_definition(line, values)
        elif "static_assert" in line:
            continue
        else:
            following = [l for l in lines[n + 1:n + 4] if l.strip()]
            edits = edits_of_line(line, mask, following, gdi_objects)
        for op, start, end, replacement in edits:
            mutated = line[:start] + replacement + line[end:]
            if mutated == line:
                continue
            # The shortest piece of the line, from its first code character,
            # that occurs once in the file.
            find = line.strip()
            lead = line.index(find)
            if text.count(find) != 1:
                find, lead = line, 0
                if text.count(find) != 1:
                    continue
            tail = len(line) - (lead + len(find))
            new = mutated[lead:len(mutated) - tail] if tail else mutated[lead:]
            # One mutant, one class: the first operator that writes it.
            if (find, new) in seen:
                continue
            seen.add((find, new))
            found.append((op, n + 1, find, new))
    return found, len([l for l in lines if l.strip()])


# The flags of the Windows build, for a syntax-only check of a mutated file.
CHECK = ["i686-w64-mingw32-g++-posix", "-fsyntax-only", "-std=c++17", "-Wall", "-Wextra",
         "-Werror", "-finput-charset=UTF-8", "-fexec-charset=CP932", "-DWIN32_LEAN_AND_MEAN",
         "-DNOMINMAX", "-D_WIN32_WINNT=0x0501", "-DWINVER=0x0501", "-D_WIN32_IE=0x0501"]


RC_CHECK = ["i686-w64-mingw32-windres", "--codepage=65001", "-DRC_INVOKED"]
_images = []


def resource_builds(repo, path, text):
    """1 when the resource compiler takes the mutated script (with the images
    tools/make_images.py draws, made once)."""
    import tempfile
    if not _images:
        folder = tempfile.mkdtemp(prefix="mutgen-images-")
        subprocess.run([sys.executable, os.path.join(repo, "tools", "make_images.py"), folder],
                       check=True, stdout=subprocess.DEVNULL)
        _images.append(folder)
    with tempfile.TemporaryDirectory(prefix="mutgen-rc-") as work:
        script = os.path.join(work, os.path.basename(path))
        with open(script, "w", encoding="utf-8", newline="") as f:
            f.write(text)
        command = RC_CHECK + ["-I", repo, "-I", _images[0], "-i", script, "-o",
                              os.path.join(work, "out.o")]
        result = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return result.returncode == 0


def builds(repo, path, find, new):
    """1 when the file with the mutant planted passes the compiler's checks."""
    text = read_text(os.path.join(repo, path)).replace(find, new, 1)
    if path.endswith(".rc"):
        return resource_builds(repo, path, text)
    command = CHECK + ["-I", repo, "-iquote", os.path.dirname(os.path.join(repo, path)),
                       "-x", "c++", "-"]
    result = subprocess.run(command, input=text.encode("utf-8"), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    return result.returncode == 0


def sync(repo, dest):
    """Makes dest hold the repository's files, but build/ and .git/. Files are
    written without keeping their times, and only when their content changed:
    a changed file gets a fresh mtime, so make never takes a mutant's object
    file for the restored source, and an unchanged one is not rebuilt."""
    wanted = set()
    for top, dirs, files in os.walk(repo):
        if top == repo:
            dirs[:] = [d for d in dirs if d not in ("build", ".git")]
        for name in files:
            rel = os.path.relpath(os.path.join(top, name), repo)
            wanted.add(rel)
            source, target = os.path.join(repo, rel), os.path.join(dest, rel)
            with open(source, "rb") as f:
                data = f.read()
            if os.path.exists(target):
                with open(target, "rb") as f:
                    if f.read() == data:
                        continue
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as f:
                f.write(data)
            shutil.copymode(source, target)
    for top, _, files in os.walk(dest):
        for name in files:
            rel = os.path.relpath(os.path.join(top, name), dest)
            if rel not in wanted:
                os.remove(os.path.join(top, name))


def stale(lists, repo):
    """The entries of mutant lists that no longer match the code: a hand-written
    entry (four fields) whose text is not found exactly once in its file, and
    an entry of the equivalents (three fields) that the generator no longer
    writes, since it is keyed by the exact text the generator finds."""
    found = 0
    written = {}
    for name in lists:
        with open(name, encoding="utf-8") as f:
            entries = f.read().split("\n")
        for n, line in enumerate(entries, 1):
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split("\t")
            path = os.path.join(repo, fields[0])
            why = None
            if len(fields) not in (3, 4):
                why = "not three or four tab-separated fields"
            elif not os.path.isfile(path):
                why = "no such file"
            else:
                count = read_text(path).count(fields[1])
                if count != 1:
                    why = "the text occurs %d times" % count
                elif len(fields) == 3:
                    if fields[0] not in written:
                        written[fields[0]] = {(c[2], c[3]) for c in candidates(repo, fields[0])[0]}
                    if (fields[1], fields[2]) not in written[fields[0]]:
                        why = "the generator no longer writes this mutant"
            if why:
                found += 1
                print("%s:%d: %s: %s" % (os.path.relpath(name, repo), n, why, line[:160]))
    return found


def file_work(command, args):
    """The sync, count and plant commands; the texts come in the environment,
    where tabs and quotes need no escaping."""
    if command == "sync" and len(args) == 2:
        sync(*args)
    elif command == "count" and len(args) == 1:
        print(read_text(args[0]).count(os.environ["FIND"]))
    elif command == "plant" and len(args) == 1:
        text = read_text(args[0]).replace(os.environ["FIND"], os.environ["REPLACE"], 1)
        with open(args[0], "w", encoding="utf-8", newline="") as f:
            f.write(text)
    elif command == "stale" and args:
        repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        sys.exit(1 if stale(args, os.environ.get("MUTGEN_REPO", repo)) else 0)
    else:
        sys.exit(__doc__)


def main():
    if len(sys.argv) > 1 and sys.argv[1] in ("sync", "count", "plant", "stale"):
        file_work(sys.argv[1], sys.argv[2:])
        return
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--seed", type=int, default=19)
    parser.add_argument("--count", type=int, default=320)
    parser.add_argument("--out", default="-")
    parser.add_argument("--no-check", action="store_true",
                        help="keep mutants that may not build (no compiler run)")
    parser.add_argument("repo", nargs="?",
                        default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    options = parser.parse_args()

    files = []
    for folder in FOLDERS:
        for top, _, names in os.walk(os.path.join(options.repo, folder)):
            for name in sorted(names):
                if name.endswith(SOURCES):
                    files.append(os.path.relpath(os.path.join(top, name), options.repo))
    files.sort()

    per_file, total_lines = {}, 0
    for path in files:
        if coverage(path) is None:
            continue
        found, lines = candidates(options.repo, path)
        if found:
            per_file[path] = (found, lines)
            total_lines += lines

    chosen = []
    pool = concurrent.futures.ThreadPoolExecutor(max(1, os.cpu_count() or 1))
    # Every file gets its share of the count by lines, at least one, drawn
    # from the candidates that build: one that does not counts for nothing.
    # The draw takes the file's classes in turn, so that a class with few
    # candidates (a dropped clean-up, a wrong GDI object) is not drowned by
    # one with many (the literals of a table).
    # Each file draws from a generator of its own, seeded with the seed and its
    # path: an edit to one file redraws that file's mutants and no other's.
    for path, (found, lines) in sorted(per_file.items()):
        rng = random.Random("%d:%s" % (options.seed, path))
        share = max(1, round(options.count * lines / total_lines))
        by_class = {}
        for c in found:
            by_class.setdefault(c[0], []).append(c)
        classes = sorted(by_class)
        rng.shuffle(classes)
        queues = [rng.sample(by_class[k], len(by_class[k])) for k in classes]
        order = []
        while any(queues):
            order.extend(q.pop(0) for q in queues if q)
        picked = []
        while order and len(picked) < share:
            batch, order = order[:share - len(picked)], order[share - len(picked):]
            if options.no_check:
                picked.extend(batch)
                continue
            ok = pool.map(lambda c: builds(options.repo, path, c[2], c[3]), batch)
            picked.extend(c for c, good in zip(batch, ok) if good)
        chosen.extend((path, op, n, find, new)
                      for op, n, find, new in sorted(picked, key=lambda c: c[1]))

    out = sys.stdout if options.out == "-" else open(options.out, "w", encoding="utf-8")
    out.write("# Generated by tools/mutgen.py --seed %d --count %d: %d mutants.\n"
              % (options.seed, options.count, len(chosen)))
    for path, op, n, find, new in chosen:
        out.write("# %s, line %d\n" % (op, n))
        out.write("%s\t%s\t%s\t%s\n" % (path, find, new, coverage(path)))
    if out is not sys.stdout:
        out.close()
    print("%d mutants from %d files (seed %d)" % (len(chosen), len(per_file), options.seed),
          file=sys.stderr)


if __name__ == "__main__":
    main()
