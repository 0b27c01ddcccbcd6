// The browser build in Debian's headless Chromium, against the native
// headless runner: the same title picture at the same call, Space through the
// browser's own input, the committed winning game to the same final state,
// the record kept across a reload (or in memory when storage is refused),
// Escape ending the game with a way to start again (also while paused inside
// a sequence), and the end screens, paced, answering until their key comes.
//
//   TIRLANE_SITE=build-web/site TIRLANE_HEADLESS=build/tirlane-headless node --test tests/web/
'use strict';

const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { test, before, after } = require('node:test');
const { serve, launch, openGame, gameState, waitForState } = require('./browser');

const SOURCE = path.resolve(__dirname, '../..');
const SITE = process.env.TIRLANE_SITE || path.join(SOURCE, 'build-web/site');
const HEADLESS = process.env.TIRLANE_HEADLESS || path.join(SOURCE, 'build/tirlane-headless');
const WIN = fs.readFileSync(path.join(SOURCE, 'tests/data/win.txt'), 'utf8');
const WIN_CALLS = 30867; // the calls the winning game was made for
const LOSE = fs.readFileSync(path.join(SOURCE, 'tests/data/lose.txt'), 'utf8');

let server;
let browser;

// Runs the native runner in a fresh folder holding the assets; returns its
// trace lines, its saves and the bytes of "Score" it left (hex, or null).
function runNative(calls, script, extra = []) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tirlane-native-'));
  try {
    for (const name of fs.readdirSync(path.join(SOURCE, 'assets')))
      fs.copyFileSync(path.join(SOURCE, 'assets', name), path.join(dir, name));
    const args = ['--calls', String(calls), '--trace', ...extra];
    if (script !== undefined) {
      fs.writeFileSync(path.join(dir, 'keys.txt'), script);
      args.push('--input', 'keys.txt');
    }
    const out = execFileSync(HEADLESS, args, { cwd: dir, maxBuffer: 1 << 30, encoding: 'utf8' });
    const lines = out.split('\n').filter(Boolean);
    const score = path.join(dir, 'Score');
    return {
      calls: lines.filter((line) => line.startsWith('call=')),
      saves: lines.filter((line) => line.startsWith('save ')).map((line) => Number(line.slice(5))),
      score: fs.existsSync(score) ? fs.readFileSync(score).toString('hex') : null,
      file: (name) => fs.readFileSync(path.join(dir, name)),
      dir,
    };
  } finally {
    process.on('exit', () => fs.rmSync(dir, { recursive: true, force: true }));
  }
}

function fields(line) {
  return Object.fromEntries(line.split(' ').map((field) => field.split('=')));
}

// Every field of the native trace line that the page reports must agree.
function assertSameState(webState, nativeLine) {
  const native = fields(nativeLine);
  const compared = Object.keys(native).filter((key) => key in webState);
  assert.ok(compared.length >= 18, `too few fields to compare: ${compared}`);
  for (const key of compared) assert.equal(webState[key], native[key], `field ${key}`);
}

// The 640 x 480 picture of a BMP the runner wrote, as RGB rows top-down.
function bmpPixels(bytes) {
  const offset = bytes.readUInt32LE(10);
  const width = bytes.readInt32LE(18);
  const height = bytes.readInt32LE(22);
  const bytesPerPixel = bytes.readUInt16LE(28) / 8;
  const stride = Math.ceil((width * bytesPerPixel) / 4) * 4;
  const rgb = Buffer.alloc(width * Math.abs(height) * 3);
  for (let y = 0; y < Math.abs(height); ++y) {
    const row = offset + (height > 0 ? Math.abs(height) - 1 - y : y) * stride;
    for (let x = 0; x < width; ++x) {
      const p = row + x * bytesPerPixel;
      rgb.set([bytes[p + 2], bytes[p + 1], bytes[p]], (y * width + x) * 3);
    }
  }
  return { width, height: Math.abs(height), rgb };
}

