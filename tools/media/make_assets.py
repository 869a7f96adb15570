#!/usr/bin/python3
"""Remake every picture, icon and sound under data/ from source.

Run from the repository root:  /usr/bin/python3 tools/media/make_assets.py
Output is deterministic: two runs give byte-identical files.
"""
import os
import sys

sys.dont_write_bytecode = True  # keep tools/media/ free of __pycache__

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import art  # noqa: E402
import audio  # noqa: E402
import icons  # noqa: E402
import pngpack  # noqa: E402


def main():
    root = os.path.dirname(os.path.dirname(HERE))
    graphics = os.path.join(root, "data", "graphics")
    icon_dir = os.path.join(root, "data", "icons")
    art.make_all(graphics)
    icons.make_icons(icon_dir)
    pngpack.pack_all(graphics)
    pngpack.pack_all(icon_dir)
    audio.make_all(os.path.join(root, "data", "sounds"))


if __name__ == "__main__":
    main()
