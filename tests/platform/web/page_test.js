#!/usr/bin/env node
// The web build end to end: the page served from the build folder on 127.0.0.1, played in
// headless Chromium driven by Playwright. The menu, demo 1, walking, mouse look with and without
// the pointer lock, the cursor's wrap, focus loss, the settings and their end of input, the
// grid's size and scaling; and a screenshot of a running demo. Exits 77 (skipped) without
// Chromium or playwright-core. Usage: page_test.js BUILD_DIR [SCREENSHOT.png]
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

const SKIPPED = 77;
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const WAIT_MS = 30000;
// The status line's numbers; a wall may follow the angle without a blank.
const STATUS = /^X:(-?\d+\.\d{6}) Y:(-?\d+\.\d{6}) A:(-?\d+\.\d{6})/;

let chromium;
try {
  ({ chromium } = require('playwright-core'));
} catch (error) {
  console.log('skipped: playwright-core is not installed (npm ci in tests/platform/web)');
  process.exit(SKIPPED);
}
if (!fs.existsSync(CHROMIUM)) {
  console.log('skipped: no Chromium at ' + CHROMIUM);
  process.exit(SKIPPED);
}

const buildDir = path.resolve(process.argv[2] || 'build-web');
const screenshot = process.argv[3];
let passed = 0;
let failed = 0;

function check(name, ok, detail) {
  if (ok) {
    passed += 1;
    console.log('ok: ' + name);
  } else {
    failed += 1;
    console.log('FAILED: ' + name + (detail === undefined ? '' : ' (' + detail + ')'));
  }
  return ok;
}

// A step that must succeed for the rest of its scenario to mean anything.
class Stop extends Error {}
async function step(name, action) {
  try {
    const result = await action();
    check(name, true);
    return result;
  } catch (error) {
    check(name, false, String(error.message || error).split('\n')[0]);
    throw new Stop();
  }
}

// The build folder's own files, nothing else.
function serve(root) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const name = request.url === '/' ? 'index.html' : decodeURIComponent(request.url.slice(1));
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file)) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'text/plain' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function rowText(page, row) {
  return page.evaluate((n) => {
    const element = document.getElementById('grid').children[n];
    return element ? element.textContent : null;
  }, row);
}

function waitForRow(page, row, start) {
  return page.waitForFunction(([n, text]) => {
    const element = document.getElementById('grid').children[n];
    return element !== undefined && element.textContent.startsWith(text);
  }, [row, start], { timeout: WAIT_MS });
}

async function status(page) {
  const match = STATUS.exec(await rowText(page, 0));
  return match ? { x: Number(match[1]), y: Number(match[2]), angle: match[3] } : null;
}

function waitForAngle(page, angle) {
  return page.waitForFunction(([pattern, text]) => {
    const match = new RegExp(pattern).exec(document.getElementById('grid').children[0].textContent);
    return match !== null && match[3] === text;
  }, [STATUS.source, angle], { timeout: WAIT_MS });
}

// Every shown status line from now on, with the page's time it was shown at.
function recordFrames(page) {
  return page.evaluate(() => {
    const grid = document.getElementById('grid');
    window.shownFrames = [];
    new MutationObserver(() => {
      window.shownFrames.push({ at: performance.now(), text: grid.children[0].textContent });
    }).observe(grid, { attributes: true, attributeFilter: ['data-shown'] });
  });
}

// Locked-pointer motion as the browser delivers it, sent from the page: Playwright's pointer
// cannot go past the window's edge.
function moveLocked(page, dx) {
  return page.evaluate((movementX) => {
    document.dispatchEvent(new MouseEvent('mousemove', { movementX, movementY: 0 }));
  }, dx);
}

// Holds a key until the marker stands beside `entry` at `row`: the menu moves one entry a pass
// while the key is held, and stops at the first and the last.
async function holdUntilMarker(page, key, row, entry) {
  await page.keyboard.down(key);
  await waitForRow(page, row, entry.padEnd(12) + '<--');
  await page.keyboard.up(key);
}

async function openPage(browser, origin, requests) {
  const page = await browser.newPage();
  page.on('request', (request) => requests.push(request.url()));
  page.on('pageerror', (error) => console.log('page error: ' + error.message));
  await page.goto(origin + '/');
  await waitForRow(page, 0, 'Run DEMO 1');
  return page;
}

