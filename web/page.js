// Marrowick's page, what its other scripts share: the page's state, its
// covers, what it tells a screen reader, the player's stored choices, and
// which errors stop the game. layout.js places things, life.js runs the
// program, input.js turns what players do into keys.
'use strict';
/* exported $, say, show, fail, trouble, safely, choice, keep */
const $ = (id) => document.getElementById(id);

// The page's state, for the browser's console and the tests: the program's
// module and the target its key listeners hear, whether the last press was
// a pointer's (input.js), the sound output made on the first press, where
// the page is (start, waiting for the files after a press, playing, stopped
// while hidden, ended, failed) and when each cover last showed, and what the
// page's Content-Security-Policy blocked.
const marrowick = window.marrowick = {module: null, keys: null, pointer: false, audio: null, state: 'start',
  shown: {}, blocked: []};
document.addEventListener('securitypolicyviolation', (event) => {
  marrowick.blocked.push(event.violatedDirective + ' ' + event.blockedURI);
  console.warn('blocked by the page\'s policy:', event.violatedDirective, event.blockedURI);
});

// Keys that would scroll the page, or a portal's page around its frame, do
// nothing from the first paint on; Space and Enter still press a button.
const SCROLLKEYS = /^( |Spacebar|Arrow\w+|PageUp|PageDown|Home|End)$/;
window.addEventListener('keydown', (event) => {
  if (SCROLLKEYS.test(event.key) && !(event.target instanceof HTMLButtonElement && event.key === ' '))
    event.preventDefault();
}, true);

// The player's choices, kept by the browser where it lets the page keep
// anything; any other stored value reads as the default.
const CHOICES = {
  difficulty: {key: 'marrowick-difficulty', values: ['1', '2', '3'], otherwise: '@DEFAULTDIFFICULTY@'},
  sound: {key: 'marrowick-sound', values: ['on', 'off'], otherwise: 'on'},
};
// What this visit chose holds where the browser keeps nothing.
const chosen = {};
function choice(name) {
  let value = chosen[name] || null;
  try { value = value || localStorage.getItem(CHOICES[name].key); } catch (e) { /* storage refused */ }
  return CHOICES[name].values.includes(value) ? value : CHOICES[name].otherwise;
}
function keep(name, value) {
  chosen[name] = value;
  try { localStorage.setItem(CHOICES[name].key, value); } catch (e) { /* storage refused */ }
}

// The one live region: what a screen reader says of what the page does.
function say(text) {
  const region = $('say');
  // The same words again would pass unsaid.
  region.textContent = region.textContent === text ? text + '\u00a0' : text;
}

// One cover at a time, a modal dialog: what lies under it is out of reach
// and its first control has the focus (or the dialog itself, with none).
const COVERS = ['start', 'paused', 'message'];
function show(cover, text) {
  for (const id of COVERS) $(id).hidden = id !== cover;
  if (text !== undefined) $('text').textContent = text;
  for (const id of ['screen', 'bar']) $(id).inert = !!cover;
  // The paused game shows dimly through its cover.
  $('stage').classList.toggle('covered', !!cover && cover !== 'paused');
  marrowick.shown[cover || 'game'] = performance.now();
  if (!cover) return;
  const first = [...$(cover).querySelectorAll('button')].find((button) => button.getClientRects().length);
  (first || $(cover)).focus();
}
// The page's parts exist once its markup is read: a failure before waits.
const parsed = new Promise((done) => {
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', done);
  else done();
});
function fail(why) {
  marrowick.state = 'failed';
  parsed.then(() => {
    $('again').hidden = true;
    show('message', why);
    say(why);
  });
}
function trouble(error) {
  const text = String(error && error.message || error).replace(/^Uncaught (Error: )?/, '');
  fail(/Not Found|NetworkError|fetch|missing|marrowick\.\w+: \d/i.test(text)
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
// A control of the page never stops the game.
function safely(handler) {
  return (event) => {
    try {
      handler(event);
    } catch (error) {
      console.warn('page:', error);
    }
  };
}
