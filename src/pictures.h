/* The pictures, data/graphics/NAME.png, in load order, which is also their
 * slot order: that is why the third title page sits last, behind all of the
 * game's pictures. Plain C too, for the player that the end-to-end tests
 * preload into the game (tools/player), which tells the pictures apart by
 * the files they were loaded from. PICTURES(X) calls X(NAME) for each. */
#pragma once

#define PICTURES(X)                                                            \
    X(s1) X(s2) X(menu) X(bg) X(char1) X(char2) X(meteor1) X(meteor2)          \
    X(hammer1) X(hammer2) X(gameover) X(rain) X(s3)
