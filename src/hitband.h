/* Where a falling meteor can be struck: its truncated y, inclusive at both
 * ends; below the band it is missed. Plain C too, for the player that the
 * end-to-end tests preload (tools/player); tools/media/art.py reads the
 * numbers from here to draw the glowing band under them. */
#pragma once

static const int hitwindowtop = 385;     // pixels
static const int hitwindowbottom = 405;  // pixels
