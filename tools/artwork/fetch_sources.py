#!/usr/bin/python3
"""Refresh tools/artwork/sources/ from the pinned upstream packages.

Only needed when the set of icons changes: the generator itself reads nothing
but the committed files under sources/.  This script needs npm (registry
access) and Debian's fonts-comic-neue package.

  * @mdi/svg 7.4.47 (Pictogrammers Material Design Icons, Apache-2.0):
    the used glyphs are copied verbatim to sources/mdi/<name>.svg.
  * @iconify-json/fluent-emoji-flat 1.2.6 (Microsoft Fluent Emoji, MIT):
    each used emoji is written as a standalone SVG, sources/fluent-emoji-flat/<name>.svg.
  * Comic Neue 2.51 (SIL OFL 1.1) from Debian's fonts-comic-neue:
    the Regular and Bold faces are copied to sources/fonts/.
"""
import json
import os
import shutil
import subprocess
import sys
import tarfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from generate import MDI_ICONS, EMOJI_ICONS  # noqa: E402

PACKAGES = {
    "mdi": ("@mdi/svg", "7.4.47", "mdi-svg-7.4.47.tgz"),
    "emoji": ("@iconify-json/fluent-emoji-flat", "1.2.6",
              "iconify-json-fluent-emoji-flat-1.2.6.tgz"),
}
FONT_DIR = "/usr/share/fonts/opentype/comic-neue"
FONT_COPYRIGHT = "/usr/share/doc/fonts-comic-neue/copyright"

FLUENT_MIT = """MIT License

Copyright (c) Microsoft Corporation.

Permission is hereby granted, free of charge, to any person obtaining a copy
of this software and associated documentation files (the "Software"), to deal
in the Software without restriction, including without limitation the rights
to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
copies of the Software, and to permit persons to whom the Software is
furnished to do so, subject to the following conditions:

The above copyright notice and this permission notice shall be included in all
copies or substantial portions of the Software.

THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
SOFTWARE.
"""


def unpack(work, key):
    name, version, tgz = PACKAGES[key]
    dest = os.path.join(work, key)
    if not os.path.isdir(dest):
        subprocess.run(["npm", "pack", "--silent", f"{name}@{version}"],
                       cwd=work, check=True)
        with tarfile.open(os.path.join(work, tgz)) as tf:
            tf.extractall(dest)
    return os.path.join(dest, "package")


def ofl_text():
    out, on = [], False
    with open(FONT_COPYRIGHT, encoding="utf-8") as f:
        lines = f.read().splitlines()
    header = ["Comic Neue 2.51",
              "Copyright 2014-2016 Craig Rozynski, 2014 Hrant Papazian, 2016 Brandon Schoech",
              ""]
    for line in lines:
        if line.startswith("License: SIL-OFL-1.1"):
            on = True
            continue
        if on:
            if line and not line.startswith(" "):
                break
            text = line[2:] if line.startswith("  ") else line.strip()
            out.append("" if text == "." else text)
    return "\n".join(header + out).rstrip() + "\n"


def main():
    work = os.path.join(HERE, "work")
    os.makedirs(work, exist_ok=True)
    src = os.path.join(HERE, "sources")

    mdi = unpack(work, "mdi")
    dst = os.path.join(src, "mdi")
    shutil.rmtree(dst, ignore_errors=True)
    os.makedirs(dst)
    for name in sorted(MDI_ICONS):
        shutil.copyfile(os.path.join(mdi, "svg", name + ".svg"),
                        os.path.join(dst, name + ".svg"))
    with open(os.path.join(dst, "LICENSE"), "w", encoding="utf-8") as f:
        f.write("Material Design Icons, @mdi/svg 7.4.47\n\n")
        with open(os.path.join(mdi, "LICENSE"), encoding="utf-8") as lic:
            f.write(lic.read().rstrip() + "\n\n")
        with open("/usr/share/common-licenses/Apache-2.0", encoding="utf-8") as lic:
            f.write(lic.read())

    emoji = unpack(work, "emoji")
    with open(os.path.join(emoji, "icons.json"), encoding="utf-8") as f:
        data = json.load(f)
    dst = os.path.join(src, "fluent-emoji-flat")
    shutil.rmtree(dst, ignore_errors=True)
    os.makedirs(dst)
    for name in sorted(EMOJI_ICONS):
        icon = data["icons"][name]
        w = icon.get("width", data.get("width", 16))
        h = icon.get("height", data.get("height", 16))
        svg = ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
               'viewBox="0 0 %d %d">%s</svg>\n' % (w, h, w, h, icon["body"]))
        with open(os.path.join(dst, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(svg)
    with open(os.path.join(dst, "LICENSE"), "w", encoding="utf-8") as f:
        f.write("Fluent Emoji (flat), from @iconify-json/fluent-emoji-flat 1.2.6\n\n")
        f.write(FLUENT_MIT)

    dst = os.path.join(src, "fonts")
    os.makedirs(dst, exist_ok=True)
    for face in ("ComicNeue-Regular.otf", "ComicNeue-Bold.otf"):
        shutil.copyfile(os.path.join(FONT_DIR, face), os.path.join(dst, face))
    with open(os.path.join(dst, "OFL.txt"), "w", encoding="utf-8") as f:
        f.write(ofl_text())
    print("sources refreshed:", len(MDI_ICONS), "glyphs,", len(EMOJI_ICONS), "emoji")


if __name__ == "__main__":
    main()
