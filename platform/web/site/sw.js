// The page's service worker: keeps the whole build in one cache named after
// a hash of its files (written in by the build), so the game starts with the
// network gone, and a new build replaces the old one whole rather than
// mixing a new page with an old game. Requests are answered from the cache
// first; anything else (a replay's URL) goes to the network.
'use strict';

var BUILD = '@TIRLANE_BUILD_HASH@';
var CACHE = 'tirlane-' + BUILD;
var FILES = [@TIRLANE_BUILD_FILES@];

self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(CACHE).then(function (cache) {
    return cache.addAll(FILES.map(function (name) { return new Request(name, { cache: 'reload' }); }));
  }));
});

// The first worker takes the page at once; a newer one waits until the page
// is reloaded (the page says a new version is ready), then drops every other
// build's cache.
self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf('tirlane-') === 0 && name !== CACHE;
    }).map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});

self.addEventListener('fetch', function (event) {
  if (event.request.method !== 'GET') return;
  var url = new URL(event.request.url);
  if (url.origin !== location.origin) return;
  event.respondWith(caches.open(CACHE).then(function (cache) {
    // The page itself whatever its query (?replay=...).
    var key = url.pathname === new URL('./', location).pathname ? './' : event.request;
    return cache.match(key, { ignoreSearch: key === './' }).then(function (hit) {
      return hit || fetch(event.request);
    });
  }));
});
