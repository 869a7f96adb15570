// Keeps every file of the site, so the game plays offline once opened. The
// cache is named for the version: a new version's worker fills its own cache
// on the next visit, then drops the old one.
'use strict';
const CACHE = 'marrowick-@PROJECT_VERSION@';
const FILES = ['./', '@SITELIST@'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES.map((file) => new Request(file, {cache: 'reload'}))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('marrowick-') && name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(event.request, {ignoreSearch: true}))
    .then((hit) => hit || fetch(event.request)));
});
