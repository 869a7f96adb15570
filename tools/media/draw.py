"""The pictures' drawing helpers, and the game's numbers the art is built
around (read from src/ where the game has them)."""

import os
import re

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont, features

W, H = 640, 480
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def game_constant(header, name):
    """A number the game defines in one of its headers (src/), so that the
    art follows the game rather than a copy of its numbers."""
    with open(os.path.join(ROOT, "src", header)) as f:
        return int(re.search(r"\b%s = (-?\d+);" % name, f.read()).group(1))


# Where the game puts things (src/scene.h, src/hitband.h); the art is built
# around these numbers.
GROUND_Y = 458                     # first row of the road surface
FIG_W, FIG_H = 28, 48              # figure at (75, 410): feet on row 457
FIG_X, FIG_Y = game_constant("scene.h", "startx"), game_constant("scene.h", "starty")
MET = 34                           # meteor sprite is MET x MET
BAND_TOP = game_constant("hitband.h", "hitwindowtop")  # a meteor's top edge may be struck from here...
BAND_BOT = game_constant("hitband.h", "hitwindowbottom") + MET  # ...to here plus its body
FRAME_X, FRAME_Y = game_constant("scene.h", "hammerx"), game_constant("scene.h", "hammery")
FRAME_W, FRAME_H = W - FRAME_X, GROUND_Y - FRAME_Y
HEAD_X = game_constant("scene.h", "headx")
HEAD_UP, HEAD_DOWN = game_constant("scene.h", "headtop"), game_constant("scene.h", "headbottom")
HEAD_W, HEAD_H = 24, GROUND_Y - HEAD_DOWN   # lands flush on the road
# the last column a meteor can cover
BAND_RIGHT = game_constant("scene.h", "meteorleftx") + game_constant("scene.h", "meteorcolumns") - 1 + MET + 2

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SS = 4                             # supersampling for hand-drawn sprites


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def noise(w, h, sx, sy, seed, octaves=4, persist=0.5):
    """Smooth value noise in 0..1, the same every run for a given seed."""
    rng = np.random.default_rng(seed)
    acc = np.zeros((h, w), np.float32)
    amp, total = 1.0, 0.0
    for _ in range(octaves):
        gw, gh = max(2, int(w / sx) + 3), max(2, int(h / sy) + 3)
        grid = rng.random((gh, gw)).astype(np.float32)
        big = Image.fromarray(grid, "F").resize(
            (int(gw * sx), int(gh * sy)), Image.BICUBIC)
        acc += amp * np.asarray(big, np.float32)[:h, :w]
        total += amp
        amp *= persist
        sx, sy = sx / 2, sy / 2
    acc /= total
    lo, hi = acc.min(), acc.max()
    return (acc - lo) / (hi - lo + 1e-9)


def blend(img, color, alpha):
    """img (H,W,3) float; alpha (H,W) 0..1 or scalar; paints color over it."""
    a = np.asarray(alpha, np.float32)
    if a.ndim == 2:
        a = a[..., None]
    img *= (1 - a)
    img += a * np.asarray(color, np.float32)
    return img


def add(img, color, amount):
    a = np.asarray(amount, np.float32)
    if a.ndim == 2:
        a = a[..., None]
    img += a * np.asarray(color, np.float32)
    return img


def mask_from(draw_fn, w=W, h=H, scale=1, blur=0):
    """Render a white-on-black L mask with draw_fn(ImageDraw, scale); 0..1."""
    m = Image.new("L", (w * scale, h * scale), 0)
    draw_fn(ImageDraw.Draw(m), scale)
    if scale > 1:
        m = m.resize((w, h), Image.BOX)
    if blur:
        m = m.filter(ImageFilter.GaussianBlur(blur))
    return np.asarray(m, np.float32) / 255.0


def blurred(mask, radius):
    im = Image.fromarray(np.clip(mask * 255, 0, 255).astype(np.uint8), "L")
    return np.asarray(im.filter(ImageFilter.GaussianBlur(radius)),
                      np.float32) / 255.0


def to_u8(img):
    return np.clip(img + 0.5, 0, 255).astype(np.uint8)


