// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The page's service worker: it keeps the site's files (but the PNG icons,
// which only installing the app needs), so that the game plays again without
// the network once it has been played. The build
// (web/site.sh) writes in the list of files and a cache name that carries
// a hash of their contents: a new build is a new worker with a cache of its
// own, which takes over once no page of the old one is open and then drops
// the old cache, so that a page never mixes files of two builds.
'use strict';
const kCache = 'zembrat-quillory-@HASH@';
const kFiles = [@FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(['./', ...kFiles])));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith('zembrat-quillory-') && name !== kCache)
      .map((name) => caches.delete(name)))));
});

// The kept file when there is one, else the network.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(kCache)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept || fetch(event.request)));
});
