#!/usr/bin/python3
"""make lint: every name that HACKING.md's tables give with its file is in
that file, so that the guide cannot go stale quietly.

A table cell names code as "`FILE`: `NAME`, `NAME`; `FILE`: ...": FILE a
path from the top folder or a file name found once in the repository,
NAME in it as a whole word (of Game.Name and CSprite::blit, each part). A
FILE alone must exist."""
import os
import re
import subprocess
import sys

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
FILES = subprocess.run(["git", "ls-files"], cwd=TOP, capture_output=True, text=True).stdout.split()
FILE = re.compile(r"\s*`([\w./-]+\.(?:c|cpp|h|sh|py|js|mjs|in|txt))`")


def find(name):
    found = [f for f in FILES if f == name or f.endswith("/" + name)]
    return found[0] if len(found) == 1 else None


def main():
    wrong = []
    with open(os.path.join(TOP, "HACKING.md")) as f:
        rows = [(n, line) for n, line in enumerate(f, 1) if line.startswith("|")]
    for n, row in rows:
        for part in re.split(r" \| |;", row):
            m = FILE.match(part)
            if not m:
                continue
            path = find(m.group(1))
            if not path:
                wrong.append(f"HACKING.md:{n}: no file {m.group(1)}")
                continue
            with open(os.path.join(TOP, path)) as f:
                text = f.read()
            for name in re.findall(r"`([^`]+)`", part[m.end():]):
                for word in re.split(r"\.|::", name.rstrip("()")):
                    if not re.search(r"(?<!\w)%s(?!\w)" % re.escape(word), text):
                        wrong.append(f"HACKING.md:{n}: {path} has no {word}")
    print("\n".join(wrong) or "HACKING.md: every name in its file")
    sys.exit(1 if wrong else 0)


if __name__ == "__main__":
    main()