def save_page(img, path):
    """Opaque full-screen page -> 8-bit palette PNG (blits ~9x faster than
    24-bit on the 16-bit screen). The palette comes from libimagequant when
    Pillow has it (least banding in the dark skies), then the picture is
    remapped with Floyd-Steinberg so gradients stay smooth."""
    rgb = Image.fromarray(to_u8(img), "RGB")
    if features.check("libimagequant"):
        pal = rgb.quantize(256, method=Image.Quantize.LIBIMAGEQUANT)
    else:
        pal = rgb.quantize(256, method=Image.Quantize.MEDIANCUT, kmeans=8)
    out = rgb.quantize(palette=pal, dither=Image.Dither.FLOYDSTEINBERG)
    out.save(path, optimize=True)


def save_rgba(img, path):
    Image.fromarray(img, "RGBA").save(path, optimize=True)


def save_keyed(rgba, path, matte, cut=96):
    """Sprite -> palette PNG whose index 0 is the only transparent entry,
    which SDL_image 1.2 hands over as an 8-bit colorkeyed surface (cheapest
    blit). Half-covered edge pixels are pre-blended onto `matte`, the colour
    the sprite mostly sits on, so the hard edge still looks smooth; pixels
    fainter than alpha `cut` are left out."""
    a = rgba[..., 3:4].astype(np.float32) / 255.0
    rgb = rgba[..., :3].astype(np.float32)
    rgb = rgb * a + np.asarray(matte, np.float32) * (1 - a)
    solid = rgba[..., 3] >= cut
    rgbi = Image.fromarray(to_u8(rgb), "RGB")
    q = rgbi.quantize(255, method=Image.Quantize.MEDIANCUT,
                      dither=Image.Dither.NONE)
    idx = np.asarray(q, np.uint8).astype(np.int32) + 1
    idx[~solid] = 0
    pal = q.getpalette()[:255 * 3]
    out = Image.fromarray(idx.astype(np.uint8), "P")
    out.putpalette([0, 0, 0] + pal + [0, 0, 0] * (256 - 1 - len(pal) // 3))
    out.save(path, transparency=0, optimize=True)


class Sprite:
    """A supersampled RGBA canvas addressed in final-pixel coordinates.
    `scale` draws the same coordinates that many times larger (icons)."""

    def __init__(self, w, h, scale=1):
        self.k = SS * scale
        self.w, self.h = w * scale, h * scale
        self.im = Image.new("RGBA", (w * self.k, h * self.k), (0, 0, 0, 0))
        self.d = ImageDraw.Draw(self.im)

    def _p(self, pts):
        return [(x * self.k, y * self.k) for x, y in pts]

    def poly(self, pts, fill):
        self.d.polygon(self._p(pts), fill=fill)

    def ellipse(self, x0, y0, x1, y1, fill):
        k = self.k
        self.d.ellipse([x0 * k, y0 * k, x1 * k - 1, y1 * k - 1], fill=fill)

    def rect(self, x0, y0, x1, y1, fill):
        k = self.k
        self.d.rectangle([x0 * k, y0 * k, x1 * k - 1, y1 * k - 1], fill=fill)

    def line(self, pts, fill, width):
        self.d.line(self._p(pts), fill=fill, width=max(1, int(width * self.k)),
                    joint="curve")

    def result(self):
        # average in premultiplied alpha, so thin bright strokes keep their
        # colour instead of fading toward the black of empty pixels
        a = np.asarray(self.im, np.float32)
        a[..., :3] *= a[..., 3:] / 255.0
        a = a.reshape(self.h, SS, self.w, SS, 4).mean(axis=(1, 3))
        alpha = a[..., 3:]
        a[..., :3] = np.where(alpha > 0, a[..., :3] * 255.0 /
                              np.maximum(alpha, 1e-6), 0)
        return np.clip(a + 0.5, 0, 255).astype(np.uint8)


def paste_sprite(img, rgba, x, y):
    h, w = rgba.shape[:2]
    a = rgba[..., 3:4].astype(np.float32) / 255.0
    reg = img[y:y + h, x:x + w]
    reg[:] = reg * (1 - a) + rgba[..., :3].astype(np.float32) * a
    return img
