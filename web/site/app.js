// The page's glue: reads the controls, asks the worker, shows what it answers.
import { StartCore } from './core-client.js';
import { QueryFromHash, HashFromQuery } from './deeplink.js';
import { ChooseLanguage } from './language.js';
import { AnswerSections } from './cards.js';
import { El } from './dom.js';
import { LongTable } from './long-table.js';

const $ = (id) => document.getElementById(id);
const kMaxSearchResults = 200;
const kSearchDelayMs = 120;

let core = StartCore(); // answers the input; the first scan may take it, see ScanLog
let compiledModule = null; // the core's, once compiled, lent to the workers started after it
// A new worker, asked at once to open the chosen language: [the worker, that open's promise].
// A failure to open is told by the request that needs the language.
function StartOpenWorker() {
  const worker = StartCore(undefined, compiledModule);
  const opened = worker.Ask('open', { lang: $('language').value });
  opened.catch(() => {});
  return [worker, opened];
}

// The answering worker, started anew when a scan took the last one: when an answer is asked or
// the scan ends, not beside the scan's first seconds.
function Core() {
  if (!core) [core] = StartOpenWorker();
  return core;
}
let scanner = null; // the last scan's worker, kept for saving its findings
let scanning = false;
// The next scan's worker (a worker per scan, since Stop ends it), started ahead with the
// language open and the scan's tables read, so that a scan begins at once: made when the
// pointer or the focus comes to the log's form or a file is dragged in, and after each scan;
// never while one runs, nor on a visit that only looks codes up (a second module costs memory).
let nextScanner = null;

function ParseLines(text) {
  return String(text).split('\n').filter((line) => line.trim()).map((line) => JSON.parse(line));
}

function SetStatus(text) {
  $('status').textContent = text;
}

// --- Answers -----------------------------------------------------------------------------

let answerSerial = 0;

async function Answer(query, { focus = false } = {}) {
  const serial = ++answerSerial;
  // One line: a link may hold several lines of queries, which the input cannot.
  $('query').value = query.replace(/\s*\n\s*/g, ' ');
  if (!query) {
    $('answers').replaceChildren();
    return;
  }
  performance.mark('answer-start');
  let sections;
  try {
    const lines = ParseLines(await Core().Ask('answer', { input: query }));
    if (lines.length === 1 && lines[0].error !== undefined && lines[0].query === undefined) {
      throw new Error(lines[0].error);
    }
    sections = AnswerSections(lines);
  } catch (error) {
    sections = [El('p', { class: 'error', role: 'alert' }, 'No answer: ' + error.message)];
  }
  if (serial !== answerSerial) return; // a newer query is on its way
  $('answers').replaceChildren(...sections);
  performance.measure('answer', 'answer-start');
  if (focus) {
    const heading = $('answers').querySelector('h3');
    heading?.focus();
  }
}

function OnAsk(event) {
  event.preventDefault();
  const query = $('query').value.trim();
  const hash = HashFromQuery(query);
  if (hash === location.hash || (!hash && !location.hash)) Answer(query);
  else location.hash = hash; // answered by OnHashChange, and the back button returns here
}

function OnHashChange() {
  const fromInput = HashFromQuery($('query').value) === location.hash;
  Answer(QueryFromHash(location.hash), { focus: !fromInput });
}

// --- Search as you type -----------------------------------------------------------------

let searchTimer = 0;
let searchSerial = 0;
// Searches run in a worker of their own, so answers never wait behind one. A search that
// matches much takes seconds; when the text changes meanwhile, its worker is dropped and a
// fresh one started, rather than waiting for results nobody wants any more.
let searcher = null;
let searchRunning = false;

function Searcher() {
  if (!searcher) [searcher] = StartOpenWorker();
  return searcher;
}

function DropSearcher() {
  searcher?.Stop();
  searcher = null;
  searchRunning = false;
}

function SearchResult(hit) {
  return El('li', {}, El('a', { href: HashFromQuery(hit.name) }, hit.name), ' ',
    El('span', { class: 'hit-code' }, hit.type + ' ' + hit.hex),
    hit.description ? El('span', { class: 'hit-text' }, ' ' + hit.description) : null);
}

