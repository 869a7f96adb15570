"""The sprites: the figure, the meteors, the hammer and a raindrop."""

import numpy as np

from draw import FIG_H, FIG_W, FRAME_H, FRAME_W, HEAD_H, HEAD_W, MET, Sprite


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
