// Turns the core's answer objects (the command line's --json) into cards: one per kind that
// knows the code, with what the core says and nothing recomputed.
import { El } from './dom.js';
import { HashFromQuery } from './deeplink.js';

const kRelations = { win32: 'Maps to', ntstatus: 'Mapped from', hresult: 'As HRESULT' };
// Longer lists of relatives fold, so the card's own lines stay in view.
const kUnfolded = 4;

function CodeLink(hex, text = hex) {
  return El('a', { href: HashFromQuery(hex) }, text);
}

function Row(term, ...details) {
  return [El('dt', {}, term), El('dd', {}, ...details)];
}

function Description(match) {
  if (!match.description) return El('span', { class: 'none' }, '(none)');
  return El('span', {}, match.description, ' ',
    match.source ? El('span', { class: 'source' }, '[' + match.source + ']') : null);
}

// Another code named in a card: its kind, a link to its own answer, its first name and how
// many more, and its description.
function CodeReference(code) {
  const names = code.names ?? [];
  return El('span', {}, code.type + ' ', CodeLink(code.hex),
    names.length ? ' ' + names[0] + (names.length > 1 ? ' +' + (names.length - 1) : '') : '',
    code.description ? ': ' + code.description : '');
}

// Relatives grouped by how they relate, in the core's order.
function Related(related) {
  const groups = new Map();
  for (const code of related ?? []) {
    const label = kRelations[code.relation] ?? code.relation;
    if (!groups.has(label)) groups.set(label, []);
    groups.get(label).push(code);
  }
  return [...groups].flatMap(([label, codes]) => {
    if (codes.length === 1) return Row(label, CodeReference(codes[0]));
    const list = El('ul', { class: 'related' }, codes.map((code) => El('li', {}, CodeReference(code))));
    return Row(label, codes.length <= kUnfolded ? list
      : El('details', {}, El('summary', {}, codes.length + ' codes: ' +
        codes.slice(0, 3).map((code) => code.names?.[0] ?? code.hex).join(', ') + ', …'), list));
  });
}

function Names(match) {
  const names = match.names ?? [];
  if (names.length === 0) return Row('#Define', El('span', { class: 'none' }, '(none)'));
  const headers = match.headers ?? [];
  return Row(names.length > 1 ? '#Defines' : '#Define', El('ul', { class: 'names' },
    names.map((name, i) => El('li', {}, El('code', {}, name),
      headers[i] ? El('span', { class: 'header' }, ' (' + headers[i] + ')') : null))));
}

function Remedies(remedies) {
  if (!remedies || remedies.length === 0) return [];
  const pages = [...new Set(remedies.map((remedy) => remedy.page).filter(Boolean))];
  return [
    ...Row('Remedies', El('ul', { class: 'remedies' }, remedies.map((remedy) => El('li', {}, remedy.text)))),
    ...(pages.length ? Row('Remedy from', pages.join(', ')) : []),
  ];
}

// A bug check's parameters: with the arguments of a pasted bug check, each argument beside
// its meaning (from the case its arguments select); else the documented meanings and cases.
function BugCheck(match) {
  const rows = [];
  const meanings = match.case?.parameters ?? match.parameters ?? [];
  const meaning = (number) => meanings.find((parameter) => parameter.number === number)?.meaning;
  if (match.arguments) {
    match.arguments.forEach((argument, i) => {
      const text = meaning(i + 1);
      rows.push(...Row('Parameter ' + (i + 1), El('code', {}, argument), text ? ': ' + text : ''));
    });
    if (match.case) {
      rows.push(...Row('Case', 'Parameter ' + match.case.parameter + ' = ' + match.case.valueText +
        ': ' + match.case.cause));
    }
    return rows;
  }
  for (const parameter of match.parameters ?? []) {
    rows.push(...Row('Parameter ' + parameter.number, parameter.meaning));
  }
  for (const known of match.cases ?? []) {
    rows.push(...Row('When parameter ' + known.parameter + ' = ' + known.valueText,
      known.cause, El('ul', {}, (known.parameters ?? []).map((parameter) =>
        El('li', {}, 'Parameter ' + parameter.number + ': ' + parameter.meaning)))));
  }
  return rows;
}

function MatchCard(match, id) {
  const title = match.type + ' ' + match.hex;
  const rows = [
    ...Row('Status', match.status || '(none)'),
    ...(match.facility ? Row('Facility', match.facility) : []),
    ...Row('Code', match.code ?? String(match.value)),
    ...Names(match),
    ...Row('Description', Description(match)),
    ...(match.cause ? Row('Cause', match.cause) : []),
    ...(match.wraps ? Row('Wraps', CodeReference(match.wraps),
      match.wraps.macro ? ' (' + match.wraps.macro + ')' : '') : []),
    ...Related(match.related),
    ...BugCheck(match),
    ...Remedies(match.remedies),
  ];
  return El('article', { class: 'card', 'aria-labelledby': id },
    El('h4', { id }, title), El('dl', {}, rows));
}

function NamedPart(part) {
  return [part.value, part.name, part.text].filter((piece) => piece !== null && piece !== undefined && piece !== '').join(' ');
}

function ExtendCard(extend, id) {
  const rows = [
    ...(extend.phase ? Row('Phase', NamedPart(extend.phase)) : []),
    ...(extend.operation ? Row('Operation', NamedPart(extend.operation)) : []),
    ...(extend.cause ? Row('Cause', extend.cause) : []),
    ...Remedies(extend.remedies),
  ];
  return El('article', { class: 'card', 'aria-labelledby': id },
    El('h4', { id }, 'Extend code ' + extend.hex), El('dl', {}, rows));
}

function Reading(answer) {
  if (answer.reading === 'name') return 'name ' + answer.name;
  return answer.reading + ' ' + answer.hex + ' = ' + answer.value + ' = ' + answer.signed;
}

// One answer line: a rejected query, a reading nobody knows, or a card per kind.
function AnswerSection(answer, index) {
  const id = 'answer-' + index;
  if (answer.error !== undefined) {
    return El('section', { class: 'answer rejected', 'aria-labelledby': id },
      El('h3', { id, tabIndex: -1 }, answer.query ?? 'Query'),
      El('p', { class: 'error' }, String(answer.error).split('\n').join(' ')));
  }
  const cards = (answer.matches ?? []).map((match, i) => MatchCard(match, id + '-' + i));
  if (answer.extend) cards.push(ExtendCard(answer.extend, id + '-extend'));
  return El('section', { class: 'answer', 'aria-labelledby': id },
    El('h3', { id, tabIndex: -1 }, answer.query, ' ', El('span', { class: 'reading' }, Reading(answer))),
    cards.length ? El('div', { class: 'cards' }, cards)
      : El('p', { class: 'none' }, 'No kind of code knows ' + (answer.hex ?? answer.name) + '.'));
}

export function AnswerSections(answers) {
  return answers.map(AnswerSection);
}
