"""Pictures for Marrowick, drawn from code.

Everything is drawn in float RGB(A) with numpy / PIL, then stored in the
format that blits cheapest on the game's 16-bit screen (see
tools/bench/blitbench.c): full-screen pages as 8-bit palette PNGs, solid
sprites as palette PNGs with one transparent index (SDL_image turns that
into a colorkey), soft sprites (glow, rain) as RGBA.
"""
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont, features

W, H = 640, 480

# Where the game puts things; the art is built around these numbers.
GROUND_Y = 458                     # first row of the road surface
FIG_W, FIG_H = 28, 48              # figure at (75, 410): feet on row 457
FIG_X, FIG_Y = 75, 410
MET = 34                           # meteor sprite is MET x MET
BAND_TOP = 385                     # meteor top edge may be struck from here...
BAND_BOT = 405 + MET               # ...to here plus its body
FRAME_X, FRAME_Y = 597, 355
FRAME_W, FRAME_H = W - FRAME_X, GROUND_Y - FRAME_Y
HEAD_X, HEAD_UP, HEAD_DOWN = 608, 330, 378
HEAD_W, HEAD_H = 24, GROUND_Y - HEAD_DOWN   # lands flush on the road
BAND_RIGHT = 569 + MET + 2         # last column a meteor can cover

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SS = 4                             # supersampling for hand-drawn sprites


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


# ---------------------------------------------------------------- helpers

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


# ------------------------------------------------------------ the scene

def sky(seed=1):
    y = np.arange(H, dtype=np.float32)[:, None] / H
    top = np.array([5, 7, 15], np.float32)
    low = np.array([30, 36, 56], np.float32)
    t = np.clip(y / 0.78, 0, 1) ** 1.6
    img = np.broadcast_to(top + (low - top) * t[..., None], (H, W, 3)).copy()

    # heavy rain clouds, stretched sideways
    c = noise(W, H, 220, 70, seed, 5)
    c2 = noise(W, H, 90, 30, seed + 1, 4)
    cloud = np.clip((c * 0.7 + c2 * 0.3 - 0.35) * 1.8, 0, 1)
    cloud *= np.clip(1.2 - y * 1.1, 0, 1)
    add(img, (26, 30, 44), cloud)

    # a drowned moon behind the clouds
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    mx, my = 505, 78
    r = np.hypot(xx - mx, yy - my)
    halo = np.exp(-r / 70) * 0.55 + np.exp(-r / 22) * 0.4
    add(img, (70, 80, 105), halo * (1 - 0.6 * cloud))
    disk = np.clip(21 - r, 0, 1)
    add(img, (150, 155, 165), disk * (0.55 - 0.4 * cloud))
    # lit cloud edges near the moon
    add(img, (60, 66, 85), cloud * np.exp(-r / 160) * 0.9)
    return img


def rain_haze(img, seed, top=0, bottom=GROUND_Y, strength=1.0):
    """Faint painted streaks so even a still page feels wet."""
    rng = np.random.default_rng(seed)
    m = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(m)
    for _ in range(900):
        x = int(rng.integers(0, W))
        y = int(rng.integers(top - 20, bottom))
        ln = int(rng.integers(6, 22))
        v = int(rng.integers(20, 70))
        d.line([(x, y), (x, y + ln)], fill=v)
    a = np.asarray(m, np.float32) / 255.0 * strength
    a[GROUND_Y:] = 0
    blend(img, (150, 170, 210), a * 0.35)
    return img


def hills_and_village(img, seed=3, with_tree=True):
    rng = np.random.default_rng(seed)
    xs = np.arange(W, dtype=np.float32)

    # far moor line
    hn = noise(W, 1, 160, 1, seed, 3)[0]
    far = (352 + hn * 26).astype(int)
    m = np.zeros((H, W), np.float32)
    for x in range(W):
        m[far[x]:, x] = 1
    blend(img, (18, 21, 34), m)

    # village roofs on the skyline, with a church and its spire
    def village(d, s):
        x = 110
        while x < 575:
            w = int(rng.integers(18, 38))
            h = int(rng.integers(16, 34))
            base = 372
            d.rectangle([x * s, (base - h) * s, (x + w) * s, 400 * s], fill=255)
            peak = int(rng.integers(8, 16))
            d.polygon([((x - 2) * s, (base - h) * s),
                       ((x + w / 2) * s, (base - h - peak) * s),
                       ((x + w + 2) * s, (base - h) * s)], fill=255)
            if rng.random() < 0.5:
                cx = x + int(rng.integers(3, max(4, w - 6)))
                d.rectangle([cx * s, (base - h - peak + 2) * s,
                             (cx + 3) * s, (base - h + 2) * s], fill=255)
            x += w + int(rng.integers(-2, 10))
        # church
        cx = 400
        d.rectangle([(cx - 16) * s, 318 * s, (cx + 16) * s, 400 * s], fill=255)
        d.polygon([((cx - 18) * s, 318 * s), (cx * s, 300 * s),
                   ((cx + 18) * s, 318 * s)], fill=255)
        d.rectangle([(cx - 7) * s, 282 * s, (cx + 7) * s, 320 * s], fill=255)
        d.polygon([((cx - 9) * s, 284 * s), (cx * s, 228 * s),
                   ((cx + 9) * s, 284 * s)], fill=255)
        d.rectangle([(cx - 1) * s, 218 * s, (cx + 1) * s, 230 * s], fill=255)
        d.rectangle([(cx - 4) * s, 222 * s, (cx + 4) * s, 224 * s], fill=255)
    vm = mask_from(village, scale=2)
    blend(img, (10, 12, 21), vm)

    # a few lit windows, warm against all that blue
    glow = np.zeros((H, W), np.float32)
    lit = np.zeros((H, W), np.float32)
    wins = [(132, 356), (171, 349), (205, 360), (247, 352), (300, 357),
            (338, 350), (395, 300), (405, 300), (452, 356), (497, 348),
            (531, 358), (560, 353)]
    for i, (wx, wy) in enumerate(wins):
        if vm[wy, wx] < 0.9:
            continue
        ww, wh = (2, 4) if i % 3 else (3, 3)
        lit[wy:wy + wh, wx:wx + ww] = 1
        glow[wy:wy + wh, wx:wx + ww] = 1
    add(img, (255, 170, 70), blurred(glow, 5) * 1.4)
    blend(img, (255, 196, 110), lit * 0.9)

    # the moor in front, darkening toward the road
    y = np.arange(H, dtype=np.float32)[:, None]
    moor = (y >= 372).astype(np.float32) * np.ones((1, W), np.float32)
    tex = noise(W, H, 60, 8, seed + 7, 4)
    col = np.stack([14 + 6 * tex, 17 + 7 * tex, 26 + 8 * tex], -1)
    depth = np.clip((y - 372) / (GROUND_Y - 372), 0, 1)[..., None]
    col = col * (1 - 0.55 * depth)
    img[:] = img * (1 - moor[..., None]) + col * moor[..., None]
    # soften the village foot into the moor with mist
    mist = np.exp(-((y - 378) / 10) ** 2) * np.ones((1, W), np.float32)
    add(img, (22, 26, 40), mist * 0.8)

    if with_tree:
        dead_tree(img)
    return img


