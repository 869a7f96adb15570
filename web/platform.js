// The browser's side of src/platform.h: waits that hand the page its turn.
// A sleep through the browser's timers comes back late, by several
// milliseconds when timers nest, so the frame wait sleeps only until shortly
// before the frame is due and then gives the page the rest in short turns.
mergeInto(LibraryManager.library, {
  $Turns__postset: "Module['pacing'] = Turns;",
  $Turns: {
    margin: 3,  // ms before the due tick where sleeping gives way to turns
    channel: null,
    waiting: [],
    // For the benchmark: frames presented, frames begun after a wait and
    // how late each of the last of them began after its due tick (ms), and
    // the main thread's time in the program (ms).
    flips: 0,
    waited: 0,
    late: [],
    busy: 0,
    woke: 0,     // when the program last got the page back
    due: 0,      // the tick its last frame wait was for
    resumed: false,
    // One turn of the page: a message to ourselves comes back after the
    // events and drawing that are due, without a timer's clamping.
    next: function(wake) {
      if (!Turns.channel) {
        Turns.channel = new MessageChannel();
        Turns.channel.port1.onmessage = function() { Turns.waiting.shift()(); };
      }
      Turns.waiting.push(wake);
      Turns.channel.port2.postMessage(0);
    },
  },

  idleuntil__deps: ['$Turns', 'SDL_GetTicks'],
  idleuntil: function(due) {
    if (Turns.woke) Turns.busy += performance.now() - Turns.woke;
    Turns.due = due;
    Asyncify.handleSleep(function(wake) {
      function resume() {
        Turns.woke = performance.now();
        Turns.resumed = true;
        wake();
      }
      var left = (due - _SDL_GetTicks()) | 0;
      if (left > Turns.margin) setTimeout(resume, left - Turns.margin);
      else Turns.next(resume);
    });
  },

  // emscripten's is empty, as the screen is the page's canvas; this one
  // counts the frames for the benchmark. A frame that waited began when the
  // page last gave the program back its turn; the program's clock counts
  // whole ms from SDL.startTime.
  SDL_Flip__deps: ['$Turns', '$SDL'],
  SDL_Flip: function(surface) {
    Turns.flips++;
    if (!Turns.resumed) return;
    Turns.resumed = false;
    Turns.waited++;
    var late = performance.timeOrigin + Turns.woke - SDL.startTime - Turns.due;
    if (Turns.late.push(Math.max(0, late)) > 1000) Turns.late.shift();
  },

  // The pause loop needs no precision: a short sleep keeps the page awake
  // without a processor spinning.
  idlebriefly__deps: ['$Turns'],
  idlebriefly: function() {
    if (Turns.woke) Turns.busy += performance.now() - Turns.woke;
    Asyncify.handleSleep(function(wake) {
      setTimeout(function() { Turns.woke = performance.now(); wake(); }, 1);
    });
  },
});
