// Remakes the browser build's screenshots in docs/ (after make web): the
// page in a desktop's window during a game (web.png), and a landscape
// phone in Chromium's emulation during a game (web-phone.png).
import {execFileSync} from 'node:child_process';
import path from 'node:path';
import {ROOT, DEVICES, serve, open, begin, differs, press, until, sleep} from '../../tests/web/lib.mjs';

const server = await serve();
async function shot(file, options, keys) {
  const b = await open('chromium', options);
  try {
    await begin(b, server.url);
    for (let i = 0; i < 4; i++) await keys(b);
    await until('a game', async () => await differs(b, 'bg') < 20000);
    await sleep(12000);  // meteors and rain under way
    await b.shot(file);
  } finally {
    await b.close();
  }
}
await shot(path.join(ROOT, 'docs/web.png'), {width: 1000, height: 800}, (b) => press(b, 'z'));
const phone = path.join(ROOT, 'docs/web-phone.png');
await shot(phone, {device: DEVICES.landscape}, async (b) => { await b.tap(300, 200); await sleep(300); });
// At its CSS size, as the page is laid out for it.
execFileSync('convert', [phone, '-resize', `${DEVICES.landscape.width}x${DEVICES.landscape.height}`, phone]);
await server.stop();
