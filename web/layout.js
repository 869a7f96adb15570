// Marrowick's page: where things are. The canvas's size, full screen and the
// device's orientation. Run before the page is drawn, so that what the
// browser offers decides what the page shows before anything shows.
'use strict';
/* global $, say, safely */
/* exported togglefull */

// Element full screen, where the browser and a portal's frame allow it: an
// iPhone's Safari has none, and a game added to its Home Screen opens full
// screen instead.
const fullscreen = {
  can: !!((document.fullscreenEnabled || document.webkitFullscreenEnabled) &&
    (Element.prototype.requestFullscreen || Element.prototype.webkitRequestFullscreen)),
  element: () => document.fullscreenElement || document.webkitFullscreenElement,
  enter: (element) => (element.requestFullscreen || element.webkitRequestFullscreen).call(element),
  leave: () => (document.exitFullscreen || document.webkitExitFullscreen).call(document),
};
const standalone = matchMedia('(display-mode: fullscreen), (display-mode: standalone)').matches ||
  navigator.standalone === true;
document.documentElement.classList.add(fullscreen.can ? 'full' : standalone ? 'standalone' : 'homescreen');

function togglefull() {
  if (!fullscreen.can) return;
  if (fullscreen.element()) return void fullscreen.leave();
  Promise.resolve(fullscreen.enter($('stage'))).then(() => {
    // Landscape where the browser lets a page choose; a refusal is fine.
    if (screen.orientation && screen.orientation.lock) return screen.orientation.lock('landscape');
  }).catch(() => {});
}
// Its buttons leave full screen as well, and say so.
function fullchanged() {
  const full = !!fullscreen.element();
  for (const button of document.querySelectorAll('button.full')) button.textContent = full ? 'Leave full screen' : 'Full screen';
  say(full ? 'Full screen' : 'Left full screen');
  fit();
}

// The canvas fills the stage beside or below the bar: a whole number of
// device pixels per game pixel where that fills 80% of the space, else the
// largest size that fits, still with sharp pixels.
function fit() {
  const stage = $('stage'), style = getComputedStyle(stage), bar = $('bar');
  const row = style.flexDirection === 'row', gap = parseFloat(style.gap) || 0;
  const px = (side) => parseFloat(style['padding' + side]) || 0;
  const w = stage.clientWidth - px('Left') - px('Right') - (row ? bar.offsetWidth + gap : 0);
  const h = stage.clientHeight - px('Top') - px('Bottom') - (row ? 0 : bar.offsetHeight + gap);
  const dpr = window.devicePixelRatio || 1;
  const most = Math.max(0.1, Math.min(w * dpr / 640, h * dpr / 480));
  const scale = Math.floor(most) >= Math.max(1, 0.8 * most) ? Math.floor(most) : most;
  $('canvas').style.width = Math.floor(640 * scale) / dpr + 'px';
  $('canvas').style.height = Math.floor(480 * scale) / dpr + 'px';
}

document.addEventListener('DOMContentLoaded', () => {
  fit();
  for (const button of document.querySelectorAll('button.full')) button.addEventListener('click', safely(togglefull));
});
window.addEventListener('resize', fit);
for (const type of ['fullscreenchange', 'webkitfullscreenchange']) document.addEventListener(type, fullchanged);
