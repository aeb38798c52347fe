// Which database language suits the browser: the first preference that a database has
// exactly, else one of the same language in another region (de-AT reads de-DE), else the
// fallback. Tags compare without case, '_' read as '-' (de_DE as some systems write it).
export function ChooseLanguage(preferred, available, fallback = 'en-US') {
  const tags = (available ?? []).map((entry) => entry.tag);
  const normal = (tag) => String(tag).replace(/_/g, '-').toLowerCase();
  const primary = (tag) => normal(tag).split('-')[0];
  for (const wish of preferred ?? []) {
    const exact = tags.find((tag) => normal(tag) === normal(wish));
    if (exact) return exact;
    const sameLanguage = tags.find((tag) => primary(tag) === primary(wish));
    if (sameLanguage) return sameLanguage;
  }
  return tags.includes(fallback) || tags.length === 0 ? fallback : tags[0];
}