def dead_tree(img):
    """A crooked dead tree at the far left, out of the figure's way."""
    def tree(d, s):
        def br(x0, y0, x1, y1, w):
            d.line([(x0 * s, y0 * s), (x1 * s, y1 * s)], fill=255,
                   width=int(w * s))
        d.polygon([(8 * s, GROUND_Y * s), (26 * s, GROUND_Y * s),
                   (22 * s, 330 * s), (14 * s, 300 * s), (10 * s, 330 * s)],
                  fill=255)
        br(16, 310, 4, 250, 6)
        br(5, 252, -4, 220, 4)
        br(5, 255, 14, 215, 3)
        br(14, 216, 10, 190, 2)
        br(20, 320, 44, 282, 5)
        br(44, 283, 58, 280, 3)
        br(44, 283, 50, 258, 3)
        br(50, 259, 47, 240, 2)
        br(57, 280, 66, 270, 2)
        br(17, 300, 30, 260, 4)
        br(30, 261, 28, 236, 2)
        br(30, 262, 40, 248, 2)
        # roots
        br(8, GROUND_Y, 0, GROUND_Y + 2, 3)
        br(26, GROUND_Y - 1, 36, GROUND_Y + 1, 3)
    tm = mask_from(tree, scale=3)
    blend(img, (6, 7, 12), tm)
    # moonlit rim on the right of the branches
    rim = np.clip(tm - np.roll(tm, 1, axis=1), 0, 1) * 0.5
    add(img, (40, 46, 66), rim)


def road(img, seed=5):
    """Wet cobbled road from GROUND_Y down; its lit top edge is the floor."""
    rng = np.random.default_rng(seed)
    h = H - GROUND_Y
    base = np.zeros((h, W, 3), np.float32) + (17, 18, 25)
    # cobbles: rows of rounded stones, smaller toward the top edge
    stones = Image.new("L", (W * 2, h * 2), 0)
    d = ImageDraw.Draw(stones)
    y, row = 1, 0
    while y < h:
        sh = 5 + row * 2
        x = -int(rng.integers(0, 12))
        while x < W:
            sw = int(rng.integers(9, 16)) + row * 3
            v = int(rng.integers(120, 255))
            d.rounded_rectangle([x * 2 + 1, y * 2 + 1, (x + sw) * 2 - 2,
                                 (y + sh) * 2 - 2], radius=3, fill=v)
            x += sw
        y += sh
        row += 1
    st = np.asarray(stones.resize((W, h), Image.BOX), np.float32) / 255.0
    add(base, (26, 28, 36), st)
    # wet sheen: top of each stone a touch lighter
    sheen = np.clip(st - np.roll(st, 1, axis=0), 0, 1)
    add(base, (60, 68, 90), sheen * 0.6)
    # reflections of the moon glow and the windows, smeared downward
    refl = noise(W, h, 40, 60, seed + 1, 3)
    add(base, (30, 34, 50), refl * 0.5)
    for x in (132, 247, 338, 452, 531):
        xs = np.arange(W, dtype=np.float32)
        col = np.exp(-((xs - x) / 3.0) ** 2)[None, :]
        fall = np.linspace(0.5, 0.1, h, dtype=np.float32)[:, None]
        add(base, (120, 80, 30), col * fall * st * 0.7)
    img[GROUND_Y:] = base
    # the edge itself: a thin wet highlight so the feet have something to meet
    img[GROUND_Y] = img[GROUND_Y] * 0.4 + np.array([78, 88, 112]) * 0.6
    img[GROUND_Y + 1] = img[GROUND_Y + 1] * 0.7 + np.array([40, 46, 62]) * 0.3
    # grass tufts peeking over the edge
    tufts = Image.new("L", (W * 3, 12 * 3), 0)
    d = ImageDraw.Draw(tufts)
    for _ in range(70):
        x = float(rng.uniform(40, FRAME_X - 4))
        for k in range(int(rng.integers(2, 5))):
            dx = float(rng.uniform(-3, 3))
            ht = float(rng.uniform(3, 9))
            d.line([(x * 3, 36), ((x + dx) * 3, (12 - ht) * 3)], fill=255,
                   width=2)
    tm = np.asarray(tufts.resize((W, 12), Image.BOX), np.float32) / 255.0
    blend(img[GROUND_Y - 11:GROUND_Y + 1], (12, 15, 20), tm * 0.9)
    return img


