// Marrowick's page: loading, the start screen, the canvas's size, taps and
// buttons as keys, the stored difficulty, and what the page says when the
// program ends or fails.
'use strict';
const $ = (id) => document.getElementById(id);
const stage = $('stage');
const STORE = 'marrowick-difficulty';
const HOLDMS = 60;  // a tap holds its key this long: the game reads keys once a frame
const KEY = {z: 90, p: 80, escape: 27};

// The page's state, for the browser's console and the tests: the program's
// module, the sound output made on the first press, and where the page is.
const marrowick = window.marrowick = {module: null, audio: null, state: 'loading', shown: {}};

function show(cover, text) {
  for (const id of ['loading', 'start', 'message']) $(id).hidden = id !== cover;
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
window.addEventListener('error', (event) => trouble(event.message));
window.addEventListener('unhandledrejection', (event) => trouble(event.reason));

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

// The largest whole number of device pixels per game pixel that fits; a
// window smaller than the game shrinks it instead.
function fit() {
  const full = document.fullscreenElement === stage;
  const dpr = window.devicePixelRatio || 1;
  const w = window.innerWidth, h = window.innerHeight - (full ? 0 : $('keys').offsetHeight);
  let scale = Math.min(w * dpr / 640, h * dpr / 480);
  if (scale >= 1) scale = Math.floor(scale);
  $('canvas').style.width = 640 * scale / dpr + 'px';
  $('canvas').style.height = 480 * scale / dpr + 'px';
}
window.addEventListener('resize', fit);
document.addEventListener('fullscreenchange', fit);

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
function presser(element, code) {
  const releases = new Map();
  element.addEventListener('pointerdown', (event) => {
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
$('full').addEventListener('click', () => {
  $('full').blur();
  if (document.fullscreenElement) document.exitFullscreen();
  else stage.requestFullscreen().catch(() => {});
});

// Loads a fresh copy of the program: the game's state starts anew, as a
// program started again would.
function load(then) {
  marrowick.state = 'loading';
  show('loading');
  const old = $('canvas'), canvas = old.cloneNode();  // the last copy's listeners stay behind
  old.replaceWith(canvas);
  fit();
  Marrowick({
    canvas,
    setStatus(text) {
      const part = /\((\d+)\/(\d+)\)/.exec(text);
      if (part) $('bar').firstElementChild.style.width = 100 * part[1] / part[2] + '%';
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
$('again').addEventListener('click', () => load(start));

for (const button of document.querySelectorAll('.choice button'))
  button.addEventListener('click', (event) => {
    event.stopPropagation();
    choose(button.dataset.level);
  });
$('start').addEventListener('click', () => { if (marrowick.state === 'start') start(); });
// Escape is no press that lets a page make sound; the browser's own keys
// stay the browser's.
document.addEventListener('keydown', (event) => {
  if (marrowick.state !== 'start' || event.repeat || event.ctrlKey || event.altKey || event.metaKey
      || /^(F\d+|Escape|Tab|Shift|Control|Alt|Meta)$/.test(event.key)) return;
  event.preventDefault();
  if (['1', '2', '3'].includes(event.key)) choose(event.key);
  else start();
});

if (typeof WebAssembly !== 'object') {
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
