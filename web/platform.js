// The browser's side of src/platform.h, and what else the program needs of
// the page to run as it does on the desktop: waits that hand the page its
// turn, a page that can stop the program while nobody sees it, canvases kept
// in memory, and pictures decoded exactly as they are in their files.
mergeInto(LibraryManager.library, {
  $Turns__deps: ['$SDL', '$Browser', 'SDL_GetTicks'],
  $Turns__postset: "Module['turns'] = Turns; Turns.setup();",
  $Turns: {
    // A timer comes back up to a few ms late, more on a slow or busy
    // machine. The frame wait's timer is aimed that far ahead of the moment
    // the due tick begins, learnt from how late the last ones came, and the
    // rest is waited out on the clock: a frame starts in the very tick it is
    // due, and the clock is watched for well under a ms a frame.
    lateness: [],   // ms, of the last timers
    offset: [],     // Date.now() less performance.now(), lately
    stopped: 0,     // Date.now() when the page stopped the program, or 0
    held: null,     // what goes on when the page lets the program go on
    watch: null,    // the benchmark's counters, linked only into its build

    setup: function() {
      // A canvas on the GPU, fed hundreds of small drawImage calls a frame,
      // crashes WebKit's compositor where the GPU is emulated; one in memory
      // costs the other engines nothing. The first getContext of a canvas
      // fixes its settings, and SDL asks with none.
      var create = Browser.createContext;
      Browser.createContext = function(canvas, webgl) {
        // And the screen, drawn whole every frame, is desynchronized: the page
        // need not copy it for the compositor at every frame.
        if (!webgl) canvas.getContext('2d', {willReadFrequently: true, desynchronized: canvas === Module['canvas']});
        return create.apply(Browser, arguments);
      };
      (Module['preloadPlugins'] = Module['preloadPlugins'] || []).unshift(Turns.picturePlugin);
    },

    // The built-in plugin would stop the whole page on a picture that does
    // not decode, and lets the browser manage colours and premultiply.
    picturePlugin: {
      'canHandle': function(name) { return /\.png$/i.test(name); },
      'handle': function(bytes, name, onload) {
        createImageBitmap(new Blob([bytes], {type: 'image/png'}),
                          {premultiplyAlpha: 'none', colorSpaceConversion: 'none'}).then(
          function(image) { Module['preloadedImages'][name] = image; },
          function() {}
        ).then(function() { onload(bytes); });
      },
    },

    // The page stops the program while it is hidden: it gets no turn, and
    // its clock leaves the stopped time out, so that every wait, the frame
    // wait and the fixed delays alike, goes on later with what it had left.
    stop: function() {
      if (!Turns.stopped) Turns.stopped = Date.now();
    },
    go: function() {
      if (!Turns.stopped) return;
      if (SDL.startTime !== null) SDL.startTime += Date.now() - Turns.stopped;
      Turns.stopped = 0;
      var held = Turns.held;
      Turns.held = null;
      if (held) held();
    },
    // Gives the program back its turn, unless the page has stopped it.
    resume: function(wake) {
      if (Turns.stopped) {
        Turns.held = function() { Turns.resume(wake); };
        return;
      }
      if (Turns.watch) Turns.watch.woke();
      wake();
    },
    // The program's clock, as SDL_GetTicks reads it, standing while stopped.
    clock: function() {
      return Turns.stopped ? (Turns.stopped - SDL.startTime) | 0 : _SDL_GetTicks();
    },
    left: function(due) {
      return (due - _SDL_GetTicks()) | 0;
    },
    // When tick `due` begins, on performance.now()'s scale. Date.now() is
    // the whole ms of a clock that runs at performance.now()'s pace, so the
    // largest recent difference of the two is the offset between them. A
    // browser that rounds performance.now() to whole ms too (Firefox, against
    // timing attacks) tells no more than that the tick may begin a ms early.
    begins: function(due) {
      var now = performance.now(), seen = Turns.offset;
      if (seen.push(Date.now() - now) > 100) seen.shift();
      if (seen.every(Number.isInteger)) return now + Turns.left(due) - 1;
      return SDL.startTime + due - Math.max.apply(null, seen);
    },
    // A timer to shortly before tick `due`; then turns of the page while the
    // tick is more than a ms away, and the clock watched for the last one.
    until: function(due, wake) {
      if (Turns.left(due) <= 0) return Turns.resume(wake);
      // Whole ms of delay put the timer up to a ms ahead of the aim, so the
      // aim need only be as far ahead as a timer can be more than that late.
      var late = Turns.lateness.slice().sort(function(a, b) { return b - a; });
      var margin = Math.min(3, Math.max(0, (late[1] || 0) - 0.7));
      var delay = Math.floor(Turns.begins(due) - performance.now() - margin);
      if (delay <= 0) return Turns.near(due, wake);
      var asked = performance.now() + delay;
      setTimeout(function() {
        if (Turns.lateness.push(performance.now() - asked) > 30) Turns.lateness.shift();
        Turns.near(due, wake);
      }, delay);
    },
    near: function(due, wake) {
      if (Turns.stopped) {
        Turns.held = function() { Turns.until(due, wake); };
        return;
      }
      if (Turns.left(due) <= 0) return Turns.resume(wake);
      if (Turns.begins(due) - performance.now() > 1) return Turns.next(function() { Turns.near(due, wake); });
      // At most a few ms, in case the clocks disagree.
      var start = performance.now(), end = start + 3;
      while (Turns.left(due) > 0 && performance.now() < end) {}
      if (Turns.watch) Turns.watch.watched(performance.now() - start);
      Turns.near(due, wake);
    },
    // One turn of the page: a message to ourselves comes back after the
    // events and drawing that are due, without a timer's clamping.
    channel: null,
    waiting: [],
    next: function(then) {
      if (!Turns.channel) {
        Turns.channel = new MessageChannel();
        Turns.channel.port1.onmessage = function() { Turns.waiting.shift()(); };
      }
      Turns.waiting.push(then);
      Turns.channel.port2.postMessage(0);
    },
  },

  idleuntil__deps: ['$Turns'],
  idleuntil: function(due) {
    if (Turns.watch) Turns.watch.idle(due);
    Asyncify.handleSleep(function(wake) { Turns.until(due, wake); });
  },

  // The pause loop needs no precision.
  idlebriefly__deps: ['$Turns'],
  idlebriefly: function() {
    if (Turns.watch) Turns.watch.idle(null);
    Asyncify.handleSleep(function(wake) {
      setTimeout(function() { Turns.resume(wake); }, 1);
    });
  },

  // The fixed delays (500 ms on pausing, 6 s on game over) run on the
  // program's clock, so a stop does not cut them short.
  SDL_Delay__deps: ['$Turns'],
  SDL_Delay: function(ms) {
    if (Turns.watch) Turns.watch.idle(null);
    var due = _SDL_GetTicks() + ms;
    Asyncify.handleSleep(function(wake) { Turns.until(due, wake); });
  },
});
