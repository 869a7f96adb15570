// The browser build's benchmark (make bench-web): in headless Chromium and
// Firefox ESR, from a local server, the times from loading to the start
// screen and from the start press to the first title page, the site's size,
// and over 10 s of a game the frames begun, how many began within 2 ms of
// their due tick, and the main thread's time per frame. Prints, checks
// nothing. Targets: 600 +- 6 frames, 95% within 2 ms, the first page within
// 1 s of the press, the site under 3 MiB.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {SITE, serve, browse, state, until, press, sleep} from '../tests/web/lib.mjs';

const files = fs.readdirSync(SITE).map((name) => fs.readFileSync(path.join(SITE, name)));
const total = files.reduce((sum, data) => sum + data.length, 0);
const packed = files.reduce((sum, data) => sum + zlib.gzipSync(data, {level: 9}).length, 0);
console.log(`site: ${files.length} files, ${(total / 1048576).toFixed(2)} MiB, ` +
  `${(packed / 1048576).toFixed(2)} MiB gzipped (target: under 3 MiB)`);

const server = await serve();
for (const name of ['chromium', 'firefox']) {
  const {browser, page} = await browse(name);
  const loads = [];
  for (let visit = 0; visit < 3; visit++) {  // the first with empty caches
    await page.goto(server.url);
    await until('the start screen', async () => (await state(page)) === 'start');
    loads.push(await page.evaluate(() => marrowick.shown.start));
  }
  // The first drawing on the canvas is the first title page.
  await page.evaluate(() => {
    window.firstpage = new Promise((done) => {
      const look = () => {
        const canvas = document.getElementById('canvas');
        if (canvas.getContext('2d').getImageData(320, 240, 1, 1).data[3]) done(performance.now() - marrowick.shown.game);
        else requestAnimationFrame(look);
      };
      requestAnimationFrame(look);
    });
  });
  await page.mouse.click(500, 300);
  const firstpage = await page.evaluate(() => window.firstpage);
  await sleep(300);
  for (const key of ['z', 'z', 'z', 'z']) await press(page, key);
  await sleep(1000);

  const cdp = name === 'chromium' ? await page.createCDPSession() : null;
  const task = async () => cdp ? (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value : 0;
  if (cdp) await cdp.send('Performance.enable');
  const pacing = () => page.evaluate(() => {
    const p = marrowick.module.pacing;
    return {flips: p.flips, waited: p.waited, late: p.late.slice(), busy: p.busy};
  });
  const before = await pacing(), task0 = await task(), t0 = Date.now();
  await sleep(10000);
  const after = await pacing(), task1 = await task(), seconds = (Date.now() - t0) / 1000;
  // A frame that began without a wait (the one before overran) counts as late.
  const frames = after.flips - before.flips;
  const late = after.late.slice(-(after.waited - before.waited));
  const ontime = late.filter((ms) => ms <= 2).length;
  console.log(`${name} (${await browser.version()}):`);
  console.log(`  load to start screen: ${loads.map((ms) => Math.round(ms)).join(', ')} ms (first visit, then again)`);
  console.log(`  start press to first title page: ${Math.round(firstpage)} ms (target: under 1000)`);
  console.log(`  ${seconds.toFixed(2)} s of a game: ${frames} frames (target: 600 +- 6), ` +
    `${(100 * ontime / frames).toFixed(1)}% began within 2 ms of their due tick (target: 95%), ` +
    `latest ${Math.max(...late).toFixed(1)} ms`);
  console.log(`  main thread per frame: ${((after.busy - before.busy) / frames).toFixed(2)} ms in the program` +
    (cdp ? `, ${(1000 * (task1 - task0) / frames).toFixed(2)} ms of all the page's tasks` : ''));
  await browser.close();
}
await server.stop();
