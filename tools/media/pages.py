"""The full-screen pages: the three title pages, the menu and game over."""

import numpy as np
from PIL import Image, ImageDraw

from draw import (
    BAND_TOP, FIG_X, FIG_Y, FRAME_X, FRAME_Y, H, HEAD_UP, HEAD_X, MET, W,
    add, blend, blurred, font, mask_from, paste_sprite, to_u8)
from scene import scene
from sprites import figure, hammer_frame, hammer_head, meteor


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
