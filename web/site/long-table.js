// A table of any length that keeps only the rows in view in the document (with spacer rows
// standing for the others), drawn at most once a frame. Rows are one line high, so a row's
// height, measured once, places every row.
import { VisibleRows } from './table-window.js';
import { El } from './dom.js';

export function LongTable(table, box, rowElement) {
  const body = table.tBodies[0];
  const columns = table.tHead.rows[0].cells.length;
  let rows = [];
  let rowHeight = 0;
  let scheduled = false;

  const spacer = (height) => El('tr', { class: 'spacer', 'aria-hidden': 'true' },
    El('td', { colSpan: columns, style: `height:${height}px` }));

  function Draw() {
    scheduled = false;
    table.setAttribute('aria-rowcount', String(rows.length + 1));
    if (!rowHeight && rows.length) {
      body.replaceChildren(rowElement(rows[0]));
      rowHeight = body.rows[0].getBoundingClientRect().height || 24;
    }
    const { first, end } = VisibleRows(box.scrollTop, box.clientHeight || 600, rowHeight, rows.length);
    const drawn = [];
    for (let i = first; i < end; i += 1) {
      const row = rowElement(rows[i]);
      row.setAttribute('aria-rowindex', String(i + 2));
      drawn.push(row);
    }
    body.replaceChildren(spacer(first * rowHeight), ...drawn, spacer((rows.length - end) * rowHeight));
  }

  function Schedule() {
    if (scheduled) return;
    scheduled = true;
    requestAnimationFrame(Draw);
  }

  box.addEventListener('scroll', Schedule, { passive: true });
  return {
    Set(newRows) { rows = newRows; Schedule(); },
    Add(moreRows) { for (const row of moreRows) rows.push(row); Schedule(); },
    get count() { return rows.length; },
  };
}
