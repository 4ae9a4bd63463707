#!/usr/bin/env node
// What the page costs in headless Chromium: for 120 x 40 and 512 x 512 frames while turning (a
// held Right arrow turns every frame), the frames the game presents a second and how many of
// them the page drew, the gaps between presentations (median and 95th percentile), the page's
// work a frame (taking the rows and drawing them), style and layout a frame and the main
// thread's busy share; for the idle menu and the idle settings prompt, the timer wake-ups a
// second and the busy share. Run by hand against a built site:
//   node bench/web_page_bench.js [SITE_DIR] [SECONDS]      (default build-web/site, 5)
// Needs playwright-core (npm ci in tests/platform/web) and Chromium at $CHROMIUM or
// /usr/bin/chromium; serves the site with src/platform/web/serve_site.py.
'use strict';

const childProcess = require('child_process');
const path = require('path');

const root = path.join(__dirname, '..');
const { chromium } = require(path.join(root, 'tests', 'platform', 'web', 'node_modules',
  'playwright-core'));
const site = path.resolve(process.argv[2] || path.join(root, 'build-web', 'site'));
const seconds = Number(process.argv[3] || 5);

function serve() {
  const server = childProcess.spawn('python3',
    [path.join(root, 'src', 'platform', 'web', 'serve_site.py'), '--port', '0', site],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve) => server.stdout.once('data', (data) =>
    resolve({ server, origin: /http:\/\/127\.0\.0\.1:\d+/.exec(String(data))[0] })));
}

// Counts timer callbacks, before the page's own scripts run.
function instrument() {
  window.benchTimers = 0;
  const setTimer = window.setTimeout;
  window.setTimeout = function (callback, ...rest) {
    return setTimer.call(window, function () {
      window.benchTimers += 1;
      return callback.apply(this, arguments);
    }, ...rest);
  };
}

// Notes each presentation (the game hands the page its changed rows) and each drawing of them
// (at the next animation frame), and the time spent in both.
function timePresentations() {
  window.benchShows = [];
  window.benchDraws = 0;
  window.benchShowMs = 0;
  const show = window.Module.showConsole;
  window.Module.showConsole = function () {
    const start = performance.now();
    show.apply(this, arguments);
    window.benchShowMs += performance.now() - start;
    window.benchShows.push(start);
  };
  const draw = window.Module.drawGrid;
  window.Module.drawGrid = function () {
    const start = performance.now();
    draw.apply(this, arguments);
    window.benchShowMs += performance.now() - start;
    window.benchDraws += 1;
  };
}

async function metrics(cdp) {
  const { metrics: list } = await cdp.send('Performance.getMetrics');
  return Object.fromEntries(list.map((m) => [m.name, m.value]));
}

// Runs `seconds` of whatever the page does now; the figures of that stretch.
async function measure(page, cdp, span) {
  await page.evaluate(() => {
    window.benchTimers = 0;
    window.benchShows = [];
    window.benchDraws = 0;
    window.benchShowMs = 0;
  });
  const before = await metrics(cdp);
  const started = Date.now();
  await page.waitForTimeout(span * 1000);
  const after = await metrics(cdp);
  const wall = (Date.now() - started) / 1000;
  const page_ = await page.evaluate(() => ({ timers: window.benchTimers,
    shows: window.benchShows, draws: window.benchDraws, showMs: window.benchShowMs }));
  const gaps = page_.shows.slice(1).map((t, i) => t - page_.shows[i]).sort((a, b) => a - b);
  const frames = Math.max(page_.shows.length, 1);
  return {
    framesPerSecond: page_.shows.length / wall,
    drawsPerSecond: page_.draws / wall,
    gapMedian: gaps.length ? gaps[Math.floor(gaps.length / 2)] : NaN,
    gapP95: gaps.length ? gaps[Math.min(gaps.length - 1, Math.floor(gaps.length * 0.95))] : NaN,
    drawMsPerFrame: page_.showMs / frames,
    layoutMsPerFrame: ((after.LayoutDuration - before.LayoutDuration) +
      (after.RecalcStyleDuration - before.RecalcStyleDuration)) * 1000 / frames,
    busy: (after.TaskDuration - before.TaskDuration) / wall,
    wakeUps: page_.timers / wall,
    heapMB: after.JSHeapUsedSize / 1048576,
  };
}

