// A whole game in one browser (argument: chromium, firefox or webkit), at difficulty
// 3: a player in the page watches the canvas and strikes each meteor as it
// crosses the band, until the hammer lands on the figure. Then the game-over
// picture, the menu page, sound all along, and the music louder level by
// level.
import {serve, using, begin, shows, differs, press, loudness, sleep, check, ok} from './lib.mjs';

const server = await serve();

// Finds meteors by their glowing core, the only such pixels in the rows of
// the band: a run of glowing columns, whose first glowing row is 11 below a
// falling meteor's top. Strikes when a top that has moved down since the
// last look is in 387..400 of the hit window's 385..405, at most once in
// 100 ms; a struck meteor shows its burst for half a second, where raindrops
// can make it seem to move, so its place rests.
function player() {
  // Copied out first: reading the page's canvas itself costs Firefox 5 ms.
  const strip = new OffscreenCanvas(640, 20).getContext('2d', {willReadFrequently: true});
  let meteors = [], last = 0;
  const struck = [];
  window.strikes = 0;
  function key(type) {
    const event = new KeyboardEvent(type, {bubbles: true});
    Object.defineProperty(event, 'keyCode', {value: 90});
    document.dispatchEvent(event);
  }
  function look(now) {
    if (window.marrowick.state !== 'playing') return;
    strip.drawImage(document.getElementById('canvas'), 0, 392, 640, 20, 0, 0, 640, 20);
    const rows = strip.getImageData(0, 0, 640, 20).data, first = [];
    for (let i = 0; i < rows.length; i += 4) {
      const [r, g, b] = [rows[i], rows[i + 1], rows[i + 2]], x = (i / 4) % 640;
      if (r > 200 && g > 100 && b < 110 && r - b > 120 && first[x] === undefined) first[x] = 392 + Math.floor(i / 4 / 640);
    }
    const seen = [];
    first.forEach((row, x) => {
      const run = seen[seen.length - 1];
      if (run && x - run.right <= 8) Object.assign(run, {right: x, top: Math.min(run.top, row - 11)});
      else seen.push({left: x, right: x, top: row - 11});
    });
    for (const meteor of seen) {
      const x = (meteor.left + meteor.right) / 2, near = (other) => Math.abs(other.x - x) < 30;
      const before = meteors.find(near);
      meteor.x = x;
      if (meteor.top >= 387 && meteor.top <= 400 && before && before.top < meteor.top && now - last > 100
          && !struck.some((s) => near(s) && now - s.at < 600)) {
        last = now;
        struck.push({x, at: now});
        window.strikes++;
        key('keydown');
        setTimeout(() => key('keyup'), 40);
      }
    }
    meteors = seen;
    requestAnimationFrame(look);
  }
  requestAnimationFrame(look);
}

await using(process.argv[2], {}, async (b) => {
  await b.goto(server.url);
  await b.run(() => localStorage.setItem('marrowick-difficulty', '3'));
  await begin(b, server.url);
  for (const key of ['z', 'z', 'z', 'z']) await press(b, key);
  await b.run(player);
  // The music's volume, as the game sets it.
  await b.run(() => { window.volumes = new Set(); setInterval(() => window.volumes.add(marrowick.module.mixer.music.volume), 20); });
  const levels = [], start = Date.now();
  // Sound is sampled every second until the game-over picture shows. The
  // game takes about 85 s; the bound only keeps a broken one from running on.
  while (await differs(b, 'gameover') > 0) {
    if (Date.now() - start > 240000) throw new Error('FAIL: no game over within 4 minutes');
    levels.push(await loudness(b));
    await sleep(1000);
  }
  ok(`the game-over picture after ${Math.round((Date.now() - start) / 1000)} s and ${await b.run(() => window.strikes)} strikes`);
  check(Math.min(...levels) > -50, `sound all through the game: ${Math.round(Math.min(...levels))} dBFS at its quietest`);
  await sleep(7000);
  await shows(b, 'menu');
  // The music's volume: 38, then 10 more a level, and 128 from level 9 on.
  const volumes = await b.run(() => [...window.volumes]);
  check([38, 48, 58, 68, 78, 88, 98, 108, 118, 128].every((v) => volumes.includes(v)),
    'the music rose level by level: ' + volumes.join(', '));
});
