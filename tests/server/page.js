// Drives the board's page in headless Chromium (see page.sh).
'use strict';

const assert = require('assert');
const fs = require('fs');
const path = require('path');
const { launch } = require(path.join(__dirname, '..', 'web', 'browser.js'));

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
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
