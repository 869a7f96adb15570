// Marrowick's page: loading, the start screen, the canvas's size, taps and
// buttons as keys, full screen, the stored difficulty, the stop while the
// page is hidden, and what the page says when the program ends or fails.
'use strict';
const $ = (id) => document.getElementById(id);
const stage = $('stage');
const STORE = 'marrowick-difficulty';
const HOLDMS = 60;  // a tap holds its key this long: the game reads keys once a frame
const KEY = {z: 90, p: 80, escape: 27};
const COVERS = ['loading', 'start', 'paused', 'message'];

// The page's state, for the browser's console and the tests: the program's
// module, the sound output made on the first press, where the page is
// (loading, start, playing, stopped, ended, failed) and when each cover
// last showed, and what the page's Content-Security-Policy blocked.
const marrowick = window.marrowick = {module: null, audio: null, state: 'loading', shown: {}, blocked: []};
document.addEventListener('securitypolicyviolation', (event) => {
  marrowick.blocked.push(event.violatedDirective + ' ' + event.blockedURI);
  console.warn('blocked by the page\'s policy:', event.violatedDirective, event.blockedURI);
});

function show(cover, text) {
  for (const id of COVERS) $(id).hidden = id !== cover;
  if (text !== undefined) $('text').textContent = text;
  marrowick.shown[cover || 'game'] = performance.now();
}
function fail(why) {
  marrowick.state = 'failed';
  $('again').hidden = true;
  show('message', why);
}
function trouble(error) {
  const text = String(error && error.message || error).replace(/^Uncaught (Error: )?/, '');
  fail(/Not Found|NetworkError|fetch|missing/i.test(text)
    ? 'A file of the game could not be downloaded: ' + text + '. Reload the page to try again.'
    : 'The game stopped with an error: ' + text);
}
// Only the program's own errors stop the game; anything else (an extension,
// a browser's quirk, this page) is logged and play goes on.
const fromprogram = (where) => /marrowick\.(js|wasm)/.test(String(where || ''));
window.addEventListener('error', (event) => {
  if (fromprogram(event.filename) || fromprogram(event.error && event.error.stack)) trouble(event.message);
  else console.warn('page:', event.message);
});
window.addEventListener('unhandledrejection', (event) => {
  const reason = event.reason;
  if (fromprogram(reason && reason.stack)) trouble(reason);
  else console.warn('page:', reason);
});
// A button of the page never stops the game.
function safely(handler) {
  return (event) => {
    try {
      handler(event);
    } catch (error) {
      console.warn('page:', error);
    }
  };
}

// Any stored value but 1, 2 or 3 gives 2; a browser without storage too.
function difficulty() {
  let level = null;
  try { level = localStorage.getItem(STORE); } catch (e) { /* storage off */ }
  return ['1', '2', '3'].includes(level) ? level : '2';
}
function choose(level) {
  try { localStorage.setItem(STORE, level); } catch (e) { /* storage off */ }
  for (const button of document.querySelectorAll('.choice button'))
    button.setAttribute('aria-pressed', String(button.dataset.level === difficulty()));
}

// The canvas fills the stage beside or below the bar: a whole number of
// device pixels per game pixel where that fills 80% of the space, else the
// largest size that fits, still with sharp pixels.
function fit() {
  const style = getComputedStyle(stage), bar = $('bar');
  const row = style.flexDirection === 'row', gap = parseFloat(style.gap) || 0;
  const px = (side) => parseFloat(style['padding' + side]) || 0;
  const w = stage.clientWidth - px('Left') - px('Right') - (row ? bar.offsetWidth + gap : 0);
  const h = stage.clientHeight - px('Top') - px('Bottom') - (row ? 0 : bar.offsetHeight + gap);
  const dpr = window.devicePixelRatio || 1;
  const most = Math.max(0.1, Math.min(w * dpr / 640, h * dpr / 480));
  const scale = Math.floor(most) >= Math.max(1, 0.8 * most) ? Math.floor(most) : most;
  $('canvas').style.width = Math.floor(640 * scale) / dpr + 'px';
  $('canvas').style.height = Math.floor(480 * scale) / dpr + 'px';
}
window.addEventListener('resize', fit);

