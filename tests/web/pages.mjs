// The page as a player meets it, in one browser (argument: chromium or
// firefox): a bad stored difficulty, the start screen, the canvas scaled to
// the window, the title pages turned by keys and a tap, sound in a game, pause, Escape to the end, a reload
// offline, and damaged media. No page error anywhere.
import {serve, browse, begin, state, until, shows, differs, press, picture, loudness, sleep, check, ok}
  from './lib.mjs';

const name = process.argv[2];
let server = await serve();
const {browser, page, seen} = await browse(name, 1400, 1100);
try {
  await page.goto(server.url);
  await page.evaluate(() => localStorage.setItem('marrowick-difficulty', '7; drop'));
  await page.reload();
  await until('the start screen', async () => (await state(page)) === 'start');
  check(await page.$eval('[data-level="2"]', (b) => b.getAttribute('aria-pressed')) === 'true',
    'a stored difficulty of "7; drop" shows as 2');
  await begin(page);
  check(await page.evaluate(() => marrowick.module.FS.readFile('/options.txt', {encoding: 'utf8'})) === 'w\n2\n',
    'and reaches the game as a window at difficulty 2');
  check(seen.console.includes('start game'), 'the transcript says "start game"');
  const width = () => page.$eval('#canvas', (canvas) => canvas.getBoundingClientRect().width);
  check(await width() === 1280, 'in a 1400x1100 window the canvas shows at twice its size');
  await page.setViewport({width: 700, height: 600});
  await until('the canvas at its own size in a 700x600 window', async () => await width() === 640);
  ok('and at its own size once the window is 700x600');

  await press(page, 'z');
  await shows(page, 's2');
  await page.touchscreen.tap(400, 300);
  await shows(page, 's3');
  await sleep(200);
  await press(page, 'y');
  await shows(page, 'menu');
  await press(page, 'z');
  // The scene over the background: figure, hammer, raindrops, meteors.
  await until('a game over the background', async () => await differs(page, 'bg') < 20000);
  await sleep(1000);
  check(await loudness(page) > -50, 'music and rain play');

  await press(page, 'p');
  const paused = await picture(page);
  await sleep(700);
  check(await picture(page) === paused, 'P: the picture stands still');
  await press(page, 'p');
  await sleep(300);
  check(await picture(page) !== paused, 'P again: the game goes on');
  await press(page, 'Escape');
  await shows(page, 'menu');
  await sleep(300);
  await press(page, 'Escape');
  await until('the page says the game has ended', async () => (await state(page)) === 'ended');
  check(await page.$eval('#again', (b) => !b.hidden), 'and offers to play again');
  await page.click('#again');
  await shows(page, 's1');
  ok('played again');

  if (name === 'chromium') {
    const {installabilityErrors} = await page._client().send('Page.getInstallabilityErrors');
    check(installabilityErrors.length === 0, 'installs as an app: ' + JSON.stringify(installabilityErrors));
  }
  // An active worker is what a later load goes through. This page may have
  // no controller: Firefox at times does not claim a page that was reloaded
  // while the worker installed.
  await until('the service worker active', () => page.evaluate(async () =>
    (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated'));
  await server.stop();
  await page.reload();
  await begin(page);
  ok('with the server gone, a reload still plays');

  server = await serve({damage: '/data/sounds/heart.ogg'});
  seen.console.length = 0;
  await begin(page, server.url);
  check(seen.console.includes('loading sounds...doneerror with chunk[5]'), 'a damaged heart.ogg: "error with chunk[5]"');
  await press(page, 'z');
  await shows(page, 's2');
  check(seen.errors.length === 0, 'no page error: ' + seen.errors.join('; '));
} finally {
  await browser.close();
  await server.stop();
}
