import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';

const reader = createRequire(import.meta.url)('../../../web/site/scan-reader.js');

// A stand-in for the core's scan: a finding per "0x" word, reported when its line ends, so
// a piece boundary inside a line or a word holds findings back until the next piece. Its
// findings come as UTF-8 bytes, as the core's do.
const Bytes = (text) => new TextEncoder().encode(text);
function FakeScan() {
  let pending = '';
  let line = 0;
  const feeds = [];
  const findingsOf = (text) => text.split('\n').map((content) => {
    line += 1;
    return [...content.matchAll(/0x[0-9A-F]+/g)].map((match) => JSON.stringify({
      line, column: match.index + 1, text: match[0], hex: match[0],
      matches: [{ type: 'Win32', hex: match[0], names: ['N' + match[0]], description: 'd' + match[0] }],
    })).join('\n');
  }).filter(Boolean).map((lines) => lines + '\n').join('');
  return {
    feeds,
    feed(bytes) {
      feeds.push(bytes.length);
      pending += new TextDecoder().decode(bytes);
      const end = pending.lastIndexOf('\n');
      if (end < 0) return Bytes('');
      const complete = pending.slice(0, end);
      pending = pending.slice(end + 1);
      return Bytes(findingsOf(complete));
    },
    end() {
      const rest = pending;
      pending = '';
      return Bytes(rest ? findingsOf(rest) : '');
    },
  };
}

async function ScanAll(text, pieceBytes, scan = FakeScan()) {
  const pieces = [];
  await reader.ScanBlob(new Blob([text]), scan, (piece) => pieces.push(piece), pieceBytes);
  return { pieces, scan, rows: pieces.flatMap((piece) => piece.rows) };
}

test('findings do not depend on the size of the pieces', async () => {
  const text = 'a 0x1 b\nnothing\n0x22 0x333\n\nlast 0x4444';
  const expected = (await ScanAll(text, 1 << 20)).rows;
  assert.equal(expected.length, 4);
  for (const pieceBytes of [1, 2, 3, 7, text.length - 1, text.length]) {
    assert.deepEqual((await ScanAll(text, pieceBytes)).rows, expected, `pieces of ${pieceBytes}`);
  }
});

test('slices read ahead are scanned in order, however late each comes', async () => {
  const text = '0x1 a\n0x22\nb 0x333 c\n0x4444\n0x5\n';
  const delays = [30, 0, 20, 5, 10, 0, 25];
  const late = (blob, offset, end) => new Promise((resolve) => setTimeout(
    () => resolve(blob.slice(offset, end).arrayBuffer()), delays[offset % delays.length]));
  const rows = [];
  await reader.ScanBlob(new Blob([text]), FakeScan(), (piece) => rows.push(...piece.rows), 3, late);
  assert.deepEqual(rows, (await ScanAll(text, 1 << 20)).rows);
  const failing = () => Promise.reject(new Error('gone'));
  await assert.rejects(reader.ScanBlob(new Blob([text]), FakeScan(), () => {}, 3, failing), /gone/);
});

test('progress counts bytes up to the whole, once more at the end', async () => {
  const { pieces, scan } = await ScanAll('0x1\n0x2\n0x3\n', 5);
  assert.deepEqual(scan.feeds, [5, 5, 2]);
  assert.deepEqual(pieces.map((piece) => piece.done), [5, 10, 12, 12]);
  assert.ok(pieces.every((piece) => piece.total === 12));
  // The first slice is small: nothing is read ahead of it.
  const large = await ScanAll('0x1\n'.repeat(5 << 18), undefined);
  assert.deepEqual(large.scan.feeds, [1 << 20, 4 << 20]);
});

test('an empty file is fed nothing and still ends', async () => {
  const { pieces, scan } = await ScanAll('', 4);
  assert.deepEqual(scan.feeds, []);
  assert.deepEqual(pieces.map((piece) => [piece.done, piece.total, piece.rows.length]), [[0, 0, 0]]);
});

