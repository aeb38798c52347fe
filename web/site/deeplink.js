// An answer's address is the query itself after '#', so a shared link reads like what was
// typed (#0x80070005, #E_FAIL) and the back button walks through earlier answers.

// The query a location's hash asks for; "" when it asks for none. A malformed escape
// (a hand-edited link) is taken as written rather than refused.
export function QueryFromHash(hash) {
  let text = String(hash ?? '');
  if (text.startsWith('#')) text = text.slice(1);
  try {
    text = decodeURIComponent(text);
  } catch {
    // Keep the raw text: the core rejects it with its own message if it is no query.
  }
  return text.trim();
}

// The hash that asks for a query; "" for an empty one, so the address then has no answer.
// Characters that read well in an address are left unescaped.
export function HashFromQuery(query) {
  const text = String(query ?? '').trim();
  if (!text) return '';
  return '#' + encodeURIComponent(text).replace(/%(2C|3A|7B|7D|40|2F)/g,
    (escape, hex) => String.fromCharCode(parseInt(hex, 16)));
}
