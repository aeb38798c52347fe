import { test } from 'node:test';
import assert from 'node:assert/strict';
import { VisibleRows } from '../../../web/site/table-window.js';

test('the rows in view and a margin are drawn, never past either end', () => {
  const cases = [
    ['top of a long table', [0, 200, 20, 1000, 5], { first: 0, end: 15 }],
    ['scrolled into the middle', [2000, 200, 20, 1000, 5], { first: 95, end: 115 }],
    ['bottom', [19800, 200, 20, 1000, 5], { first: 985, end: 1000 }],
    ['scrolled past the end (a shrunk table)', [50000, 200, 20, 1000, 5], { first: 1000, end: 1000 }],
    ['fewer rows than fit', [0, 500, 20, 3, 5], { first: 0, end: 3 }],
    ['empty table', [0, 200, 20, 0, 5], { first: 0, end: 0 }],
    ['a row height not yet known', [0, 200, 0, 50, 5], { first: 0, end: 0 }],
    ['negative scroll (overscroll)', [-40, 200, 20, 100, 0], { first: 0, end: 10 }],
  ];
  for (const [name, args, expected] of cases) assert.deepEqual(VisibleRows(...args), expected, name);
});
