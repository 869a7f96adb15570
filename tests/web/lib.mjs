// Shared by the browser tests and the benchmark: the built site on a local
// server, Debian's browsers (Chromium and Firefox ESR headless through
// puppeteer, WebKitGTK's MiniBrowser on Xvfb through WebDriver) behind one
// small interface, and what a player sees and hears.
import http from 'node:http';
import fs from 'node:fs';
import crypto from 'node:crypto';
import zlib from 'node:zlib';
import path from 'node:path';
import {spawn} from 'node:child_process';
import {createRequire} from 'node:module';
import puppeteer from 'puppeteer-core';
import {Builder, Key} from 'selenium-webdriver';
import remote from 'selenium-webdriver/remote/index.js';

export const ROOT = path.resolve(import.meta.dirname, '../..');
export const SITE = process.env.SITE || path.join(ROOT, 'build-web/site');
const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png', '.data': 'application/octet-stream',
  '.json': 'application/json'};

export function ok(what) { console.log('ok: ' + what); }
export function check(good, what) {
  if (!good) throw new Error('FAIL: ' + what);
  ok(what);
}
export const sleep = (ms) => new Promise((wake) => setTimeout(wake, ms));

// The site at a free port of 127.0.0.1, served as portals' servers do: text
// and the program gzipped, an ETag to revalidate by. damage names a file
// inside marrowick.data whose bytes are served as garbage; hold a file sent
// only once release() is called; extra maps paths to pages of the test's
// own, made from the site's address; link ({wait, send}) shapes the
// answers, as the benchmark's phone link does. sent counts the body bytes
// sent per file; size(file) and served give a file's size as served and the
// whole site's.
export async function serve({damage, site = SITE, hold, extra = {}, link} = {}) {
  const files = new Map(), sent = {}, sockets = new Set();
  let served = 0, held = [];
  for (const name of fs.readdirSync(site)) {
    const body = fs.readFileSync(path.join(site, name)), type = TYPES[path.extname(name)];
    const zipped = /text|wasm|json/.test(type) ? zlib.gzipSync(body, {level: 9}) : null;
    files.set('/' + name, {body, type, zipped, tag: `"${crypto.createHash('sha1').update(body).digest('hex')}"`});
    served += (zipped || body).length;
  }
  const {wait, send} = link || {wait: (go) => go(), send: (response, body) => response.end(body)};
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://x').pathname, page = url === '/' ? '/index.html' : url;
    const answer = () => {
      if (extra[url]) return response.writeHead(200, {'Content-Type': 'text/html'}).end(extra[url](address));
      const file = files.get(page);
      if (!file) return response.writeHead(404).end();
      if (request.headers['if-none-match'] === file.tag) return response.writeHead(304, {ETag: file.tag}).end();
      let body = file.body;
      if (damage && page === '/marrowick.data') body = damaged(site, body, damage);
      const zip = file.zipped && /gzip/.test(request.headers['accept-encoding'] || '');
      if (zip) body = file.zipped;
      response.writeHead(200, {'Content-Type': file.type || 'application/octet-stream', 'Content-Length': body.length,
        ETag: file.tag, ...(zip ? {'Content-Encoding': 'gzip', Vary: 'Accept-Encoding'} : {})});
      sent[page] = (sent[page] || 0) + body.length;
      send(response, body);
    };
    wait(() => (page === hold ? held.push(answer) : answer()));
  });
  // Never what keeps a test's process alive: it ends once its browser closes.
  server.on('connection', (socket) => { sockets.add(socket.unref()); socket.on('close', () => sockets.delete(socket)); });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  server.unref();
  const port = server.address().port, address = `http://127.0.0.1:${port}/`;
  return {
    url: address, other: `http://localhost:${port}/`, sent, served,
    size: (page) => (files.get(page).zipped || files.get(page).body).length,
    release: () => { held.forEach((answer) => answer()); held = []; hold = null; },
    stop: () => new Promise((done) => { server.close(done); sockets.forEach((socket) => socket.destroy()); }),
  };
}
function damaged(site, data, name) {
  const index = fs.readFileSync(path.join(site, 'marrowick.js'), 'utf8');
  const entry = new RegExp(`"filename":\\s*"${name}",\\s*"start":\\s*(\\d+),\\s*"end":\\s*(\\d+)`).exec(index);
  if (!entry) throw new Error('no ' + name + ' in marrowick.data');
  const copy = Buffer.from(data);
  for (let i = +entry[1]; i < +entry[2]; i++) copy[i] = (i * 131) & 255;
  return copy;
}