async function Search() {
  const serial = ++searchSerial;
  const text = $('search').value.trim();
  const inText = document.querySelector('input[name="search-in"]:checked').value === 'text';
  if (searchRunning) DropSearcher();
  if (!text) {
    $('search-results').replaceChildren();
    $('search-status').textContent = '';
    return;
  }
  $('search-status').textContent = 'Searching…';
  const worker = Searcher();
  searchRunning = true;
  let hits;
  try {
    hits = ParseLines(await worker.Ask(inText ? 'searchText' : 'searchNames', inText ? { text } : { part: text }));
    const failure = hits.find((hit) => hit.error !== undefined);
    if (failure) throw new Error(failure.error);
  } catch (error) {
    if (serial === searchSerial) $('search-status').textContent = 'No search: ' + error.message;
    return;
  } finally {
    if (worker === searcher) searchRunning = false;
  }
  if (serial !== searchSerial) return; // typed on since
  $('search-results').replaceChildren(...hits.slice(0, kMaxSearchResults).map(SearchResult));
  $('search-status').textContent = hits.length === 0 ? 'Nothing found.'
    : hits.length > kMaxSearchResults ? `${hits.length} found, the first ${kMaxSearchResults} shown.`
      : `${hits.length} found.`;
}

function OnSearchInput() {
  clearTimeout(searchTimer);
  searchTimer = setTimeout(Search, kSearchDelayMs);
}

// --- The log ----------------------------------------------------------------------------

// Cells are one line; the title holds what the width cuts off.
function FindingRowElement(row) {
  return El('tr', {},
    El('td', {}, row.line), El('td', {}, row.column),
    El('td', { title: row.text }, El('a', { href: HashFromQuery(row.query) }, row.text)),
    El('td', { title: row.name }, row.name), El('td', { title: row.description }, row.description));
}

function SummaryRowElement(entry) {
  return El('tr', {},
    El('td', {}, El('a', { href: HashFromQuery(entry.hex) }, entry.hex)),
    El('td', { title: entry.name }, entry.name), El('td', {}, entry.count));
}

let findingsTable = null;
let summaryTable = null;

// Lays a copy of the scan's tables out, unseen, while the page is idle, and removes it: on Linux
// each face and size of text is looked up once by a synchronous request to the browser, which
// during a scan is busy reading the file, and the findings' first drawing then took 100 to 150 ms.
function PrimeScanFonts() {
  const copy = $('scan-results').cloneNode(true);
  for (const element of copy.querySelectorAll('[id]')) element.removeAttribute('id');
  copy.removeAttribute('id');
  copy.hidden = false;
  copy.classList.add('primer');
  copy.setAttribute('aria-hidden', 'true');
  const [findings, summary] = copy.querySelectorAll('tbody');
  findings.append(FindingRowElement({ line: 1, column: 1, text: '0x5', query: '0x5', name: 'A', description: 'A' }));
  summary.append(SummaryRowElement({ hex: '0x5', name: 'A', count: 1 }));
  document.body.append(copy);
  copy.getBoundingClientRect();
  copy.remove();
}

function ScanStatus(progress, finished) {
  const size = (bytes) => bytes < 1e6 ? `${bytes} bytes` : `${(bytes / 1e6).toFixed(bytes < 1e7 ? 1 : 0)} MB`;
  const read = finished ? `Scanned ${size(progress.total)}`
    : `Scanning: ${size(progress.done)} of ${size(progress.total)}`;
  const count = (n, what) => `${n} ${what}${n === 1 ? '' : 's'}`;
  const found = `${count(progress.count, 'finding')}, ${count(progress.distinct, 'distinct code')}`;
  const rows = findingsTable.count;
  const shown = progress.count > rows ? ` (the table holds the first ${rows}; the summary counts all)` : '';
  return `${read}; ${found}${shown}.`;
}

let lastProgress = null;

