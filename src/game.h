// One game, from its set-up to its end.
#pragma once

// Runs a whole game in its own frame loop and returns when it is over:
// by Escape, by closing the window, or by the hammer landing on the figure.
int game();
