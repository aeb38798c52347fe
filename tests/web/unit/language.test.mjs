import { test } from 'node:test';
import assert from 'node:assert/strict';
import { ChooseLanguage } from '../../../web/site/language.js';

const available = ['en-US', 'de-DE', 'fr-FR', 'pt-BR', 'zh-CN'].map((tag) => ({ tag }));

test('the browser\'s first preference a database has wins', () => {
  const cases = [
    ['exact', ['de-DE', 'en-US'], 'de-DE'],
    ['another region of the language', ['de-AT'], 'de-DE'],
    ['a bare language', ['pt'], 'pt-BR'],
    ['case and underscore', ['FR_fr'], 'fr-FR'],
    ['an unknown language is skipped', ['xx-YY', 'fr'], 'fr-FR'],
    ['British English reads US English before a later German', ['en-GB', 'de-DE'], 'en-US'],
    ['nothing known falls back to English', ['ja-JP'], 'en-US'],
    ['no preferences', [], 'en-US'],
    ['preferences undefined', undefined, 'en-US'],
  ];
  for (const [name, preferred, expected] of cases) {
    assert.equal(ChooseLanguage(preferred, available), expected, name);
  }
});

test('without the list of databases, English is asked for', () => {
  assert.equal(ChooseLanguage(['de-DE'], []), 'en-US');
  assert.equal(ChooseLanguage(['de-DE'], undefined), 'en-US');
});

test('a list without English falls back to its first language', () => {
  assert.equal(ChooseLanguage(['ja'], [{ tag: 'de-DE' }, { tag: 'fr-FR' }]), 'de-DE');
});
