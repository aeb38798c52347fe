// The page in Debian's Chromium, driven headless: answers, deep links, a large log, offline,
// requests, keyboard, accessibility and a phone's width. Needs build/web (scripts/build-web)
// and, for the log's comparison, build/release/quillon-cli.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { Serve } from './server.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const site = process.env.QUILLON_WEB ?? path.join(root, 'build/web');
const cli = process.env.QUILLON_CLI ?? path.join(root, 'build/release/quillon-cli');
const work = path.join(root, 'build/web-test');
const axePath = path.join(root, 'node_modules/axe-core/axe.min.js');

let browser;
let served;
const requests = []; // every URL any page of any test asked for

before(async () => {
  served = await Serve(site);
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', args: ['--no-sandbox'] });
});

after(async () => {
  await browser?.close();
  await served?.close();
});

// A fresh context (no service worker, no cache) whose page fails the test on a script error.
async function OpenPage(hash = '', options = {}) {
  const context = await browser.newContext(options);
  context.on('request', (request) => requests.push(request.url()));
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(served.url + hash);
  return { context, page, errors };
}

// Types a query, presses Enter and waits for the page to show its answer (the page marks
// each answer shown with a performance measure).
async function Ask(page, query) {
  const shown = await page.evaluate(() => performance.getEntriesByName('answer').length);
  await page.fill('#query', query);
  await page.press('#query', 'Enter');
  await page.waitForFunction((n) => performance.getEntriesByName('answer').length > n, shown);
}

const cardTitles = (page) => page.locator('.card h4').allInnerTexts();

test('0x80070005 typed shows the Win32 and the HRESULT card with their texts', async () => {
  const { context, page, errors } = await OpenPage();
  await Ask(page, '0x80070005');
  assert.deepEqual(await cardTitles(page), ['Win32 0x00000005', 'HRESULT 0x80070005']);
  for (const card of await page.locator('.card').all()) {
    const text = await card.innerText();
    assert.match(text, /Description\s+[^\n]*access[^\n]*denied[^\n]*\[documentation\]/i);
    assert.match(text, /Status\s+Failure/);
  }
  const hresult = await page.locator('.card').nth(1).innerText();
  assert.match(hresult, /E_ACCESSDENIED \(winerror\.h\)/);
  assert.equal(new URL(page.url()).hash, '#0x80070005');
  assert.deepEqual(errors, []);
  await context.close();
});

test('a deep link of several lines answers each line', async () => {
  const { context, page, errors } = await OpenPage('#0x80070005%0AE_FAIL');
  await page.waitForFunction(() => document.querySelectorAll('#answers h3').length === 2);
  assert.deepEqual(await cardTitles(page), ['Win32 0x00000005', 'HRESULT 0x80070005', 'HRESULT 0x80004005']);
  assert.deepEqual(errors, []);
  await context.close();
});

test('a deep link opens its answer, a relative\'s link answers it, back returns', async () => {
  const { context, page, errors } = await OpenPage('#0xC0000005');
  await page.waitForSelector('.card');
  assert.deepEqual(await cardTitles(page), ['NTSTATUS 0xC0000005']);
  assert.equal(await page.inputValue('#query'), '0xC0000005');
  await page.click('.card a[href="#0x000003E6"]');
  await page.waitForFunction(() => document.querySelector('#answers h3')?.textContent.startsWith('0x000003E6'));
  assert.ok((await cardTitles(page)).includes('Win32 0x000003E6'));
  await page.goBack();
  await page.waitForFunction(() => document.querySelector('#answers h3')?.textContent.startsWith('0xC0000005'));
  assert.deepEqual(errors, []);
  await context.close();
});

