"""Shrinks the PNGs that PIL wrote, losslessly, and proves it.

Each file is re-encoded by advpng -z4 (advancecomp: zopfli's deflate, the
rows unfiltered, which suits the palette pages) and, when it has no palette,
by zopflipng too (which also chooses the row filters, which suits the RGBA
pictures; zopflipng 1.0.3 rebuilds a palette from the pixels, so it is not
asked about those). A result is kept only if it decodes exactly as PIL's
file does and every chunk but the image data is the same byte for byte:
the desktop blits the palettes and keys on its 16-bit screen as they are.
The smallest result that passes replaces the file; both tools give the
same bytes on every run, so the data stays reproducible.
"""
import os
import shutil
import struct
import subprocess
import tempfile
from concurrent.futures import ThreadPoolExecutor

from PIL import Image


def chunks(data):
    """The file's chunks as (type, body) pairs, in file order."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    out, i = [], 8
    while i < len(data):
        n, = struct.unpack(">I", data[i:i + 4])
        out.append((data[i + 4:i + 8], data[i + 8:i + 8 + n]))
        i += 12 + n
    return out


def difference(original, packed):
    """What differs between two PNG files' decoded pictures, or None."""
    with open(original, "rb") as f:
        a = [c for c in chunks(f.read()) if c[0] != b"IDAT"]
    with open(packed, "rb") as f:
        b = [c for c in chunks(f.read()) if c[0] != b"IDAT"]
    if [t for t, _ in a] != [t for t, _ in b]:
        return "chunks %s" % b" ".join(t for t, _ in b).decode()
    for (name, x), (_, y) in zip(a, b):
        if x != y:  # IHDR: the size, bit depth and colour type; PLTE, tRNS
            return name.decode()
    with Image.open(original) as x, Image.open(packed) as y:
        for what, get in (("mode", lambda im: im.mode),
                          ("size", lambda im: im.size),
                          ("palette", lambda im: im.getpalette()),
                          ("transparency", lambda im: im.info.get("transparency")),
                          ("pixels", lambda im: im.tobytes())):
            if get(x) != get(y):
                return what
    return None


def has_palette(path):
    with open(path, "rb") as f:
        return any(t == b"PLTE" for t, _ in chunks(f.read()))


def candidates(path, scratch):
    """The re-encodings of path, advpng's first, each with whether it
    must decode the same: zopflipng may drop an opaque picture's alpha."""
    adv = os.path.join(scratch, "adv.png")
    shutil.copyfile(path, adv)
    subprocess.run(["advpng", "-q", "-z", "-4", adv], check=True)
    yield adv, True
    if not has_palette(path):
        zop = os.path.join(scratch, "zop.png")
        subprocess.run(["zopflipng", "-y", path, zop], check=True,
                       stdout=subprocess.DEVNULL)
        yield zop, False


def pack(path):
    """Replaces path by its smallest re-encoding that decodes the same."""
    best, size = None, os.path.getsize(path)
    with tempfile.TemporaryDirectory() as scratch:
        for i, (packed, must_match) in enumerate(candidates(path, scratch)):
            why = difference(path, packed)
            if why and must_match:
                # advpng rewrites only the image data: a difference is a fault
                raise SystemExit("%s: advpng changed the %s; not written" % (path, why))
            if not why and os.path.getsize(packed) < size:
                best, size = os.path.join(scratch, "best%d.png" % i), os.path.getsize(packed)
                os.replace(packed, best)
        if best:
            tmp = path + ".packing"
            shutil.copyfile(best, tmp)
            os.replace(tmp, path)


def pack_all(folder):
    """Packs every PNG in folder, a file per core."""
    paths = sorted(os.path.join(folder, n) for n in os.listdir(folder)
                   if n.endswith(".png"))
    with ThreadPoolExecutor(os.cpu_count()) as pool:
        list(pool.map(pack, paths))
