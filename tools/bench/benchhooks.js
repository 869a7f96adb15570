// Linked only into the benchmark's copy of the browser build (make
// bench-web), never into the site: what tools/bench/benchweb.mjs reads,
// and a player that plays as tests/player/player.c does for make bench.
//
// The counters, which web/platform.js feeds through Turns.watch: frames
// presented, and for each frame that began after a wait how late it began
// after its due tick (ms); the main thread's time in the program (ms), from
// each return of the page's turn to the next wait, and in the waits'
// watching of the clock.
//
// The player turns the title pages, then strikes every meteor drawn in the
// band until the figure is past x 520, then wastes twelve strikes for each
// hit, which keeps the streak and so the hops short, and strikes no more
// once the figure is past x 550, level 10: it rests short of the hammer
// while meteors keep coming and the rain is at its thickest. Only a game
// draws the background.
mergeInto(LibraryManager.library, {
  $Bench__deps: ['$Turns', '$SDL'],
  $Bench__postset: "Module['bench'] = Bench; Turns.watch = Bench;",
  $Bench: {
    flips: 0,
    waited: 0,
    late: [],
    busy: 0,
    watching: 0,  // ms of the waits spent watching the clock for the due tick
    woken: 0,    // performance.now() when the program last got the page back
    due: null,   // the tick of the frame wait it is in, or null
    resumed: false,
    pictures: {},  // surface -> file name
    ingame: false,
    inband: false,
    figurex: 0,
    holding: false,
    wrongs: 0,
    level10: false,

    idle: function(due) {
      if (Bench.woken) Bench.busy += performance.now() - Bench.woken;
      Bench.due = due;
    },
    // A frame that waited began when the page gave the program back its
    // turn; the program's clock counts whole ms from SDL.startTime.
    flipped: function() {
      Bench.flips++;
      if (!Bench.resumed) return;
      Bench.resumed = false;
      Bench.waited++;
      var late = performance.timeOrigin + Bench.woken - SDL.startTime - Bench.due;
      if (Bench.late.push(Math.max(0, late)) > 2000) Bench.late.shift();
    },
    watched: function(ms) {
      Bench.watching += ms;
    },
    woke: function() {
      Bench.woken = performance.now();
      Bench.resumed = Bench.due !== null;
    },
    strikenow: function() {
      if (Bench.figurex <= 520) return Bench.inband;
      if (Bench.level10) return false;
      if (Bench.wrongs < 12) {
        Bench.wrongs += !Bench.inband;
        return !Bench.inband;
      }
      if (Bench.inband) Bench.wrongs = 0;
      return Bench.inband;
    },
  },

  IMG_Load__deps: ['$Bench', 'IMG_Load_RW', 'SDL_RWFromFile'],
  IMG_Load: function(file) {
    var surface = _IMG_Load_RW(_SDL_RWFromFile(file, 0), 1);
    Bench.pictures[surface] = UTF8ToString(file).replace(/.*\//, '');
    return surface;
  },

  SDL_UpperBlit__deps: ['$Bench', '$SDL'],
  SDL_UpperBlit: function(src, srcrect, dst, dstrect) {
    var name = Bench.pictures[src];
    if (name && dstrect) {
      var x = HEAP32[dstrect >> 2], y = HEAP32[(dstrect + 4) >> 2];
      if (name === 'bg.png') Bench.ingame = true;
      if (name === 'meteor1.png' && y >= 385 && y <= 405) Bench.inband = true;
      if (name === 'char1.png' || name === 'char2.png') {
        Bench.figurex = x;
        if (x > 550) Bench.level10 = true;
      }
    }
    return SDL.blitSurface(src, srcrect, dst, dstrect, false);
  },

  SDL_GetKeyState__deps: ['$Bench', 'SDL_GetKeyboardState'],
  SDL_GetKeyState: function() {
    var keys = _SDL_GetKeyboardState(0);
    var z = keys + 122;
    if (!Bench.ingame) HEAP8[z] = Bench.holding = !Bench.holding;
    else if (Bench.holding) HEAP8[z] = Bench.holding = 0;
    else if (Bench.strikenow()) HEAP8[z] = Bench.holding = 1;
    Bench.inband = false;
    return keys;
  },
});
