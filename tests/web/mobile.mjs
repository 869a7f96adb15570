// Phones and tablets as Chromium emulates them, and browsers that lack
// things: at each size the start screen and a game as laid out for it (no
// overlap, nothing off the screen, no text under 12 px, touch targets of
// 44 px and more, the canvas filling its space); the touch controls in full
// screen; an iPhone without element full screen, an Ogg Vorbis decoder or
// storage, with axe at every state of its page, a page error that is not
// the program's and a hidden page; the page opened from disk.
import {pathToFileURL} from 'node:url';
import path from 'node:path';
import {SITE, DEVICES, serve, using, begin, startscreen, togame, state, until, shows, differs, press, still, pauses, middle, loudness,
  hide, axe, sleep, check, ok} from './lib.mjs';

const server = await serve();

// What of the page a player sees, as boxes: every visible text, button and
// the canvas, with its font size.
function layout() {
  const seen = [];
  const visible = (e) => e.getClientRects().length && getComputedStyle(e).visibility !== 'hidden';
  const cover = [...document.querySelectorAll('.cover')].find((c) => !c.hidden);
  const scope = cover || document.getElementById('stage');
  for (const e of scope.querySelectorAll('h2, p, button, canvas, .choice > span')) {
    if (!visible(e) || e.matches('.sr') || (!cover && e.closest('.cover'))) continue;
    // A paragraph's box is its text's: the lines, not the block.
    const range = document.createRange();
    range.selectNodeContents(e);
    const r = e.matches('p, h2, span') ? range.getBoundingClientRect() : e.getBoundingClientRect();
    seen.push({what: e.id || e.textContent.trim().slice(0, 24) || e.tagName, tag: e.tagName,
      x: r.left, y: r.top, w: r.width, h: r.height, font: parseFloat(getComputedStyle(e).fontSize),
      inside: !!e.closest('button') && e.tagName !== 'BUTTON'});
  }
  return {seen, width: innerWidth, height: innerHeight};
}
function sound({seen, width, height}, where) {
  const boxes = seen.filter((b) => !b.inside && b.w > 0 && b.h > 0);
  for (const b of boxes) {
    check(b.x >= -0.5 && b.y >= -0.5 && b.x + b.w <= width + 0.5 && b.y + b.h <= height + 0.5,
      `${where}: "${b.what}" lies on the screen`);
    if (b.tag !== 'CANVAS') check(b.font >= 12, `${where}: "${b.what}" at ${b.font} px`);
    if (b.tag === 'BUTTON') check(b.w >= 44 && b.h >= 44, `${where}: "${b.what}" is ${b.w}x${b.h}`);
  }
  for (const a of boxes)
    for (const b of boxes)
      if (a !== b && a.x < b.x + b.w - 0.5 && b.x < a.x + a.w - 0.5 && a.y < b.y + b.h - 0.5 && b.y < a.y + a.h - 0.5
          && !(a.tag === 'BUTTON' && b.tag === 'P') && !(b.tag === 'BUTTON' && a.tag === 'P'))
        throw new Error(`FAIL: ${where}: "${a.what}" overlaps "${b.what}"`);
  ok(`${where}: ${boxes.length} things, none overlapping`);
}

for (const [name, device] of Object.entries(DEVICES)) {
  await using('chromium', {device}, async (b) => {
    await startscreen(b, server.url);
    sound(await b.run(layout), `${name} ${device.width}x${device.height}, start`);
    await b.tap(...await middle(b, '#play'));
    await shows(b, 's1');
    const game = await b.run(layout);
    sound(game, `${name}, a title page`);
    // The canvas fills the space the bar leaves: its limiting side.
    const canvas = game.seen.find((e) => e.tag === 'CANVAS');
    const bar = await b.run(() => { const r = document.getElementById('bar').getBoundingClientRect(); return {w: r.width, h: r.height}; });
    const portrait = device.height > device.width;
    const room = portrait ? [device.width, device.height - bar.h - 8] : [device.width - bar.w - 8, device.height];
    const fill = Math.max(canvas.w / room[0], canvas.h / room[1]);
    check(fill >= 0.8 && fill <= 1.001, `${name}: the canvas (${canvas.w}x${canvas.h}) fills ${(100 * fill).toFixed(0)}% of its side`);
    if (portrait) check(canvas.w >= device.width - 0.5, `${name}: in portrait the full width`);
    const turn = game.seen.some((e) => e.what === 'turn');
    check(turn === portrait, `${name}: ${portrait ? 'a hint to turn the device' : 'no hint to turn'}`);
  });
}

