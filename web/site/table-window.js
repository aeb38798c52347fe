// Which rows of a long table to draw: those in view plus a margin. Only these are in the
// document, so a scan's thousands of findings cost the page what a screenful does.
// Returns {first, end} (end exclusive), clamped to [0, count].
export function VisibleRows(scrollTop, viewHeight, rowHeight, count, margin = 10) {
  if (!(rowHeight > 0) || count <= 0) return { first: 0, end: 0 };
  const top = Math.max(0, Math.floor(scrollTop / rowHeight) - margin);
  const bottom = Math.ceil((Math.max(0, scrollTop) + Math.max(0, viewHeight)) / rowHeight) + margin;
  const first = Math.min(top, count);
  return { first, end: Math.min(count, Math.max(first, bottom)) };
}
