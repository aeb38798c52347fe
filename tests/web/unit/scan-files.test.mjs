import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import vm from 'node:vm';

// The files' thread, run in a context of its own with a stand-in for the worker's self.
function FilesThread() {
  const replies = [];
  const self = { postMessage: (message) => replies.push(message) };
  const source = fs.readFileSync(new URL('../../../web/site/scan-files.js', import.meta.url), 'utf8');
  vm.runInNewContext(source, { self, Blob, String });
  const tell = async (message) => {
    await self.onmessage({ data: message });
    return replies.at(-1);
  };
  return { tell };
}

test('findings kept for saving come back whole and in order, across the Blobs they are kept in', async () => {
  const files = FilesThread();
  const piece = (n, size) => new Uint8Array(size).fill(0x30 + n);
  // Over 64 MiB in all, so that the first pieces are made into a Blob before the save.
  const sizes = [40 << 20, 30 << 20, 3, 0, 5];
  for (const [n, size] of sizes.entries()) await files.tell({ keep: piece(n, size) });
  const saved = await files.tell({ id: 1, saved: 'application/x-ndjson' });
  assert.equal(saved.id, 1);
  assert.equal(saved.result.type, 'application/x-ndjson');
  const bytes = new Uint8Array(await saved.result.arrayBuffer());
  assert.equal(bytes.length, sizes.reduce((sum, size) => sum + size, 0));
  let at = 0;
  for (const [n, size] of sizes.entries()) {
    if (size === 0) continue;
    assert.deepEqual([bytes[at], bytes[at + size - 1]], [0x30 + n, 0x30 + n], `piece ${n}`);
    at += size;
  }
  // A new scan's findings replace them.
  await files.tell({ forget: true });
  await files.tell({ keep: piece(9, 2) });
  const next = await files.tell({ id: 2, saved: 'text/plain' });
  assert.equal(await next.result.text(), '99');
});
