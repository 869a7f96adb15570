// A gamepad in Firefox, through Firefox's own gamepad test service, which
// runs its real gamepad code: A starts the game from the start screen,
// silent, since a gamepad's press lets no sound start, and the page says
// how to have it; A turns the title pages; Start pauses and goes on; Back
// leaves the game; a second pad, connected during a game, plays too; and a
// key brings the sound.
import {serve, using, startscreen, togame, until, shows, pauses, sleep, ok} from './lib.mjs';

const server = await serve();
// Firefox under automation lets any page start sound: here, as browsers do
// outside it, only a key or a press does.
const gestures = `
  let gesture = false;
  for (const type of ['keydown', 'pointerdown']) addEventListener(type, (e) => { gesture ||= e.isTrusted; }, true);
  const resume = AudioContext.prototype.resume;
  AudioContext.prototype.resume = function() { return gesture ? resume.call(this) : new Promise(() => {}); };
  window.AudioContext = class extends AudioContext {
    constructor(...options) { super(...options); if (!gesture) this.suspend(); }
  };`;
await using('firefox', {gamepads: true, before: gestures}, async (b) => {
  // Presses and lets go of a button of a pad, held long enough for a frame to see it.
  const button = async (pad, index) => {
    for (const pressed of [true, false]) {
      await b.run((pad, index, pressed) => window.service.newButtonEvent(pad, index, pressed, pressed), pad, index, pressed);
      await sleep(150);
    }
  };
  const pad = () => b.run(() => window.service.addGamepad('test pad', 'standard', '', 17, 4, 0, 0, 0));
  await startscreen(b, server.url);
  await b.run(() => { window.service = navigator.requestGamepadServiceTest(); });
  const first = await pad();
  await button(first, 0);
  await shows(b, 's1');
  await until('A on the start screen: the game starts, silent, and the page says how to have sound', () => b.run(() =>
    !document.getElementById('soundnote').hidden && marrowick.audio.context.state !== 'running'));
  await sleep(300);  // the first page takes a key only after 200 ms
  await togame(b, () => button(first, 0));
  await pauses(b, () => button(first, 9));
  ok('Start pauses, and goes on');
  const second = await pad();
  await button(second, 8);
  await shows(b, 'menu');
  ok('Back on a pad connected during the game: the menu page');
  await b.key('x', 'down');
  await b.key('x', 'up');
  await until('a key brings the sound', () => b.run(() =>
    marrowick.audio.context.state === 'running' && document.getElementById('soundnote').hidden));
});
