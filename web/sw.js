// Keeps the page's files, so that it opens offline once it has been loaded: each request is
// answered from the copy kept, and the copy is brought up to date from the server meanwhile.
"use strict";
const kept = "quarnel";
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET" || new URL(event.request.url).origin !== location.origin)
    return;
  event.respondWith(caches.open(kept).then(async (cache) => {
    const copy = await cache.match(event.request, { ignoreSearch: true });
    const fresh = fetch(event.request).then((response) => {
      if (response.ok)
        cache.put(event.request, response.clone());
      return response;
    });
    if (copy) {
      event.waitUntil(fresh.catch(() => {}));
      return copy;
    }
    return fresh;
  }));
});