async function menuAndDemoOne(browser, origin) {
  const requests = [];
  const page = await openPage(browser, origin, requests);
  const row0 = await rowText(page, 0);
  check('the menu shows "<--" beside "Run DEMO 1"', row0.startsWith('Run DEMO 1  <--'), row0);
  const entries = await Promise.all([2, 4, 6].map((n) => rowText(page, n)));
  check('the other entries stand at rows 2, 4 and 6',
    entries.map((e) => e.trimEnd()).join('|') === 'Run DEMO 2|Run DEMO 3|Settings',
    entries.join('|'));
  const start = await page.evaluate(() => {
    const grid = document.getElementById('grid');
    const cell = grid.children[0].firstChild;
    return {
      columns: grid.dataset.columns, rows: grid.children.length,
      width: grid.children[0].textContent.length,
      colour: getComputedStyle(cell).color, background: getComputedStyle(grid).backgroundColor,
    };
  });
  check('the grid starts at 120 x 40 cells',
    start.columns === '120' && start.rows === 40 && start.width === 120, JSON.stringify(start));
  check('the menu is light grey on black',
    start.colour === 'rgb(192, 192, 192)' && start.background === 'rgb(0, 0, 0)',
    JSON.stringify(start));
  check('the page fetches nothing but its own files',
    requests.every((url) => url.startsWith(origin + '/')) &&
      ['/', '/mazecast.js', '/mazecast.wasm'].every((p) => requests.includes(origin + p)),
    requests.join(' '));

  // The cursor starts in the middle of the page; the pointer goes there before the lock.
  await page.mouse.move(640, 360);
  await page.mouse.click(640, 360);
  await step('a click on the view takes the pointer lock',
    () => page.waitForFunction(() => document.pointerLockElement !== null, null,
      { timeout: 5000 }));

  await page.keyboard.press('Enter');
  await step('Enter starts demo 1 at X:6.000000 Y:6.000000 A:180.000000',
    () => waitForRow(page, 0, 'X:6.000000 Y:6.000000 A:180.000000'));
  if (screenshot) {
    await page.screenshot({ path: screenshot });
    console.log('screenshot: ' + screenshot);
  }
  const look = await page.evaluate(() => {
    const grid = document.getElementById('grid');
    return {
      colour: getComputedStyle(grid.children[0].firstChild).color,
      background: getComputedStyle(grid).backgroundColor,
      text: grid.textContent,
    };
  });
  check('the running demo is bright white on aqua',
    look.colour === 'rgb(255, 255, 255)' && look.background === 'rgb(0, 128, 128)',
    look.colour + ' on ' + look.background);
  check('walls are drawn with the full block', look.text.includes('\u2588\u2588\u2588'));

  // Focus loss: W stays down on the keyboard, but the page no longer sees it.
  const losses = [
    ['a blur releases a held key', () => window.dispatchEvent(new Event('blur'))],
    ['a hidden tab releases a held key', () => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
      document.dispatchEvent(new Event('visibilitychange'));
      delete document.hidden;
    }],
  ];
  let turn = 180;
  for (const [name, loseFocus] of losses) {
    const before = (await status(page)).x;
    await page.keyboard.down('w');
    await page.waitForFunction(([pattern, x]) => {
      const match = new RegExp(pattern).exec(document.getElementById('grid').children[0].textContent);
      return match !== null && Number(match[1]) <= x - 0.5;
    }, [STATUS.source, before], { timeout: WAIT_MS });
    await page.evaluate(loseFocus);
    const seen = [];
    for (let i = 0; i < 3; ++i) {  // changed frames, to see the pose in each
      turn += 1;
      await moveLocked(page, 10);
      await waitForAngle(page, turn.toFixed(6));
      seen.push((await status(page)).x);
    }
    await page.keyboard.up('w');
    check(name, seen[1] === seen[0] && seen[2] === seen[0], seen.join(', '));
  }

  // 0.1 degree a pixel of the locked pointer's motion (Playwright's pointer is still at 640).
  await page.mouse.move(660, 360);
  turn += 2;
  await step('20 pixels to the right turn the view by 2 degrees',
    () => waitForAngle(page, turn.toFixed(6)));
  await page.mouse.move(610, 360);
  turn -= 5;
  await step('50 pixels to the left turn it back by 5 degrees',
    () => waitForAngle(page, turn.toFixed(6)));

  // A steady sideways motion turns steadily across the wrap at the right edge of a screen as
  // wide as the page (1280 pixels): the cursor is at 640 + 6 x 10 + 20 - 50 = 670, so the 12th
  // move of 50 pixels reaches 1270, where it wraps to 11, and the 8 after it go on from there.
  let wrapped = true;
  const angles = [];
  for (let i = 0; i < 20 && wrapped; ++i) {
    turn += 5;
    await moveLocked(page, 50);
    wrapped = await waitForAngle(page, turn.toFixed(6)).then(() => true, () => false);
    const lock = await page.evaluate(() => document.pointerLockElement !== null);
    angles.push((await status(page)).angle + (lock ? '' : ' (lock lost)'));
  }
  check('locked motion turns steadily across the cursor wrap', wrapped, angles.join(' '));

  await page.keyboard.press('Escape');
  const left = await page.waitForFunction(() => document.pointerLockElement === null, null,
    { timeout: 3000 }).then(() => true, () => false);
  if (!left) {
    console.log('note: headless Chromium keeps the lock on Escape; leaving it from the page');
    await page.evaluate(() => document.exitPointerLock());
    await page.waitForFunction(() => document.pointerLockElement === null);
  }
  // The wrap left the cursor at 11 + 8 x 50 = 411. Unlocked, the pointer's place over the page
  // is the cursor.
  await page.mouse.move(411 + 30, 360);
  turn += 3;
  await step('without the lock the pointer\'s place over the page is the cursor',
    () => waitForAngle(page, turn.toFixed(6)));

  // The grid keeps its cells' shape and fills the room it has, in a tall window too.
  for (const viewport of [{ width: 1280, height: 720 }, { width: 700, height: 900 }]) {
    await page.setViewportSize(viewport);
    const fits = await page.waitForFunction(() => {
      const grid = document.getElementById('grid');
      const stage = document.getElementById('stage').getBoundingClientRect();
      const box = grid.getBoundingClientRect();
      const shape = (box.width / box.height) / (grid.offsetWidth / grid.offsetHeight);
      const fillsOneWay = Math.abs(box.width - stage.width) < 1.5 ||
        Math.abs(box.height - stage.height) < 1.5;
      const inside = box.left >= stage.left - 0.5 && box.right <= stage.right + 0.5 &&
        box.top >= stage.top - 0.5 && box.bottom <= stage.bottom + 0.5;
      return Math.abs(shape - 1) < 0.005 && fillsOneWay && inside;
    }, null, { timeout: 5000 }).then(() => true, () => false);
    check('the grid fits a ' + viewport.width + ' x ' + viewport.height + ' window keeping ' +
      'its cells\' shape', fits);
  }
  await page.close();
}

