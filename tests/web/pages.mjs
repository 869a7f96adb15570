// The page as a player meets it in one browser (argument: chromium, firefox
// or webkit). A first visit by the keyboard alone, while the server holds
// the game's data back: a difficulty chosen without starting, Play waiting
// with the progress shown, and once the data comes the title pages, the
// sound off at the page's output and on again, pause, full screen, the end
// page and playing again; every file sent once, the worker's install
// included. Then the choices kept over a reload, a bad stored difficulty,
// the canvas scaled to the window, a tap, a reload offline and a damaged
// sound. No page error anywhere, and nothing blocked by the page's policy.
import {serve, using, begin, startscreen, state, until, shows, differs, press, still, pauses, middle, focused, said, loudness,
  hide, axe, sleep, check, ok} from './lib.mjs';

const name = process.argv[2];
let server = await serve({hold: '/marrowick.data'});
await using(name, {width: 1400, height: 1100}, async (b) => {
  const pressed = (selector) => b.run((selector) => document.querySelector(selector).getAttribute('aria-pressed'), selector);
  const program = () => b.run(() => ({options: marrowick.module.FS.readFile('/options.txt', {encoding: 'utf8'}),
    music: marrowick.module.mixer.playing(marrowick.module.mixer.music)}));
  await startscreen(b, server.url);
  check(await focused(b) === 'play', 'the start screen: Play has the focus');
  await axe(b, 'the start screen');
  await press(b, 'Tab');
  await press(b, 'Enter');
  check(await pressed('[data-level="1"]') === 'true' && await state(b) === 'start' && !server.sent['/marrowick.data'],
    'before the data: Tab, Enter: difficulty 1 is chosen and shown, and nothing starts');
  for (let tabs = 0; tabs < 6 && await focused(b) !== 'play'; tabs++) {
    await press(b, 'Tab');
    check(await b.run(() => document.getElementById('start').contains(document.activeElement)), 'Tab stays on the cover');
  }
  check(await focused(b) === 'play', 'and comes round to Play');
  await press(b, 'Enter');
  await until('Enter: the game waits for its data', async () => await state(b) === 'waiting' &&
    await b.run(() => document.getElementById('progress').getClientRects().length > 0));
  server.release();
  await shows(b, 's1');
  check((await program()).options === 'w\n1\n', 'and once it comes, starts as a window at difficulty 1');
  check(await focused(b) === 'canvas', 'and the game has the focus');
  await axe(b, 'a title page');
  check((await b.seen()).console.includes('start game'), 'the transcript says "start game"');
  await sleep(300);  // the first page takes a key only after 200 ms
  await press(b, 'z');
  await shows(b, 's2');
  await b.tap(700, 500);
  await shows(b, 's3');
  await sleep(200);  // the tap's Z is held a while: Y must come after it
  await press(b, 'y');
  await shows(b, 'menu');
  await press(b, 'z');
  // The scene over the background: figure, hammer, raindrops, meteors.
  await until('a game over the background', async () => await differs(b, 'bg') < 20000);
  await sleep(1000);
  check(await loudness(b) > -50, 'music and rain play');
  await press(b, 'm');
  await sleep(300);
  check(await loudness(b) === -Infinity && (await program()).music === 1 && await said(b) === 'Sound off',
    'M: silence at the page\'s output, while the game\'s music plays on; "Sound off"');
  await press(b, 'm');
  await sleep(300);
  check(await loudness(b) > -50 && await pressed('#bar .sound') === 'true', 'M again: sound');
  await axe(b, 'a game');
  await hide(b, true);
  await hide(b, false);
  check(await focused(b) === 'goon' && /^Paused/.test(await said(b)), 'a page hidden and shown: Go on has the focus');
  await axe(b, 'the paused cover');
  await press(b, 'Enter');
  await still(b, false);

  await pauses(b, () => press(b, 'p'));
  // Headless Firefox refuses every request for full screen.
  if (name !== 'firefox') {
    const full = () => b.run(() => document.fullscreenElement && document.fullscreenElement.id);
    await press(b, 'f');
    await until('F: full screen', async () => await full() === 'stage' && await said(b) === 'Full screen');
    await press(b, 'f');
    await until('F again: out of it', async () => !await full() && await said(b) === 'Left full screen');
  }
  await press(b, 'Escape');
  await shows(b, 'menu');
  await sleep(300);
  await press(b, 'Escape');
  await until('the end page', async () => (await state(b)) === 'ended');
  check(await focused(b) === 'again' && /has ended/.test(await said(b)), 'the end page: Play again has the focus');
  // The worker a later load goes through: the page's controller, or the
  // registration's active one. Asked while no program runs: in Firefox a
  // running program's page turns can hold back the worker's news.
  await until('the service worker active', () => b.run(async () =>
    navigator.serviceWorker.controller?.state === 'activated' ||
    (await navigator.serviceWorker.getRegistration())?.active?.state === 'activated'));
  // WebKit's worker downloads again what the browser has in its cache: only
  // what the page downloads itself comes once there.
  const once = name === 'webkit' ? ['/marrowick.data', '/marrowick.wasm'] : Object.keys(server.sent);
  const twice = once.filter((file) => server.sent[file] > server.size(file));
  const sent = Object.values(server.sent).reduce((sum, n) => sum + n, 0);
  check(!twice.length && sent <= 1.1 * server.served,
    `the first visit: no file sent twice (${twice.join(', ')}), ${sent} bytes for a site of ${server.served}`);
  await axe(b, 'the end page');
  await press(b, 'Enter');
  await shows(b, 's1');
  ok('Enter: played again');

  await press(b, 'm');
  await b.reload();
  await startscreen(b);
  check(await pressed('[data-level="1"]') === 'true' && await pressed('#start .sound') === 'false',
    'a reload keeps difficulty 1 and the sound off');
  // Reloaded once its files are in: Firefox reports a page left while its
  // worker still streams the data to it as an error of that page.
  await until('the game is ready', async () => await said(b) === 'The game is ready to play.');
  await b.run(() => localStorage.setItem('marrowick-difficulty', '7; drop'));
  await b.reload();
  await startscreen(b);
  check(await pressed('[data-level="2"]') === 'true', 'a stored difficulty of "7; drop" shows as 2');
  const width = () => b.run(() => document.getElementById('canvas').getBoundingClientRect().width);
  check(await width() === 1280, 'in a 1400x1100 window the canvas shows at twice its size');
  await b.size(700, 600);
  await until('and at its own size once the window is 700x600', async () => await width() === 640);
  await b.click(...await middle(b, '#play'));
  await shows(b, 's1');
  check((await program()).options === 'w\n2\n', 'and reaches the game as difficulty 2');

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
  await begin(b, server.url);
  check((await b.seen()).console.includes('loading sounds...doneerror with chunk[5]'),
    'a damaged heart.ogg: "error with chunk[5]"');
  await press(b, 'z');
  await shows(b, 's2');
});
