#!/usr/bin/env python3
"""The shippable zip: tools/package.sh makes it into the build folder; it
holds the 32-bit game and a read-me of Windows text in one folder, and the
game starts from the unpacked folder, writes its settings file there and ends
with code 0. The 64-bit tree, on a host that may run no 32-bit program, checks
the zip's contents without starting it. Arguments: EXE PROBE WORKDIR BUILD_DIR
(the folder tools/ build into)."""
import os
import struct
import subprocess
import sys
import zipfile

from game import ROOT, check, run

BUILD_DIR = sys.argv[4]
# What `file` calls "PE32 executable (GUI) Intel 80386" and "PE32+ executable
# (GUI) x86-64": the COFF machine, the optional header's magic, the subsystem.
KINDS = {"i686": (0x14C, 0x10B, 2), "x86_64": (0x8664, 0x20B, 2)}


def pe_kind(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    check(data[:2] == b"MZ" and data[pe:pe + 4] == b"PE\0\0", f"{path} is no PE file")
    machine, = struct.unpack_from("<H", data, pe + 4)
    magic, = struct.unpack_from("<H", data, pe + 24)
    subsystem, = struct.unpack_from("<H", data, pe + 24 + 68)
    return machine, magic, subsystem


def test(game):
    env = dict(os.environ, TESSALY_BUILD_DIR=BUILD_DIR)
    made = subprocess.run(["bash", os.path.join(ROOT, "tools", "package.sh")], env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    check(made.returncode == 0, f"tools/package.sh failed:\n{made.stdout}")
    with zipfile.ZipFile(os.path.join(BUILD_DIR, "tessaly-win32.zip")) as archive:
        files = sorted(n for n in archive.namelist() if not n.endswith("/"))
        check(files == ["tessaly/knaplet.exe", "tessaly/readme.txt"], f"the zip holds {files}")
        readme = archive.read("tessaly/readme.txt")
        folder = os.path.join(game.work, "unpacked")
        archive.extractall(folder)
    lines = readme.split(b"\n")[:-1]
    check(len(lines) > 5 and all(line.endswith(b"\r") for line in lines),
          "readme.txt is not Windows text of some lines")

    arch = os.environ.get("TESSALY_ARCH", "i686")
    check(pe_kind(game.exe) == KINDS[arch], f"the {arch} tree's game is {pe_kind(game.exe)}")
    zipped = os.path.join(folder, "tessaly", "knaplet.exe")
    check(pe_kind(zipped) == KINDS["i686"], f"the zipped game is {pe_kind(zipped)}, not 32-bit")
    if arch != "i686":
        print("the zipped game is 32-bit: started only by the 32-bit tree")
        return

    # The game from the zip, not the test's own copy.
    game.exe = zipped
    os.chmod(game.exe, 0o755)
    game.ini = os.path.join(folder, "tessaly", "knaplet.ini")
    game.start()
    check(game.settings_lines(), "no settings file beside the unpacked game")
    game.key("alt+F4")
    code = game.wait_exit()
    check(code == 0, f"exit code {code}")


run(test)