// Phones and tablets as Chromium emulates them: CSS size, device pixels per
// CSS pixel, touch.
const MOBILE = 'Mozilla/5.0 (iPhone; CPU iPhone OS 18_5 like Mac OS X) AppleWebKit/605.1.15 ' +
  '(KHTML, like Gecko) Version/18.5 Mobile/15E148 Safari/604.1';
export const DEVICES = {
  phone: {width: 390, height: 844, deviceScaleFactor: 3},
  landscape: {width: 844, height: 390, deviceScaleFactor: 3},
  small: {width: 320, height: 568, deviceScaleFactor: 2},
  smalllandscape: {width: 568, height: 320, deviceScaleFactor: 2},
  tablet: {width: 820, height: 1180, deviceScaleFactor: 2},
};

// A browser with one page: chromium, firefox or webkit. Every page error and
// console line is kept (the program's transcript comes as console lines):
// puppeteer hears them, and in WebKit, whose WebDriver cannot, listeners
// put in after each load keep them in the page.
// gamepads: Firefox with its own gamepad test service, which answers only in
// the automation mode its own test harnesses run in.
export async function open(name, {width = 1000, height = 800, device, before, gamepads} = {}) {
  return name === 'webkit' ? webkit(width, height, before) : puppet(name, width, height, device, before, gamepads);
}
// test(b) on a browser opened as open() does, closed however the test ends.
// It passes only if no page error was seen since the browser opened or last
// forgot (in WebKit: on its last page), and the page's policy blocked
// nothing on its last page.
export async function using(name, options, test) {
  const b = await open(name, options);
  try {
    await test(b);
    const {errors} = await b.seen(), blocked = await b.run(() => window.marrowick?.blocked || []);
    check(!errors.length && !blocked.length, 'no page error, nothing blocked: ' + [...errors, ...blocked].join('; '));
  } finally {
    await b.close();
  }
}

async function puppet(name, width, height, device, before, gamepads) {
  const browser = await puppeteer.launch(name === 'firefox'
    ? {browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
      // No sound device here: the mock audio backend of Firefox's own tests
      // runs Web Audio on a clock of its own.
      extraPrefsFirefox: {'media.cubeb.force_mock_context': true, ...gamepads && {'dom.gamepad.test.enabled': true,
        'security.turn_off_all_security_so_that_viruses_can_take_over_this_computer': true}},
      env: {...process.env, ...gamepads && {MOZ_DISABLE_NONLOCAL_CONNECTIONS: '1'}}}
    : {executablePath: '/usr/bin/chromium', headless: true,
      args: [...(process.getuid() === 0 ? ['--no-sandbox'] : []), '--disable-background-networking',
        '--disable-component-update', '--no-first-run']});
  const page = (await browser.pages())[0] || await browser.newPage();
  if (device) await page.emulate({userAgent: MOBILE, viewport: {...device, isMobile: true, hasTouch: true}});
  else await page.setViewport({width, height});
  if (before) await page.evaluateOnNewDocument(before);
  const errors = [], console = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => console.push(message.text()));
  return {
    name, page,
    goto: (url) => page.goto(url),
    reload: () => page.reload(),
    run: (fn, ...args) => page.evaluate(fn, ...args),
    key: (key, how) => how === 'down' ? page.keyboard.down(key) : page.keyboard.up(key),
    click: (x, y) => page.mouse.click(x, y),
    tap: (x, y) => page.touchscreen.tap(x, y),
    size: (w, h) => page.setViewport({width: w, height: h}),
    version: () => browser.version(),
    cdp: async () => name === 'chromium' ? page.createCDPSession() : null,
    seen: async () => ({errors, console}),
    forget: async () => { errors.length = 0; console.length = 0; },
    close: () => browser.close(),
  };
}

// What the page heard, kept in the page for WebDriver to read.
function listen() {
  if (window.heard) return;
  const heard = window.heard = {errors: [], console: []};
  window.addEventListener('error', (event) => heard.errors.push(String(event.message)));
  window.addEventListener('unhandledrejection', (event) => heard.errors.push(String(event.reason)));
  for (const level of ['log', 'warn', 'error', 'info']) {
    const real = console[level];
    console[level] = (...parts) => { heard.console.push(parts.join(' ')); real.apply(console, parts); };
  }
}

const MINIBROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
async function xserver() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1600x1200x24', '-nolisten', 'tcp'],
    {stdio: ['ignore', 'ignore', 'ignore', 'pipe']});
  const display = await new Promise((done, fail) => {
    let text = '';
    xvfb.stdio[3].on('data', (data) => { text += data; if (text.includes('\n')) done(':' + text.trim()); });
    xvfb.on('exit', () => fail(new Error('Xvfb did not start')));
  });
  return {display, stop: () => xvfb.kill()};
}

async function webkit(width, height, before) {
  const x = await xserver();
  // WebKitWebDriver on a free port, asked for a session once it answers.
  const service = new remote.DriverService.Builder('WebKitWebDriver').setLoopback(true)
    .setEnvironment({...process.env, DISPLAY: x.display}).build();
  const driver = await new Builder().usingServer(await service.start()).withCapabilities({
    browserName: 'MiniBrowser',
    'webkitgtk:browserOptions': {binary: MINIBROWSER, args: ['--automation']},
  }).build();
  const run = async (fn, ...args) => {
    const answer = await driver.executeAsyncScript(
      `const done = arguments[arguments.length - 1];
       Promise.resolve().then(() => (${fn}).apply(null, ${JSON.stringify(args)}))
         .then((value) => done({value}), (error) => done({error: String(error)}));`);
    if (answer && answer.error) throw new Error(answer.error);
    return answer ? answer.value : undefined;
  };
  const loaded = async () => { await run(listen); if (before) await run(new Function(before)); };
  const keys = {Escape: Key.ESCAPE, Tab: Key.TAB, Enter: Key.ENTER, Shift: Key.SHIFT};
  const b = {
    name: 'webkit', driver,
    goto: async (url) => { await driver.get(url); await loaded(); },
    reload: async () => { await driver.navigate().refresh(); await loaded(); },
    run,
    key: (key, how) => driver.actions()[how === 'down' ? 'keyDown' : 'keyUp'](keys[key] || key).perform(),
    click: (x, y) => driver.actions().move({x: Math.round(x), y: Math.round(y)}).click().perform(),
    tap: (x, y) => b.click(x, y),
    // The window's outer size less its frame gives the page its inner size.
    size: async (w, h) => {
      const inner = await run(() => [window.innerWidth, window.innerHeight]);
      const rect = await driver.manage().window().getRect();
      await driver.manage().window().setRect({width: w + rect.width - inner[0], height: h + rect.height - inner[1]});
    },
    version: async () => (await driver.getCapabilities()).get('browserVersion'),
    cdp: async () => null,
    seen: () => run(() => window.heard || {errors: [], console: []}),
    forget: () => run(() => { if (window.heard) window.heard.errors.length = window.heard.console.length = 0; }),
    close: async () => { await driver.quit().catch(() => {}); await service.kill(); x.stop(); },
  };
  await b.size(width, height);
  return b;
}

export const state = (b) => b.run(() => window.marrowick && window.marrowick.state);
// Waits until test() is true, and says so. what may be a function, to name
// what was last seen.
export async function until(what, test, ms = 10000) {
  const name = () => (typeof what === 'function' ? what() : what);
  for (const end = Date.now() + ms; Date.now() < end; await sleep(100))
    if (await test()) return ok(name());
  throw new Error('FAIL: ' + name() + ' within ' + ms + ' ms');
}

// How many pixels of the canvas differ from the picture data/graphics/NAME.png.
export async function differs(b, name) {
  const png = fs.readFileSync(path.join(ROOT, 'data/graphics', name + '.png')).toString('base64');
  return b.run(async (name, png) => {
    const pictures = window.pictures = window.pictures || {};
    if (!pictures[name]) {
      const bytes = Uint8Array.from(atob(png), (c) => c.charCodeAt(0));
      const picture = await createImageBitmap(new Blob([bytes]),
        {premultiplyAlpha: 'none', colorSpaceConversion: 'none'});
      const scratch = new OffscreenCanvas(640, 480).getContext('2d');
      scratch.drawImage(picture, 0, 0);
      pictures[name] = scratch.getImageData(0, 0, 640, 480).data;
    }
    const want = pictures[name];
    const got = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 640, 480).data;
    let count = 0;
    for (let i = 0; i < want.length; i += 4)
      if (Math.abs(want[i] - got[i]) + Math.abs(want[i + 1] - got[i + 1]) + Math.abs(want[i + 2] - got[i + 2]) > 6) count++;
    return count;
  }, name, png);
}
// The canvas shows the picture within 4 s, but for `spare` pixels (moving sprites).
export async function shows(b, name, spare = 0) {
  let count;
  await until(() => `shows ${name}.png (${count} px off)`, async () => (count = await differs(b, name)) <= spare, 4000);
}

