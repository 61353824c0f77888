#!/usr/bin/env python3
"""The shippable zip: tools/package.sh makes it into the build folder; it
holds the game and a read-me of Windows text in one folder, and the game
starts from the unpacked folder, writes its settings file there and ends with
code 0. Arguments: EXE PROBE WORKDIR BUILD_DIR (the folder tools/ build into)."""
import os
import subprocess
import sys
import zipfile

from game import ROOT, check, run

BUILD_DIR = sys.argv[4]


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

    # The game from the zip, not the test's own copy.
    game.exe = os.path.join(folder, "tessaly", "knaplet.exe")
    os.chmod(game.exe, 0o755)
    game.ini = os.path.join(folder, "tessaly", "knaplet.ini")
    game.start()
    check(game.settings_lines(), "no settings file beside the unpacked game")
    game.key("alt+F4")
    code = game.wait_exit()
    check(code == 0, f"exit code {code}")


run(test)
