// A table of any length that keeps only the rows in view in the document (with spacer rows
// standing for the others), drawn at most once a frame. The rows themselves stay with their
// source (the scan's worker holds a scan's findings) and are asked for a window at a time, so
// a long scan costs the page what a screenful does. Rows are one line high, so a row's
// height, measured once, places every row.
import { VisibleRows } from './table-window.js';
import { El } from './dom.js';

// rowsOf(first, end) -> a promise of the rows [first, end) of the source.
export function LongTable(table, box, rowElement, rowsOf) {
  const body = table.tBodies[0];
  const columns = table.tHead.rows[0].cells.length;
  let count = 0;
  let rowHeight = 0;
  let scheduled = false;
  let drawSerial = 0;
  // Kept from events, so drawing never asks for a layout that another table just spoiled.
  let scrollTop = 0;
  let viewHeight = 600;

  const spacer = (height) => El('tr', { class: 'spacer', 'aria-hidden': 'true' },
    El('td', { colSpan: columns, style: `height:${height}px` }));

  async function Draw() {
    scheduled = false;
    const serial = ++drawSerial;
    table.setAttribute('aria-rowcount', String(count + 1));
    if (!rowHeight && count) {
      const [first] = await rowsOf(0, 1);
      if (serial !== drawSerial || !first) return;
      body.replaceChildren(rowElement(first));
      rowHeight = body.rows[0].getBoundingClientRect().height || 24;
    }
    const { first, end } = VisibleRows(scrollTop, viewHeight, rowHeight, count);
    const rows = end > first ? await rowsOf(first, end) : [];
    if (serial !== drawSerial) return; // a later draw is on its way
    const drawn = rows.map((row, i) => {
      const element = rowElement(row);
      element.setAttribute('aria-rowindex', String(first + i + 2));
      return element;
    });
    body.replaceChildren(spacer(first * rowHeight), ...drawn,
      spacer((count - first - rows.length) * rowHeight));
  }

  function Schedule() {
    if (scheduled) return;
    scheduled = true;
    requestAnimationFrame(() => Draw().catch(() => {
      // A source that went away (a stopped scan) leaves the rows drawn last.
    }));
  }

  box.addEventListener('scroll', () => {
    scrollTop = box.scrollTop;
    Schedule();
  }, { passive: true });
  new ResizeObserver((entries) => {
    const height = entries[0].contentRect.height;
    if (height > 0 && height !== viewHeight) {
      viewHeight = height;
      Schedule();
    }
  }).observe(box);

  return {
    // The source has newCount rows now; fromStart when they are other rows than before.
    SetCount(newCount, fromStart = false) {
      count = newCount;
      if (fromStart) {
        box.scrollTop = 0;
        scrollTop = 0;
      }
      Schedule();
    },
    get count() { return count; },
  };
}