// Where to click an element of the page: its middle.
export async function middle(b, selector) {
  return b.run((selector) => {
    const r = document.querySelector(selector).getBoundingClientRect();
    return [r.x + r.width / 2, r.y + r.height / 2];
  }, selector);
}
// What has the keyboard's focus, and what the page last said to a screen reader.
export const focused = (b) => b.run(() => document.activeElement.id || document.activeElement.textContent);
export const said = (b) => b.run(() => document.getElementById('say').textContent.trim());
// Until the canvas stands still, or moves: two looks ms apart.
export async function still(b, yes = true, ms = 600) {
  await until(`the picture ${yes ? 'stands still' : 'moves'}`, async () => {
    const first = await picture(b);
    await sleep(ms);
    return (await picture(b) === first) === yes;
  });
}
// act pauses the game, and act again lets it go on.
export async function pauses(b, act) {
  await act();
  await still(b);
  await act();
  await still(b, false);
}

// The page hidden, or shown again, as when another tab comes to the front.
export async function hide(b, hidden) {
  await b.run((hidden) => {
    Object.defineProperty(document, 'visibilityState', {configurable: true, get: () => hidden ? 'hidden' : 'visible'});
    Object.defineProperty(document, 'hidden', {configurable: true, get: () => hidden});
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
}
// axe-core with its default rules finds no violation (puppeteer's browsers:
// it evaluates the library's source, which the page's policy does not see).
const AXE = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
export async function axe(b, where) {
  if (!b.page) return;
  await b.page.evaluate(AXE);
  const found = await b.run(async () => (await window.axe.run(document)).violations
    .map((v) => `${v.id}: ${v.nodes.map((node) => node.target.join(' ')).join(', ')}`));
  check(!found.length, `${where}: axe finds nothing` + found.map((v) => '\n  ' + v).join(''));
}

// Real key presses, held long enough for a frame to see them.
export async function press(b, key) {
  await b.key(key, 'down');
  await sleep(100);
  await b.key(key, 'up');
  await sleep(100);
}
// A hash of the canvas: the same twice while the picture stands still.
export async function picture(b) {
  return b.run(() => {
    const data = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 640, 480).data;
    let hash = 0;
    for (let i = 0; i < data.length; i++) hash = (hash * 31 + data[i]) | 0;
    return hash;
  });
}

// The loudness of everything the game plays now, in dBFS (-Infinity: silence).
export async function loudness(b) {
  const db = await b.run(async () => {
    const audio = window.marrowick.audio;
    if (!audio.meter) {
      audio.meter = audio.context.createAnalyser();
      audio.meter.fftSize = 8192;
      audio.out.connect(audio.meter);
      await new Promise((wake) => setTimeout(wake, 500));  // to fill the meter
    }
    const wave = new Float32Array(audio.meter.fftSize);
    audio.meter.getFloatTimeDomainData(wave);
    return 10 * Math.log10(wave.reduce((sum, x) => sum + x * x, 0) / wave.length);
  });
  return db === null ? -Infinity : db;  // WebDriver sends -Infinity as null
}

// Starts the program from the start screen with a click, as a player does.
// The start screen, after loading url if given.
export async function startscreen(b, url) {
  if (url) await b.goto(url);
  await until('the start screen', async () => (await state(b)) === 'start');
}
// From the first title page on to a game, a press (Z unless told) a page.
export async function togame(b, next = () => press(b, 'z')) {
  for (const page of ['s2', 's3', 'menu']) {
    await next();
    await shows(b, page);
  }
  await next();
  await until('a game over the background', async () => await differs(b, 'bg') < 20000);
}
export async function begin(b, url) {
  await startscreen(b, url);
  await b.click(...await middle(b, '#play'));
  await shows(b, 's1');
  await sleep(300);  // the first page takes a key only after 200 ms
}
