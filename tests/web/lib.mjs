// Shared by the browser tests and the benchmark: the built site on a local
// server, Debian's browsers headless, and what a player sees and hears.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

export const ROOT = path.resolve(import.meta.dirname, '../..');
export const SITE = process.env.SITE || path.join(ROOT, 'build-web/site');
const TYPES = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png', '.data': 'application/octet-stream'};

export function ok(what) { console.log('ok: ' + what); }
export function check(good, what) {
  if (!good) throw new Error('FAIL: ' + what);
  ok(what);
}
export const sleep = (ms) => new Promise((wake) => setTimeout(wake, ms));

// The site on 127.0.0.1 at a free port. damage names a file inside
// marrowick.data whose bytes are served as garbage.
export async function serve({damage} = {}) {
  const sockets = new Set();
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://x').pathname;
    const file = path.join(SITE, url === '/' ? 'index.html' : path.normalize(url));
    fs.readFile(file, (error, body) => {
      if (error) return response.writeHead(404).end();
      if (damage && url === '/marrowick.data') body = damaged(body, damage);
      response.writeHead(200, {'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream'}).end(body);
    });
  });
  server.on('connection', (socket) => { sockets.add(socket); socket.on('close', () => sockets.delete(socket)); });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    stop: () => new Promise((done) => { server.close(done); sockets.forEach((socket) => socket.destroy()); }),
  };
}
function damaged(data, name) {
  const index = fs.readFileSync(path.join(SITE, 'marrowick.js'), 'utf8');
  const entry = new RegExp(`"filename":\\s*"${name}",\\s*"start":\\s*(\\d+),\\s*"end":\\s*(\\d+)`).exec(index);
  if (!entry) throw new Error('no ' + name + ' in marrowick.data');
  const copy = Buffer.from(data);
  for (let i = +entry[1]; i < +entry[2]; i++) copy[i] = (i * 131) & 255;
  return copy;
}

// A headless browser with one page of the given size. Every page error and
// console line is kept: the program's transcript comes as console lines.
export async function browse(name, width = 1000, height = 800) {
  const browser = await puppeteer.launch(name === 'firefox'
    ? {browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
      // No sound device here: the mock audio backend of Firefox's own tests
      // runs Web Audio on a clock of its own.
      extraPrefsFirefox: {'media.cubeb.force_mock_context': true}}
    : {executablePath: '/usr/bin/chromium', headless: true,
      args: process.getuid() === 0 ? ['--no-sandbox'] : []});
  const page = (await browser.pages())[0] || await browser.newPage();
  await page.setViewport({width, height});
  const seen = {errors: [], console: []};
  page.on('pageerror', (error) => seen.errors.push(String(error)));
  page.on('console', (message) => seen.console.push(message.text()));
  return {browser, page, seen};
}

export async function state(page) {
  return page.evaluate(() => window.marrowick && window.marrowick.state);
}
// what may be a function, to name what was last seen.
export async function until(what, test, ms = 10000) {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(100))
    if (await test()) return;
  throw new Error('FAIL: ' + (typeof what === 'function' ? what() : what) + ' within ' + ms + ' ms');
}

// How many pixels of the canvas differ from the picture data/graphics/NAME.png.
export async function differs(page, name) {
  const png = fs.readFileSync(path.join(ROOT, 'data/graphics', name + '.png')).toString('base64');
  return page.evaluate(async (name, png) => {
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
export async function shows(page, name, spare = 0) {
  let count;
  await until(() => `shows ${name}.png (${count} px off)`, async () => (count = await differs(page, name)) <= spare, 4000);
  ok(`shows ${name}.png (${count} px off)`);
}

// Real key presses and taps, held long enough for a frame to see them.
export async function press(page, key) {
  await page.keyboard.down(key);
  await sleep(100);
  await page.keyboard.up(key);
  await sleep(100);
}
// A hash of the canvas: the same twice while the picture stands still.
export async function picture(page) {
  return page.evaluate(() => {
    const data = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 640, 480).data;
    let hash = 0;
    for (let i = 0; i < data.length; i++) hash = (hash * 31 + data[i]) | 0;
    return hash;
  });
}

// The loudness of everything the game plays now, in dBFS (-Infinity: silence).
export async function loudness(page) {
  return page.evaluate(async () => {
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
}

// Starts the program from the start screen with a click, as a player does.
export async function begin(page, url) {
  if (url) await page.goto(url);
  await until('the start screen', async () => (await state(page)) === 'start');
  await page.mouse.click(500, 300);
  await shows(page, 's1');
  await sleep(300);  // the first page takes a key only after 200 ms
}
