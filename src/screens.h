// The title loop: three title pages and the menu page, from which games start.
#pragma once

int mainmenu();
