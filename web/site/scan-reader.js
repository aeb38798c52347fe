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
  // repeats with each code of a log. The line is read as bytes, never decoded whole: its two
  // numbers from their digits, and the row's other fields from a part kept for the same bytes,
  // parsed once per distinct part. Decoding and splitting the findings' text took longer than
  // reading them.
  const Encoded = (text) => new TextEncoder().encode(text);
  const kLineKey = Encoded('{"line":');
  const kColumnKey = Encoded(',"column":');
  const kTextKey = Encoded(',"text":');
  const kKeptParts = 4096;
  // Parts are looked up by their length and first bytes, then compared whole.
  const kKeyBytes = 40;
  const kNewline = 10;
  const decoder = new TextDecoder();

  // The parts seen, each with its row's shared fields: {parts: Map of key -> [{bytes, shared}],
  // size}.
  function NewRowCache() {
    return { parts: new Map(), size: 0 };
  }

  // Whether bytes hold key from at on.
  function HasAt(bytes, at, key) {
    if (bytes.length - at < key.length) return false;
    for (let i = 0; i < key.length; i += 1) {
      if (bytes[at + i] !== key[i]) return false;
    }
    return true;
  }

  // The digits from at on: [value, where they end]; the end is at when there are none.
  function DigitsAt(bytes, at, end) {
    let value = 0;
    let i = at;
    while (i < end && bytes[i] >= 0x30 && bytes[i] <= 0x39) {
      value = value * 10 + (bytes[i] - 0x30);
      i += 1;
    }
    return [value, i];
  }

  // The row's fields of the part from "text" on, from the cache or parsed.
  function SharedPart(bytes, from, end, cache) {
    let key = 0x811c9dc5 ^ (end - from);
    for (let i = from, last = Math.min(end, from + kKeyBytes); i < last; i += 1) {
      key = Math.imul(key ^ bytes[i], 16777619);
    }
    let seen = cache.parts.get(key);
    for (const part of seen ?? []) {
      if (part.bytes.length === end - from && HasAt(bytes, from, part.bytes)) return part.shared;
    }
    // From "text" to the end, as an object of its own: {"text":...}.
    const shared = FindingRow(JSON.parse('{' + decoder.decode(bytes.subarray(from + 1, end))));
    if (cache.size >= kKeptParts) {
      cache.parts.clear();
      cache.size = 0;
      seen = undefined;
    }
    if (seen === undefined) cache.parts.set(key, seen = []);
    seen.push({ bytes: bytes.slice(from, end), shared });
    cache.size += 1;
    return shared;
  }

  // The row of the line from start to end, or null for a blank line.
  function RowOfLine(bytes, start, end, cache) {
    let number = -1;
    let column = -1;
    let textAt = -1;
    if (HasAt(bytes, start, kLineKey)) {
      const [value, after] = DigitsAt(bytes, start + kLineKey.length, end);
      if (after > start + kLineKey.length && HasAt(bytes, after, kColumnKey)) {
        number = value;
        [column, textAt] = DigitsAt(bytes, after + kColumnKey.length, end);
        if (textAt === after + kColumnKey.length || !HasAt(bytes, textAt, kTextKey)) textAt = -1;
      }
    }
    if (textAt < 0) {
      // Any other line, a failure's among them, is read whole.
      const line = decoder.decode(bytes.subarray(start, end));
      if (!line.trim()) return null;
      const finding = JSON.parse(line);
      const failure = FailureOf(finding);
      if (failure !== null) throw new ScanFailure(failure);
      return FindingRow(finding);
    }
    const shared = SharedPart(bytes, textAt, end, cache);
    return { line: number, column, text: shared.text, hex: shared.hex, query: shared.query,
      name: shared.name, description: shared.description };
  }

  // The core's own reason for ending a scan, told apart from a line it garbled.
  class ScanFailure extends Error {}

  // The table's rows of JSON Lines given as UTF-8 bytes, one per finding. A line that is not
  // JSON is a fault of the core; it is reported, never skipped silently.
  function RowsOfJsonLines(bytes, cache = NewRowCache()) {
    const rows = [];
    for (let start = 0; start < bytes.length;) {
      let end = bytes.indexOf(kNewline, start);
      if (end < 0) end = bytes.length;
      try {
        const row = RowOfLine(bytes, start, end, cache);
        if (row !== null) rows.push(row);
      } catch (error) {
        if (error instanceof ScanFailure) throw error;
        throw new Error('The core wrote a line that is not JSON: '
          + decoder.decode(bytes.subarray(start, Math.min(end, start + 80))));
      }
      start = end + 1;
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
    // Each piece of the core's ends with a whole line.
    const take = (bytes, done) => {
      onPiece({ lines: bytes, rows: RowsOfJsonLines(bytes, cache), done, total });
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
    kPieceBytes, NewRowCache, RowsOfJsonLines, FailureOf, FindingRow, NewSummary, AddToSummary,
    SummaryRows, ScanBlob,
  });
})(typeof module === 'object' ? module.exports : (self.QuillonScanReader = {}));
