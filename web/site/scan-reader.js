// The scan's bookkeeping in the worker: a file read in slices and fed to the core's scan, its
// findings (JSON Lines, as UTF-8 bytes) turned into the table's rows and the summary the page
// shows, and every line kept for saving. A plain script, so the classic worker can
// importScripts it and the unit tests can require it.
(function (exports) {
  'use strict';

  // Large enough that reading a slice costs little beside scanning it, small enough that
  // progress moves several times a second.
  const kPieceBytes = 8 * 1024 * 1024;

  // A finding's line as the core writes it begins {"line":L,"column":C,"text":... and the part
  // from "text" on (the code as written, its reading and its matches: most of the line)
  // repeats with each code of a log. That part is parsed once per distinct text and the row's
  // fields it gives are shared; only the two numbers are read from each line.
  const kLineKey = '{"line":';
  const kColumnKey = ',"column":';
  const kTextKey = ',"text":';
  const kKeptParts = 4096;

  function NewRowCache() {
    return new Map();
  }

  function RowOfLine(line, cache) {
    const columnAt = line.startsWith(kLineKey) ? line.indexOf(kColumnKey, kLineKey.length) : -1;
    const textAt = columnAt < 0 ? -1 : line.indexOf(kTextKey, columnAt);
    const number = Number(line.slice(kLineKey.length, columnAt));
    const column = Number(line.slice(columnAt + kColumnKey.length, textAt));
    if (textAt < 0 || !Number.isInteger(number) || !Number.isInteger(column)) {
      // Any other line, a failure's among them, is read whole.
      const finding = JSON.parse(line);
      const failure = FailureOf(finding);
      if (failure !== null) throw new ScanFailure(failure);
      return FindingRow(finding);
    }
    const rest = line.slice(textAt);
    let shared = cache.get(rest);
    if (shared === undefined) {
      // From "text" to the end, as an object of its own: {"text":...}.
      shared = FindingRow(JSON.parse('{' + rest.slice(1)));
      if (cache.size >= kKeptParts) cache.clear();
      cache.set(rest, shared);
    }
    return { line: number, column, text: shared.text, hex: shared.hex, query: shared.query,
      name: shared.name, description: shared.description };
  }

  // The core's own reason for ending a scan, told apart from a line it garbled.
  class ScanFailure extends Error {}

  // The table's rows of a text of JSON Lines, one per finding. A line that is not JSON is a
  // fault of the core; it is reported, never skipped silently.
  function RowsOfJsonLines(text, cache = NewRowCache()) {
    const rows = [];
    for (const line of text.split('\n')) {
      if (!line.trim()) continue;
      try {
        rows.push(RowOfLine(line, cache));
      } catch (error) {
        if (error instanceof ScanFailure) throw error;
        throw new Error('The core wrote a line that is not JSON: ' + line.slice(0, 80));
      }
    }
    return rows;
  }

  // A failure comes as one line {"error": ...} with no finding's keys.
  function FailureOf(object) {
    return object && typeof object.error === 'string' && object.line === undefined
      ? object.error : null;
  }

  // The table's row for a finding: the first name and the first description among its
  // matches (the core orders them), the code as written, the value it was read as (a name's
  // is its first match's) and what its link asks: the number, or the name as written.
  function FindingRow(finding) {
    const matches = finding.matches ?? [];
    const named = matches.find((match) => (match.names ?? []).length > 0);
    const described = matches.find((match) => match.description);
    return {
      line: finding.line,
      column: finding.column,
      text: finding.text,
      hex: finding.hex ?? (matches[0] ? matches[0].hex : finding.text),
      query: finding.hex ?? finding.text,
      name: named ? named.names[0] : '',
      description: described ? described.description : '',
    };
  }

  // Each code once (by its value), how often, and the row of its first sighting.
  function NewSummary() {
    return new Map();
  }

  function AddToSummary(summary, row) {
    const entry = summary.get(row.hex);
    if (entry) entry.count += 1;
    else summary.set(row.hex, { hex: row.hex, name: row.name, description: row.description, count: 1 });
  }

  // The most frequent codes first; ties in the order they were first found.
  function SummaryRows(summary, limit) {
    const entries = [...summary.values()];
    entries.sort((a, b) => b.count - a.count);
    return entries.slice(0, limit);
  }

  // Slices asked for ahead of the one scanned, so that the next is there when the scan wants it;
  // the first is small, as nothing is read ahead of it.
  const kSlicesAhead = 2;
  const kFirstPieceBytes = 1024 * 1024;

  function ReadSlice(blob, offset, end) {
    return blob.slice(offset, end).arrayBuffer();
  }

  // Feeds a Blob to a scan (feed/end as the core's Scan, giving UTF-8 bytes) in slices of
  // pieceBytes, calling onPiece({lines, rows, done, total}) after each slice and after the
  // end, lines the bytes as the core wrote them and rows a row per finding. Slices come from
  // read(blob, offset, end), a promise of an ArrayBuffer. Throws the core's reason on a failure.
  async function ScanBlob(blob, scan, onPiece, pieceBytes = kPieceBytes, read = ReadSlice) {
    const total = blob.size;
    const cache = NewRowCache();
    // Each piece of the core's ends with a whole line, so it decodes on its own.
    const decoder = new TextDecoder();
    const take = (bytes, done) => {
      onPiece({ lines: bytes, rows: RowsOfJsonLines(decoder.decode(bytes), cache), done, total });
    };
    const asked = []; // {end, bytes}
    let askAt = 0;
    const askNext = () => {
      const size = askAt === 0 ? Math.min(pieceBytes, kFirstPieceBytes) : pieceBytes;
      const end = Math.min(total, askAt + size);
      const bytes = read(blob, askAt, end);
      bytes.catch(() => {}); // a slice asked for ahead fails unseen when the scan failed first
      asked.push({ end, bytes });
      askAt = end;
    };
    while (askAt < total && asked.length < kSlicesAhead) askNext();
    while (asked.length > 0) {
      const slice = asked.shift();
      const bytes = new Uint8Array(await slice.bytes);
      if (askAt < total) askNext();
      take(scan.feed(bytes), slice.end);
    }
    take(scan.end(), total);
  }

  Object.assign(exports, {
    kPieceBytes, RowsOfJsonLines, FailureOf, FindingRow, NewSummary, AddToSummary, SummaryRows,
    ScanBlob,
  });
})(typeof module === 'object' ? module.exports : (self.QuillonScanReader = {}));
