// The README's pictures of the page on a phone: the built site in headless
// Chromium, emulating a phone held upright and sideways: the title behind
// the "Tap to play" button, with the touch controls. Run after the browser tests have installed
// puppeteer-core:
//
//   NODE_PATH=tests/web/node_modules node tools/web/phone-shots.js build-web/site docs
'use strict';

const path = require('node:path');
const { serve, launch } = require('../../tests/web/browser');

const PHONES = {
  'phone-portrait.png': { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true },
  'phone-landscape.png': { width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true,
    isLandscape: true },
};

async function main() {
  const [site, out] = process.argv.slice(2);
  if (!site || !out) throw new Error('usage: phone-shots.js SITE_DIR OUT_DIR');
  const server = await serve(path.resolve(site));
  const browser = await launch();
  try {
    for (const [name, phone] of Object.entries(PHONES)) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport(phone);
      await page.evaluateOnNewDocument(() => { window.tirlaneTest = {}; });
      await page.goto(server.url);
      // The title behind the button that starts the game and its sound.
      await page.waitForSelector('#gate.shown', { timeout: 60000 });
      await new Promise((resolve) => setTimeout(resolve, 1500));
      await page.screenshot({ path: path.join(out, name) });
      await context.close();
    }
  } finally {
    await browser.close();
    await server.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
