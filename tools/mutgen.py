#!/usr/bin/env python3
"""Writes mutants for tools/mutate.sh mechanically, in the format of tests/mutants.txt.

    tools/mutgen.py [--seed N] [--count N] [--out FILE] [REPO]

and the file work of tools/mutate.sh:

    tools/mutgen.py sync REPO DEST   copy the sources (all but build/ and .git/)
    tools/mutgen.py count FILE       how often $FIND occurs in FILE
    tools/mutgen.py plant FILE       replace the first $FIND in FILE by $REPLACE

A hand-written list finds the faults its author thought of; this one makes the
small, plausible faults of a sweep: a dimension for its partner, a literal off
by one, a comparison that includes or excludes its bound, a guard that never
fires, a dropped call, two arguments in the wrong order. Every candidate in
the product sources is found, then --count of them are drawn with --seed,
spread over the files in proportion to their lines, so a run can be repeated.
Mutants that do not build are left for tools/mutate.sh to count apart.
"""
import argparse
import concurrent.futures
import os
import random
import re
import shutil
import subprocess
import sys

FOLDERS = ("engine", "controls", "app", "about")

# Which tests cover a source file: the first pattern that matches its path.
# A file's unit tests first; the main window's tests where the game's flow
# is what shows the fault.
COVERAGE = (
    (r"engine/grid_point\.", "host.engine_tests|wine.board_control_tests"),
    (r"engine/", "host.engine_tests"),
    (r"app/(sjis_path|number_parse)\.", "host.text_tests|wine.settings_tests"),
    (r"app/settings\.", "wine.settings_tests|wine.main_window_tests"),
    (r"app/window_util\.", "wine.main_window_tests|wine.board_control_tests|wine.score_tests"),
    (r"app/winmain\.", "e2e.start_and_exit|e2e.play"),
    (r"app/", "wine.main_window_tests"),
    (r"controls/(back_buffer|bevel|rect_math)\.", "wine.paint_tests|wine.board_control_tests"),
    (r"controls/(board_control|board_paint|cell_tiles)\.",
     "wine.board_control_tests|wine.main_window_tests"),
    (r"controls/led_", "wine.led_tests|wine.score_tests"),
    (r"controls/", "wine.score_tests|wine.main_window_tests"),
    (r"about/link_label\.", "wine.link_label_tests|wine.about_tests"),
    (r"about/", "wine.about_tests|wine.about_noversion_tests"),
)

PARTNERS = {
    "x": "y", "cx": "cy", "width": "height", "columns": "rows", "column": "row",
    "left": "top", "right": "bottom",
}
PARTNERS.update({b: a for a, b in list(PARTNERS.items())})
# Partners inside longer names: cellWidth, BoardColumns, SM_CXICON.
NAME_PARTS = (("Width", "Height"), ("Columns", "Rows"), ("Column", "Row"))

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


def edits_of_line(line, mask, next_lines):
    """Yields (operator, start, end, replacement) for one line."""
    def is_code(a, b):
        return all(mask[a:b]) if b > a else False

    # Partners, whole identifiers and parts of names.
    for m in re.finditer(r"\b[A-Za-z_]\w*\b", line):
        if not is_code(m.start(), m.end()):
            continue
        word = m.group()
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

    # Integer literals in tables, comparisons and constants: one more, one less.
    code = "".join(ch if ok else " " for ch, ok in zip(line, mask))
    tabular = re.search(r"<=|>=|==|!=| < | > ", code) or "constexpr" in code or \
        re.search(r"\bcase\b", code) or ("{" in code and "}" in code and "," in code)
    if tabular and not code.lstrip().startswith("#") and "static_assert" not in code:
        for m in re.finditer(r"(?<![\w.])(0x[0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.])", line):
            if not is_code(m.start(), m.end()):
                continue
            digits = m.group(1)
            value = int(digits, 16) if digits.startswith("0x") else int(digits)
            for delta in (1, -1):
                if value + delta < 0:
                    continue
                text = (("0x%X" % (value + delta)) if digits.startswith("0x")
                        else str(value + delta)) + m.group(2)
                yield "literal", m.start(), m.end(), text

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

    # A call statement removed.
    stripped = line.strip()
    m = re.match(r"(\(void\)\s*)?([A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*)\s*\(", stripped)
    if m and m.group(2).split("::")[-1] not in KEYWORDS and stripped.endswith(";"):
        offset = line.index(stripped)
        close_at = matching_paren(line, offset + m.end() - 1)
        if close_at == offset + len(stripped) - 2 and is_code(offset, offset + 1):
            yield "call", offset, offset + len(stripped), ""

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


def candidates(repo, path):
    text = read_text(os.path.join(repo, path))
    lines = text.split("\n")
    masks = code_mask(lines)
    found = []
    for n, (line, mask) in enumerate(zip(lines, masks)):
        if "\t" in line or not line.strip() or line.lstrip().startswith("#"):
            continue
        if "static_assert" in line:
            continue
        following = [l for l in lines[n + 1:n + 4] if l.strip()]
        for op, start, end, replacement in edits_of_line(line, mask, following):
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
            found.append((op, n + 1, find, new))
    return found, len([l for l in lines if l.strip()])


# The flags of the Windows build, for a syntax-only check of a mutated file.
CHECK = ["i686-w64-mingw32-g++-posix", "-fsyntax-only", "-std=c++17", "-Wall", "-Wextra",
         "-Werror", "-finput-charset=UTF-8", "-fexec-charset=CP932", "-DWIN32_LEAN_AND_MEAN",
         "-DNOMINMAX", "-D_WIN32_WINNT=0x0501", "-DWINVER=0x0501", "-D_WIN32_IE=0x0501"]


def builds(repo, path, find, new):
    """1 when the file with the mutant planted passes the compiler's checks."""
    text = read_text(os.path.join(repo, path)).replace(find, new, 1)
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
    else:
        sys.exit(__doc__)


def main():
    if len(sys.argv) > 1 and sys.argv[1] in ("sync", "count", "plant"):
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
                if name.endswith((".cpp", ".h")):
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

    rng = random.Random(options.seed)
    chosen = []
    pool = concurrent.futures.ThreadPoolExecutor(max(1, os.cpu_count() or 1))
    # Every file gets its share of the count by lines, at least one, drawn
    # from the candidates that build: one that does not counts for nothing.
    for path, (found, lines) in sorted(per_file.items()):
        share = max(1, round(options.count * lines / total_lines))
        order = rng.sample(found, len(found))
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
