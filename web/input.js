// Marrowick's page: what players do, as the keys the program reads. Keys on
// the page, taps and clicks on the game, a gamepad's buttons. The program
// hears only its own keys (Z, Y, P, Escape), on a target of its own: the
// page's keys (Tab, Enter and Space on a button, F, M, 1 to 3) stay the
// page's, before, during and after a game.
'use strict';
/* global $, marrowick, safely, togglefull, wake, begin, goon, again, choose, togglesound */
const HOLDMS = 60;  // a tap holds its key this long: the game reads keys once a frame
const KEY = {z: 90, p: 80, escape: 27};
const GAMEKEYS = [90, 89, 80, 27];  // Z, Y, P, Escape

// A key as the program reads it: emscripten's SDL takes keyCode from the event.
function send(type, code) {
  if (!marrowick.keys) return;
  const event = new KeyboardEvent(type, {cancelable: true});
  Object.defineProperty(event, 'keyCode', {value: code});
  marrowick.keys.dispatchEvent(event);
}
// A key is down while anything holds it: a key, a finger, a gamepad's button.
const held = new Map();
function hold(code) {
  held.set(code, (held.get(code) || 0) + 1);
  if (held.get(code) === 1) send('keydown', code);
}
function release(code) {
  if (!held.get(code)) return;
  held.set(code, held.get(code) - 1);
  if (!held.get(code)) send('keyup', code);
}
// Holds a key and returns its release, which waits out HOLDMS so that even
// the shortest tap is down in some frame.
function press(code) {
  const since = performance.now();
  hold(code);
  return () => setTimeout(() => release(code), Math.max(0, since + HOLDMS - performance.now()));
}
// The program's library lets go of every key when the window loses the
// focus. Until it has it back, a press on the game only gives it back.
let away = false;
window.addEventListener('blur', () => {
  held.clear();
  away = true;
});
window.addEventListener('focus', () => { away = false; });
// Whether the last press was a pointer's: the game then takes the focus
// without showing its ring, which a keyboard's player needs and others not.
window.addEventListener('pointerdown', () => { marrowick.pointer = true; }, true);
window.addEventListener('keydown', () => { marrowick.pointer = false; }, true);

function keydown(event) {
  wake();
  if (event.ctrlKey || event.altKey || event.metaKey) return;
  // Enter and Space press a button at once, in every browser alike.
  if (event.target instanceof HTMLButtonElement && /^(Enter| )$/.test(event.key)) {
    event.preventDefault();
    if (!event.repeat) event.target.click();
    return;
  }
  const state = marrowick.state, key = event.key.toLowerCase();
  // Tab goes round the controls of a cover, and never under it.
  const cover = $('stage').querySelector('.cover:not([hidden])');
  const controls = cover ? [...cover.querySelectorAll('button')].filter((button) => button.getClientRects().length) : [];
  if (key === 'tab' && controls.length) {
    const at = controls.indexOf(document.activeElement), next = at + (event.shiftKey ? -1 : 1);
    if (at < 0 || next < 0 || next >= controls.length) {
      event.preventDefault();
      controls[(next + controls.length) % controls.length].focus();
    }
    return;
  }
  if (state === 'playing' && GAMEKEYS.includes(event.keyCode)) {
    event.preventDefault();
    if (!event.repeat) hold(event.keyCode);
  } else if (event.repeat || /^(tab|escape|shift|control|alt|meta|capslock|f\d+)$/.test(key)) {
    // The browser's own keys stay the browser's.
  } else if (key === 'm') {
    togglesound();
  } else if (key === 'f') {
    togglefull();
  } else if (state === 'start' && /^[123]$/.test(key)) {
    choose(key);
  } else if (state === 'start') {
    event.preventDefault();
    begin();
  } else if (state === 'stopped') {
    event.preventDefault();
    goon();
  }
}
window.addEventListener('keydown', safely(keydown), true);
window.addEventListener('keyup', (event) => {
  if (GAMEKEYS.includes(event.keyCode)) release(event.keyCode);
}, true);

// A press on the game gives it the keys, in a portal's frame too; a press
// that only brings them back is the page's, not a strike. On the stage a
// press is Z, on Pause and Back their keys; the other buttons are only
// buttons.
function tapper(element, code) {
  const releases = new Map();
  element.addEventListener('pointerdown', safely((event) => {
    const button = event.target.closest('button');
    if (button && button !== element) return;
    const refocus = away && !document.hasFocus();
    away = false;
    window.focus();
    wake();
    if (marrowick.state === 'stopped') {
      event.stopPropagation();
      goon();
    } else if (marrowick.state === 'playing' && !refocus) {
      if (element === $('stage')) $('canvas').focus({preventScroll: true});
      releases.set(event.pointerId, press(code));
    }
  }));
  for (const type of ['pointerup', 'pointercancel'])
    element.addEventListener(type, (event) => {
      const release = releases.get(event.pointerId);
      releases.delete(event.pointerId);
      if (release) release();
    });
}
tapper($('pause'), KEY.p);
tapper($('back'), KEY.escape);
tapper($('stage'), KEY.z);
$('stage').addEventListener('contextmenu', (event) => {
  if (event.target.tagName === 'CANVAS') event.preventDefault();
});
// A click on the start screen but on its buttons plays.
$('start').addEventListener('click', safely((event) => {
  if (!event.target.closest('button')) begin();
}));

// A gamepad in the standard mapping: A (button 0) is Z, Back (8) Escape,
// Start (9) P. On a cover, A or Start is the cover's button. Read only
// while the page is shown, as animation frames are.
const PAD = {0: KEY.z, 8: KEY.escape, 9: KEY.p};
const pads = new Map();  // a pad's index -> the releases of its buttons held
function padpress(code) {
  const state = marrowick.state;
  if (state === 'playing') return press(code);
  if (code !== KEY.escape) {
    if (state === 'start') begin();
    else if (state === 'stopped') goon();
    else if (state === 'ended') again();
  }
  return () => {};
}
let polling = false;
function poll() {
  for (const pad of navigator.getGamepads()) {
    if (!pad) continue;
    const down = pads.get(pad.index) || new Map();
    pads.set(pad.index, down);
    for (const [button, code] of Object.entries(PAD)) {
      const pressed = !!(pad.buttons[button] && pad.buttons[button].pressed);
      if (pressed && !down.has(button)) down.set(button, padpress(code));
      if (!pressed && down.has(button)) {
        down.get(button)();
        down.delete(button);
      }
    }
  }
  requestAnimationFrame(safely(poll));
}
if (navigator.getGamepads) {
  // Asked once, so that a browser tells the page of pads already there; a
  // portal's frame may not allow gamepads at all.
  try { navigator.getGamepads(); } catch (e) { /* not in this frame */ }
  window.addEventListener('gamepadconnected', () => {
    if (!polling) requestAnimationFrame(safely(poll));
    polling = true;
  });
}
