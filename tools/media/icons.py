"""The menu icons, and the browser's install icons."""

import os

import numpy as np
from PIL import Image

from draw import FIG_H, W, add, mask_from, paste_sprite, to_u8
from scene import sky
from sprites import figure, meteor


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