async function canvasPixels(page) {
  const base64 = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < rgba.length; i += 0x8000)
      text += String.fromCharCode.apply(null, rgba.subarray(i, i + 0x8000));
    return [canvas.width, canvas.height, btoa(text)];
  });
  const [width, height, data] = base64;
  const rgba = Buffer.from(data, 'base64');
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i) rgba.copy(rgb, i * 3, i * 4, i * 4 + 3);
  return { width, height, rgb };
}

async function isShown(page, selector) {
  return page.$eval(selector, (element) => getComputedStyle(element).display !== 'none');
}

async function storedRecord(page) {
  return page.evaluate(() => localStorage.getItem('tirlane.Score'));
}

before(async () => {
  for (const file of ['index.html', 'page.js', 'tirlane.js', 'tirlane.wasm', 'tirlane.data'])
    assert.ok(fs.existsSync(path.join(SITE, file)), `the site lacks ${file}: build it first`);
  server = await serve(SITE);
  browser = await launch();
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
});

test('the canvas shows the native runner\'s title picture at the same call', async () => {
  const CALL = 200; // the demonstration is under way: figures, guards and texts
  const native = runNative(CALL + 1, undefined, ['--shot', String(CALL), 'title.bmp']);
  const expected = bmpPixels(native.file('title.bmp'));
  const context = await browser.createBrowserContext();
  const page = await openGame(context, server.url, { calls: CALL + 1 });
  await waitForState(page, (state) => state.stopped, 60, 'the title run to stop');
  const actual = await canvasPixels(page);
  assert.deepEqual([actual.width, actual.height], [expected.width, expected.height]);
  let differing = 0;
  const box = [640, 480, -1, -1];
  for (let i = 0; i < actual.width * actual.height; ++i) {
    if (actual.rgb.compare(expected.rgb, i * 3, i * 3 + 3, i * 3, i * 3 + 3) !== 0) {
      ++differing;
      const x = i % actual.width, y = Math.floor(i / actual.width);
      box[0] = Math.min(box[0], x); box[1] = Math.min(box[1], y);
      box[2] = Math.max(box[2], x); box[3] = Math.max(box[3], y);
    }
  }
  assert.equal(differing, 0, `${differing} pixels differ, within ${box}`);
  assertSameState(await gameState(page), native.calls[CALL]);
  await context.close();
});

