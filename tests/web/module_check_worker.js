// Loads the module as the page's worker does, then answers, searches and scans what
// module_check.py lists in check/plan.json, and posts the texts and times back.
importScripts('/build/web/quillon-core.js');

async function fetchBytes(url, gzipped) {
  const response = await fetch(url);
  const body = gzipped ? response.body.pipeThrough(new DecompressionStream('gzip')) : response.body;
  return new Uint8Array(await new Response(body).arrayBuffer());
}

async function check() {
  const plan = await (await fetch('/build/web-check/plan.json')).json();
  const result = {};
  const loadStart = performance.now();
  // The module's file beside its loader, as in the page, where the worker stands beside both.
  const core = await createQuillonCore({locateFile: (file) => '/build/web/' + file});
  const database = await fetchBytes('/build/web/data/defines-en-US.db3.gz', true);
  result.open = core.open(database, 'en-US');
  result.firstAnswer = core.answer(plan.queries[0]);
  result.loadMs = performance.now() - loadStart;
  result.damaged = core.open(new Uint8Array(4096), 'en-US');

  result.answers = plan.queries.map((query) => core.answer(query));
  const timed = performance.now();
  const rounds = 20;
  for (let round = 0; round < rounds; ++round) {
    for (const query of plan.queries) core.answer(query);
  }
  result.answerMs = (performance.now() - timed) / (rounds * plan.queries.length);
  result.names = core.searchNames(plan.namePart);
  result.texts = core.searchText(plan.text);

  // Pieces of uneven sizes, so that lines and characters are cut anywhere.
  const small = await fetchBytes('/build/web-check/scan-small.log', false);
  const scan = new core.Scan();
  const parts = [];
  for (let at = 0, step = 1; at < small.length; at += step, step = (step * 7919 + 13) % 65536 + 1) {
    parts.push(scan.feed(small.subarray(at, Math.min(at + step, small.length))));
  }
  parts.push(scan.end());
  scan.delete();
  result.scan = await new Blob(parts).text();

  // Slices of 1 MiB, as the page reads a file; only the size of the findings is kept. The
  // fastest of three runs: the first also waits for the optimising compiler.
  const log = await fetchBytes('/build/web-check/scan.log', false);
  result.scanMs = Infinity;
  for (let run = 0; run < 3; ++run) {
    const scanStart = performance.now();
    const timedScan = new core.Scan();
    let written = 0;
    for (let at = 0; at < log.length; at += 1048576) {
      written += timedScan.feed(log.subarray(at, Math.min(at + 1048576, log.length))).length;
    }
    written += timedScan.end().length;
    timedScan.delete();
    result.scanMs = Math.min(result.scanMs, performance.now() - scanStart);
    result.scanWritten = written;
  }
  result.scanBytes = log.length;

  result.german = core.open(await fetchBytes('/build/web/data/defines-de-DE.db3.gz', true), 'de-DE');
  result.germanAnswer = core.answer(plan.queries[0]);
  postMessage(result);
}

check().catch((error) => postMessage({error: String(error && error.stack || error)}));
