// The page on a phone, in Debian's headless Chromium emulating touch screens:
// the layout in portrait and landscape, the on-screen controls sending the
// keys a keyboard would, the pause while the page is hidden, the replays the
// page records and plays, and the installable web app playing offline.
//
//   TIRLANE_SITE=build-web/site TIRLANE_HEADLESS=build/tirlane-headless node --test tests/web/
'use strict';

const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { test, before, after } = require('node:test');
const { serve, launch, openGame, gameState, waitForState } = require('./browser');

const SOURCE = path.resolve(__dirname, '../..');
const SITE = path.resolve(process.env.TIRLANE_SITE || path.join(SOURCE, 'build-web/site'));
const HEADLESS = path.resolve(process.env.TIRLANE_HEADLESS || path.join(SOURCE, 'build/tirlane-headless'));
const WIN = path.join(SOURCE, 'tests/data/win.txt');
const WIN_CALLS = 30867;
const PORTRAIT = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const LANDSCAPE = { width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true, isLandscape: true };
const KEYS = ['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'Space'];

let server;
let browser;

before(async () => {
  server = await serve(SITE);
  browser = await launch();
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
});

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The centre of the element in CSS pixels.
async function centre(page, selector) {
  const box = await (await page.$(selector)).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// Fingers on the screen through the DevTools protocol: each call gives every
// finger down now; one missing since the last call has been lifted.
async function fingers(page) {
  const client = await page.createCDPSession();
  return async (points) => {
    const touchPoints = Object.entries(points).map(([id, p]) => ({ id: Number(id), x: p.x, y: p.y }));
    const type = touchPoints.length === 0 ? 'touchEnd' : 'touchMove';
    await client.send('Input.dispatchTouchEvent', { type: fingers.started ? type : 'touchStart', touchPoints });
    fingers.started = touchPoints.length > 0;
  };
}

test('portrait and landscape: the controls beside the picture, the picture large, no scrolling', async () => {
  const cases = [
    { device: PORTRAIT, fill: (canvas) => canvas.width / 390, least: 0.95 },
    { device: LANDSCAPE, fill: (canvas) => canvas.height / 390, least: 0.9 },
  ];
  for (const { device, fill, least } of cases) {
    const context = await browser.createBrowserContext();
    const page = await openGame(context, server.url, {}, undefined, device);
    await waitForState(page, (state) => Number(state.call) >= 5, 30, 'the title to run');
    const layout = await page.evaluate((keys) => {
      const rect = (element) => {
        const r = element.getBoundingClientRect();
        return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height };
      };
      const controls = keys.map((key) => {
        const element = document.querySelector(`.controls [data-key="${key}"]`);
        return { key, visible: !!element && element.checkVisibility(), ...rect(element) };
      });
      const scroller = document.scrollingElement;
      window.scrollTo(0, 100);
      return {
        canvas: rect(document.getElementById('canvas')), controls, scrolled: window.scrollY,
        overflow: [scroller.scrollWidth - innerWidth, scroller.scrollHeight - innerHeight],
      };
    }, KEYS);
    const name = `${device.width}x${device.height}`;
    assert.ok(fill(layout.canvas) >= least, `${name}: the picture fills ${fill(layout.canvas)}`);
    for (const c of layout.controls) {
      assert.ok(c.visible, `${name}: ${c.key} is shown`);
      assert.ok(c.width >= 48 && c.height >= 48, `${name}: ${c.key} is ${c.width}x${c.height}`);
      const apart = c.right <= layout.canvas.left || c.left >= layout.canvas.right ||
        c.bottom <= layout.canvas.top || c.top >= layout.canvas.bottom;
      assert.ok(apart, `${name}: ${c.key} covers the picture`);
      assert.ok(c.left >= 0 && c.top >= 0 && c.right <= device.width && c.bottom <= device.height,
        `${name}: ${c.key} is off the screen`);
    }
    assert.deepEqual(layout.overflow, [0, 0], `${name}: the page overflows`);
    assert.equal(layout.scrolled, 0, `${name}: the page scrolls`);
    await page.screenshot({ path: path.join(os.tmpdir(), `tirlane-${name}.png`) });
    assert.deepEqual(page.errors, []);
    await context.close();
  }
});

test('the touch controls send the keys a keyboard would, several fingers at once', async () => {
  const context = await browser.createBrowserContext();
  const page = await openGame(context, server.url, {}, undefined, PORTRAIT);
  await page.evaluate(() => {
    window.sent = [];
    for (const type of ['keydown', 'keyup'])
      window.addEventListener(type, (event) => window.sent.push(`${type} ${event.code} ${event.keyCode}`));
  });
  await waitForState(page, (state) => Number(state.call) >= 30, 30, 'the title to run');
  const touch = await fingers(page);
  const play = await centre(page, '#play');
  const up = await centre(page, '#pad [data-key=ArrowUp]');
  const left = await centre(page, '#pad [data-key=ArrowLeft]');
  const start = await centre(page, '#side [data-key=Space]');

  // The first screen's button starts the game, as Space.
  await touch({ 1: play });
  await waitForState(page, (state) => state.screen === '1', 10, 'level 1');
  await touch({});
  assert.equal(await page.$eval('#gate', (gate) => gate.classList.contains('shown')), false);
  const level = await waitForState(page, (state) => state.key === '0', 10, 'Space let go');

  // Up held moves the figure up, as the Up key does.
  await touch({ 1: up });
  const moved = await waitForState(page, (state) => state.key === '38' && Number(state.y) < Number(level.y),
    10, 'the figure to move up');
  assert.equal(moved.x, level.x);
  // A second finger on start while Up is held: Space.
  await touch({ 1: up, 2: start });
  await waitForState(page, (state) => state.key === '32', 10, 'Space from the second finger');
  await touch({});
  await waitForState(page, (state) => state.key === '0', 10, 'both let go');
  // A finger slides from Up onto Left: Left down, then Up up.
  await touch({ 1: up });
  await touch({ 1: { x: (up.x + left.x) / 2, y: (up.y + left.y) / 2 } });
  await touch({ 1: left });
  await waitForState(page, (state) => state.key === '37', 10, 'Left from the slide');
  await touch({});
  await sleep(200);
  const sent = await page.evaluate(() => window.sent);
  // The two fingers lifted at once go up in either order.
  assert.deepEqual([...sent.slice(0, 4), ...sent.slice(4, 6).sort(), ...sent.slice(6)], [
    'keydown Space 32', 'keyup Space 32', 'keydown ArrowUp 38', 'keydown Space 32',
    'keyup ArrowUp 38', 'keyup Space 32',
    'keydown ArrowUp 38', 'keydown ArrowLeft 37', 'keyup ArrowUp 38', 'keyup ArrowLeft 37',
  ]);

  // A keyboard hides the controls; the next touch shows them again.
  await page.keyboard.press('ArrowDown');
  assert.equal(await page.$eval('#pad', (pad) => pad.checkVisibility()), false);
  await touch({ 1: { x: 5, y: 830 } });
  await touch({});
  assert.equal(await page.$eval('#pad', (pad) => pad.checkVisibility()), true);
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('a hidden page runs no call, and runs on without a burst when shown', async () => {
  const context = await browser.createBrowserContext();
  const page = await openGame(context, server.url, {});
  await waitForState(page, (state) => Number(state.call) >= 30, 30, 'the title to run');
  await page.evaluate(() => {
    window.hide = (hidden) => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => hidden });
      Object.defineProperty(document, 'visibilityState', { configurable: true,
        get: () => (hidden ? 'hidden' : 'visible') });
      document.dispatchEvent(new Event('visibilitychange'));
    };
    window.hide(true);
  });
  await sleep(300);
  const hidden = await gameState(page);
  await sleep(700);
  assert.equal((await gameState(page)).call, hidden.call, 'a hidden page runs no call');
  // Shown again: the calls go on, one a refresh at most (no catching up on
  // the time spent hidden); the refreshes are counted by the page itself.
  const shown = await page.evaluate(() => new Promise((resolve) => {
    const from = Number(Module.tirlaneTest.state.match(/call=(\d+)/)[1]);
    let refreshes = 0;
    const count = () => { ++refreshes; requestAnimationFrame(count); };
    requestAnimationFrame(count);
    window.hide(false);
    setTimeout(() => resolve({
      from, to: Number(Module.tirlaneTest.state.match(/call=(\d+)/)[1]), refreshes,
    }), 500);
  }));
  assert.ok(shown.to > shown.from, 'the game runs on when shown');
  assert.ok(shown.to - shown.from <= shown.refreshes + 2,
    `${shown.to - shown.from} calls in ${shown.refreshes} refreshes`);
  assert.deepEqual(page.errors, []);
  await context.close();
});

