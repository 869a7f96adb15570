// The browser's side of src/platform.h, and what else the program needs of
// the page to run as it does on the desktop: waits that hand the page its
// turn, a page that can stop the program while nobody sees it, a screen
// drawn in memory, and pictures decoded exactly as they are in their files.
mergeInto(LibraryManager.library, {
  $Turns__deps: ['$SDL', '$Browser', '$Screen', 'SDL_GetTicks'],
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
      // The program reads no mouse and no touch. SDL's listeners on the
      // canvas would cancel every press on it, and a cancelled press gives
      // a portal's frame no keyboard focus.
      var receive = SDL.receiveEvent;
      SDL.receiveEvent = function(event) {
        if (!/^(mouse|touch|wheel|DOMMouseScroll)/.test(event.type)) return receive.call(SDL, event);
      };
      var blit = SDL.blitSurface;
      SDL.blitSurface = function(src, srcrect, dst, dstrect, scale) {
        if (!scale && Screen.blit(src, srcrect, dst, dstrect)) return 0;
        Screen.show();
        var result = blit.call(SDL, src, srcrect, dst, dstrect, scale);
        Screen.image = null;  // the canvas has changed under it
        return result;
      };
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
    // tick is more than 3 ms away, and the clock watched for the rest. On a
    // slow machine the page's other tasks, given a turn that close, often
    // run past the tick.
    until: function(due, wake) {
      if (Turns.left(due) <= 0) return Turns.resume(wake);
      // Whole ms of delay put the timer up to a ms ahead of the aim, so the
      // aim need only be as far ahead as a timer can be more than that late.
      var late = Turns.lateness.slice().sort(function(a, b) { return b - a; });
      var margin = Math.min(3, Math.max(0, (late[1] || 0) - 0.7));
      var delay = Math.floor(Turns.begins(due) - performance.now() - margin);
      // Even the shortest wait hands the page a turn, as a sleep on the
      // desktop hands the processor on: some browsers (Firefox) move the
      // audio clock on only between turns.
      if (delay <= 0) return Turns.next(function() { Turns.near(due, wake); });
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
      if (Turns.begins(due) - performance.now() > 3) return Turns.next(function() { Turns.near(due, wake); });
      // At most a few ms, in case the clocks disagree.
      var start = performance.now(), end = start + 3;
      while (Turns.left(due) > 0 && performance.now() < end) { /* spin */ }
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

  // The screen in memory: the program's blits onto it are done pixel by
  // pixel into one ImageData, which its flip puts on the canvas. Drawn on
  // the canvas itself, each blit is a drawImage call, and the rain's
  // hundreds of them a frame cost the page more than all the rest (and
  // crash WebKit's compositor where the GPU is emulated).
  $Screen__deps: ['$SDL'],
  $Screen: {
    image: null,   // the screen's pixels, or null to read them from the canvas
    words: null,   // the same as 32-bit words
    drawn: false,  // since the last flip
    sources: {},   // surface -> its pixels, read once (pictures do not change)

    source: function(surface) {
      var known = Screen.sources[surface];
      if (known !== undefined) return known;
      var data = SDL.surfaces[surface], found = null;
      if (data && data.ctx && data.ctx.getImageData) {
        var pixels = data.ctx.getImageData(0, 0, data.width, data.height).data, opaque = true;
        for (var i = 3; i < pixels.length && opaque; i += 4) opaque = pixels[i] === 255;
        found = {pixels: pixels, words: new Uint32Array(pixels.buffer), width: data.width,
                 height: data.height, opaque: opaque};
      }
      return Screen.sources[surface] = found;
    },
    // SDL 1.2's blit of a whole picture or a part of it onto the screen,
    // clipped to it, with the picture's alpha. False where it cannot.
    blit: function(src, srcrect, dst, dstrect) {
      var screen = SDL.surfaces[dst], from = Screen.source(src);
      if (dst !== SDL.screen || !from || screen.clipRect) return false;
      if (!Screen.image) {
        Screen.image = screen.ctx.getImageData(0, 0, screen.width, screen.height);
        Screen.words = new Uint32Array(Screen.image.data.buffer);
      }
      // SDL_Rects of ints here; read without making objects, for the rain's
      // hundreds of blits a frame.
      var rx = 0, ry = 0, rw = from.width, rh = from.height;
      if (srcrect) {
        rx = HEAP32[srcrect >> 2];
        ry = HEAP32[(srcrect + 4) >> 2];
        rw = HEAP32[(srcrect + 8) >> 2];
        rh = HEAP32[(srcrect + 12) >> 2];
      }
      var dx = dstrect ? HEAP32[dstrect >> 2] : 0, dy = dstrect ? HEAP32[(dstrect + 4) >> 2] : 0;
      var sx = Math.max(rx, 0), sy = Math.max(ry, 0);
      var w = Math.min(rx + rw, from.width) - sx, h = Math.min(ry + rh, from.height) - sy;
      dx += sx - rx;
      dy += sy - ry;
      if (dx < 0) { sx -= dx; w += dx; dx = 0; }
      if (dy < 0) { sy -= dy; h += dy; dy = 0; }
      w = Math.min(w, screen.width - dx);
      h = Math.min(h, screen.height - dy);
      Screen.drawn = true;
      if (w <= 0 || h <= 0) return true;
      var to = Screen.words, px = from.pixels, out = Screen.image.data;
      for (var row = 0; row < h; row++) {
        var s = (sy + row) * from.width + sx, d = (dy + row) * screen.width + dx;
        if (from.opaque) {
          to.set(from.words.subarray(s, s + w), d);
          continue;
        }
        for (var i = 0; i < w; i++, s++, d++) {
          var a = px[4 * s + 3];
          if (a === 255) {
            to[d] = from.words[s];
          } else if (a) {
            // A clamped array rounds to the nearest, as the canvas blends;
            // the screen stays opaque.
            var b = 4 * s, c = 4 * d;
            out[c] = (px[b] * a + out[c] * (255 - a)) / 255;
            out[c + 1] = (px[b + 1] * a + out[c + 1] * (255 - a)) / 255;
            out[c + 2] = (px[b + 2] * a + out[c + 2] * (255 - a)) / 255;
            out[c + 3] = 255;
          }
        }
      }
      return true;
    },
    // What the blits drew goes on the canvas.
    show: function() {
      if (!Screen.drawn) return;
      Screen.drawn = false;
      SDL.surfaces[SDL.screen].ctx.putImageData(Screen.image, 0, 0);
    },
  },

  // emscripten's does nothing, the screen being the canvas.
  SDL_Flip__deps: ['$Screen', '$Turns'],
  SDL_Flip: function(surface) {
    Screen.show();
    if (Turns.watch) Turns.watch.flipped();
    return 0;
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