function OnScanProgress(progress) {
  $('scan-progress').value = progress.total ? progress.done / progress.total : 1;
  findingsTable.SetCount(progress.rows);
  summaryTable.SetCount(progress.distinct);
  $('scan-results').hidden = progress.count === 0;
  $('scan-status').textContent = ScanStatus(progress, false);
  lastProgress = progress;
}

function ReadyNextScanner() {
  if (nextScanner || scanning) return;
  const [worker, opened] = StartOpenWorker();
  nextScanner = worker;
  // Not prepared once a scan has taken it: that scan reads its tables as it begins. A failure
  // here is met again, and told, when a scan asks.
  opened.then(() => {
    if (nextScanner === worker) return worker.Ask('prepareScan');
    return null;
  }).catch(() => {});
}

// The scan runs in a worker of its own, so answers and searches go on meanwhile and Stop
// simply ends it.
async function ScanLog(blob) {
  StopScan();
  scanner?.Stop();
  let worker = nextScanner;
  nextScanner = null;
  if (!worker) {
    // None readied: the answering worker, its database open, scans at once, and a new one
    // will answer, rather than the scan waiting for a new worker to load.
    worker = Core();
    core = null;
  }
  scanner = worker;
  scanning = true;
  findingsTable.SetCount(0, true);
  summaryTable.SetCount(0, true);
  $('scan-results').hidden = true;
  $('scan-state').hidden = false;
  $('scan-stop').hidden = false;
  $('scan-save').hidden = true;
  $('scan-progress').value = 0;
  $('scan-status').textContent = 'Starting the scan…';
  lastProgress = null;
  performance.mark('scan-start');
  try {
    await worker.Ask('open', { lang: $('language').value });
    const result = await worker.Ask('scan', { blob }, OnScanProgress);
    $('scan-status').textContent = ScanStatus({ ...lastProgress, ...result, total: result.bytes }, true);
    $('scan-progress').value = 1;
    $('scan-save').hidden = result.count === 0;
    performance.measure('scan', 'scan-start');
  } catch (error) {
    if (scanner === worker) $('scan-status').textContent = 'The scan stopped: ' + error.message;
  } finally {
    if (scanner === worker) {
      scanning = false;
      $('scan-stop').hidden = true;
    }
    Core();
    ReadyNextScanner();
  }
}

function StopScan() {
  if (!scanning) return;
  const worker = scanner;
  scanner = null;
  scanning = false;
  worker.Stop();
  $('scan-stop').hidden = true;
  $('scan-status').textContent = 'Scan stopped.';
}

