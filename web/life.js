// Marrowick's page: the program's life. Its files download beside the page
// while the start screen takes the player's choices; the first press starts
// it once they are in, and may start sound; a hidden page stops it; its end
// or its failure is said on a cover; the service worker keeps it all for
// offline play, from what the page itself downloaded.
'use strict';
/* global $, marrowick, say, show, fail, trouble, safely, choice, keep, fit */
/* exported wake, begin, goon, again, choose, togglesound */
const CACHE = 'marrowick-@PROJECT_VERSION@';

// What the page downloads itself goes into the worker's cache as it comes,
// so that nothing comes twice. A page that the worker serves has it there.
const kept = [];
function cache(name, response) {
  if (navigator.serviceWorker && navigator.serviceWorker.controller || !window.caches) return;
  kept.push(caches.open(CACHE).then((store) => store.put(name, response)).catch(() => {}));
}
function download(name) {
  return fetch(name).then((response) => {
    if (!response.ok) throw new Error(`${name}: ${response.status} ${response.statusText}`);
    cache(name, response.clone());
    return response;
  });
}
// The data, the bulk of the bytes, shows how far the download is.
function progress(response) {
  const total = +response.headers.get('Content-Length');
  let got = 0, shown = 0, told = 0;
  return new Response(response.body.pipeThrough(new TransformStream({
    transform(chunk, out) {
      got += chunk.length;
      const part = total ? Math.min(100, Math.floor(100 * got / total)) : 0;
      out.enqueue(chunk);
      if (part === shown) return;
      $('progress').firstElementChild.style.width = (shown = part) + '%';
      $('progress').setAttribute('aria-valuenow', part);
      // A screen reader hears of it by quarters.
      if (marrowick.state === 'waiting' && part >= told + 25) say(`Loading: ${told = part - part % 25}%`);
    },
  })));
}
// The program, compiled while it downloads, and its script: asked for as
// the page's head is read. (A preload would not do: WebKit fetches a
// preloaded file again for the page's own fetch.)
function fetchfiles() {
  const compiled = download('marrowick.wasm').then((response) => {
    const wasm = new Response(response.body, {headers: {'Content-Type': 'application/wasm'}});
    return WebAssembly.compileStreaming ? WebAssembly.compileStreaming(wasm)
      : wasm.arrayBuffer().then((bytes) => WebAssembly.compile(bytes));
  });
  // The data, most of the bytes, is asked for once the start screen is on
  // the screen (5 s at most): on one slow link it would hold up the files
  // that draw it.
  const painted = new Promise((drawn) => {
    setTimeout(drawn, 5000);
    if ((PerformanceObserver.supportedEntryTypes || []).includes('paint'))
      new PerformanceObserver(drawn).observe({type: 'paint', buffered: true});
    else requestAnimationFrame(() => setTimeout(drawn));
  });
  return Promise.all([
    painted.then(() => download('marrowick.data')).then((response) => progress(response).arrayBuffer()),
    compiled,
    new Promise((loaded, failed) => {
      const script = document.createElement('script');
      script.src = 'marrowick.js';
      script.onload = loaded;
      script.onerror = () => failed(new Error('marrowick.js is missing'));
      document.head.append(script);
    }),
  ]);
}
let files = null;

// A fresh copy of the program, made on the press that starts it: the
// game's state starts anew, as a program started again would. Made before,
// its half second of work (at a phone's speed) would keep the page from
// answering while it loads. It hears keys on a target of its own, which the
// page feeds, so that its listeners never take the page's keys.
function make() {
  return files.then(([data, wasm]) => {
    const old = $('canvas'), canvas = old.cloneNode();  // the last copy's listeners stay behind
    old.replaceWith(canvas);
    // The first getContext fixes a canvas's settings for good. The program
    // asks for these (platform.js) only once it opens its video mode; a
    // look at the canvas before that (a test's, the benchmark's, an
    // extension's) would leave it on the GPU, slower, and in WebKit crashing.
    canvas.getContext('2d', {willReadFrequently: true, desynchronized: true});
    fit();
    marrowick.keys = new EventTarget();
    return Marrowick({
      canvas,
      keyboardListeningElement: marrowick.keys,
      getPreloadedPackage: () => data.slice(0),
      instantiateWasm(imports, receive) {
        WebAssembly.instantiate(wasm, imports).then((instance) => receive(instance, wasm), trouble);
        return {};
      },
      onAbort: trouble,
      print: (line) => console.log(line),
      printErr: (line) => console.warn(line),
    });
  }).then((module) => {
    marrowick.module = module;
    return module;
  });
}

