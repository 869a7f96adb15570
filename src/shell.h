// The program shell: media up, options.txt read, display open, title pages
// and games, media released.
#pragma once

// All of the program but its entry, so that the unit tests can run it whole.
int marrowick();
