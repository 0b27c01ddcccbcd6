// Measures the browser build's frame pacing in Debian's headless Chromium:
// the title runs a few seconds, Space starts a game, and every present of a
// frame is timed for SECONDS more; prints the frame rate and the mean,
// standard deviation and longest interval between presented frames.
// Needs tests/web/run.sh to have installed puppeteer-core once.
//
//   node tools/web/pacing.js [SITE_DIR] [SECONDS]
'use strict';

const path = require('path');
const { serve, launch, openGame, waitForState } =
  require(path.join(__dirname, '../../tests/web/browser'));

const site = process.argv[2] || path.join(__dirname, '../../build-web/site');
const seconds = Number(process.argv[3] || 20);

function summary(times) {
  const gaps = times.slice(1).map((t, i) => t - times[i]);
  const mean = gaps.reduce((a, b) => a + b, 0) / gaps.length;
  const sd = Math.sqrt(gaps.reduce((a, b) => a + (b - mean) * (b - mean), 0) / gaps.length);
  const over = gaps.filter((gap) => gap > mean * 1.5).length;
  return { frames: times.length, mean, sd, longest: Math.max(...gaps), over };
}

(async () => {
  const server = await serve(site);
  const browser = await launch();
  try {
    const context = await browser.createBrowserContext();
    const page = await openGame(context, server.url, { logPresents: 1 });
    await waitForState(page, (state) => Number(state.call) >= 60, 30, 'the title to run');
    await page.keyboard.press('Space');
    await page.evaluate(() => { Module.tirlanePresents.length = 0; });
    const start = Date.now();
    await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
    const times = await page.evaluate(() => Module.tirlanePresents.slice());
    const wall = (Date.now() - start) / 1000;
    const s = summary(times);
    console.log(`web pacing: ${s.frames} frames presented in ${wall.toFixed(1)} s ` +
      `(${(s.frames / wall).toFixed(2)} fps)`);
    console.log(`web pacing: interval mean ${s.mean.toFixed(3)} ms, standard deviation ` +
      `${s.sd.toFixed(3)} ms, longest ${s.longest.toFixed(3)} ms, ` +
      `${s.over} intervals over 1.5 x the mean`);
    await context.close();
  } finally {
    await browser.close();
    server.close();
  }
})().catch((error) => {
  console.error(`web pacing: ${error.message}`);
  process.exit(1);
});
