/* The picture slots of surface, in load order: slot picNAME holds
 * data/graphics/NAME.png (the files are listed in media.cpp). The order is
 * the game's: that is why the third title page, s3, sits last, behind all
 * of the game's pictures. Plain C too, for the player that the end-to-end
 * tests preload into the game (tools/player), which tells the pictures
 * apart by the order they are loaded in. */
#pragma once

enum {
    pics1, pics2, picmenu, picbg, picchar1, picchar2, picmeteor1, picmeteor2,
    pichammer1, pichammer2, picgameover, picrain, pics3,
    picturecount
};
