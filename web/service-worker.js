// The page's service worker: keeps every file of the site in a cache named after their contents
// (the build writes the name and the list), answers from that cache first, and the network only
// for what it lacks, so after one visit the page opens without a network. A new build has a new
// name: its worker takes over at once and drops the old cache, and the next visit opens the new
// page (the page already open keeps the files it loaded).
"use strict";

const CACHE = "vornlace-@SITE_HASH@";
const FILES = [@PRECACHE@];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name)))),
  );
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.match(event.request, { ignoreSearch: true }).then((hit) => hit || fetch(event.request)));
});