async function settingsThenDemoOne(browser, origin) {
  const page = await openPage(browser, origin, []);
  await holdUntilMarker(page, 'ArrowDown', 6, 'Settings');
  await page.keyboard.press('Enter');
  await step('Enter on "Settings" asks for the width', () => waitForRow(page, 2, 'Width? '));
  await page.keyboard.type('81');
  await page.keyboard.press('Backspace');
  await step('typed digits are echoed and Backspace takes one back',
    () => page.waitForFunction(() =>
      document.getElementById('grid').children[2].textContent.trimEnd() === 'Width? 8'));
  await page.keyboard.type('0 25');
  await page.keyboard.press('Enter');
  await step('"80 25" answers both prompts', () => waitForRow(page, 4, 'Height? Set resolution: 80x25'));
  check('the width is confirmed on its own line', (await rowText(page, 3)).startsWith('Set width: 80'));
  await step('the menu comes back with the marker beside "Settings"',
    () => waitForRow(page, 6, 'Settings    <--'));
  await holdUntilMarker(page, 'ArrowUp', 0, 'Run DEMO 1');
  await page.keyboard.press('Enter');
  await step('demo 1 starts on the new frame size', () => waitForRow(page, 0, 'X:6.000000 Y:6.000000 A:180.000000'));
  const size = await page.waitForFunction(() => {
    const grid = document.getElementById('grid');
    return grid.dataset.columns === '80' && grid.children.length === 25 &&
      grid.children[0].textContent.length === 80;
  }, null, { timeout: WAIT_MS }).then(() => true, () => false);
  check('demo 1 renders 80 x 25 and the grid follows', size);

  // W held for a second: one step of 0.25 a frame, each frame at least its 40 ms pause, until
  // the wall 5 cells ahead; nothing more once it is released.
  await recordFrames(page);
  const pressedAt = await page.evaluate(() => performance.now());
  await page.keyboard.down('w');
  await page.waitForTimeout(1000);  // the hold itself, not a wait for the game
  await page.keyboard.up('w');
  const releasedAt = await page.evaluate(() => performance.now());
  for (let i = 1; i <= 2; ++i) {  // changed frames after the release, to see the pose in each
    await page.mouse.move(640 + 10 * i, 360);  // no lock: the cursor is where the pointer is
    await step('a turn after the release (' + i + ')',
      () => waitForAngle(page, (180 + i).toFixed(6)));
  }
  const frames = await page.evaluate(() => window.shownFrames);
  const poses = frames.map((f) => ({ at: f.at, x: Number(STATUS.exec(f.text)?.[1]) }))
    .filter((f) => !Number.isNaN(f.x));
  const xs = poses.map((p) => p.x);
  const steps = xs.slice(1).map((x, i) => xs[i] - x);
  check('each frame with W held walks exactly one step of 0.25',
    steps.length > 0 && steps.every((s) => s === 0.25 || s === 0), xs.join(' '));
  const walked = (6 - xs[xs.length - 1]) / 0.25;
  const heldMs = releasedAt - pressedAt;
  check('about one step per 40 ms frame while held, up to the wall',
    walked >= Math.min(20, Math.floor(heldMs / 160)) && walked <= Math.floor(heldMs / 40) + 1,
    walked + ' steps in ' + Math.round(heldMs) + ' ms');
  const moving = poses.filter((p, i) => i > 0 && p.x !== poses[i - 1].x);
  const gaps = moving.slice(1).map((p, i) => p.at - moving[i].at);
  const median = gaps.slice().sort((a, b) => a - b)[Math.floor(gaps.length / 2)];
  console.log('note: ' + walked + ' steps in ' + Math.round(heldMs) + ' ms with W held, ' +
    Math.round(median) + ' ms apart (median)');
  check('no step comes sooner than a frame\'s 40 ms pause', gaps.every((g) => g >= 35),
    gaps.map(Math.round).join(' '));
  const after = poses.filter((p) => p.at > releasedAt).map((p) => p.x);
  check('walking stops at once on release', after.length >= 2 && after.every((x) => x === after[0]) &&
    xs.filter((x, i) => poses[i].at <= releasedAt).every((x) => x >= after[0]),
    'after the release: ' + after.join(' '));
  await page.close();
}

