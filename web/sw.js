// Keeps every file of the site, so the game plays offline once opened. The
// cache is named for the version: a new version's worker fills its own cache
// on the next visit, then drops the old one.
'use strict';
const CACHE = 'marrowick-@PROJECT_VERSION@';
const FILES = ['./', '@SITELIST@'];

// The page has put what it downloaded itself (the program and its data)
// into the cache already; the rest the server is only asked whether it
// changed, and on a first visit the browser's own cache has it (but in
// WebKit, whose worker does not look there).
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE)
    .then((cache) => Promise.all(FILES.map((file) => cache.match(file)
      .then((hit) => hit || cache.add(new Request(file, {cache: 'no-cache'}))))))
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
  // The page, under whatever name it was opened, is the one kept as ./.
  const request = event.request.mode === 'navigate' ? './' : event.request;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(request, {ignoreSearch: true}))
    .then((hit) => hit || fetch(event.request)));
});
