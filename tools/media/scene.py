"""The night scene: sky, hills and village, the dead tree, the road and the
strike band; bg.png and the backdrop of the pages."""

import numpy as np
from PIL import Image, ImageDraw

from draw import (
    BAND_BOT, BAND_RIGHT, BAND_TOP, FRAME_X, GROUND_Y, H, W, add, blend,
    blurred, mask_from, noise)


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
    from hitwindowtop to hitwindowbottom (src/hitband.h), so its body fills
    BAND_TOP..BAND_BOT."""
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