test('Space through the browser starts level 1, P pauses; Escape saves, ends, and the game starts again', async () => {
  const escapeAtStart = runNative(1, '0 down 27\n'); // the record file an Escape writes at 0
  assert.match(escapeAtStart.score, /^[0-9a-f]{16}$/);
  const context = await browser.createBrowserContext();
  const page = await openGame(context, server.url, {});
  await waitForState(page, (state) => Number(state.call) >= 30, 30, 'the title to run');
  await page.keyboard.down('Space');
  await waitForState(page, (state) => state.screen === '1', 10, 'level 1');
  await page.keyboard.up('Space');
  assert.equal(await page.evaluate(() => window.scrollY), 0);
  assert.equal(await isShown(page, '#ended'), false);

  // P pauses: no call runs until P again.
  await page.keyboard.press('KeyP');
  await new Promise((resolve) => setTimeout(resolve, 300));
  const paused = await gameState(page);
  await new Promise((resolve) => setTimeout(resolve, 500));
  assert.equal((await gameState(page)).call, paused.call, 'a paused game runs no call');
  await page.keyboard.press('KeyP');
  await waitForState(page, (state) => Number(state.call) > Number(paused.call) + 10, 10, 'the game to go on');

  await page.keyboard.press('Escape');
  await page.waitForSelector('#ended', { visible: true, timeout: 10000 });
  assert.equal(await storedRecord(page), escapeAtStart.score);
  const ended = await gameState(page);
  await new Promise((resolve) => setTimeout(resolve, 300));
  assert.equal((await gameState(page)).call, ended.call, 'no frame runs once the game has ended');

  await page.click('#again');
  const again = await waitForState(page, (state) => state.session === '1' && Number(state.call) >= 10,
    10, 'the game to start again');
  assert.equal(again.screen, '0');
  assert.equal(await isShown(page, '#ended'), false);

  // Space, pressed and let go at once, starts again too, and the title then
  // waits for a Space of its own.
  await page.keyboard.press('Escape');
  await page.waitForSelector('#ended', { visible: true, timeout: 10000 });
  await page.keyboard.press('Space');
  const title = await waitForState(page, (state) => state.session === '2' && Number(state.call) >= 30,
    10, 'Space to start again');
  assert.equal(title.screen, '0');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('the winning game ends as in the native runner, and its record survives a reload', async () => {
  const native = runNative(WIN_CALLS, WIN);
  assert.match(native.score, /^[0-9a-f]{16}$/);
  const context = await browser.createBrowserContext();
  const page = await openGame(context, server.url, { script: WIN, calls: WIN_CALLS, pacing: 0 });
  const end = await waitForState(page, (state) => state.stopped, 240, 'the winning game to end');
  assertSameState(end, native.calls[native.calls.length - 1]);
  assert.equal(end.call, String(WIN_CALLS - 1));
  assert.equal(end.flips, '32707');
  assert.equal(end.hiscore, '27800');
  assert.equal(await storedRecord(page), native.score, 'the stored bytes are those of "Score"');

  const reloaded = await openGame(context, server.url, { calls: 2 });
  const state = await waitForState(reloaded, (s) => s.stopped, 60, 'the reloaded page');
  assert.equal(state.hiscore, '27800');
  assert.deepEqual([...page.errors, ...reloaded.errors], []);
  await context.close();
});

// A key script's keys before call `end`.
function keysBefore(script, end) {
  return script.split('\n').filter((line) => {
    const call = Number(line.split(' ')[0]);
    return line && !line.startsWith('#') && call < end;
  }).join('\n') + '\n';
}

// The winning game's keys before call `end`.
function winBefore(end) {
  return keysBefore(WIN, end);
}

// The page's state, failing when the page takes longer than `seconds` to
// answer at all (a page whose game never lets it have a turn).
async function answeringState(page, seconds, what) {
  let timer;
  const stuck = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error(`the page stopped answering ${what}`)), seconds * 1000);
  });
  try {
    return await Promise.race([gameState(page), stuck]);
  } finally {
    clearTimeout(timer);
  }
}

