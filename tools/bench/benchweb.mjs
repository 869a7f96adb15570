// The browser build's benchmark (make bench-web): the benchmark's copy of
// the site (build-web/bench, with tools/bench/benchhooks.js.in linked in) from a
// local server, in headless Chromium and Firefox ESR and in WebKitGTK under
// Xvfb. It prints the site's size, the times from loading to the start
// screen and from the start press to the first title page, and over 10 s at
// the start of a game and 10 s at its heaviest moment, level 10: the frames
// begun, how many began within 2 ms of their due tick, and the main
// thread's time: in the program, watching the clock for the due tick and
// (Chromium) in all of the page's tasks.
// Chromium runs each stretch again with its processor slowed 6 times, as a
// low-end phone is slower. Prints, checks nothing. Targets: 600 +- 6 frames,
// 95% within 2 ms, also when slowed; the main thread busy at most 10% of the
// time; the first page within 1 s of the press; the site under 3 MiB.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {ROOT, SITE, serve, open, state, until, sleep} from '../../tests/web/lib.mjs';

const files = fs.readdirSync(SITE).map((name) => fs.readFileSync(path.join(SITE, name)));
const total = files.reduce((sum, data) => sum + data.length, 0);
const packed = files.reduce((sum, data) => sum + zlib.gzipSync(data, {level: 9}).length, 0);
console.log(`site: ${files.length} files, ${(total / 1048576).toFixed(2)} MiB, ` +
  `${(packed / 1048576).toFixed(2)} MiB gzipped (target: under 3 MiB)`);

const server = await serve({site: process.env.BENCHSITE || path.join(ROOT, 'build-web/bench')});
const browsers = process.argv.slice(2).length ? process.argv.slice(2) : ['chromium', 'firefox', 'webkit'];
for (const name of browsers) {
  const b = await open(name);
  const loads = [];
  for (let visit = 0; visit < 3; visit++) {  // the first with empty caches
    await b.goto(server.url);
    await until('the start screen', async () => (await state(b)) === 'start');
    loads.push(await b.run(() => marrowick.shown.start));
  }
  // The first drawing on the canvas is the first title page.
  await b.run(() => {
    window.firstpage = null;
    const look = () => {
      const canvas = document.getElementById('canvas');
      if (canvas.getContext('2d').getImageData(320, 240, 1, 1).data[3]) window.firstpage = performance.now() - marrowick.shown.game;
      else requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  });
  await b.click(500, 300);
  await until('the first title page', () => b.run(() => window.firstpage !== null));
  const firstpage = await b.run(() => window.firstpage);
  // The benchmark's player turns the pages and plays.
  await until('a game', () => b.run(() => marrowick.module.bench.ingame));
  console.log(`${name} (${await b.version()}):`);
  console.log(`  load to start screen: ${loads.map((ms) => Math.round(ms)).join(', ')} ms (first visit, then again)`);
  console.log(`  start press to first title page: ${Math.round(firstpage)} ms (target: under 1000)`);

  const cdp = await b.cdp();
  const tasks = async () => cdp ? (await cdp.send('Performance.getMetrics')).metrics
    .find((m) => m.name === 'TaskDuration').value * 1000 : 0;
  if (cdp) await cdp.send('Performance.enable');
  const counters = () => b.run(() => {
    const p = marrowick.module.bench;
    return {flips: p.flips, waited: p.waited, late: p.late.slice(), busy: p.busy, watching: p.watching};
  });
  async function stretch(what, rate) {
    if (cdp) await cdp.send('Emulation.setCPUThrottlingRate', {rate});
    await sleep(500);
    const before = await counters(), task0 = await tasks(), t0 = Date.now();
    await sleep(10000);
    const after = await counters(), task1 = await tasks(), ms = Date.now() - t0;
    // A frame that began without a wait (the one before overran) counts as late.
    const frames = after.flips - before.flips;
    const late = after.late.slice(-(after.waited - before.waited));
    const ontime = late.filter((lateness) => lateness <= 2).length;
    console.log(`  ${what}${rate > 1 ? `, slowed ${rate}x` : ''}: ${frames} frames in ${(ms / 1000).toFixed(2)} s, ` +
      `${(100 * ontime / frames).toFixed(1)}% within 2 ms, latest ${Math.max(...late).toFixed(1)} ms; main thread ` +
      `${((after.busy - before.busy) / frames).toFixed(2)} ms a frame in the program, ` +
      `${((after.watching - before.watching) / frames).toFixed(2)} watching the clock` +
      (cdp ? `, ${((task1 - task0) / frames).toFixed(2)} ms in all tasks, busy ${(100 * (task1 - task0) / ms).toFixed(1)}%` : ''));
  }
  await sleep(1000);
  await stretch('start of a game', 1);
  if (cdp) await stretch('start of a game', 6);
  if (cdp) await cdp.send('Emulation.setCPUThrottlingRate', {rate: 1});
  await until('level 10', () => b.run(() => marrowick.module.bench.level10), 240000);
  await sleep(1000);
  await stretch('level 10', 1);
  if (cdp) await stretch('level 10', 6);
  await b.close();
}
await server.stop();