test('several queries, a pasted bug check, a setup pair and a rejected word each answer', async () => {
  const { context, page, errors } = await OpenPage();
  await Ask(page, 'E_FAIL 0x1G');
  const headings = await page.locator('#answers h3').allInnerTexts();
  assert.equal(headings.length, 2);
  assert.match(await page.locator('.rejected').innerText(), /0x1G\s+That is an invalid hex number/);
  await Ask(page, 'ZZZ_NO_SUCH');
  assert.match(await page.locator('#answers').innerText(), /No kind of code knows ZZZ_NO_SUCH/);
  await Ask(page, 'BugCheck 133, {0, 501, 500, fffff8005f8fb320}');
  assert.match(await page.locator('.card').innerText(), /Parameter 2\s+0x501: The DPC time count/);
  await Ask(page, '0xC1900101 - 0x4000D');
  const extend = await page.locator('.card', { hasText: 'Extend code' }).innerText();
  assert.match(extend, /Phase\s+4 SP_EXECUTION_OOBE_BOOT/);
  assert.match(extend, /Remedies/);
  assert.deepEqual(errors, []);
  await context.close();
});

test('search by name and by description answers as one types', async () => {
  const { context, page, errors } = await OpenPage();
  await page.locator('#search').pressSequentially('E_ACCESSDEN');
  await page.waitForSelector('#search-results a[href="#E_ACCESSDENIED"]');
  await page.check('input[name="search-in"][value="text"]');
  await page.fill('#search', 'access denied');
  await page.waitForFunction(() => /Access denied/i.test(document.querySelector('#search-results')?.textContent));
  assert.deepEqual(errors, []);
  await context.close();
});

// The same findings as the command line's on the same 50 MB file: line, column, text and
// each match's kind and value (descriptions differ: the page has no system tables).
test('a 50 MB log through the file input shows progress and the command line\'s findings', async () => {
  fs.mkdirSync(work, { recursive: true });
  const log = path.join(work, 'scan-50.log');
  if (!fs.existsSync(log)) execFileSync(path.join(root, 'tests/bench/make-scan-log'), [log, '50']);
  const { context, page, errors } = await OpenPage();
  await page.waitForFunction(() => document.querySelector('#status').textContent === '');
  const seen = page.evaluate(() => new Promise((resolve) => {
    const values = [];
    const progress = document.querySelector('#scan-progress');
    new MutationObserver(() => values.push(progress.value)).observe(progress, { attributes: true });
    const timer = setInterval(() => values.push(progress.value), 20);
    new MutationObserver(() => {
      if (/^Scanned/.test(document.querySelector('#scan-status').textContent)) {
        clearInterval(timer);
        resolve(values);
      }
    }).observe(document.querySelector('#scan-status'), { childList: true, subtree: true, characterData: true });
  }));
  await page.setInputFiles('#log-file', log);
  const values = await seen;
  assert.ok(values.some((value) => value > 0 && value < 1), 'the progress bar moved between 0 and 1');
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#scan-save')]);
  const shape = (text) => text.split('\n').filter(Boolean).map((line) => {
    const finding = JSON.parse(line);
    return [finding.line, finding.column, finding.text,
      finding.matches.map((match) => match.type + ' ' + match.hex).join(',')].join(' ');
  });
  const pageFindings = shape(fs.readFileSync(await download.path(), 'utf8'));
  const cliFindings = shape(execFileSync(cli, ['--no-messages', '--scan', '--json', log],
    { maxBuffer: 1 << 30 }).toString());
  assert.ok(cliFindings.length > 1000);
  assert.equal(pageFindings.length, cliFindings.length);
  assert.deepEqual(pageFindings, cliFindings);
  const rows = await page.locator('#findings tbody tr').count();
  assert.ok(rows > 0 && rows < 200, `${rows} rows drawn of ${cliFindings.length}`);
  assert.match(await page.locator('#scan-status').innerText(), new RegExp(`${cliFindings.length} findings`));
  assert.deepEqual(errors, []);
  await context.close();
});

test('a file dropped on the page is scanned', async () => {
  const { context, page, errors } = await OpenPage();
  await page.evaluate(() => {
    const transfer = new DataTransfer();
    transfer.items.add(new File(['exit code: 1618\nhr=0x80070005\n'], 'dropped.log'));
    document.querySelector('h1').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  });
  await page.waitForFunction(() => /^Scanned/.test(document.querySelector('#scan-status').textContent));
  assert.match(await page.locator('#scan-status').innerText(), /2 findings, 2 distinct codes/);
  assert.deepEqual(await page.locator('#summary tbody a').allInnerTexts(), ['0x00000652', '0x80070005']);
  assert.deepEqual(errors, []);
  await context.close();
});

