// Where a game puts things on the screen, in pixels. The art is drawn
// around these numbers and reads them from here (tools/media/draw.py).
#pragma once

const int startx = 75;          // the figure's top left at the start
const int starty = 410;
const int hammerx = 597;        // the hammer's frame, which never moves
const int hammery = 355;
const int headx = 608;          // the hammer's head
const int headtop = 330;        // its truncated y at rest at the top
const int headbottom = 378;     // and where it lands
const int meteorleftx = 10;     // a meteor comes at one of meteorcolumns x
const int meteorcolumns = 560;  // from meteorleftx on: 10 to 569
