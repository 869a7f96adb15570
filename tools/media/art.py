"""Pictures for Marrowick, drawn from code: make_all writes every one.

Everything is drawn in float RGB(A) with numpy / PIL (draw.py's helpers,
scene.py, sprites.py, pages.py; the icons in icons.py), then stored in the
format that blits cheapest on the game's 16-bit screen (see
tools/bench/blitbench.c): full-screen pages as 8-bit palette PNGs, solid
sprites as palette PNGs with one transparent index (SDL_image turns that
into a colorkey), soft sprites (glow, rain) as RGBA.
"""

import os

from draw import save_keyed, save_page, save_rgba
from scene import scene
from sprites import figure, hammer_frame, hammer_head, meteor, raindrop
from pages import page_gameover, page_howto, page_menu, page_story, page_title


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