test('after the network is cut and a reload, the page still answers', async () => {
  const { context, page, errors } = await OpenPage();
  await page.waitForFunction(() => document.querySelector('#offline').textContent === 'Kept for offline use.');
  await page.waitForFunction(() => document.querySelector('#status').textContent === '');
  await context.setOffline(true);
  await page.goto(served.url + '#E_FAIL');
  await page.reload();
  await page.waitForSelector('.card');
  assert.deepEqual(await cardTitles(page), ['HRESULT 0x80004005']);
  await Ask(page, '0x80070005');
  assert.deepEqual(await cardTitles(page), ['Win32 0x00000005', 'HRESULT 0x80070005']);
  assert.deepEqual(errors, []);
  await context.close();
});

test('keyboard only: / focuses the input, Enter asks, Tab and Enter follow a link, Escape clears', async () => {
  const { context, page } = await OpenPage();
  await page.locator('body').press('/');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'query');
  await page.keyboard.type('0xC0000005');
  await page.keyboard.press('Enter');
  await page.waitForSelector('.card');
  let focused = '';
  for (let i = 0; i < 40 && !focused.startsWith('#0x000003E6'); i += 1) {
    await page.keyboard.press('Tab');
    focused = await page.evaluate(() => document.activeElement.getAttribute('href') ?? '');
  }
  assert.equal(focused, '#0x000003E6');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.activeElement.closest('#answers h3')
    && document.activeElement.textContent.startsWith('0x000003E6'));
  await page.keyboard.press('/');
  await page.keyboard.press('Escape');
  assert.equal(await page.inputValue('#query'), '');
  await context.close();
});

test('axe finds nothing serious, light and dark, with an answer and a scan shown', async () => {
  for (const colorScheme of ['light', 'dark']) {
    // axe is injected as an inline script, which the page's own policy forbids.
    const { context, page } = await OpenPage('#0x80070005', { colorScheme, bypassCSP: true });
    await page.waitForSelector('.card');
    await page.fill('#log-text', 'hr=0x80070005 exit code: 1618\nBugCheck 133, {0, 501, 500, fffff8005f8fb320}\n');
    await page.click('#log-form button[type="submit"]');
    await page.waitForFunction(() => /^Scanned/.test(document.querySelector('#scan-status').textContent));
    // The bug check pasted with its arguments is one finding, read as the command line reads it.
    await page.waitForFunction(() => /DPC_WATCHDOG_VIOLATION/.test(document.querySelector('#findings').textContent));
    await page.addScriptTag({ path: axePath });
    const violations = await page.evaluate(async () => (await window.axe.run()).violations
      .filter((violation) => ['serious', 'critical'].includes(violation.impact))
      .map((violation) => `${violation.id}: ${violation.nodes.map((node) => node.target).join(' ')}`));
    assert.deepEqual(violations, [], colorScheme);
    await context.close();
  }
});

test('on a phone\'s width nothing runs off the side', async () => {
  const { context, page } = await OpenPage('#0x80070005',
    { viewport: { width: 360, height: 740 }, isMobile: true, hasTouch: true });
  await page.waitForSelector('.card');
  const [scrollWidth, width] = await page.evaluate(() => [document.documentElement.scrollWidth, innerWidth]);
  assert.ok(scrollWidth <= width, `page ${scrollWidth} px wide in ${width} px`);
  const box = await page.locator('#query').boundingBox();
  assert.ok(box.x >= 0 && box.x + box.width <= width);
  await context.close();
});

// Last, so it covers every page above.
test('no request leaves the page\'s origin', () => {
  assert.ok(requests.length > 10);
  const foreign = requests.filter((url) => !url.startsWith(served.url) && !url.startsWith('blob:' + served.url.slice(0, -1)));
  assert.deepEqual(foreign, []);
});
