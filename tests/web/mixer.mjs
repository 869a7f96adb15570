// The mixer's timeline (tests/mixer/timeline.c), which the desktop test
// runs against SDL_mixer, run here on the browser's mixer (web/mixer.js) in
// one browser (argument: chromium, firefox or webkit): every answer as
// SDL_mixer gives it, at the same moments.
import path from 'node:path';
import {ROOT, serve, using, until, check} from './lib.mjs';

const server = await serve({site: path.join(ROOT, 'build-web/mixer')});
await using(process.argv[2], {}, async (b) => {
  await b.goto(server.url + 'timeline.html');
  await b.click(60, 15);
  const done = () => b.run(() => window.lines.some((line) => line.startsWith('timeline:')));
  await until('the timeline to its end', done, 20000);
  const lines = await b.run(() => window.lines);
  console.log(lines.join('\n'));
  check(/^timeline: \d+ answers, 0 unexpected$/.test(lines[lines.length - 1]), 'every answer as SDL_mixer gives it');
});
