// The browser client in headless Chromium: page load to the running menu, the
// display frame times, and the heads' pace measured as bench/client_cpu.sh
// does on the desktop (two players nobody steers, no items or confusion, the
// game unpaused for 2000 ms between two paused shots).
// Usage: NODE_PATH=<playwright-core's node_modules> node bench/browser_pace.mjs PAGE-URL
// (the page served by any web server, e.g. kringelbahn-listd --web-root build-web)
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const { chromium } = createRequire(import.meta.url)('playwright-core');
const [url] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const work = mkdtempSync(join(tmpdir(), 'kb-pace-'));
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  const page = await browser.newPage({ viewport: { width: 900, height: 700 } });
  const started = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').textContent === '', null, { timeout: 60000 });
  console.log(`page load to running menu: ${((Date.now() - started) / 1000).toFixed(2)} s`);
  await sleep(2500);

  // Display frames over 3 s of the menu: mean and worst interval.
  const frames = await page.evaluate(() => new Promise((done) => {
    const gaps = [];
    let last = performance.now();
    const tick = (now) => {
      gaps.push(now - last);
      last = now;
      if (gaps.length < 180) requestAnimationFrame(tick);
      else done(gaps);
    };
    requestAnimationFrame(tick);
  }));
  frames.sort((a, b) => a - b);
  const mean = frames.reduce((sum, gap) => sum + gap, 0) / frames.length;
  console.log(`frame interval: mean ${mean.toFixed(1)} ms, median ${frames[90].toFixed(1)} ms, ` +
    `worst ${frames[frames.length - 1].toFixed(1)} ms`);

  const box = await page.locator('#canvas').boundingBox();
  const left = Math.round(box.x), top = Math.round(box.y);
  // The button held for a few frames, as a hand holds it.
  const click = async (x, y) => {
    await page.mouse.move(left + x, top + y);
    await page.mouse.down();
    await sleep(100);
    await page.mouse.up();
    await sleep(100);
  };
  const shot = (name) => page.screenshot({ path: `${work}/${name}.png`, clip: { x: left, y: top, width: 800, height: 600 } });
  // Ctrl+P from inside the page, one key per display frame, so the time
  // between two switches is measured by the page's own clock.
  const togglePause = () => page.evaluate(() => new Promise((done) => {
    const send = (type, key, code, keyCode, ctrlKey) => {
      const event = new KeyboardEvent(type, { key, code, ctrlKey, bubbles: true });
      Object.defineProperty(event, 'keyCode', { get: () => keyCode });
      window.dispatchEvent(event);
    };
    const steps = [() => send('keydown', 'Control', 'ControlLeft', 17, true), () => send('keydown', 'p', 'KeyP', 80, true),
      () => send('keyup', 'p', 'KeyP', 80, true), () => send('keyup', 'Control', 'ControlLeft', 17, false)];
    let switched = 0;
    const next = (now) => {
      if (steps.length === 2) switched = now;  // the frame after the P went down
      if (steps.length === 0) return done(switched);
      steps.shift()();
      requestAnimationFrame(next);
    };
    requestAnimationFrame(next);
  }));

  // Players 1 and 2 on, confusion and upgrades off, Space.
  await click(205, 147);
  await click(205, 187);
  await click(205, 467);
  await click(405, 467);
  await page.keyboard.down('Space');
  await sleep(120);
  await page.keyboard.up('Space');
  await sleep(1300);
  await togglePause();
  await shot('before');
  const resumed = await togglePause();
  await sleep(2000 - 50);
  const paused = await togglePause();
  await shot('after');
  const unpausedMs = Math.round(paused - resumed);
  for (const name of ['before', 'after']) execFileSync('convert', [`${work}/${name}.png`, '-depth', '8', `${work}/${name}.ppm`]);
  process.stdout.write(execFileSync('python3', [`${here}/client_pace.py`, `${work}/before.ppm`, `${work}/after.ppm`,
    String(unpausedMs), '0', '0']));
} finally {
  await browser.close();
  rmSync(work, { recursive: true, force: true });
}