// The touch controls in full screen, with the orientation locked where the
// browser allows (headless Chromium refuses, quietly).
await using('chromium', {device: DEVICES.landscape}, async (b) => {
  const tapon = async (selector) => b.tap(...await middle(b, selector));
  await begin(b, server.url);
  await tapon('#bar .full');
  await until('full screen', () => b.run(() => document.fullscreenElement === document.getElementById('stage')));
  await sleep(500);
  sound(await b.run(layout), 'landscape phone in full screen');
  check(await b.run(() => document.querySelector('#bar .full').textContent) === 'Leave full screen',
    'in full screen the button offers to leave it');
  // A tap on a loaded machine may fall between two frames: once more.
  const turn = async (what, done) => {
    for (let tries = 0; tries < 3; tries++) {
      await b.tap(300, 200);
      try { return await until(what, done, 2000); } catch (e) { /* again */ }
    }
    throw new Error('FAIL: taps turn no page');
  };
  for (const page of ['s2', 's3', 'menu']) await turn('a tap: ' + page, async () => await differs(b, page) === 0);
  await turn('a tap: a game', async () => await differs(b, 'bg') < 20000);
  await pauses(b, () => tapon('#pause'));
  ok('Pause in full screen, and again');
  await tapon('#bar .sound');
  await sleep(300);
  check(await loudness(b) === -Infinity, 'Sound in full screen: silence');
  await tapon('#back');
  await shows(b, 'menu');
  check(await b.run(() => document.fullscreenElement !== null), 'Back leaves the game, not full screen');
  check(await state(b) === 'playing', 'and the program runs on');
  await tapon('#bar .full');
  await until('the button leaves full screen', () => b.run(() =>
    document.fullscreenElement === null && document.querySelector('#bar .full').textContent === 'Full screen'));
});

// An iPhone before iOS 18.4, in a private window: no element full screen,
// no Ogg Vorbis decoder, no storage and no service worker. The page offers
// the Home Screen instead; the program decodes every sound itself; an error
// from elsewhere and a failing button leave play alone. axe at every state
// of its page; and a hidden page: the picture and the program's clock stand
// still and the audio is suspended; back in view a cover waits, and the
// press that goes on is the page's. Last, the page opened from disk.
const iphone = `
  Storage.prototype.setItem = () => { throw new DOMException('No storage', 'QuotaExceededError'); };
  ServiceWorkerContainer.prototype.register = () => Promise.reject(new DOMException('No', 'SecurityError'));
  delete Element.prototype.requestFullscreen;
  delete Element.prototype.webkitRequestFullscreen;
  Object.defineProperty(Document.prototype, 'fullscreenEnabled', {get: () => false});
  BaseAudioContext.prototype.decodeAudioData = function() {
    return Promise.reject(new DOMException('Decoding failed', 'EncodingError'));
  };`;
await using('chromium', {device: DEVICES.phone, before: iphone}, async (b) => {
  const clock = () => b.run(() => marrowick.module.turns.clock());
  const audio = () => b.run(() => marrowick.audio.context.state);
  await startscreen(b, server.url);
  check(await b.run(() => [...document.querySelectorAll('.full')].every((e) => !e.offsetHeight)), 'an iPhone: no Full screen');
  check(await b.run(() => document.getElementById('homescreen').offsetHeight > 0), 'but how to add the game to the Home Screen');
  sound(await b.run(layout), 'an iPhone, start');
  await axe(b, 'a phone, the start screen');
  await b.tap(...await middle(b, '#play'));
  await shows(b, 's1');
  check((await b.seen()).console.includes('loading sounds...done'), 'no decoder: still "loading sounds...done"');
  await axe(b, 'a phone, a title page');
  await b.run(() => { setTimeout(() => { throw new Error('an extension fails'); }); });
  // The Full screen button's own call, were it shown, fails here.
  await b.run(() => document.querySelector('#bar .full').click());
  await sleep(500);
  check(await state(b) === 'playing' && await b.run(() => document.getElementById('message').hidden),
    'an error that is not the program\'s leaves the game playing');
  await b.forget();
  await togame(b);
  await axe(b, 'a phone, a game');
  await hide(b, true);
  await still(b);
  const stopped = await clock();
  await sleep(1000);
  check(await clock() === stopped && await audio() === 'suspended',
    'hidden: the picture and the program\'s clock stand still, the audio is suspended');
  await hide(b, false);
  await still(b);
  check(await b.run(() => !document.getElementById('paused').hidden), 'shown again: a cover says the game is paused');
  await axe(b, 'a phone, the paused cover');
  await b.tap(195, 300);
  await still(b, false);
  check(await clock() > stopped && await audio() === 'running', 'a tap: the game, its clock and its sound go on');
  check(await loudness(b) > -50, 'music and rain play, decoded by the program');
  await press(b, 'm');
  await sleep(300);
  check(await loudness(b) === -Infinity, 'and M turns them off, with no storage');
  await press(b, 'Escape');
  await shows(b, 'menu');
  await hide(b, true);
  await hide(b, false);
  await b.run(() => { window.sent = []; marrowick.keys.addEventListener('keydown', (e) => window.sent.push(e.keyCode)); });
  await press(b, 'z');
  check(await state(b) === 'playing' && !(await b.run(() => window.sent)).length,
    'a Z that ends the pause is the page\'s: the program hears nothing of it');
  await press(b, 'Escape');
  await until('the end page', async () => (await state(b)) === 'ended');
  await axe(b, 'a phone, the end page');
  await b.goto(pathToFileURL(path.join(SITE, 'index.html')).href);
  await until('a message', async () => (await state(b)) === 'failed');
  const text = await b.run(() => document.getElementById('text').textContent);
  check(/web server/.test(text) && /make serve-web/.test(text), 'opened from disk: ' + text);
});
