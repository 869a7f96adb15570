// The page as a player meets it, in one browser (argument: chromium,
// firefox or webkit): a bad stored difficulty, the start screen, the canvas
// scaled to the window, the title pages turned by keys and a tap, sound in a
// game, pause, Escape to the end, a reload offline, and damaged media. No
// page error anywhere, and nothing blocked by the page's policy.
import {serve, open, begin, state, until, shows, differs, press, picture, loudness, sleep, check, ok}
  from './lib.mjs';

const name = process.argv[2];
let server = await serve();
const b = await open(name, {width: 1400, height: 1100});
try {
  await b.goto(server.url);
  // The worker installed first: in Firefox a reload while it installs may
  // lose it, and the page then has none until the next visit.
  await until('the service worker active', () => b.run(async () =>
    (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated'));
  await b.run(() => localStorage.setItem('marrowick-difficulty', '7; drop'));
  await b.reload();
  await until('the start screen', async () => (await state(b)) === 'start');
  check(await b.run(() => document.querySelector('[data-level="2"]').getAttribute('aria-pressed')) === 'true',
    'a stored difficulty of "7; drop" shows as 2');
  await begin(b);
  check(await b.run(() => marrowick.module.FS.readFile('/options.txt', {encoding: 'utf8'})) === 'w\n2\n',
    'and reaches the game as a window at difficulty 2');
  check((await b.seen()).console.includes('start game'), 'the transcript says "start game"');
  const width = () => b.run(() => document.getElementById('canvas').getBoundingClientRect().width);
  check(await width() === 1280, 'in a 1400x1100 window the canvas shows at twice its size');
  await b.size(700, 600);
  await until('the canvas at its own size in a 700x600 window', async () => await width() === 640);
  ok('and at its own size once the window is 700x600');

  await press(b, 'z');
  await shows(b, 's2');
  await b.tap(350, 250);
  await shows(b, 's3');
  await sleep(200);
  await press(b, 'y');
  await shows(b, 'menu');
  await press(b, 'z');
  // The scene over the background: figure, hammer, raindrops, meteors.
  await until('a game over the background', async () => await differs(b, 'bg') < 20000);
  await sleep(1000);
  check(await loudness(b) > -50, 'music and rain play');

  await press(b, 'p');
  const paused = await picture(b);
  await sleep(700);
  check(await picture(b) === paused, 'P: the picture stands still');
  await press(b, 'p');
  await sleep(300);
  check(await picture(b) !== paused, 'P again: the game goes on');
  await press(b, 'Escape');
  await shows(b, 'menu');
  await sleep(300);
  await press(b, 'Escape');
  await until('the page says the game has ended', async () => (await state(b)) === 'ended');
  check(await b.run(() => !document.getElementById('again').hidden), 'and offers to play again');
  // The worker a later load goes through: the page's controller, or the
  // registration's active one. Asked while no program runs: in Firefox a
  // running program's page turns can hold back the worker's news (seen as a
  // worker stuck "activating", or none).
  await until('the service worker active', () => b.run(async () =>
    navigator.serviceWorker.controller?.state === 'activated' ||
    (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated'));
  await b.run(() => document.getElementById('again').click());
  await shows(b, 's1');
  ok('played again');

  const cdp = await b.cdp();
  if (cdp) {
    const {installabilityErrors} = await cdp.send('Page.getInstallabilityErrors');
    check(installabilityErrors.length === 0, 'installs as an app: ' + JSON.stringify(installabilityErrors));
  }
  await server.stop();
  await b.reload();
  await begin(b);
  ok('with the server gone, a reload still plays');

  server = await serve({damage: '/data/sounds/heart.ogg'});
  await b.forget();
  await begin(b, server.url);
  check((await b.seen()).console.includes('loading sounds...doneerror with chunk[5]'),
    'a damaged heart.ogg: "error with chunk[5]"');
  await press(b, 'z');
  await shows(b, 's2');
  const {errors} = await b.seen();
  check(errors.length === 0, 'no page error: ' + errors.join('; '));
  const blocked = await b.run(() => marrowick.blocked);
  check(blocked.length === 0, 'nothing blocked by the page\'s policy: ' + blocked.join('; '));
} finally {
  await b.close();
  await server.stop();
}