// On an end screen waiting for its key: for ten seconds the page keeps
// answering and the game its calls; then Space, pressed and let go through the
// browser's input, returns to the title.
async function stayThenLeaveEndScreen(page, screen) {
  const reach = Date.now() + 120000;
  let waiting = await answeringState(page, 10, `before end screen ${screen}`);
  while (waiting.screen !== screen || waiting.phase !== '1') {
    if (Date.now() > reach) throw new Error(`timed out waiting for end screen ${screen}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
    waiting = await answeringState(page, 10, `on the way to end screen ${screen}`);
  }
  const stay = Date.now() + 10000;
  let state = waiting;
  while (Date.now() < stay) {
    await new Promise((resolve) => setTimeout(resolve, 250));
    state = await answeringState(page, 10, `on end screen ${screen}`);
    assert.equal(state.screen, screen, 'the end screen waits for its key');
  }
  assert.ok(Number(state.call) > Number(waiting.call), 'the end screen\'s calls go on');
  await page.keyboard.down('Space');
  await waitForState(page, (s) => s.phase === '2', 10, 'the end screen to take the press');
  await page.keyboard.up('Space');
  return waitForState(page, (s) => s.screen === '0', 10, 'the title after the end screen');
}

test('refused storage plays on with the record in memory', async () => {
  // Part of the winning game, then Escape: a record to keep.
  const ESCAPE_AT = 1500;
  const script = winBefore(ESCAPE_AT) + `${ESCAPE_AT} down 27\n`;
  const native = runNative(ESCAPE_AT + 1, script);
  assert.equal(native.saves.length, 1);
  const record = native.saves[0];
  assert.ok(record > 0);

  const context = await browser.createBrowserContext();
  const refuse = () => {
    Object.defineProperty(window, 'localStorage', {
      get() { throw new DOMException('storage is blocked', 'SecurityError'); },
    });
  };
  const page = await openGame(context, server.url, { script, pacing: 0 }, refuse);
  await page.waitForSelector('#ended', { visible: true, timeout: 120000 });
  assert.equal((await gameState(page)).hiscore, String(record));
  await page.click('#again');
  const again = await waitForState(page, (state) => state.session === '1' && Number(state.call) >= 1,
    10, 'the game to start again');
  assert.equal(again.hiscore, String(record), 'the title shows the record kept in memory');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('leaving the page keeps the record held at that moment', async () => {
  // Mid-game with a record: the native runner's Escape at the same call
  // saves what leaving the page must keep.
  const LEAVE_AT = 1500;
  const native = runNative(LEAVE_AT + 1, winBefore(LEAVE_AT) + `${LEAVE_AT} down 27\n`);
  const context = await browser.createBrowserContext();
  const page = await openGame(context, server.url,
    { script: winBefore(LEAVE_AT), calls: LEAVE_AT, pacing: 0 });
  const left = await waitForState(page, (state) => state.stopped, 60, 'the game to reach the call');
  assert.equal(left.hiscore, left.score);
  await page.goto('about:blank');
  const back = await openGame(context, server.url, { calls: 2 });
  await waitForState(back, (state) => state.stopped, 60, 'the page again');
  assert.equal(await storedRecord(back), native.score);
  assert.equal((await gameState(back)).hiscore, String(native.saves[native.saves.length - 1]));
  await context.close();
});

test('a key press starts the sound the browser holds back', async () => {
  // Headless Chromium lets pages play sound at once; a page elsewhere starts
  // with its sound suspended until the player's first gesture.
  const context = await browser.createBrowserContext();
  const page = await openGame(context, server.url, {});
  await waitForState(page, (state) => Number(state.call) >= 10, 30, 'the title to run');
  await page.evaluate(() => Module.SDL2.audioContext.suspend());
  assert.equal(await page.evaluate(() => Module.SDL2.audioContext.state), 'suspended');
  await page.keyboard.press('ArrowDown');
  await page.waitForFunction(() => Module.SDL2.audioContext.state === 'running', { timeout: 5000 });
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('the end screens keep the page answering, paced, until Space returns to the title', async () => {
  const context = await browser.createBrowserContext();
  // The losing game without its last Space, paced from its first call.
  const lost = await openGame(context, server.url, { script: keysBefore(LOSE, 449) });
  const title = await stayThenLeaveEndScreen(lost, '5');
  assert.equal(title.lives, '3');
  assert.deepEqual(lost.errors, []);

  // The winning game without its last Space, unpaced up to the last stretch of
  // level 4, then paced through the victory sequence and the screen after it.
  const won = await openGame(context, server.url,
    { script: winBefore(30861), pacing: 0, pacedFrom: 30800 });
  await waitForState(won, (state) => Number(state.call) >= 30800, 240, 'the end of level 4');
  const after = await stayThenLeaveEndScreen(won, '6');
  assert.equal(after.hiscore, '27800');
  assert.equal(await storedRecord(won), runNative(WIN_CALLS, WIN).score,
    'leaving the victory screen saves the record');
  assert.deepEqual(won.errors, []);
  await context.close();
});

test('Escape while paused inside a sequence ends the game on the page', async () => {
  const escapeAtStart = runNative(1, '0 down 27\n'); // the record file an Escape writes at 0
  const context = await browser.createBrowserContext();
  const page = await openGame(context, server.url, { script: keysBefore(LOSE, 449) });
  // The call after one that ends in a strike runs the death sequence.
  const strike = await waitForState(page, (state) => state.screen === '1' && state.phase === '2',
    60, 'a strike');
  await page.keyboard.press('KeyP');
  await new Promise((resolve) => setTimeout(resolve, 300));
  assert.equal((await gameState(page)).call, strike.call, 'paused inside the death sequence');
  await page.keyboard.press('Escape');
  await page.waitForSelector('#ended', { visible: true, timeout: 10000 });
  assert.equal(await storedRecord(page), escapeAtStart.score);
  // The game started again is not paused.
  await page.click('#again');
  const again = await waitForState(page, (state) => state.session === '1' && Number(state.call) >= 10,
    10, 'the game to start again, unpaused');
  assert.equal(again.screen, '0');
  assert.deepEqual(page.errors, []);
  await context.close();
});