def strike_band(img):
    """Glow where a meteor hangs while it can still be struck: its top edge
    between 385 and 405, so its body fills BAND_TOP..BAND_BOT."""
    x1 = BAND_RIGHT
    y = np.arange(H, dtype=np.float32)[:, None]
    inside = ((y >= BAND_TOP) & (y < BAND_BOT)).astype(np.float32)
    xs = np.arange(W, dtype=np.float32)[None, :]
    fade = np.clip((x1 - xs) / 30.0, 0, 1)      # fades out before the hammer
    teal = np.array([70, 190, 190], np.float32)
    # soft fill, a touch brighter in the middle where the sweet spot is
    mid = (BAND_TOP + BAND_BOT) / 2
    prof = 0.05 + 0.05 * np.exp(-((y - mid) / 12.0) ** 2)
    add(img, teal, inside * prof * fade)
    # edge lines with a small glow, dashed so they read as a marker
    dash = ((np.arange(W) // 6) % 3 != 2).astype(np.float32)[None, :]
    for ey in (BAND_TOP, BAND_BOT - 1):
        e = np.exp(-((y - ey) / 1.6) ** 2) * 0.18 + (y == ey) * 0.35 * dash
        add(img, teal, e * fade)
    # chevrons on both ends point into the band
    def chev(d, s):
        for (x, dirn) in ((3, 1), (x1 - 24, -1)):
            cy = (BAND_TOP + BAND_BOT) / 2
            for k in range(2):
                xx = x + k * 6 * dirn
                d.line([(xx * s, (cy - 6) * s), ((xx + 5 * dirn) * s, cy * s),
                        (xx * s, (cy + 6) * s)], fill=255, width=2 * s)
    cm = mask_from(chev, scale=3)
    add(img, teal, cm * 0.45)
    return img


def scene(seed=0, band=True, tree=True):
    img = sky(seed + 1)
    hills_and_village(img, seed + 3, with_tree=tree)
    rain_haze(img, seed + 9)
    road(img, seed + 5)
    if band:
        strike_band(img)
    return img


# ------------------------------------------------------------ the pages

def vignette(img, amount=0.55):
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    r = np.hypot((xx - W / 2) / (W / 2), (yy - H / 2) / (H / 2))
    img *= (1 - amount * np.clip(r - 0.45, 0, 1))[..., None]
    return img


def draw_text(img, xy, text, fnt, color, anchor="la", glow=None, shadow=True,
              glow_radius=6, glow_amount=1.0, spacing=6, align="left"):
    """Text with a soft drop shadow and optional glow, onto a float image."""
    m = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(m)
    d.multiline_text(xy, text, font=fnt, fill=255, anchor=anchor,
                     spacing=spacing, align=align)
    t = np.asarray(m, np.float32) / 255.0
    if glow is not None:
        add(img, glow, blurred(t, glow_radius) * glow_amount)
    if shadow:
        sh = np.roll(np.roll(t, 2, 0), 2, 1)
        blend(img, (0, 0, 0), blurred(sh, 1.5) * 0.8)
    blend(img, color, t)
    return img


def panel(img, x0, y0, x1, y1, alpha=0.6):
    m = mask_from(lambda d, s: d.rounded_rectangle(
        [x0 * s, y0 * s, x1 * s, y1 * s], radius=10 * s, fill=255), scale=2)
    blend(img, (4, 6, 12), m * alpha)
    edge = np.clip(m - blurred(m, 1.2) * 0.0, 0, 1)
    border = mask_from(lambda d, s: d.rounded_rectangle(
        [x0 * s, y0 * s, x1 * s, y1 * s], radius=10 * s, outline=255,
        width=s), scale=2)
    add(img, (50, 70, 90), border * 0.6)
    return img


def backdrop(seed, props=True):
    """The scene, darkened behind text; the wanderer and the hammer stand
    where the game puts them so every page feels like the same road."""
    img = scene(seed, band=False)
    if props:
        paste_sprite(img, hammer_frame(), FRAME_X, FRAME_Y)
        paste_sprite(img, hammer_head(), HEAD_X, HEAD_UP)
        paste_sprite(img, figure(1), FIG_X, FIG_Y)
    img *= 0.75
    return vignette(img)


TEXT = (222, 226, 236)
DIM = (150, 160, 180)
AMBER = (255, 190, 100)
TEAL = (110, 215, 215)


def page_title():
    img = backdrop(0)
    # a gallows and hammer standing at the right, as in the game
    title = font("DejaVuSerif-Bold.ttf", 78)
    draw_text(img, (W // 2, 150), "MARROWICK", title, (236, 232, 220),
              anchor="mm", glow=(255, 140, 50), glow_radius=9,
              glow_amount=0.8)
    # a thin rule under the title
    rule = np.zeros((H, W), np.float32)
    xs = np.arange(W, dtype=np.float32)
    rule[196:198] = np.exp(-((xs - W / 2) / 170.0) ** 4)
    add(img, (200, 150, 90), rule * 0.8)
    sub = font("DejaVuSerif-Italic.ttf", 22)
    draw_text(img, (W // 2, 226), "where the rain brings down the sky", sub,
              DIM, anchor="mm")
    m = meteor(False)
    for x, y, ln in ((120, 30, 60), (560, 262, 90), (250, 300, 40)):
        meteor_streak(img, x + MET // 2, y + 8, ln)
        paste_sprite(img, m, x, y)
    return img


def meteor_streak(img, x, y, length):
    """A faint smoke-and-fire trail left above a meteor on a page."""
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    tail = (np.exp(-((xx - x) / 2.0) ** 2) * np.clip(1 - (y - yy) / length, 0, 1)
            * (yy <= y))
    add(img, (255, 130, 50), tail * 0.45)
    return img


def page_howto(meteor_rgba, fig_rgba):
    img = backdrop(11)
    panel(img, 36, 20, W - 36, H - 20, 0.62)
    h1 = font("DejaVuSerif-Bold.ttf", 34)
    body = font("DejaVuSans.ttf", 18)
    bold = font("DejaVuSans-Bold.ttf", 18)
    draw_text(img, (W // 2, 56), "HOW TO PLAY", h1, AMBER, anchor="mm",
              glow=(255, 140, 40), glow_radius=8, glow_amount=0.5)

    # a window onto the road itself, as the game shows it
    shot = scene(0)
    paste_sprite(shot, hammer_frame(), FRAME_X, FRAME_Y)
    paste_sprite(shot, hammer_head(), HEAD_X, HEAD_UP)
    paste_sprite(shot, fig_rgba, 190, FIG_Y)
    paste_sprite(shot, meteor_rgba, 330, 396)
    paste_sprite(shot, meteor_rgba, 460, 300)
    cx0, cy0, cw, ch = 40, 290, 600, 176
    crop = Image.fromarray(to_u8(shot[cy0:cy0 + ch, cx0:cx0 + cw]))
    sw, sh = 480, 141
    crop = np.asarray(crop.resize((sw, sh), Image.LANCZOS), np.float32)
    sx, sy = (W - sw) // 2, 92
    img[sy:sy + sh, sx:sx + sw] = crop
    frame = np.zeros((H, W), np.float32)
    frame[sy - 1, sx - 1:sx + sw + 1] = frame[sy + sh, sx - 1:sx + sw + 1] = 1
    frame[sy - 1:sy + sh + 1, sx - 1] = frame[sy - 1:sy + sh + 1, sx + sw] = 1
    add(img, (60, 80, 100), frame * 0.8)
    k = sw / cw
    lab = font("DejaVuSans-Bold.ttf", 13)
    bx = sx + (150 - cx0) * k
    by = sy + (BAND_TOP - cy0) * k
    draw_text(img, (bx, by - 4), "strike band", lab, TEAL, anchor="ld")
    draw_text(img, (sx + (585 - cx0) * k, sy + 6), "the hammer", lab,
              (200, 200, 210), anchor="ma")
    arrow = font("DejaVuSans-Bold.ttf", 16)
    draw_text(img, (sx + (228 - cx0) * k, sy + (418 - cy0) * k), "\u2192 hop",
              arrow, AMBER, anchor="lm")

    keys = font("DejaVuSans-Bold.ttf", 18)

    def run(y, *parts):
        # one line of text in runs; keys are the amber, bold runs
        x = 78
        for i, part in enumerate(parts):
            f, c = (keys, AMBER) if i % 2 else (body, TEXT)
            draw_text(img, (x, y), part, f, c)
            x += f.getlength(part)

    run(250, "Meteors fall through the rain. When one crosses the")
    run(274, "glowing band near the ground, press  ", "Z", "  or  ", "Y",
        "  to strike it.")
    run(310, "Each hit hops the figure toward the hammer.")
    run(334, "A longer streak of hits makes a longer hop.")
    run(370, "A wrong strike or a missed meteor cuts the streak.")
    run(406, "", "P", "  pauses.      ", "Esc", "  leaves the game.")
    small = font("DejaVuSans-Oblique.ttf", 15)
    draw_text(img, (W // 2, H - 36), "Reach the hammer: its next blow ends the game.",
              small, DIM, anchor="mm")
    return img


def page_story():
    img = backdrop(23)
    panel(img, 60, 40, W - 60, H - 40, 0.6)
    h1 = font("DejaVuSerif-Bold.ttf", 30)
    body = font("DejaVuSerif.ttf", 18)
    small = font("DejaVuSans.ttf", 14)
    draw_text(img, (W // 2, 80), "THE TALE", h1, AMBER, anchor="mm",
              glow=(255, 140, 40), glow_radius=8, glow_amount=0.5)
    story = ("In Marrowick it has rained for a hundred years,\n"
             "and on the worst nights the sky itself comes down\n"
             "in burning stones.\n"
             "\n"
             "Every falling star you break carries you further\n"
             "down the road, to where the old hammer stands.\n"
             "No one who reached it has ever come back:\n"
             "it falls on all who stand beneath it.\n"
             "\n"
             "The rain goes on. The hammer is hungry.")
    draw_text(img, (W // 2, 245), story, body, TEXT, anchor="mm",
              spacing=9, align="center")
    draw_text(img, (W // 2, H - 78),
              "Marrowick  -  a small arcade game\n"
              "pictures and sounds drawn and synthesised from code",
              small, DIM, anchor="mm", spacing=6, align="center")
    return img


def page_menu():
    img = backdrop(37)
    title = font("DejaVuSerif-Bold.ttf", 54)
    draw_text(img, (W // 2, 130), "MARROWICK", title, (236, 232, 220),
              anchor="mm", glow=(255, 150, 60), glow_radius=10,
              glow_amount=0.7)
    big = font("DejaVuSans-Bold.ttf", 30)
    mid = font("DejaVuSans.ttf", 22)
    panel(img, 100, 214, W - 100, 334, 0.55)
    parts = ["press  ", "Z", "  or  ", "Y", "  to start"]
    x = (W - sum(big.getlength(t) for t in parts)) / 2
    for i, t in enumerate(parts):
        draw_text(img, (x, 258), t, big, AMBER if i % 2 else TEXT,
                  anchor="lm", glow=(110, 215, 215) if i % 2 == 0 else None,
                  glow_radius=8, glow_amount=0.3)
        x += big.getlength(t)
    draw_text(img, (W // 2, 302), "Esc to quit", mid, DIM, anchor="mm")
    return img


def page_gameover():
    img = scene(51, band=False)
    img *= 0.45
    # a red wash, as if the hammer came down
    y = np.arange(H, dtype=np.float32)[:, None] / H
    add(img, (90, 8, 8), np.broadcast_to(0.25 + 0.35 * y, (H, W)))
    vignette(img, 0.8)
    big = font("DejaVuSerif-Bold.ttf", 84)
    draw_text(img, (W // 2, H // 2 - 20), "GAME OVER", big, (240, 220, 210),
              anchor="mm", glow=(220, 30, 20), glow_radius=16,
              glow_amount=1.2)
    sub = font("DejaVuSerif-Italic.ttf", 22)
    draw_text(img, (W // 2, H // 2 + 50), "the rain goes on without you", sub,
              (190, 160, 160), anchor="mm")
    return img


def paste_sprite(img, rgba, x, y):
    h, w = rgba.shape[:2]
    a = rgba[..., 3:4].astype(np.float32) / 255.0
    reg = img[y:y + h, x:x + w]
    reg[:] = reg * (1 - a) + rgba[..., :3].astype(np.float32) * a
    return img


# ------------------------------------------------------------ the sprites

CLOAK = (62, 72, 104, 255)
CLOAK_D = (36, 42, 64, 255)
CLOAK_L = (130, 146, 186, 255)
SKIN = (214, 200, 178, 255)
SCARF = (168, 44, 40, 255)
BOOT = (24, 20, 22, 255)
TROUSER = (40, 40, 52, 255)
OUTL = (10, 10, 16, 255)


def figure(pose, scale=1):
    """The hooded wanderer, facing right (toward the hammer). 28 x 48."""
    s = Sprite(FIG_W, FIG_H, scale)
    if pose == 1:
        # legs and boots, feet on the bottom row
        s.poly([(10, 33), (14, 33), (13.5, 45), (10.5, 45)], OUTL)
        s.poly([(15, 33), (19, 33), (18.5, 45), (15.5, 45)], OUTL)
        s.poly([(11, 33), (13.5, 33), (13, 44), (11.3, 44)], TROUSER)
        s.poly([(15.5, 33), (18, 33), (17.7, 44), (16, 44)], TROUSER)
        s.poly([(9.5, 43.5), (14, 43.5), (15, 48), (9.5, 48)], BOOT)
        s.poly([(15, 43.5), (19, 43.5), (21.5, 48), (15, 48)], BOOT)
        # cloak: a long bell, flaring a little at the hem
        s.poly([(7.5, 14), (20.5, 14), (23.5, 36), (19, 37.5), (13, 36.5),
                (5, 37.5), (4.5, 35)], OUTL)
        s.poly([(8.5, 15), (19.5, 15), (22.5, 35.5), (18.5, 36.6),
                (13, 35.6), (5.8, 36.6)], CLOAK)
        s.poly([(8.5, 15), (12, 15), (10, 36), (5.8, 36.6)], CLOAK_D)
        s.poly([(18.5, 15), (19.5, 15), (22.5, 35.5), (21, 35.8)], CLOAK_L)
        # arm hanging forward, pale hand
        s.poly([(16, 17), (19.5, 17), (20.5, 29), (17.5, 29)], CLOAK_D)
        s.ellipse(17.3, 28, 21, 31.5, SKIN)
        # scarf
        s.poly([(8, 13), (20, 13), (20, 16.5), (8, 16.5)], SCARF)
        s.poly([(9, 15), (12, 15), (10.5, 24), (8, 23)], SCARF)
        # hood and face
        s.ellipse(6.5, 1, 21, 16, OUTL)
        s.ellipse(7.5, 2, 20, 15, CLOAK)
        s.poly([(7.5, 8), (10, 2), (12, 2), (10, 14)], CLOAK_D)
        s.ellipse(12.5, 5, 19.5, 13.5, SKIN)
        s.ellipse(12, 4.2, 17.5, 7, CLOAK)          # hood brim shadow
        s.rect(16.5, 8, 18, 9.5, OUTL)             # eye
        s.poly([(19, 2.5), (20.3, 5), (21, 9)], CLOAK_L)
    else:
        # mid-hop: knees tucked, cloak flung back, leaning toward the hammer
        s.poly([(8, 32), (13, 31), (16, 38), (12, 42)], OUTL)
        s.poly([(15, 30), (20, 31), (23, 37), (19, 39)], OUTL)
        s.poly([(9, 32.5), (12.5, 32), (15, 38), (12.2, 41)], TROUSER)
        s.poly([(16, 31), (19.5, 32), (22, 37), (19.3, 38)], TROUSER)
        s.poly([(9.5, 39), (14.5, 37.5), (16, 42), (10, 43)], BOOT)
        s.poly([(18.5, 36), (23, 35.5), (26, 40), (20, 40.5)], BOOT)
        s.poly([(9, 13), (21, 14), (23, 32), (15, 34), (4, 35.5), (0.5, 31),
                (3.5, 27)], OUTL)
        s.poly([(10, 14), (20.2, 15), (22, 31), (15, 33), (4.2, 34.3),
                (1.8, 31), (4.5, 27.5)], CLOAK)
        s.poly([(10, 14), (13, 14.5), (7, 33.8), (4.2, 34.3), (1.8, 31),
                (4.5, 27.5)], CLOAK_D)
        s.poly([(19.2, 15), (20.2, 15), (22, 31), (20.8, 31.3)], CLOAK_L)
        # both arms thrown forward and up for balance
        s.poly([(17, 16), (20, 15), (26, 20), (24.5, 22.5)], CLOAK_D)
        s.ellipse(23.8, 18.2, 27.6, 22, SKIN)
        s.poly([(9, 12), (21, 13.5), (21, 17), (9, 15.5)], SCARF)
        s.poly([(9, 13), (5, 20), (2, 20), (6.5, 12.5)], SCARF)
        s.ellipse(8.5, 0, 23, 15, OUTL)
        s.ellipse(9.5, 1, 22, 14, CLOAK)
        s.poly([(9.5, 7), (12, 1), (14, 1), (12, 13)], CLOAK_D)
        s.ellipse(14.5, 4, 21.5, 12.5, SKIN)
        s.ellipse(14, 3.2, 19.5, 6, CLOAK)
        s.rect(18.5, 6.5, 20, 8.5, OUTL)
        s.poly([(21, 1.5), (22.3, 4), (23, 8)], CLOAK_L)
    return s.result()


def meteor(hit):
    """A burning stone falling straight down (fire trails upward), or the
    same stone bursting apart when struck. MET x MET, RGBA for the glow."""
    n = MET
    yy, xx = np.mgrid[0:n, 0:n].astype(np.float32) + 0.5
    out = np.zeros((n, n, 4), np.float32)
    cx, cy = n / 2, n * 0.62
    rng = np.random.default_rng(7 if not hit else 8)

    def over(rgb, a):
        a = np.clip(a, 0, 1)[..., None]
        out[..., :3] = out[..., :3] * (1 - a) + np.asarray(rgb, np.float32) * a
        out[..., 3:] = out[..., 3:] + a * (1 - out[..., 3:])

    if not hit:
        cy = n - 11
        r = np.hypot(xx - cx, yy - cy)
        # heat haze around the stone
        over((255, 110, 30), np.exp(-np.clip(r - 8, 0, None) / 3.2) * 0.7)
        # flame tail streaming up: a teardrop that narrows to the top
        t = np.clip((yy - 1) / (cy - 1), 0, 1)          # 0 at top, 1 at stone
        # below the stone's middle the flame wraps round it and closes
        below = np.clip((yy - cy) / 9.0, 0, 1)
        half = (1.0 + 10.5 * t ** 1.3) * np.sqrt(np.clip(1 - below ** 2, 0, 1))
        dx = np.abs(xx - cx + 0.6 * np.sin(yy * 0.7) * (1 - t))
        outer = np.clip((half - dx) / 2.0, 0, 1) * np.clip(t * 1.4, 0, 1)
        over((230, 70, 20), outer * 0.75)
        mid = np.clip((half * 0.62 - dx) / 1.5, 0, 1) * np.clip(t * 1.6 - 0.2, 0, 1)
        over((255, 160, 40), mid * 0.9)
        core = np.clip((half * 0.28 - dx) / 1.2, 0, 1) * np.clip(t * 2 - 0.7, 0, 1)
        over((255, 240, 190), core)
        # the stone: a lumpy disc
        ang = np.arctan2(yy - cy, xx - cx)
        lump = 7.8 + 0.7 * np.sin(ang * 3 + 1) + 0.4 * np.sin(ang * 5 + 2)
        body = np.clip(lump - r + 0.5, 0, 1)
        # lit from above by its own fire, hottest on the leading face below
        up = np.clip((cy - yy) / 9, -1, 1)
        crust = np.stack([96 + 60 * up, 44 + 30 * up, 30 + 12 * up], -1)
        crust = np.clip(crust, 20, 255)
        sp = Sprite(n, n)
        for pts in ([(cx - 5, cy - 2), (cx - 2, cy + 1), (cx + 1, cy - 1),
                     (cx + 4, cy + 2)],
                    [(cx - 2, cy + 1), (cx - 2.5, cy + 5)],
                    [(cx + 1, cy - 1), (cx + 1.5, cy - 5)]):
            sp.line(pts, (255, 200, 90, 255), 0.9)
        cr = sp.result().astype(np.float32)[..., 3] / 255.0
        col = crust * (1 - cr[..., None]) + np.array(
            [255, 160, 60], np.float32) * cr[..., None]
        hot = np.clip((yy - cy - 2) / 7, 0, 1)
        col = col * (1 - hot[..., None] * 0.7) + np.array(
            [255, 190, 90], np.float32) * hot[..., None] * 0.7
        # a dark rim keeps the stone readable against its own glow
        rim = np.clip(1 - np.abs(r - lump + 0.6) / 1.0, 0, 1) * (yy < cy + 3)
        col = col * (1 - rim[..., None] * 0.5)
        over(col, body)
    else:
        cx, cy = n / 2, n / 2
        r = np.hypot(xx - cx, yy - cy)
        # flash and a ring of heat
        over((255, 120, 40), np.exp(-r / 7) * 0.95)
        ring = np.exp(-((r - 11) / 2.5) ** 2) * 0.25
        over((255, 170, 70), ring)
        over((255, 245, 210), np.exp(-(r / 5.0) ** 2))
        # shards of crust flying outward
        sp = Sprite(n, n)
        for k in range(9):
            a = k * 2 * np.pi / 9 + float(rng.uniform(-0.3, 0.3))
            d = float(rng.uniform(9, 14))
            px, py = cx + np.cos(a) * d, cy + np.sin(a) * d
            sz = float(rng.uniform(2.0, 3.6))
            pts = []
            for j in range(4):
                b = a + j * np.pi / 2 + float(rng.uniform(-0.4, 0.4))
                rr = sz * float(rng.uniform(0.6, 1.0))
                pts.append((px + np.cos(b) * rr, py + np.sin(b) * rr))
            sp.poly(pts, (90, 44, 30, 255))
            sp.poly([(px, py)] + pts[:2], (255, 160, 60, 255))
        # sparks
        for k in range(14):
            a = float(rng.uniform(0, 2 * np.pi))
            d = float(rng.uniform(6, 16))
            px, py = cx + np.cos(a) * d, cy + np.sin(a) * d
            sp.line([(px, py), (px + np.cos(a) * 2.5, py + np.sin(a) * 2.5)],
                    (255, 220, 130, 255), 1.4)
        sh = sp.result().astype(np.float32)
        over(sh[..., :3], sh[..., 3] / 255.0)
    res = np.zeros((n, n, 4), np.uint8)
    res[..., :3] = np.clip(out[..., :3] + 0.5, 0, 255)
    res[..., 3] = np.clip(out[..., 3] * 255 + 0.5, 0, 255)
    res[res[..., 3] < 4] = 0
    return res


WOOD = (64, 48, 38, 255)
WOOD_D = (36, 27, 23, 255)
WOOD_L = (104, 84, 64, 255)
IRON = (78, 82, 92, 255)
IRON_D = (38, 40, 48, 255)
IRON_L = (150, 156, 170, 255)


def hammer_frame():
    """The gallows the hammer hangs in: two posts, a beam, braces."""
    w, h = FRAME_W, FRAME_H
    s = Sprite(w, h)
    # posts
    for x0 in (1, w - 7):
        s.rect(x0 - 0.5, 4, x0 + 6.5, h, OUTL)
        s.rect(x0, 4, x0 + 6, h, WOOD)
        s.rect(x0, 4, x0 + 1.5, h, WOOD_D)
        s.rect(x0 + 4.8, 4, x0 + 6, h, WOOD_L)
        for gy in range(12, h, 17):
            s.line([(x0 + 2, gy), (x0 + 3.5, gy + 6)], WOOD_D, 0.6)
    # cross beam with an overhang on the left
    s.rect(0, 0, w, 8.5, OUTL)
    s.rect(0.5, 0.5, w, 8, WOOD)
    s.rect(0.5, 0.5, w, 2, WOOD_L)
    s.rect(0.5, 6.5, w, 8, WOOD_D)
    # pulley block under the beam
    s.rect(w / 2 - 5, 8, w / 2 + 5, 14, IRON_D)
    s.ellipse(w / 2 - 4, 9, w / 2 + 4, 17, IRON)
    s.ellipse(w / 2 - 1.5, 11.5, w / 2 + 1.5, 14.5, IRON_D)
    # iron brackets where beam meets posts
    for x0 in (1, w - 7):
        s.rect(x0 - 1, 7, x0 + 7, 11, IRON_D)
        s.rect(x0 - 1, 7, x0 + 7, 8, IRON_L)
    # braces at the foot, and a base plank on the ground
    s.line([(-1, h - 1), (2, h - 18)], WOOD_D, 3)
    s.line([(w - 2, h - 18), (w + 2, h - 2)], WOOD_D, 3)
    s.rect(0, h - 4, w, h, OUTL)
    s.rect(0, h - 3.5, w, h, WOOD_D)
    s.rect(0, h - 3.5, w, h - 2.7, WOOD_L)
    # guide rails on the inside of the posts
    s.rect(7.5, 11, 9, h - 4, IRON_D)
    s.rect(w - 9, 11, w - 7.5, h - 4, IRON_D)
    return s.result()


def hammer_head():
    """The iron ram: a lifting eye, a neck, then a heavy block whose face
    lands on the road. HEAD_W x HEAD_H."""
    w, h = HEAD_W, HEAD_H
    s = Sprite(w, h)
    cx = w / 2
    # lifting eye
    s.ellipse(cx - 5, 0, cx + 5, 10, OUTL)
    s.ellipse(cx - 4, 1, cx + 4, 9, IRON)
    s.ellipse(cx - 2, 3, cx + 2, 7, (0, 0, 0, 0))
    s.rect(cx - 2, 3, cx + 2, 7, (0, 0, 0, 0))
    # neck
    s.rect(cx - 4, 8, cx + 4, 22, OUTL)
    s.rect(cx - 3, 8, cx + 3, 22, IRON)
    s.rect(cx - 3, 8, cx - 1.5, 22, IRON_L)
    # the block, slightly flared at the foot
    s.poly([(0.5, 20), (w - 0.5, 20), (w, h), (0, h)], OUTL)
    s.poly([(1.5, 21), (w - 1.5, 21), (w - 1, h - 1), (1, h - 1)], IRON)
    s.poly([(1.5, 21), (5, 21), (4.5, h - 1), (1, h - 1)], IRON_L)
    s.poly([(w - 5, 21), (w - 1.5, 21), (w - 1, h - 1), (w - 5.5, h - 1)],
           IRON_D)
    # bands and rivets
    for by in (26, 48, 70):
        s.rect(0.5, by, w - 0.5, by + 3, IRON_D)
        s.rect(0.5, by, w - 0.5, by + 1, IRON_L)
        for rx in (4, w / 2, w - 4):
            s.ellipse(rx - 1.2, by + 0.6, rx + 1.2, by + 3, IRON_L)
    # scuffed striking face
    s.rect(0, h - 3, w, h, (120, 110, 100, 255))
    s.rect(0, h - 1.2, w, h, (60, 54, 50, 255))
    return s.result()


def raindrop():
    """A thin streak, brightest at its leading (lower) end. 3 x 12 RGBA."""
    h = 12
    out = np.zeros((h, 3, 4), np.uint8)
    out[..., :3] = (190, 210, 255)
    a = np.linspace(25, 170, h)
    out[:, 1, 3] = a.astype(np.uint8)
    out[:, 0, 3] = (a * 0.25).astype(np.uint8)
    out[:, 2, 3] = (a * 0.25).astype(np.uint8)
    out[-1, 1, :3] = (225, 235, 255)
    return out


# ------------------------------------------------------------ the icons

ICON_SIZES = (32, 48, 64, 128, 256)
WEB_ICON_SIZES = (192, 512)        # what a browser asks for to install an app
APPLE_ICON_SIZE = 180              # iOS's Home Screen, which rounds the corners itself


def icon(n=256, rounded=True):
    """The menu icon, n x n RGBA (256, or 512 drawn twice as fine): the
    wanderer mid-hop under a falling meteor, on a rounded tile of the game's
    own night sky and road (square and opaque unless rounded)."""
    k = n // 256
    img = sky(1)[0:256, W - 256:W].copy()       # the corner with the moon
    if k > 1:
        img = np.asarray(Image.fromarray(to_u8(img)).resize((n, n), Image.BICUBIC),
                         np.float32)
    ground = 214 * k
    img[ground:] = (17, 18, 25)
    img[ground:ground + k] = (78, 88, 112)
    y = np.arange(n, dtype=np.float32)[:, None]
    add(img, (70, 190, 190), np.exp(-((y - 150 * k) / (3.0 * k)) ** 2) * 0.5
        * np.ones((1, n), np.float32))          # the strike band
    met = Image.fromarray(meteor(False), "RGBA").resize((120 * k, 120 * k),
                                                        Image.LANCZOS)
    paste_sprite(img, np.asarray(met), 120 * k, 50 * k)
    paste_sprite(img, figure(2, scale=4 * k), 30 * k, ground - 4 * k * FIG_H + 14 * k)
    tile = mask_from(lambda d, s: d.rounded_rectangle(
        [0, 0, n * s - 1, n * s - 1], radius=(44 if rounded else 0) * k * s, fill=255), n, n, 4)
    rgba = np.dstack([to_u8(img), to_u8(tile * 255)])
    return Image.fromarray(rgba, "RGBA")


def make_icons(outdir):
    os.makedirs(outdir, exist_ok=True)
    big = icon()
    for size in ICON_SIZES:
        im = big if size == 256 else big.resize((size, size), Image.LANCZOS)
        im.save(os.path.join(outdir, "marrowick-%d.png" % size), optimize=True)
    fine = icon(512)
    for size in WEB_ICON_SIZES:
        im = fine if size == 512 else fine.resize((size, size), Image.LANCZOS)
        im.save(os.path.join(outdir, "marrowick-%d.png" % size), optimize=True)
    square = icon(512, rounded=False).resize((APPLE_ICON_SIZE,) * 2, Image.LANCZOS)
    square.save(os.path.join(outdir, "marrowick-%d.png" % APPLE_ICON_SIZE), optimize=True)


# ------------------------------------------------------------ entry point

def make_all(outdir):
    os.makedirs(outdir, exist_ok=True)
    p = lambda n: os.path.join(outdir, n)

    char1, char2 = figure(1), figure(2)
    m1, m2 = meteor(False), meteor(True)
    frame, head = hammer_frame(), hammer_head()

    bg = scene(0)
    save_page(bg, p("bg.png"))
    save_page(page_title(), p("s1.png"))
    save_page(page_howto(m1, char1), p("s2.png"))
    save_page(page_story(), p("s3.png"))
    save_page(page_menu(), p("menu.png"))
    save_page(page_gameover(), p("gameover.png"))

    # solid sprites: keyed palette, edges pre-blended onto the night colours
    save_keyed(char1, p("char1.png"), (16, 18, 28))
    save_keyed(char2, p("char2.png"), (16, 18, 28))
    save_keyed(frame, p("hammer1.png"), (14, 16, 24))
    save_keyed(head, p("hammer2.png"), (14, 16, 24))
    # glowing / see-through ones keep real alpha
    save_rgba(m1, p("meteor1.png"))
    save_rgba(m2, p("meteor2.png"))
    # Keyed, not RGBA: some 650 drops fall at once at the heaviest, and an
    # RGBA drop costs SDL 1.2 nine times as much to draw as a keyed one.
    save_keyed(raindrop(), p("rain.png"), (25, 30, 46), cut=48)