// The sound output, made on the player's first press, which lets it play;
// the sound switch acts on it alone, never on the game's own mixer.
function sound() {
  if (!marrowick.audio) {
    const context = new AudioContext();
    const out = context.createGain();
    out.connect(context.destination);
    marrowick.audio = {context, out};
  }
  marrowick.audio.out.gain.value = choice('sound') === 'on' ? 1 : 0;
  return marrowick.audio;
}
function togglesound() {
  keep('sound', choice('sound') === 'on' ? 'off' : 'on');
  showchoices();
  if (marrowick.audio) sound();
  say(choice('sound') === 'on' ? 'Sound on' : 'Sound off');
}
// A press that counts as a gesture lets sound start that a gamepad's
// press could not.
function wake() {
  const audio = marrowick.audio;
  if (!audio || marrowick.state !== 'playing' || audio.context.state === 'running') return;
  audio.context.resume().then(() => { $('soundnote').hidden = true; }, () => {});
}
function showchoices() {
  for (const button of document.querySelectorAll('[data-level]'))
    button.setAttribute('aria-pressed', String(button.dataset.level === choice('difficulty')));
  for (const button of document.querySelectorAll('button.sound'))
    button.setAttribute('aria-pressed', String(choice('sound') === 'on'));
}
function choose(level) {
  keep('difficulty', level);
  showchoices();
  say('Difficulty ' + choice('difficulty'));
}

// The press that starts the program, and so may start sound, is the page's:
// the program hears no key of it. Before the files are in, it waits for
// them with the progress shown.
function begin() {
  if (marrowick.state !== 'start' && marrowick.state !== 'ended') return;
  marrowick.state = 'waiting';
  const audio = sound();
  audio.context.resume().catch(() => {});
  $('loading').hidden = false;
  make().then((module) => run(module, audio), trouble);
}
function run(module, audio) {
  if (marrowick.state !== 'waiting') return;
  marrowick.state = 'playing';
  module.audioContext = audio.context;
  module.audioOut = audio.out;
  module.FS.writeFile('/options.txt', 'w\n' + choice('difficulty') + '\n');
  show(null);
  $('loading').hidden = true;
  givefocus();
  module.ccall('main', 'number', ['number', 'number'], [0, 0], {async: true}).then(ended, (error) => {
    if (error && error.name === 'ExitStatus') ended(error.status);
    else trouble(error);
  });
  fit();  // opening the video mode gave the canvas its own size back
  // A browser that counts no gesture in the press (a gamepad's) keeps the
  // sound back: the game plays on silent, and says how to have it.
  setTimeout(() => {
    if (marrowick.state !== 'playing' || audio.context.state === 'running') return;
    $('soundnote').hidden = false;
    say($('soundnote').textContent);
  }, 500);
}
function ended(status) {
  if (marrowick.state === 'failed') return;
  marrowick.state = 'ended';
  $('again').hidden = false;
  const text = status ? 'The game could not start (status ' + status + ').' : 'The game has ended. Thank you for playing.';
  show('message', text);
  say(text);
}
function again() {
  if (marrowick.state !== 'ended') return;
  begin();
}

// The game takes the keyboard's focus; its ring shows after a key, as on
// the control the key pressed, not after a tap or a click.
function givefocus() {
  $('canvas').focus({preventScroll: true, focusVisible: !marrowick.pointer});
}

// Nobody sees a hidden page: the program stops, with its sound and its
// clock, and waits on a cover. The press that ends the stop is the page's.
function stophidden() {
  if (marrowick.state !== 'playing') return;
  marrowick.state = 'stopped';
  marrowick.module.turns.stop();
  marrowick.audio.context.suspend();
  show('paused');
  say('Paused: the game waited while the page was hidden.');
}
function goon() {
  if (marrowick.state !== 'stopped' || document.visibilityState === 'hidden') return false;
  marrowick.state = 'playing';
  show(null);
  marrowick.audio.context.resume();
  marrowick.module.turns.go();
  givefocus();
  return true;
}
document.addEventListener('visibilitychange', () => {
  if (document.visibilityState === 'hidden') stophidden();
});

document.addEventListener('DOMContentLoaded', () => {
  showchoices();
  for (const button of document.querySelectorAll('[data-level]'))
    button.addEventListener('click', safely(() => choose(button.dataset.level)));
  for (const button of document.querySelectorAll('button.sound')) button.addEventListener('click', safely(togglesound));
  $('play').addEventListener('click', safely(begin));
  $('again').addEventListener('click', safely(again));
  $('goon').addEventListener('click', safely(goon));
  if (marrowick.state !== 'start') return;
  marrowick.shown.start = performance.now();
  $('play').focus();
});

if (location.protocol === 'file:') {
  fail('Marrowick has to be served by a web server, not opened as a file: run "make serve-web" in its ' +
    'source folder, or any static file server in this folder (for example "python3 -m http.server"), ' +
    'and open the address it gives.');
} else if (typeof WebAssembly !== 'object') {
  fail('This browser cannot run WebAssembly, which the game needs.');
} else {
  files = fetchfiles();
  files.then(() => { if (marrowick.state === 'start') say('The game is ready to play.'); }, trouble);
}
if (files && 'serviceWorker' in navigator && window.isSecureContext) {
  // The worker comes once the page has its files, and takes them from the
  // page's cache and the browser's. A new version's worker takes over on a
  // later visit; a page still on its start screen reloads into it at once.
  const before = navigator.serviceWorker.controller;
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (before && marrowick.state === 'start') location.reload();
  });
  files.then(() => Promise.all(kept)).then(() => navigator.serviceWorker.register('sw.js')).catch(() => {});
}
