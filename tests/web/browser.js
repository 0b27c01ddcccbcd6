// Shared by the browser tests and the pacing measurement: a static server
// for the built site on the loopback address, and Debian's Chromium, headless,
// with the flags this kind of machine needs and a fresh profile.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const CHROMIUM = process.env.TIRLANE_CHROMIUM || '/usr/bin/chromium';
const CHROMIUM_FLAGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];
const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.txt': 'text/plain; charset=utf-8',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png',
};

// Serves the folder's files (GET only) on 127.0.0.1 at a free port.
async function serve(folder) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = path.join(root, name === '/' ? 'index.html' : name);
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  // The loopback address is a secure origin, where a page may run a service worker.
  const close = () => {
    server.close();
    server.closeAllConnections();
  };
  return { url: `http://127.0.0.1:${server.address().port}/`, close };
}

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tirlane-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: profile,
    args: CHROMIUM_FLAGS,
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// Opens the page in a context of its own (its own storage) with the test
// settings the game reads at start-up; `before` runs in the page before its
// own scripts (to take storage away, say).
async function openGame(context, url, test, before, device) {
  const page = await context.newPage();
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') page.errors.push(message.text());
  });
  await page.setViewport(device || { width: 1300, height: 1000 });
  if (before) await page.evaluateOnNewDocument(before);
  await page.evaluateOnNewDocument((settings) => { window.tirlaneTest = settings; }, test);
  await page.goto(url);
  return page;
}

// The game's state after its last call, as key=value pairs.
async function gameState(page) {
  const [line, stopped] = await page.evaluate(() =>
    window.Module ? [Module.tirlaneTest.state || '', !!Module.tirlaneTest.stopped] : ['', false]);
  const state = Object.fromEntries(line.split(' ').filter(Boolean).map((field) => field.split('=')));
  if (stopped) state.stopped = true;
  return state;
}

// Polls the page's state until `done` holds, or fails after `seconds`.
async function waitForState(page, done, seconds, what) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const state = await gameState(page);
    if (state.call !== undefined && done(state)) return state;
    if (page.errors.length) throw new Error(`the page failed: ${page.errors.join('; ')}`);
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}; state: ${JSON.stringify(state)}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

module.exports = { serve, launch, openGame, gameState, waitForState };