// The bytes of the replay the end card offers.
async function offeredReplay(page) {
  await page.waitForSelector('#download', { visible: true, timeout: 10000 });
  return page.evaluate(() => fetch(document.getElementById('download').href).then((r) => r.text()));
}

test('a game played in the page offers a replay the runner verifies; ?replay= plays one to the victory', async () => {
  const context = await browser.createBrowserContext();
  const page = await openGame(context, server.url, {});
  await waitForState(page, (state) => Number(state.call) >= 30, 30, 'the title to run');
  await page.keyboard.down('Space');
  await waitForState(page, (state) => state.screen === '1', 10, 'level 1');
  await page.keyboard.up('Space');
  await page.keyboard.down('ArrowUp');
  await waitForState(page, (state) => state.score !== '0', 10, 'a score');
  await page.keyboard.up('ArrowUp');
  await page.keyboard.press('Escape');
  const text = await offeredReplay(page);
  assert.match(text, /^# tirlane replay 1\n# game \S+\n# hiscore start 0\n/);
  assert.equal(await page.$eval('#download', (a) => a.download), 'last.replay');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tirlane-page-replay-'));
  for (const name of fs.readdirSync(path.join(SOURCE, 'assets')))
    fs.copyFileSync(path.join(SOURCE, 'assets', name), path.join(dir, name));
  fs.writeFileSync(path.join(dir, 'page.replay'), text);
  const verified = spawnSync(HEADLESS, ['--replay', 'page.replay'], { cwd: dir, encoding: 'utf8' });
  assert.equal(verified.status, 0, `the runner refuses the page's replay: ${verified.stderr}`);
  // A second game's replay starts afresh.
  await page.click('#again');
  await waitForState(page, (state) => state.session === '1' && Number(state.call) >= 10, 10, 'game 2');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => document.getElementById('ended').classList.contains('shown'));
  const second = await offeredReplay(page);
  assert.match(second, /\n# end calls=\d+ .*screen=0 /);
  assert.ok(!second.includes(' down 38'), 'the first game\'s keys are not in the second replay');

  // The committed winning game, recorded by the runner and played from a URL.
  execFileSync(HEADLESS, ['--calls', String(WIN_CALLS), '--input', WIN, '--write-replay', 'win.replay'],
    { cwd: dir });
  fs.copyFileSync(path.join(dir, 'win.replay'), path.join(SITE, 'test-win.replay'));
  const stored = await page.evaluate(() => localStorage.getItem('tirlane.Score'));
  try {
    const watch = await openGame(context, `${server.url}?replay=test-win.replay`, { pacing: 0 });
    // The victory and the Space after it, to the replay's last call, matching
    // its end line and every check on the way.
    const end = await waitForState(watch, (state) => state.call === String(WIN_CALLS - 1),
      240, 'the replay to play through the victory');
    assert.equal(end.flips, '32707');
    assert.equal(end.hiscore, '27800');
    await watch.waitForFunction(() => document.getElementById('ended').classList.contains('shown'));
    assert.equal(await watch.$eval('#ended-text', (p) => p.textContent), 'The replay has ended.');
    assert.equal(await watch.evaluate(() => localStorage.getItem('tirlane.Score')), stored,
      'a replay saves nothing');
    assert.deepEqual(watch.errors, []);
  } finally {
    fs.rmSync(path.join(SITE, 'test-win.replay'), { force: true });
    fs.rmSync(dir, { recursive: true, force: true });
  }
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('the page is an installable app that starts with the network gone', async () => {
  // Installing needs a profile of its own: the default context, not a private one.
  const own = await serve(SITE);
  const page = await browser.defaultBrowserContext().newPage();
  page.errors = [];
  await page.evaluateOnNewDocument(() => { window.tirlaneTest = {}; });
  await page.goto(own.url);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await waitForState(page, (state) => Number(state.call) >= 5, 30, 'the title to run');
  const client = await page.createCDPSession();
  const { installabilityErrors } = await client.send('Page.getInstallabilityErrors');
  assert.deepEqual(installabilityErrors, []);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 10000 });

  own.close();
  await page.reload();
  await waitForState(page, (state) => Number(state.call) >= 30, 30, 'the title offline');
  assert.equal((await gameState(page)).screen, '0');
  await page.keyboard.down('Space');
  await waitForState(page, (state) => state.screen === '1', 10, 'level 1 offline');
  await page.keyboard.up('Space');
  await page.close();
});
