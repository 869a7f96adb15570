// The game in a game portal's frame, in Chromium (headless Firefox gives no
// frame the focus): a host page on a second origin (localhost, against the site's
// 127.0.0.1) that scrolls, framing the game as portals do. A click starts
// it while its data is still held back by the server; keys then and later
// never scroll the host; after a click on the host, a click back gives the
// game the keys again and is no strike. A frame that may not go full screen
// offers no full screen.
import {serve, using, until, shows, differs, press, still, sleep, check, ok} from './lib.mjs';

const server = await serve({hold: '/marrowick.data', extra: {'/portal.html': (site) => `<!DOCTYPE html>
  <body style="margin: 0; height: 4000px"><p style="height: 100px; margin: 0">The portal's page.</p>
  <iframe src="${site}" allow="autoplay; fullscreen *; gamepad" allowfullscreen
    style="width: 700px; height: 560px; border: 0"></iframe>
  <iframe src="${site}?plain" style="width: 300px; height: 200px"></iframe></body>`}});
await using('chromium', {width: 1100, height: 900}, async (b) => {
  await b.goto(server.other + 'portal.html');
  await until('the framed start screen', () => b.page.frames().some((frame) => frame.url() === server.url));
  const frame = b.page.frames().find((frame) => frame.url() === server.url);
  const plain = b.page.frames().find((frame) => frame.url() === server.url + '?plain');
  const game = {...b, run: (fn, ...args) => frame.evaluate(fn, ...args)};
  await until('the start screen', () => game.run(() => marrowick.state === 'start'));
  const scrolled = () => b.run(() => window.scrollY);
  const keys = async (what) => {
    for (const key of [' ', 'ArrowDown', 'PageDown', 'End']) await press(b, key);
    check(await scrolled() === 0, `${what}: Space, the arrows, PageDown and End leave the portal where it was`);
  };

  await b.click(350, 300);
  await until('waiting for the data', () => game.run(() => marrowick.state === 'waiting' &&
    document.getElementById('loading').getClientRects().length > 0));
  await keys('a click starts the game while its data loads');
  server.release();
  await shows(game, 's1');
  await sleep(300);  // the first page takes a key only after 200 ms
  await press(b, 'z');
  await shows(game, 's2');

  // Whatever reaches the program from here on.
  await game.run(() => { window.sent = []; marrowick.keys.addEventListener('keydown', (e) => window.sent.push(e.keyCode)); });
  const backin = async (what) => {
    await b.click(50, 50);
    await until('the portal\'s page to have the keys', () => game.run(() => !document.hasFocus()));
    await b.click(350, 300);
    check((await game.run(() => window.sent)).length === 0, `${what}: a click on the portal and back is no key to the game`);
  };
  await backin('on a title page');
  await press(b, 'z');
  await shows(game, 's3');
  await keys('back in the game');
  await press(b, 'z');
  await press(b, 'z');
  await until('a game', async () => await differs(game, 'bg') < 20000);
  await game.run(() => { window.sent = []; });
  await backin('in a game');
  await press(b, 'p');
  await still(game);
  ok('P pauses');
  check(await plain.evaluate(() => getComputedStyle(document.querySelector('#bar .full')).display) === 'none',
    'a frame that may not go full screen offers no full screen');
});
