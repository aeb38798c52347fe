// Keeps the page for offline use. Every request goes to the network first, so a page that is
// online is always current; when the network fails, the kept copy answers. Only this
// origin's requests are handled (the page makes no other).
'use strict';
const kCache = 'quillon';
const kShell = [
  './', 'index.html', 'style.css', 'app.js', 'core-client.js', 'deeplink.js', 'language.js',
  'cards.js', 'dom.js', 'long-table.js', 'table-window.js', 'worker.js', 'scan-reader.js',
  'scan-files.js', 'quillon-core.js', 'quillon-core.wasm', 'data/languages.json',
];

async function LanguageFile(tag) {
  const response = await fetch('data/languages.json');
  const entry = (await response.json()).find((language) => language.tag === tag);
  return entry ? 'data/' + entry.file : null;
}

async function Keep(urls) {
  const cache = await caches.open(kCache);
  await cache.addAll(urls);
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    await Keep([...kShell, await LanguageFile('en-US')].filter(Boolean));
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil(self.clients.claim());
});

self.addEventListener('message', (event) => {
  const tag = event.data && event.data.keepLanguage;
  if (typeof tag !== 'string') return;
  event.waitUntil((async () => {
    const file = await LanguageFile(tag);
    const cache = await caches.open(kCache);
    if (file && !(await cache.match(file))) await cache.add(file);
  })().catch(() => {}));
});

async function NetworkFirst(event) {
  const request = event.request;
  const cache = await caches.open(kCache);
  try {
    const response = await fetch(request);
    // Kept while the page already reads the response, not before.
    if (response.ok) event.waitUntil(cache.put(request, response.clone()));
    return response;
  } catch (error) {
    const kept = await cache.match(request, { ignoreSearch: true });
    if (kept) return kept;
    throw error;
  }
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(NetworkFirst(event));
});
