// Plays the browser client in headless Chromium as a player would, writing
// what it sees into the work folder for browser_test.sh. kringelbahn.test is
// 127.0.0.1 to this browser alone: a name, as a deployed page has.
// - "plain": the page over plain HTTP (no secure context, no isolation): the
//   menu, a local round against a bot, and a console connect straight to the
//   server over IPv6 (ws://[::1]:port); then it waits for "seen".
// - "deployed": the page over HTTPS behind a proxy: the Internet list, the
//   listed server joined through the list service's relay, and a network
//   round; it waits for "go" (both players joined) and "done" from the driver.
// - "touch": the plain page on a phone's touch screen with a game controller
//   and the phone's keyboard (typing a console connect): the field inside the
//   viewport upright and sideways, then slot 1, a bot and the start by taps and
//   a finger held on the field's left half through the round.
// Arguments: plain|deployed|touch page-url server-port work-folder
import { existsSync, renameSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';

// Imports ignore NODE_PATH, require() reads it: playwright-core lives outside the checkout.
const { chromium } = createRequire(import.meta.url)('playwright-core');

const [mode, url, serverPort, work] = process.argv.slice(2);
const deployed = mode === 'deployed';
const touch = mode === 'touch';
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const note = (text) => console.log(`browser: ${text}`);

async function waitForFile(name, seconds) {
  for (let i = 0; i < seconds * 10; ++i) {
    if (existsSync(`${work}/${name}`)) return true;
    await sleep(100);
  }
  return false;
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--host-resolver-rules=MAP kringelbahn.test 127.0.0.1'],
});
let failed = false;
try {
  // The deployed page's certificate is the test's own.
  const page = await browser.newPage({
    viewport: touch ? { width: 390, height: 844 } : { width: 900, height: 700 }, ignoreHTTPSErrors: deployed,
    hasTouch: touch, isMobile: touch,
  });
  page.on('console', (message) => console.log(`page: ${message.text()}`));
  page.on('pageerror', (error) => console.log(`page error: ${error}`));
  // On the phone a game controller is plugged in too: a standard gamepad the
  // test presses through window.pad (a changed timestamp tells a new state).
  if (touch) {
    await page.addInitScript(() => {
      const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
      const pad = { id: 'Test Pad', index: 0, connected: true, mapping: 'standard', timestamp: 1, axes: [0, 0, 0, 0], buttons };
      navigator.getGamepads = () => [pad, null, null, null];
      window.pad = (button, down) => {
        Object.assign(pad.buttons[button], { pressed: down, touched: down, value: down ? 1 : 0 });
        pad.timestamp += 1;
      };
    });
  }
  const started = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').textContent === '', null, { timeout: 60000 });
  if (await page.evaluate(() => self.crossOriginIsolated))
    throw new Error('the page is cross-origin isolated, which it must not need');
  if (await page.evaluate(() => self.isSecureContext) !== deployed)
    throw new Error(deployed ? 'the page over HTTPS is no secure context' : 'the page over HTTP is a secure context');
  note(`page loaded and running after ${((Date.now() - started) / 1000).toFixed(2)} s`);
  const canvas = page.locator('#canvas');
  const box = await canvas.boundingBox();
  // The canvas's own 800x600 pixels, even where centring puts it between two.
  const shot = (name) => page.screenshot({
    path: `${work}/${name}`, clip: { x: Math.round(box.x), y: Math.round(box.y), width: 800, height: 600 },
  });
  // The button held for a few frames, as a hand holds it.
  const click = async (x, y) => {
    await page.mouse.move(box.x + x, box.y + y);
    await page.mouse.down();
    await sleep(100);
    await page.mouse.up();
    await sleep(100);
  };
  // Held long enough for a frame to see it, as a player holds a key.
  const key = async (name) => {
    await page.keyboard.down(name);
    await sleep(120);
    await page.keyboard.up(name);
    await sleep(80);
  };

  if (touch) {
    // The whole field in view, upright and sideways, shrunk but not squeezed.
    let scaled;
    for (const [width, height] of [[390, 844], [844, 390]]) {
      await page.setViewportSize({ width, height });
      await sleep(300);
      scaled = await canvas.boundingBox();
      await page.screenshot({ path: `${work}/touch-${width}x${height}.png`, clip: scaled });
      const inside = scaled.x >= 0 && scaled.y >= 0 && scaled.x + scaled.width <= width + 0.5 &&
        scaled.y + scaled.height <= height + 0.5 && Math.abs(scaled.width * 3 - scaled.height * 4) < 4;
      note(`${width}x${height}: the field at ${scaled.width.toFixed(0)}x${scaled.height.toFixed(0)}`);
      if (!inside) throw new Error(`the field does not fit ${width}x${height}: ${JSON.stringify(scaled)}`);
    }
    // Frame pixels to page pixels on the shrunk canvas.
    const at = (x, y) => ({ x: scaled.x + x * scaled.width / 800, y: scaled.y + y * scaled.height / 600 });
    const tap = async (x, y) => {
      const point = at(x, y);
      await page.touchscreen.tap(point.x, point.y);
      await sleep(150);
    };
    await sleep(2500);
    await tap(205, 145);  // player 1's box
    await tap(250, 490);  // the bot count
    await tap(300, 520);  // Start
    // A finger held (and moved a little) on the left half from the countdown on.
    const cdp = await page.context().newCDPSession(page);
    const finger = (type, x, y) => cdp.send('Input.dispatchTouchEvent', {
      type, touchPoints: type === 'touchEnd' ? [] : [{ ...at(x, y), id: 1 }],
    });
    await finger('touchStart', 150, 300);
    for (let i = 0; i < 40; ++i) {
      await sleep(100);
      await finger('touchMove', 150 + (i % 2) * 20, 300);
    }
    // Back at full size for the shot, the finger still down.
    await page.setViewportSize({ width: 900, height: 700 });
    await sleep(300);
    const full = await canvas.boundingBox();
    await page.screenshot({
      path: `${work}/touch-round.png`, clip: { x: Math.round(full.x), y: Math.round(full.y), width: 800, height: 600 },
    });
    await finger('touchEnd');

    // The pad: its first push right takes player 1 (the first free slot),
    // Start starts a game with a bot, its left held runs player 1 round a
    // loop, Back leaves to the menu.
    const press = async (button, ms = 150) => {
      await page.evaluate((b) => window.pad(b, true), button);
      await sleep(ms);
      await page.evaluate((b) => window.pad(b, false), button);
      await sleep(150);
    };
    await key('Escape');  // leaving the game switches every slot off
    await sleep(1500);
    await press(15);  // D-pad right
    await key('PageUp');
    await press(9);  // Start
    await page.evaluate(() => window.pad(14, true));  // D-pad left, held from the start pause on
    await sleep(5000);
    await page.screenshot({
      path: `${work}/pad-round.png`, clip: { x: Math.round(full.x), y: Math.round(full.y), width: 800, height: 600 },
    });
    await page.evaluate(() => window.pad(14, false));
    await press(8);  // Back
    await sleep(1500);

    // The phone's keyboard: while the console's line takes typing the page's
    // hidden text box has the focus, and what the keyboard puts there (no key
    // events, as phones send) is typed into the line: a connect to the server.
    await page.keyboard.down('Control');
    await key('Backquote');
    await page.keyboard.up('Control');
    await sleep(300);
    if (await page.evaluate(() => document.activeElement.id) !== 'typing')
      throw new Error('no text box has the focus while the console takes typing');
    await cdp.send('Input.insertText', { text: `connect ::1 ${serverPort}` });
    await sleep(200);
    await key('Enter');
    writeFileSync(`${work}/typed-connect`, '');
    if (!(await waitForFile('typed-seen', 60))) throw new Error('the driver never saw the typed connect');
  } else if (!deployed) {
    // The menu after its fade.
    await sleep(2500);
    await shot('menu-browser.png');

    // The frame loop's pace, measured in the page: frames and passes per second.
    const pace = await page.evaluate(() => new Promise((done) => {
      let frames = 0;
      const start = performance.now();
      const count = () => {
        ++frames;
        if (performance.now() - start < 2000) requestAnimationFrame(count);
        else done({ frames, ms: performance.now() - start });
      };
      requestAnimationFrame(count);
    }));
    note(`${(pace.frames * 1000 / pace.ms).toFixed(1)} display frames per second`);

    // The sound, held back as browsers hold a page's until the player acts:
    // the first click lets it play.
    await page.evaluate(() => Module.SDL2.audioContext.suspend());
    // A local round: the first slot on, one bot, Space. The heads draw their
    // trails for three seconds.
    await click(205, 145);
    const sound = await page.evaluate(() => Module.SDL2.audioContext.state);
    if (sound !== 'running') throw new Error(`the first click left the sound ${sound}`);
    await key('PageUp');
    await key('Space');
    await sleep(4000);
    await shot('local-browser.png');
    await key('Escape');
    await sleep(1500);

    // The console's connect, typed as a player types it (Ctrl+^ opens it the
    // first time), straight to the server over IPv6.
    await page.keyboard.down('Control');
    await key('Backquote');
    await page.keyboard.up('Control');
    // Each key held 40 ms and released 60 ms before the next, as a person types;
    // keyboard.type() would hold each key for its whole delay, long enough to repeat.
    for (const character of `connect ::1 ${serverPort}`) {
      await page.keyboard.down(character);
      await sleep(40);
      await page.keyboard.up(character);
      await sleep(60);
    }
    await key('Enter');
    writeFileSync(`${work}/browser-connected`, '');
    if (!(await waitForFile('seen', 60))) throw new Error('the driver never saw the browser join');
  } else {
    // The Internet list, fetched from the page's own origin: Multiplayer, F1;
    // Enter joins its first server through the relay.
    await sleep(2500);
    await key('Enter');
    await key('F1');
    await sleep(2000);
    await shot('list-browser.png');
    await key('Enter');
    writeFileSync(`${work}/browser-connected`, '');
    if (!(await waitForFile('go', 60))) throw new Error('the driver never said go');
    await key('Space');
    // The field, shot again and again until the driver has seen enough.
    for (let i = 0; i < 60 && !existsSync(`${work}/done`); ++i) {
      await shot('field-browser.tmp.png');
      renameSync(`${work}/field-browser.tmp.png`, `${work}/field-browser.png`);
      await sleep(700);
    }
  }
} catch (error) {
  console.log(`browser: FAIL: ${error.message}`);
  failed = true;
} finally {
  await browser.close();
}
process.exit(failed ? 1 : 0);