test('the core\'s failure stops the scan with its reason', async () => {
  const failing = { feed: () => Bytes('{"error":"out of memory"}\n'), end: () => Bytes('') };
  await assert.rejects(ScanAll('0x1\n', 4, failing), /out of memory/);
  const garbled = { feed: () => Bytes('{"line":1,\n'), end: () => Bytes('') };
  await assert.rejects(ScanAll('0x1\n', 4, garbled), /not JSON/);
});

// Lines as the core writes them, and others it might: each row as the whole line parsed gives.
test('a line\'s row is the same read in part, from the shared part or whole', () => {
  const matches = '"matches":[{"type":"Win32","value":5,"hex":"0x00000005","names":["ERROR_ACCESS_DENIED"],'
    + '"description":"Access is denied."}]';
  const lines = [
    `{"line":2,"column":66,"text":"5","reading":"decimal","value":5,"hex":"0x00000005",${matches}}`,
    `{"line":9,"column":1,"text":"5","reading":"decimal","value":5,"hex":"0x00000005",${matches}}`,
    `{"line":3,"column":7,"text":"ERROR_ACCESS_DENIED","reading":"name","name":"ERROR_ACCESS_DENIED",${matches}}`,
    `{"line":4,"column":2,"text":"\\\"0x5\u00e9","reading":"hex","value":5,"hex":"0x00000005",${matches}}`,
    `{"file":"a.log","line":5,"column":3,"text":"5","reading":"decimal","hex":"0x00000005",${matches}}`,
    '{"line":6,"column":1.5,"text":"7","hex":"0x7"}',
    '{"line":7,"column":4,"text":"7"}',
  ];
  // Parts alike in length and first bytes, told apart further on.
  lines.push(lines[0].replace('Access is denied.', 'Access is Denied.').replace('"line":2', '"line":8'));
  const cache = reader.NewRowCache();
  const rows = reader.RowsOfJsonLines(Bytes(lines.join('\n') + '\n\n' + lines.join('\n')), cache);
  const expected = lines.map((line) => reader.FindingRow(JSON.parse(line)));
  assert.deepEqual(rows, [...expected, ...expected]);
  assert.equal(rows[3].text, '"0x5\u00e9');
  assert.equal(rows[7].description, 'Access is Denied.');
  assert.ok(cache.size <= 5);
});

test('a row takes the first name and the first description among the matches', () => {
  const row = reader.FindingRow({
    line: 3, column: 9, text: '80070005', hex: '0x80070005',
    matches: [
      { type: 'Win32', names: [], description: null },
      { type: 'HRESULT', names: ['E_ACCESSDENIED', 'X'], description: null },
      { type: 'NTSTATUS', names: ['STATUS_X'], description: 'Access denied.' },
    ],
  });
  assert.deepEqual(row, { line: 3, column: 9, text: '80070005', hex: '0x80070005', query: '0x80070005',
    name: 'E_ACCESSDENIED', description: 'Access denied.' });
  assert.deepEqual(reader.FindingRow({ line: 1, column: 1, text: '7', hex: '0x7' }),
    { line: 1, column: 1, text: '7', hex: '0x7', query: '0x7', name: '', description: '' });
});

test('a name found in a log counts as its code and links to itself', () => {
  const row = reader.FindingRow({ line: 1, column: 3, text: 'E_ACCESSDENIED', reading: 'name',
    matches: [{ type: 'HRESULT', hex: '0x80070005', names: ['E_ACCESSDENIED'], description: null }] });
  assert.equal(row.hex, '0x80070005');
  assert.equal(row.query, 'E_ACCESSDENIED');
});

test('the summary counts each value once, most frequent first, ties in order found', () => {
  const summary = reader.NewSummary();
  for (const hex of ['0x5', '0x2', '0x5', '0x9', '0x2', '0x5']) {
    reader.AddToSummary(summary, { hex, name: 'N' + hex, description: '' });
  }
  assert.deepEqual(reader.SummaryRows(summary, 10).map((entry) => [entry.hex, entry.count]),
    [['0x5', 3], ['0x2', 2], ['0x9', 1]]);
  assert.equal(reader.SummaryRows(summary, 1).length, 1);
});
