// The scan's files, on a thread of their own beside the scan's worker: the scanned file's
// slices, which come through the browser's pipe only while the thread that asked is free (the
// scan's is busy scanning), and the findings kept for saving as Blobs, whose bytes the browser
// copies out of the thread that makes them. Asked
//   {id, read: {blob, offset, end}}  it answers {id, result: ArrayBuffer} (transferred),
//   {id, saved: type}                it answers {id, result: Blob} of every piece kept,
// or {id, error}; told {keep: Uint8Array} it keeps a piece, told {forget: true} it drops them.
// It says {started: true} once it reads requests.
'use strict';
// The pieces kept are made into a Blob only once they come to this many bytes, or when saved:
// making one copies its bytes to the browser, which slowed the scan it ran beside by a fifth.
const kUnfoldedBytes = 64 * 1024 * 1024;
let kept = []; // Blobs
let unfolded = []; // pieces not yet in a Blob
let unfoldedBytes = 0;

function Fold() {
  if (unfolded.length > 0) kept.push(new Blob(unfolded));
  unfolded = [];
  unfoldedBytes = 0;
}

async function Answer(request) {
  if (request.read) {
    const { blob, offset, end } = request.read;
    const buffer = await blob.slice(offset, end).arrayBuffer();
    return [buffer, [buffer]];
  }
  Fold();
  return [new Blob(kept, { type: request.saved }), []];
}

self.onmessage = async (event) => {
  const request = event.data;
  if (request.keep) {
    unfolded.push(request.keep);
    unfoldedBytes += request.keep.length;
    if (unfoldedBytes >= kUnfoldedBytes) Fold();
    return;
  }
  if (request.forget) {
    kept = [];
    unfolded = [];
    unfoldedBytes = 0;
    return;
  }
  try {
    const [result, transfer] = await Answer(request);
    self.postMessage({ id: request.id, result }, transfer);
  } catch (error) {
    self.postMessage({ id: request.id, error: String(error && error.message || error) });
  }
};
self.postMessage({ started: true });