// Element full screen, where the browser has it: an iPhone's Safari has
// none, and a game added to its Home Screen opens full screen instead.
const fullscreen = {
  can: (document.fullscreenEnabled || document.webkitFullscreenEnabled) &&
    !!(stage.requestFullscreen || stage.webkitRequestFullscreen),
  element: () => document.fullscreenElement || document.webkitFullscreenElement,
  enter: () => (stage.requestFullscreen || stage.webkitRequestFullscreen).call(stage),
  leave: () => (document.exitFullscreen || document.webkitExitFullscreen).call(document),
};
const standalone = matchMedia('(display-mode: fullscreen), (display-mode: standalone)').matches ||
  navigator.standalone === true;
$('full').hidden = !fullscreen.can;
document.querySelector('#bar .full').hidden = !fullscreen.can;
$('homescreen').hidden = fullscreen.can || standalone;
// The button leaves full screen as well, and says so.
const fullchanged = () => {
  $('full').textContent = fullscreen.element() ? 'Leave full screen' : 'Full screen';
  fit();
};
for (const type of ['fullscreenchange', 'webkitfullscreenchange']) document.addEventListener(type, fullchanged);
$('full').addEventListener('click', safely(() => {
  $('full').blur();
  if (fullscreen.element()) return void fullscreen.leave();
  Promise.resolve(fullscreen.enter()).then(() => {
    // Landscape where the browser lets a page choose; a refusal is fine.
    if (screen.orientation && screen.orientation.lock) return screen.orientation.lock('landscape');
  }).catch(() => {});
}));

// A key as the game reads it: emscripten's SDL takes keyCode from the event.
function key(type, code) {
  const event = new KeyboardEvent(type, {bubbles: true, cancelable: true});
  Object.defineProperty(event, 'keyCode', {value: code});
  document.dispatchEvent(event);
}
// Presses a key and returns its release, which waits out HOLDMS so that
// even the shortest tap is down in some frame.
const held = new Map();
function press(code) {
  const since = performance.now();
  held.set(code, (held.get(code) || 0) + 1);
  if (held.get(code) === 1) key('keydown', code);
  return () => setTimeout(() => {
    held.set(code, held.get(code) - 1);
    if (held.get(code) === 0) key('keyup', code);
  }, Math.max(0, since + HOLDMS - performance.now()));
}
// A tap on the stage is Z, one on a button that button's key; the bar's
// other buttons are only buttons.
function presser(element, code) {
  const releases = new Map();
  element.addEventListener('pointerdown', (event) => {
    const button = event.target.closest('button');
    if (button && button !== element) return;
    event.preventDefault();
    if (marrowick.state === 'playing') releases.set(event.pointerId, press(code));
  });
  for (const type of ['pointerup', 'pointercancel'])
    element.addEventListener(type, (event) => {
      const release = releases.get(event.pointerId);
      releases.delete(event.pointerId);
      if (release) release();
    });
}
presser(stage, KEY.z);
presser($('pause'), KEY.p);
presser($('back'), KEY.escape);
$('canvas').addEventListener('contextmenu', (event) => event.preventDefault());

// Loads a fresh copy of the program: the game's state starts anew, as a
// program started again would.
function load(then) {
  marrowick.state = 'loading';
  show('loading');
  const old = $('canvas'), canvas = old.cloneNode();  // the last copy's listeners stay behind
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  old.replaceWith(canvas);
  fit();
  Marrowick({
    canvas,
    setStatus(text) {
      const part = /\((\d+)\/(\d+)\)/.exec(text);
      if (part) $('progress').firstElementChild.style.width = 100 * part[1] / part[2] + '%';
    },
    onAbort: trouble,
    print: (line) => console.log(line),
    printErr: (line) => console.warn(line),
  }).then((module) => {
    marrowick.module = module;
    then();
  }, trouble);
}

function ready() {
  marrowick.state = 'start';
  choose(difficulty());
  show('start');
}

