// The browser half of bench/steer_latency.sh: the page in headless Chromium
// joins the Internet list's server through the list service's relay and
// measures, in the page, each steering key press (its keydown event) to the
// first display frame after the first LINE of its head whose step differs
// from the one before the press: the animation frame callback queued when
// that LINE arrives runs after the client's own frame has drawn it.
// Usage: NODE_PATH=<playwright-core's node_modules> node bench/steer_latency.mjs PAGE-URL ADDED_RTT_MS SAMPLES
import { createRequire } from 'node:module';

const { chromium } = createRequire(import.meta.url)('playwright-core');
const [url, rtt, wanted] = process.argv.slice(2);
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Runs in the page before its own scripts: watches the game's WebSocket and the keys.
function watchSteering() {
  const s = (window.steer = { colour: '', mode: 0, line: null, probe: null, samples: [], discarded: 0 });
  const decoder = new TextDecoder('latin1');
  let pending = '';
  // A press whose turn cannot be told: a gap in the trail, the round's end.
  const discard = () => {
    s.probe.done = true;
    ++s.discarded;
  };
  const onOwnLine = (x1, y1, x2, y2) => {
    const continuous = s.line && s.line[2] === x1 && s.line[3] === y1;
    s.line = [x1, y1, x2, y2];
    const probe = s.probe;
    if (!probe || probe.turned || probe.done) return;
    if (!continuous) discard();
    else if (x2 - x1 !== probe.dx || y2 - y1 !== probe.dy) {
      probe.turned = true;
      requestAnimationFrame(() => {
        s.samples.push(performance.now() - probe.pressedAt);
        probe.done = true;
      });
    }
  };
  const feed = (text) => {
    pending += text;
    for (let end; (end = pending.indexOf('\x04')) >= 0; pending = pending.slice(end + 1)) {
      const f = pending.slice(0, end).split('\x02');
      if (f[0] === 'COLOR') s.colour = f[1];
      if (f[0] === 'MODE') s.mode = Number(f[1]);
      if (s.mode !== 8 && s.probe && !s.probe.done && !s.probe.turned) discard();
      if (f[0] === 'LINE' && f[5] === s.colour) onOwnLine(...f.slice(1, 5).map(Number));
    }
  };
  const Native = window.WebSocket;
  window.WebSocket = class extends Native {
    constructor(...args) {
      super(...args);
      this.addEventListener('message', (e) => {
        if (typeof e.data === 'string') feed(e.data);
        else if (e.data instanceof ArrayBuffer) feed(decoder.decode(e.data));
      });
    }
  };
  addEventListener('keydown', (e) => {
    if ((e.code === 'ArrowLeft' || e.code === 'ArrowDown') && !e.repeat && s.line && s.mode === 8) {
      s.probe = { pressedAt: performance.now(), dx: s.line[2] - s.line[0], dy: s.line[3] - s.line[1] };
    }
  }, true);
  s.discard = discard;
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
let ok = false;
try {
  const page = await browser.newPage({ viewport: { width: 900, height: 700 } });
  await page.addInitScript(watchSteering);
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').textContent === '', null, { timeout: 60000 });
  const key = async (name, ms = 120) => {
    await page.keyboard.down(name);
    await sleep(ms);
    await page.keyboard.up(name);
    await sleep(80);
  };
  // Multiplayer, the Internet list, its first server.
  await sleep(2500);
  await key('Enter');
  await key('F1');
  await sleep(2000);
  await key('Enter');

  const started = Date.now();
  while (Date.now() - started < 180000) {
    // A pause between presses, as a player's; nothing polls the page meanwhile.
    await sleep(250 + Math.random() * 200);
    const s = await page.evaluate(() => ({ mode: steer.mode, line: steer.line, n: steer.samples.length }));
    if (s.n >= wanted) break;
    if (s.mode !== 8 || !s.line) {
      await key('Space', 60);
      continue;
    }
    // Towards the middle, as the desktop half steers.
    const [x1, y1, x2, y2] = s.line;
    const up = (x2 - x1) * (287 - y2) - (y2 - y1) * (400 - x2) > 0;
    const name = up ? 'ArrowDown' : 'ArrowLeft';
    await page.evaluate(() => { steer.probe = null; });
    await page.keyboard.down(name);
    await page.waitForFunction(() => steer.probe?.done, null, { polling: 'raf', timeout: 2000 })
      .catch(() => page.evaluate(() => steer.probe && !steer.probe.done && steer.discard()));
    await page.keyboard.up(name);
  }
  const { samples, discarded } = await page.evaluate(() => steer);
  samples.sort((a, b) => a - b);
  const at = (q) => (samples.length ? samples[Math.floor(q * (samples.length - 1))] : 0);
  console.log(`browser, relay, +${rtt} ms RTT: median ${at(0.5).toFixed(1)} ms, p10 ${at(0.1).toFixed(1)}, ` +
    `p90 ${at(0.9).toFixed(1)}, max ${at(1).toFixed(1)} (${samples.length} samples, ${discarded} discarded)`);
  ok = samples.length >= wanted;
} finally {
  await browser.close();
}
process.exit(ok ? 0 : 1);