async function SaveFindings() {
  if (!scanner) return;
  const blob = await scanner.Ask('saved');
  const link = El('a', { href: URL.createObjectURL(blob), download: 'quillon-findings.jsonl' });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

function OnLogSubmit(event) {
  event.preventDefault();
  const text = $('log-text').value;
  if (!text.trim()) {
    $('scan-state').hidden = false;
    $('scan-status').textContent = 'Paste a log first, or choose a file.';
    return;
  }
  ScanLog(new Blob([text]));
}

function OnDrop(event) {
  event.preventDefault();
  const file = event.dataTransfer?.files?.[0];
  if (file) ScanLog(file);
}

// --- Language, keys, offline --------------------------------------------------------------

async function OpenLanguage(tag) {
  SetStatus('Loading the definitions…');
  try {
    await Core().Ask('open', { lang: tag });
    SetStatus('');
    if (!compiledModule) {
      Core().Ask('module').then((module) => { compiledModule = module; }).catch(() => {
        // Each worker then compiles its own.
      });
    }
    // The page speaks English; the descriptions speak the chosen language.
    for (const id of ['answers', 'search-results', 'scan-results']) $(id).lang = tag;
    KeepOffline(tag);
  } catch (error) {
    SetStatus('The definitions could not be loaded: ' + error.message);
    return;
  }
  try {
    localStorage.setItem('quillon-language', tag);
  } catch {
    // A page without storage just asks again next time.
  }
}

async function StartLanguages() {
  let languages = [];
  try {
    const response = await fetch('data/languages.json');
    languages = await response.json();
  } catch {
    // English alone, as the select already offers.
  }
  if (languages.length) {
    $('language').replaceChildren(...languages.map((language) =>
      El('option', { value: language.tag }, language.name)));
  }
  let remembered = null;
  try { remembered = localStorage.getItem('quillon-language'); } catch { /* none */ }
  const tag = ChooseLanguage([remembered, ...navigator.languages].filter(Boolean), languages);
  $('language').value = tag;
  await OpenLanguage(tag);
}

async function OnLanguageChange() {
  const tag = $('language').value;
  DropSearcher();
  nextScanner?.Stop();
  nextScanner = null;
  await OpenLanguage(tag);
  ReadyNextScanner();
  Answer(QueryFromHash(location.hash));
  if ($('search').value.trim()) Search();
}

function OnKey(event) {
  const target = event.target;
  const typing = target.closest('input, textarea, select, [contenteditable]');
  if (event.key === '/' && !typing && !event.ctrlKey && !event.metaKey && !event.altKey) {
    event.preventDefault();
    $('query').focus();
    $('query').select();
  } else if (event.key === 'Escape') {
    // A pasted log is not cleared by a stray Escape; the short inputs are.
    if (target === $('query') || target === $('search')) {
      target.value = '';
      if (target === $('search')) Search();
    } else if (scanning) {
      StopScan();
    }
  }
}

// The service worker keeps the page and English; a language chosen later is kept too, so the
// page answers in it offline.
async function KeepOffline(tag) {
  if (!('serviceWorker' in navigator)) return;
  const registration = await navigator.serviceWorker.ready;
  registration.active?.postMessage({ keepLanguage: tag });
}

function StartOffline() {
  if (!('serviceWorker' in navigator)) {
    $('offline').textContent = 'This browser cannot keep the page for offline use.';
    return;
  }
  navigator.serviceWorker.register('sw.js').then(() => navigator.serviceWorker.ready).then(() => {
    $('offline').textContent = 'Kept for offline use.';
  }).catch(() => {
    $('offline').textContent = 'The page could not be kept for offline use.';
  });
}

function Start() {
  findingsTable = LongTable($('findings'), $('findings').closest('.table-box'), FindingRowElement,
    (first, end) => scanner ? scanner.Ask('rows', { first, end }) : Promise.resolve([]));
  summaryTable = LongTable($('summary'), $('summary').closest('.table-box'), SummaryRowElement,
    (first, end) => scanner ? scanner.Ask('summary', { first, end }) : Promise.resolve([]));
  $('ask-form').addEventListener('submit', OnAsk);
  window.addEventListener('hashchange', OnHashChange);
  $('search-form').addEventListener('submit', (event) => { event.preventDefault(); Search(); });
  $('search').addEventListener('input', OnSearchInput);
  for (const radio of document.querySelectorAll('input[name="search-in"]')) {
    radio.addEventListener('change', Search);
  }
  $('log-form').addEventListener('submit', OnLogSubmit);
  $('log-file').addEventListener('change', () => {
    const file = $('log-file').files[0];
    if (file) ScanLog(file);
  });
  // A file dropped anywhere is scanned, rather than opened in place of the page.
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', OnDrop);
  $('scan-stop').addEventListener('click', StopScan);
  $('scan-save').addEventListener('click', SaveFindings);
  $('language').addEventListener('change', OnLanguageChange);
  document.addEventListener('keydown', OnKey);
  if (window.requestIdleCallback) requestIdleCallback(PrimeScanFonts, { timeout: 1000 });
  else setTimeout(PrimeScanFonts);
  // The offline copy is made after the first load, not in its way.
  StartLanguages().then(() => {
    if (location.hash) Answer(QueryFromHash(location.hash));
    StartOffline();
    for (const [target, type] of [[$('log-form'), 'pointerover'], [$('log-form'), 'focusin'],
      [document, 'dragenter']]) {
      target.addEventListener(type, ReadyNextScanner, { once: true });
    }
  });
}

Start();
