// Takes the README's picture of the page (docs/web-page.png): an answer and a scanned log.
//   node tests/web/screenshot.mjs  (after scripts/build-web)
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { Serve } from './server.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const served = await Serve(process.env.QUILLON_WEB ?? path.join(root, 'build/web'));
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', args: ['--no-sandbox'] });
const page = await browser.newPage({ viewport: { width: 1100, height: 1300 }, colorScheme: 'light' });
await page.goto(served.url + '#0x80070005');
await page.waitForSelector('.card');
await page.fill('#log-text', [
  '2026-12-08 10:22:31 ERROR CreateFile failed: hr=0x80070005 (E_ACCESSDENIED)',
  '2026-12-08 10:22:32 Process exited with exit code: 1618',
  'Faulting application name: tool.exe, exception code: c0000005, fault offset 0x0001a2b3',
  '2026-12-08 10:22:35 ERROR CreateFile failed: hr=0x80070005 (E_ACCESSDENIED)',
  'BugCheck 133, {0, 501, 500, fffff8005f8fb320}',
].join('\n'));
await page.click('#log-form button[type="submit"]');
await page.waitForFunction(() => /^Scanned/.test(document.querySelector('#scan-status').textContent));
const output = path.join(root, 'docs/web-page.png');
await page.evaluate(() => window.scrollTo(0, 0));
await page.screenshot({ path: output, fullPage: true });
console.log(output);
await browser.close();
await served.close();
