// Reads a file's slices for the scan's worker, on a thread of its own: a slice comes through
// the browser's pipe only while the thread that asked for it is free, and the scan's thread is
// busy scanning. Asked {id, blob, offset, end}, it answers {id, buffer} (transferred) or
// {id, error}.
'use strict';
self.onmessage = async (event) => {
  const { id, blob, offset, end } = event.data;
  try {
    const buffer = await blob.slice(offset, end).arrayBuffer();
    self.postMessage({ id, buffer }, [buffer]);
  } catch (error) {
    self.postMessage({ id, error: String(error && error.message || error) });
  }
};