function waitForRow(page, row, text) {
  return page.waitForFunction(([n, start]) => {
    const element = document.getElementById('text').children[n];
    return element !== undefined && element.textContent.startsWith(start);
  }, [row, text], { timeout: 30000 });
}

async function openMenu(context) {
  const page = await context.newPage();
  await page.addInitScript(instrument);
  await page.goto(context.origin + '/');
  await waitForRow(page, 0, 'Run DEMO 1');
  await page.evaluate(timePresentations);
  const cdp = await context.newCDPSession(page);
  await cdp.send('Performance.enable');
  return { page, cdp };
}

async function toSettings(page) {
  await page.keyboard.down('ArrowDown');
  await waitForRow(page, 6, 'Settings    <--');
  await page.keyboard.up('ArrowDown');
  await page.keyboard.press('Enter');
  await waitForRow(page, 2, 'Width?');
}

async function turning(context, size) {
  const { page, cdp } = await openMenu(context);
  if (size !== '120 40') {
    await toSettings(page);
    await page.keyboard.type(size);
    await page.keyboard.press('Enter');
    await waitForRow(page, 6, 'Settings    <--');
    await page.keyboard.down('ArrowUp');
    await waitForRow(page, 0, 'Run DEMO 1  <--');
    await page.keyboard.up('ArrowUp');
  }
  await page.keyboard.press('Enter');
  await waitForRow(page, 0, 'X:6.000000');
  await page.keyboard.down('ArrowRight');
  await page.waitForTimeout(500);
  const figures = await measure(page, cdp, seconds);
  await page.keyboard.up('ArrowRight');
  await page.close();
  return figures;
}

async function idle(context, where) {
  const { page, cdp } = await openMenu(context);
  if (where === 'prompt') {
    await toSettings(page);
  }
  await page.waitForTimeout(500);
  const figures = await measure(page, cdp, seconds * 2);
  await page.close();
  return figures;
}

(async () => {
  const { server, origin } = await serve();
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const context = await browser.newContext({ viewport: { width: 1280, height: 720 } });
  context.origin = origin;
  const f1 = (v) => v.toFixed(1);
  const f2 = (v) => v.toFixed(2);
  try {
    console.log('| turning | frames/s | drawn/s | gap median | gap p95 | page work/frame | ' +
      'style+layout/frame | main thread busy | JS heap |');
    console.log('|---|---|---|---|---|---|---|---|---|');
    for (const size of ['120 40', '512 512']) {
      const r = await turning(context, size);
      console.log('| ' + size.replace(' ', ' × ') + ' | ' + f1(r.framesPerSecond) + ' | ' +
        f1(r.drawsPerSecond) + ' | ' + f1(r.gapMedian) + ' ms | ' + f1(r.gapP95) + ' ms | ' + f2(r.drawMsPerFrame) + ' ms | ' +
        f2(r.layoutMsPerFrame) + ' ms | ' + f1(r.busy * 100) + '% | ' + f1(r.heapMB) + ' MB |');
    }
    console.log('');
    console.log('| idle | timer wake-ups/s | presentations/s | main thread busy |');
    console.log('|---|---|---|---|');
    for (const where of ['menu', 'prompt']) {
      const r = await idle(context, where);
      console.log('| ' + where + ' | ' + f1(r.wakeUps) + ' | ' + f1(r.framesPerSecond) + ' | ' +
        f2(r.busy * 100) + '% |');
    }
  } finally {
    await browser.close();
    server.kill();
  }
})();