// The press that starts the program, and so may start sound, is the page's:
// the program's key listeners come only with it.
function start() {
  const module = marrowick.module;
  marrowick.state = 'playing';
  if (!marrowick.audio) {
    const context = new AudioContext();
    const out = context.createGain();
    out.connect(context.destination);
    marrowick.audio = {context, out};
  }
  marrowick.audio.context.resume();
  module.audioContext = marrowick.audio.context;
  module.audioOut = marrowick.audio.out;
  module.FS.writeFile('/options.txt', 'w\n' + difficulty() + '\n');
  show(null);
  $('canvas').focus();
  module.ccall('main', 'number', ['number', 'number'], [0, 0], {async: true}).then(ended, (error) => {
    if (error && error.name === 'ExitStatus') ended(error.status);
    else trouble(error);
  });
  fit();  // opening the video mode gave the canvas its own size back
}
function ended(status) {
  if (marrowick.state === 'failed') return;
  marrowick.state = 'ended';
  $('again').hidden = false;
  show('message', status ? 'The game could not start (status ' + status + ').' : 'The game has ended. Thank you for playing.');
}
$('again').addEventListener('click', safely(() => load(start)));

for (const button of document.querySelectorAll('.choice button'))
  button.addEventListener('click', safely((event) => {
    event.stopPropagation();
    choose(button.dataset.level);
  }));
$('start').addEventListener('click', safely(() => { if (marrowick.state === 'start') start(); }));
// Escape is no press that lets a page make sound; the browser's own keys
// stay the browser's.
const browserskey = (event) => event.repeat || event.ctrlKey || event.altKey || event.metaKey ||
  /^(F\d+|Escape|Tab|Shift|Control|Alt|Meta)$/.test(event.key);
document.addEventListener('keydown', (event) => {
  if (marrowick.state !== 'start' || browserskey(event)) return;
  event.preventDefault();
  if (['1', '2', '3'].includes(event.key)) choose(event.key);
  else start();
});

// Nobody sees a hidden page: the program stops, with its sound and its
// clock, and waits on a cover. The press that ends the stop is the page's
// (caught before the program's listeners hear it), and so is its release.
const swallowed = new Set();
function stophidden() {
  if (marrowick.state !== 'playing') return;
  marrowick.state = 'stopped';
  marrowick.module.turns.stop();
  marrowick.audio.context.suspend();
  show('paused');
}
function go(event) {
  if (marrowick.state !== 'stopped' || document.visibilityState === 'hidden') return;
  event.preventDefault();
  event.stopImmediatePropagation();
  if (event.type === 'keydown') swallowed.add(event.keyCode);
  marrowick.state = 'playing';
  show(null);
  marrowick.audio.context.resume();
  marrowick.module.turns.go();
  $('canvas').focus();
}
document.addEventListener('visibilitychange', () => {
  if (document.visibilityState === 'hidden') stophidden();
});
window.addEventListener('keydown', (event) => {
  if (marrowick.state === 'stopped' && !browserskey(event)) go(event);
}, true);
window.addEventListener('keyup', (event) => {
  if (swallowed.delete(event.keyCode)) event.stopImmediatePropagation();
}, true);
$('paused').addEventListener('pointerdown', go);

if (location.protocol === 'file:') {
  fail('Marrowick has to be served by a web server, not opened as a file: run "make serve-web" in its ' +
    'source folder, or any static file server in this folder (for example "python3 -m http.server"), ' +
    'and open the address it gives.');
} else if (typeof WebAssembly !== 'object') {
  fail('This browser cannot run WebAssembly, which the game needs.');
} else {
  if ('serviceWorker' in navigator && window.isSecureContext) {
    // A new version's worker takes over on a later visit; a page still on
    // its start screen reloads into it at once.
    const before = navigator.serviceWorker.controller;
    navigator.serviceWorker.addEventListener('controllerchange', () => {
      if (before && marrowick.state === 'start') location.reload();
    });
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
  const script = document.createElement('script');
  script.src = 'marrowick.js';
  script.onload = () => load(ready);
  script.onerror = () => trouble('marrowick.js is missing');
  document.head.append(script);
}
