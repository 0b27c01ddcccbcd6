// Drives the board's page in headless Chromium (see page.sh).
'use strict';

const assert = require('assert');
const fs = require('fs');
const path = require('path');
const { launch, openGame, waitForState } = require(path.join(__dirname, '..', 'web', 'browser.js'));

const BOARD = process.env.TIRLANE_BOARD_URL;
const FORM_NAME = 'a&amp;b "c" \'d\' <i>';

async function main() {
  const browser = await launch();
  try {
    const page = await browser.newPage();
    const dialogs = [];
    page.on('dialog', async (dialog) => {
      dialogs.push(dialog.message());
      await dialog.dismiss();
    });
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    await page.goto(BOARD);

    // A run sent with the page's form: the page reloads with it listed.
    const file = await page.$('#file');
    await file.uploadFile(process.env.TIRLANE_FORM_REPLAY);
    await page.type('#name', FORM_NAME);
    await Promise.all([page.waitForNavigation({ timeout: 120000 }), page.click('button[type=submit]')]);

    const rows = await page.$$eval('#board tbody tr[data-run]', (trs) => trs.map((tr) => ({
      name: tr.querySelector('td.name').textContent,
      elements: tr.querySelector('td.name').children.length,
      watch: tr.querySelector('a.watch').getAttribute('href'),
      id: tr.dataset.run,
    })));
    assert.deepStrictEqual(rows.map((r) => r.name).sort(),
      ['<script>alert(1)', '<svg/onload=alert()>', FORM_NAME].sort());
    for (const r of rows) {
      assert.strictEqual(r.elements, 0, `the name ${r.name} made an element`);
      assert.strictEqual(r.watch, `/play/?replay=/runs/${r.id}.replay`);
    }
    assert.strictEqual(await page.$$eval('script', (s) => s.length), 1, 'a script was added');
    assert.deepStrictEqual(dialogs, [], 'a name ran a script');
    assert.deepStrictEqual(errors, []);

    // Each watch link opens the web build, and the replay it names is there.
    for (const r of rows) {
      const response = await page.goto(new URL(r.watch, BOARD).href);
      assert.strictEqual(response.status(), 200);
      assert.strictEqual(await response.text(),
        fs.readFileSync(path.join(process.env.TIRLANE_SITE, 'index.html'), 'utf8'));
      const replay = await fetch(new URL(`/runs/${r.id}.replay`, BOARD));
      assert.strictEqual(replay.status, 200);
      assert.match(await replay.text(), /^# tirlane replay 1\n/);
    }
    assert.deepStrictEqual(dialogs, [], 'a name ran a script');

    // The winning game sent to the board: its watch link plays the board's
    // own copy of it in the web build, through the victory to its last call,
    // where the page finds it ended as the replay says (unpaced, so the test
    // need not sit through nine minutes of play).
    if (process.env.TIRLANE_WIN_REPLAY) await watchTheWinningGame(browser);
  } finally {
    await browser.close();
  }
}

async function watchTheWinningGame(browser) {
  const sent = await fetch(new URL('/api/runs?name=winner', BOARD), {
    method: 'POST',
    headers: { 'Content-Type': 'text/plain' },
    body: fs.readFileSync(process.env.TIRLANE_WIN_REPLAY),
  });
  assert.strictEqual(sent.status, 201);
  const { id, score } = await sent.json();
  assert.strictEqual(score, 27800);
  const board = await browser.newPage();
  await board.goto(BOARD);
  const watch = await board.$eval(`#board tr[data-run="${id}"] a.watch`, (a) => a.href);
  const page = await openGame(browser.defaultBrowserContext(), watch, { pacing: 0 });
  const lastCall = String(Number(process.env.TIRLANE_WIN_CALLS) - 1);
  const end = await waitForState(page, (state) => state.call === lastCall, 300,
    'the replay to play through the victory');
  assert.strictEqual(end.hiscore, '27800', 'the replay did not reach the victory');
  await page.waitForFunction(() => document.getElementById('ended').classList.contains('shown'));
  assert.strictEqual(await page.$eval('#ended-text', (p) => p.textContent), 'The replay has ended.');
  assert.deepStrictEqual(page.errors, []);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
