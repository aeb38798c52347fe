// The page's side of the worker: each request a promise, a scan's progress a callback. A
// compiled module, when given, spares the worker compiling its own.
export function StartCore(url = 'worker.js', module = null) {
  const worker = new Worker(url, module ? { name: 'module-given' } : {});
  if (module) worker.postMessage({ op: 'given-module', module });
  const pending = new Map();
  let nextId = 1;
  let broken = null; // why the worker died, if it did: later requests fail at once

  const failAll = (message) => {
    for (const request of pending.values()) request.reject(new Error(message));
    pending.clear();
  };
  worker.onmessage = (event) => {
    const reply = event.data;
    const request = pending.get(reply.id);
    if (!request) return;
    if (reply.progress) {
      request.onProgress?.(reply.progress);
      return;
    }
    pending.delete(reply.id);
    if (reply.ok) request.resolve(reply.result);
    else request.reject(new Error(reply.error));
  };
  worker.onerror = (event) => {
    event.preventDefault();
    broken = event.message || 'The page\'s worker could not start.';
    failAll(broken);
  };

  return {
    Ask(op, fields = {}, onProgress = null) {
      const id = nextId++;
      return new Promise((resolve, reject) => {
        if (broken) {
          reject(new Error(broken));
          return;
        }
        pending.set(id, { resolve, reject, onProgress });
        worker.postMessage({ ...fields, id, op });
      });
    },
    Stop() {
      worker.terminate();
      failAll('Stopped.');
    },
  };
}
