// The page in Firefox ESR (Debian's firefox-esr, driven over WebDriver BiDi),
// so the browser build is not tied to one engine: it loads, shows the title,
// Space through Firefox's own input starts level 1, the held Up walks the
// figure, and Escape ends the game with the way to start again.
//
//   TIRLANE_SITE=build-web/site node --test tests/web/firefox.test.js
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { test, before, after } = require('node:test');
const puppeteer = require('puppeteer-core');
const { serve, openGame, waitForState } = require('./browser');

const SITE = process.env.TIRLANE_SITE || path.resolve(__dirname, '../../build-web/site');
const FIREFOX = process.env.TIRLANE_FIREFOX || '/usr/bin/firefox-esr';

let server;
let browser;
let profile;

before(async () => {
  server = await serve(SITE);
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tirlane-firefox-'));
  browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: FIREFOX,
    headless: true,
    userDataDir: profile,
    extraPrefsFirefox: { 'media.autoplay.default': 0 },
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
  if (profile) fs.rmSync(profile, { recursive: true, force: true });
});

test('Firefox ESR loads the page and plays it by keyboard', async () => {
  const page = await openGame(browser.defaultBrowserContext(), server.url, {});
  await waitForState(page, (state) => Number(state.call) >= 30, 60, 'the title to run');
  await page.keyboard.down(' '); // the space bar, by the key it types
  const level = await waitForState(page, (state) => state.screen === '1', 20, 'level 1');
  await page.keyboard.up(' ');
  // Holding Up walks the figure up from its start, a step at a time.
  await page.keyboard.down('ArrowUp');
  await waitForState(page, (state) => Number(state.y) < Number(level.y), 20, 'the figure to walk up');
  await page.keyboard.up('ArrowUp');
  await page.keyboard.press('Escape');
  await page.waitForSelector('#ended', { visible: true, timeout: 20000 });
  assert.deepEqual(page.errors, []);
});
