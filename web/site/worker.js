// The core's home: it loads the WebAssembly module and a language's database, answers the
// page's requests ({id, op, ...} -> {id, ok, result | error}) and streams a scan's progress
// ({id, progress}). The page itself never runs the core, so a long scan cannot freeze it.
'use strict';
// Asked for before the module's script is read and compiled, which takes a while.
const languagesReady = fetch('data/languages.json').then((response) => {
  if (!response.ok) throw new Error('The list of languages could not be read (' + response.status + ').');
  return response.json();
});
languagesReady.catch(() => {}); // reported when a language is opened
importScripts('quillon-core.js', 'scan-reader.js');
const reader = self.QuillonScanReader;

// The table holds this many rows, kept here and sent to the page a window at a time; the
// summary counts every finding.
const kMaxRows = 1000000;

// Compiled while the page still reads its list of languages.
const coreReady = createQuillonCore();
let core = null;
let opened = null; // a promise of the open database's language tag
let openAsked = null; // the language of the last open asked for, while it stands
let lastScanParts = []; // the last scan's findings as the core wrote them, for saving
let lastScanRows = []; // the table's rows of the last scan
let lastSummaryRows = []; // its summary, most frequent first

// Fetches a language's gzipped database, unpacks it and opens it in the core.
async function Open(tag) {
  const entry = (await languagesReady).find((language) => language.tag === tag);
  if (!entry) throw new Error('No database for the language ' + tag + '.');
  const response = await fetch('data/' + entry.file);
  if (!response.ok) throw new Error('The database ' + entry.file + ' could not be read (' + response.status + ').');
  const unpacked = response.body.pipeThrough(new DecompressionStream('gzip'));
  const bytes = new Uint8Array(await new Response(unpacked).arrayBuffer());
  core = await coreReady;
  const reason = core.open(bytes, tag);
  if (reason) throw new Error(reason);
  return tag;
}

// About a megabyte of log lines, with codes in a few of the forms the scan reads.
function WarmUpLog() {
  const lines = [];
  for (let n = 0; n < 12000; n += 1) {
    lines.push(n % 20 === 0
      ? `2026-12-08 10:00:${n % 60} ERROR CreateFile failed: hr=0x80070005, exit code: ${1600 + n % 20}`
      : `2026-12-08 10:00:${n % 60} INFO  [worker-${n}] request ${n * 7} served in ${n % 97} ms`);
  }
  return new TextEncoder().encode(lines.join('\n') + '\n');
}

// The thread that reads a scanned file's slices (slice-reader.js), made at the first scan.
let sliceReader = null;
const sliceWaiters = new Map(); // a slice's id -> {resolve, reject}
let slicesAsked = 0;

function ReadSlice(blob, offset, end) {
  if (sliceReader === null) {
    sliceReader = new Worker('slice-reader.js');
    sliceReader.onmessage = (event) => {
      const { id, buffer, error } = event.data;
      const waiter = sliceWaiters.get(id);
      sliceWaiters.delete(id);
      if (error === undefined) waiter.resolve(buffer);
      else waiter.reject(new Error('The file could not be read: ' + error));
    };
  }
  slicesAsked += 1;
  const id = slicesAsked;
  return new Promise((resolve, reject) => {
    sliceWaiters.set(id, { resolve, reject });
    sliceReader.postMessage({ id, blob, offset, end });
  });
}

async function Scan(id, blob) {
  const scan = new core.Scan();
  const summary = reader.NewSummary();
  let count = 0;
  lastScanParts = [];
  lastScanRows = [];
  lastSummaryRows = [];
  try {
    await reader.ScanBlob(blob, scan, (piece) => {
      // As Blobs, which the browser may keep on disk, rather than as strings in this heap.
      if (piece.lines.length > 0) lastScanParts.push(new Blob([piece.lines]));
      for (const row of piece.rows) {
        reader.AddToSummary(summary, row);
        if (lastScanRows.length < kMaxRows) lastScanRows.push(row);
      }
      count += piece.rows.length;
      if (piece.rows.length > 0) lastSummaryRows = reader.SummaryRows(summary, summary.size);
      self.postMessage({ id, progress: {
        done: piece.done, total: piece.total, count, rows: lastScanRows.length, distinct: summary.size,
      } });
    }, reader.kPieceBytes, ReadSlice);
  } finally {
    scan.delete();
  }
  return { count, distinct: summary.size, bytes: blob.size };
}

const handlers = {
  // A language that fails to load leaves the one open before in use.
  open: (request) => {
    // Asked again for the language open or opening (a scan's worker started ahead).
    if (request.lang === openAsked) return opened;
    const previous = opened;
    const previousAsked = openAsked;
    const attempt = Open(request.lang);
    openAsked = request.lang;
    opened = attempt.catch((error) => {
      openAsked = previousAsked;
      return previous ?? Promise.reject(error);
    });
    return attempt;
  },
  // The scan's tables (the names and codes it looks for) are read once per database, and a
  // sample log is scanned: the browser optimises the module's code only once it has run a
  // while, and the first megabytes of a log would otherwise scan at half speed or less.
  prepareScan: () => {
    const scan = new core.Scan();
    try {
      scan.feed(WarmUpLog());
      scan.end();
    } finally {
      scan.delete();
    }
    return true;
  },
  answer: (request) => core.answer(request.input),
  searchNames: (request) => core.searchNames(request.part),
  searchText: (request) => core.searchText(request.text),
  scan: (request) => Scan(request.id, request.blob),
  saved: () => new Blob(lastScanParts, { type: 'application/x-ndjson' }),
  rows: (request) => lastScanRows.slice(request.first, request.end),
  summary: (request) => lastSummaryRows.slice(request.first, request.end),
};

self.onmessage = async (event) => {
  const request = event.data;
  try {
    const handler = handlers[request.op];
    if (!handler) throw new Error('Unknown request ' + request.op + '.');
    if (request.op !== 'open') {
      if (!opened) throw new Error('No database is open yet.');
      await opened;
    }
    self.postMessage({ id: request.id, ok: true, result: await handler(request) });
  } catch (error) {
    self.postMessage({ id: request.id, ok: false, error: String(error && error.message || error) });
  }
};
