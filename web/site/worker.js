// The core's home: it loads the WebAssembly module and a language's database, answers the
// page's requests ({id, op, ...} -> {id, ok, result | error}) and streams a scan's progress
// ({id, progress}). The page itself never runs the core, so a long scan cannot freeze it.
'use strict';
// Asked for before the core's script is read, which takes a while.
const languagesReady = fetch('data/languages.json').then((response) => {
  if (!response.ok) throw new Error('The list of languages could not be read (' + response.status + ').');
  return response.json();
});
languagesReady.catch(() => {}); // reported when a language is opened
let reader = null; // scan-reader.js, read with the core's script

// The table holds this many rows, kept here and sent to the page a window at a time; the
// summary counts every finding.
const kMaxRows = 1000000;

// The compiled module: given by the page when a worker before this one compiled it (a scan's
// worker then starts without compiling it again), else compiled here, and lent to the page.
let compiledModule = null;
let moduleArrived = null;
const moduleGiven = self.name === 'module-given'
  ? new Promise((resolve) => { moduleArrived = resolve; })
  : Promise.resolve(null);

function CompileModule() {
  // A server that does not say application/wasm still serves the bytes.
  return WebAssembly.compileStreaming(fetch('quillon-core.wasm')).catch(() => fetch('quillon-core.wasm')
    .then((response) => response.arrayBuffer()).then((bytes) => WebAssembly.compile(bytes)));
}

// Compiled from now on, while the core's script is read.
const moduleReady = moduleGiven.then((given) => given ?? CompileModule());
moduleReady.catch(() => {}); // reported by the request that waits for the core

// The core's script is read once the first database is on its way (see Open), so that the two
// come side by side. A module that cannot be had fails the core's promise, rather than leaving
// it waiting.
let failCore = null;
const coreFailed = new Promise((resolve, reject) => { failCore = reject; });
coreFailed.catch(() => {}); // reported by the request that waits for the core
let coreReady = null;

function LoadCore() {
  importScripts('quillon-core.js', 'scan-reader.js');
  reader = self.QuillonScanReader;
  return createQuillonCore({
    instantiateWasm(imports, receiveInstance) {
      moduleReady.then(async (module) => {
        compiledModule = module;
        receiveInstance(await WebAssembly.instantiate(module, imports), module);
      }).catch((error) => failCore(new Error('The page\'s module could not be loaded: ' + error.message)));
      return {};
    },
  });
}

function CoreReady() {
  if (coreReady === null) {
    try {
      coreReady = Promise.race([coreFailed, LoadCore()]);
    } catch (error) {
      coreReady = Promise.reject(error);
    }
  }
  return coreReady;
}
let core = null;
let opened = null; // a promise of the open database's language tag
let openAsked = null; // the language of the last open asked for, while it stands
let lastScanRows = []; // the table's rows of the last scan
let lastSummary = null; // its summary (each code once, how often)
let lastSummaryRows = null; // that summary most frequent first, sorted when first asked for

// Fetches a language's gzipped database, unpacks it and opens it in the core.
async function Open(tag) {
  const entry = (await languagesReady).find((language) => language.tag === tag);
  if (!entry) throw new Error('No database for the language ' + tag + '.');
  const fetched = fetch('data/' + entry.file);
  const loaded = CoreReady();
  loaded.catch(() => {}); // told below, once the database is read
  const response = await fetched;
  if (!response.ok) throw new Error('The database ' + entry.file + ' could not be read (' + response.status + ').');
  const unpacked = response.body.pipeThrough(new DecompressionStream('gzip'));
  const bytes = new Uint8Array(await new Response(unpacked).arrayBuffer());
  core = await loaded;
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

// The thread of the scan's files (scan-files.js), made at the first scan.
let scanFiles = null;
let filesStarted = false; // the thread reads requests: a new one takes a few hundred ms to start
const filesWaiters = new Map(); // a request's id -> {resolve, reject}
let filesAsked = 0;

function ScanFiles() {
  if (scanFiles === null) {
    scanFiles = new Worker('scan-files.js');
    scanFiles.onmessage = (event) => {
      if (event.data.started) {
        filesStarted = true;
        return;
      }
      const { id, result, error } = event.data;
      const waiter = filesWaiters.get(id);
      filesWaiters.delete(id);
      if (error === undefined) waiter.resolve(result);
      else waiter.reject(new Error(error));
    };
  }
  return scanFiles;
}

function AskScanFiles(request) {
  filesAsked += 1;
  const id = filesAsked;
  return new Promise((resolve, reject) => {
    filesWaiters.set(id, { resolve, reject });
    ScanFiles().postMessage({ ...request, id });
  });
}

// The first slice is read here: nothing is scanned yet. The others come through the files'
// thread, free while this one scans, once it has started; until then they are read here too.
function ReadSlice(blob, offset, end) {
  const read = offset === 0 || !filesStarted ? blob.slice(offset, end).arrayBuffer()
    : AskScanFiles({ read: { blob, offset, end } });
  return read.catch((error) => {
    throw new Error('The file could not be read: ' + error.message);
  });
}

async function Scan(id, blob) {
  // The files' thread, when this is the worker's first scan, starts while the tables are read.
  ScanFiles().postMessage({ forget: true });
  const scan = new core.Scan();
  const summary = reader.NewSummary();
  let count = 0;
  lastScanRows = [];
  lastSummary = summary;
  lastSummaryRows = null;
  try {
    await reader.ScanBlob(blob, scan, (piece) => {
      // Kept for saving by the files' thread, as Blobs the browser may keep on disk.
      const lines = piece.lines;
      if (lines.length > 0) ScanFiles().postMessage({ keep: lines }, [lines.buffer]);
      for (const row of piece.rows) {
        reader.AddToSummary(summary, row);
        if (lastScanRows.length < kMaxRows) lastScanRows.push(row);
      }
      count += piece.rows.length;
      if (piece.rows.length > 0) lastSummaryRows = null;
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
  // while, and the first megabytes of a log would otherwise scan at half speed or less. The
  // files' thread is started too, rather than when the first slice is wanted.
  prepareScan: () => {
    ScanFiles();
    const scan = new core.Scan();
    try {
      scan.feed(WarmUpLog());
      scan.end();
    } finally {
      scan.delete();
    }
    return true;
  },
  module: () => compiledModule,
  answer: (request) => core.answer(request.input),
  searchNames: (request) => core.searchNames(request.part),
  searchText: (request) => core.searchText(request.text),
  scan: (request) => Scan(request.id, request.blob),
  saved: () => AskScanFiles({ saved: 'application/x-ndjson' }),
  rows: (request) => lastScanRows.slice(request.first, request.end),
  summary: (request) => {
    if (lastSummary === null) return [];
    lastSummaryRows ??= reader.SummaryRows(lastSummary, lastSummary.size);
    return lastSummaryRows.slice(request.first, request.end);
  },
};

self.onmessage = async (event) => {
  const request = event.data;
  if (request.op === 'given-module') {
    moduleArrived?.(request.module);
    return;
  }
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
