// A first visit in Chromium, as the server sees it. With the game's data
// held back: the start screen shows and takes a difficulty, a tap shows the
// progress, and letting the data go starts the game at its first title
// page. Then every file of the site has been sent once, the worker's
// install included, and all that was sent is at most 1.1 times the site as
// served.
import {serve, open, startscreen, until, shows, press, middle, check, ok} from './lib.mjs';

const server = await serve({hold: '/marrowick.data'});
const b = await open('chromium');
try {
  await startscreen(b, server.url);
  await press(b, '3');
  check(await b.run(() => document.querySelector('[data-level="3"]').getAttribute('aria-pressed')) === 'true' &&
    !('/marrowick.data' in server.sent), 'the start screen before the data: 3 is chosen');
  await b.click(...await middle(b, '#play'));
  await until('the progress', () => b.run(() => marrowick.state === 'waiting' &&
    document.getElementById('progress').getClientRects().length > 0));
  ok('a tap shows the progress');
  server.release();
  await shows(b, 's1');
  check(await b.run(() => marrowick.module.FS.readFile('/options.txt', {encoding: 'utf8'})) === 'w\n3\n',
    'the data let go: the game starts at difficulty 3');

  await until('the service worker active', () => b.run(async () =>
    (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated'));
  const twice = Object.keys(server.sent).filter((file) => server.sent[file] > server.size(file));
  const sent = Object.values(server.sent).reduce((sum, n) => sum + n, 0);
  check(!twice.length, 'no file sent twice: ' + twice.join(', '));
  check(sent <= 1.1 * server.served, `${sent} bytes sent for a site of ${server.served}`);
} finally {
  await b.close();
  await server.stop();
}
