import { test } from 'node:test';
import assert from 'node:assert/strict';
import { QueryFromHash, HashFromQuery } from '../../../web/site/deeplink.js';

test('a hash reads as the query it names', () => {
  const cases = [
    ['plain code', '#0x80070005', '0x80070005'],
    ['no hash', '', ''],
    ['bare #', '#', ''],
    ['undefined', undefined, ''],
    ['blanks trimmed', '#%20%20E_FAIL%20', 'E_FAIL'],
    ['several queries', '#5%0A0xC0000005', '5\n0xC0000005'],
    ['unescaped readable characters', '#BugCheck%20133,%20{0,%20501}', 'BugCheck 133, {0, 501}'],
    ['malformed escape kept as written', '#%E0%A4%A', '%E0%A4%A'],
    ['a plus stays a plus', '#a+b', 'a+b'],
  ];
  for (const [name, hash, query] of cases) assert.equal(QueryFromHash(hash), query, name);
});

test('a query and its hash round-trip', () => {
  for (const query of ['0x80070005', '-2147024891', 'E_FAIL WSAEACCES',
    'BugCheck 133, {0, 501, 500, fffff8005f8fb320}', '0xC1900101 - 0x4000D', '#5', '100%', 'Zugriff über']) {
    assert.equal(QueryFromHash(HashFromQuery(query)), query, query);
  }
});

test('a hash stays readable and never holds a second #', () => {
  assert.equal(HashFromQuery('0x80070005'), '#0x80070005');
  assert.equal(HashFromQuery('BugCheck 133, {0}'), '#BugCheck%20133,%20{0}');
  assert.equal(HashFromQuery('#5'), '#%235');
  assert.equal(HashFromQuery('   '), '');
});