async function endOfInput(browser, origin) {
  const page = await openPage(browser, origin, []);
  const ends = [
    ['Ctrl+D at the width prompt goes back to the menu', () => page.keyboard.press('Control+D')],
    ['the "end of input" button does the same', () => page.click('#end-input')],
  ];
  await holdUntilMarker(page, 'ArrowDown', 6, 'Settings');
  for (const [name, end] of ends) {
    await page.keyboard.press('Enter');
    await waitForRow(page, 2, 'Width? ');
    await end();
    await step(name, () => page.waitForFunction(() => {
      const rows = document.getElementById('grid').children;
      return rows[0].textContent.startsWith('Run DEMO 1') &&
        rows[6].textContent.startsWith('Settings    <--');
    }, null, { timeout: WAIT_MS }));
  }
  check('the button does not keep the focus, so Enter never presses it',
    await page.evaluate(() => document.activeElement !== document.getElementById('end-input')));
  await page.close();
}

(async () => {
  for (const file of ['index.html', 'mazecast.js', 'mazecast.wasm']) {
    if (!fs.existsSync(path.join(buildDir, file))) {
      console.log('FAILED: ' + file + ' is not in ' + buildDir + ' (make web)');
      process.exit(1);
    }
  }
  const server = await serve(buildDir);
  const origin = 'http://127.0.0.1:' + server.address().port;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'mazecast-chromium-'));
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1280, height: 720 },
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    for (const scenario of [menuAndDemoOne, settingsThenDemoOne, endOfInput]) {
      try {
        await scenario(browser, origin);
      } catch (error) {
        if (!(error instanceof Stop)) {
          check(scenario.name + ' ran to its end', false, error.stack);
        }
      }
    }
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  console.log(passed + ' passed, ' + failed + ' failed');
  process.exit(failed === 0 ? 0 : 1);
})();
