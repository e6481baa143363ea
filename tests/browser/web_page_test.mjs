// The status page in a real browser (Debian's chromium, driven by playwright-core).
//
//   node web_page_test.mjs test BUILD_DIR SOURCE_DIR
//       a demo farm (kestrion-demo --web-port P) and the page on it: scenes and nodes shown, a
//       booked frame moves a progress bar without a reload, the layout holds at 390 px, the page
//       says when the Master is gone; then a stand-in Master for what the demo never shows
//       (hostile names, a bright base colour). Screenshots go to BUILD_DIR/browser.
//   node web_page_test.mjs screenshot BUILD_DIR SOURCE_DIR OUTPUT.png
//       only the picture of the page on the demo farm, for the README.
//
// Exits 77 (skipped) when chromium or playwright-core is missing.
import { spawn } from 'node:child_process';
import { existsSync, mkdirSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:net';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { startFakeMaster } from './fake_master.mjs';

const Skipped = 77;
const Chromium = process.env.KESTRION_CHROMIUM || '/usr/bin/chromium';
const StepMs = 20000;
const WholeTestMs = 90000;

const [mode, buildArgument, sourceArgument, outputArgument] = process.argv.slice(2);
if (!['test', 'screenshot'].includes(mode) || !buildArgument || !sourceArgument
    || (mode === 'screenshot' && !outputArgument)) {
  console.error('usage: web_page_test.mjs test BUILD_DIR SOURCE_DIR\n'
    + '       web_page_test.mjs screenshot BUILD_DIR SOURCE_DIR OUTPUT.png');
  process.exit(2);
}
const build = resolve(buildArgument);
const source = resolve(sourceArgument);

function skip(what) {
  console.log(`SKIPPED: ${what} is missing; scripts/bootstrap installs it (Debian chromium, npm ci in tests/browser).`);
  process.exit(Skipped);
}

if (!existsSync(Chromium)) skip(`chromium (${Chromium})`);
let chromium;
try {
  ({ chromium } = await import('playwright-core'));
} catch {
  skip(`playwright-core (${join(dirname(fileURLToPath(import.meta.url)), 'node_modules')})`);
}

// --- Helpers ------------------------------------------------------------------------------

const cleanups = [];
let failed = false;

function check(condition, text) {
  if (!condition) throw new Error(text);
  console.log(`ok: ${text}`);
}

function freePort() {
  return new Promise((done, fail) => {
    const probe = createServer();
    probe.once('error', fail);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => done(port));
    });
  });
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// --- The demo farm ------------------------------------------------------------------------

// The processes of the farm whose command line names its directory: kestriond and its nodes run
// in process groups of their own, so a demo killed hard leaves them behind.
function farmProcesses(root) {
  const pids = [];
  for (const entry of readdirSync('/proc')) {
    if (!/^\d+$/.test(entry) || Number(entry) === process.pid) continue;
    try {
      if (readFileSync(`/proc/${entry}/cmdline`, 'latin1').includes(root)) pids.push(Number(entry));
    } catch { /* gone meanwhile */ }
  }
  return pids;
}

async function startDemo() {
  const port = await freePort();
  const programs = ['kestrion-demo', 'kestriond', 'kestrion-node'].map((name) => join(build, name));
  for (const program of programs) if (!existsSync(program)) throw new Error(`no ${program}: build it first`);
  const demo = spawn(programs[0], ['--web-port', String(port), programs[1], programs[2]], {
    stdio: ['ignore', 'pipe', 'pipe'],
    // Slower frames than the demo's own, so the page sees pieces booked one by one.
    env: { ...process.env, KESTRION_NODE_OPTIONS: '--frame-time 700', QT_QPA_PLATFORM: 'offscreen' },
  });
  const farm = { demo, port, url: `http://127.0.0.1:${port}/`, root: null, output: '', exited: null };
  demo.stdout.on('data', (chunk) => {
    farm.output += chunk;
    farm.root ??= /Demo farm: (\S+)/.exec(farm.output)?.[1] ?? null;
  });
  demo.stderr.on('data', (chunk) => { farm.output += chunk; });
  farm.exited = new Promise((done) => demo.once('exit', (code, signal) => done(code ?? signal)));
  // Stopped early, the demo keeps its farm for a look at the logs: only a failure needs them.
  cleanups.push(() => {
    if (!farm.root) return;
    if (!failed) rmSync(farm.root, { recursive: true, force: true });
    else console.error(`kestrion-demo said:\n${farm.output}\nThe farm is kept in ${farm.root}.`);
  });
  cleanups.push(() => stopDemo(farm));
  return farm;
}

// Stops the demo as Ctrl+C would (it then stops the farm in order); kills what is left.
async function stopDemo(farm) {
  const timeout = (ms) => sleep(ms).then(() => 'timeout');
  if (farm.demo.exitCode === null && farm.demo.signalCode === null) {
    farm.demo.kill('SIGTERM');
    if ((await Promise.race([farm.exited, timeout(15000)])) === 'timeout') farm.demo.kill('SIGKILL');
  }
  for (const pid of farm.root ? farmProcesses(farm.root) : []) {
    try { process.kill(pid, 'SIGKILL'); } catch { /* gone meanwhile */ }
  }
}

async function openPage(browser, url, viewport) {
  const page = await browser.newPage({ viewport });
  page.setDefaultTimeout(StepMs);
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  const deadline = Date.now() + StepMs;
  for (;;) {
    try {
      await page.goto(url, { timeout: 3000 });
      break;
    } catch (error) {
      if (Date.now() > deadline) throw new Error(`the page at ${url} did not answer: ${error.message}`);
      await sleep(250);
    }
  }
  return { page, errors };
}

// No element may stick out of a phone's screen, nor may the page scroll sideways.
async function checkPhoneWidth(page, where) {
  await page.setViewportSize({ width: 390, height: 844 });
  const overflow = await page.evaluate(() => {
    const width = document.documentElement.clientWidth;
    const wide = [...document.querySelectorAll('body *')]
      .filter((node) => node.getBoundingClientRect().right > width + 0.5)
      .map((node) => `${node.tagName.toLowerCase()}${node.id ? '#' + node.id : ''}.${node.className}`);
    return { scrollWidth: document.documentElement.scrollWidth, wide };
  });
  check(overflow.scrollWidth <= 390 && overflow.wide.length === 0,
    `nothing is wider than a 390 px screen ${where} (scrollWidth ${overflow.scrollWidth}`
    + `${overflow.wide.length ? ', too wide: ' + overflow.wide.join(' ') : ''})`);
}

const progressOf = (page) => page.$$eval('#queue-rows .bar', (bars) => bars.map((bar) => Number(bar.getAttribute('aria-valuenow'))));

// --- The page on the demo farm ------------------------------------------------------------

async function demoFarmChecks(browser, pictures) {
  const farm = await startDemo();
  const { page, errors } = await openPage(browser, farm.url, { width: 1280, height: 900 });
  let navigations = 0;
  page.on('framenavigated', (frame) => { if (frame === page.mainFrame()) navigations += 1; });

  await page.waitForSelector('#connection.live');
  await page.waitForSelector('#nodes .node');
  await page.waitForSelector('#queue-rows tr.scene');
  check(await page.textContent('#queue-rows .scene-name') === 'demo.lws', 'the queue shows the demo\'s scene');
  check((await page.$$('#nodes .node')).length === 4, 'the nodes show the demo\'s four render nodes');
  check(await page.textContent('#farm-name') === 'DemoMaster', 'the header names the farm');

  const before = (await progressOf(page))[0];
  await page.waitForFunction((start) => {
    const bar = document.querySelector('#queue-rows .bar');
    return bar && Number(bar.getAttribute('aria-valuenow')) > start;
  }, before, { timeout: 30000 });
  const after = (await progressOf(page))[0];
  check(after > before && navigations === 0, `a booked frame moved the progress bar (${before} to ${after} frames) without a reload`);
  check(await page.$eval('#events', (list) => list.children.length > 0), 'the events are shown');

  await page.screenshot({ path: pictures.desktop, fullPage: true });
  await checkPhoneWidth(page, 'on the demo farm');
  await page.screenshot({ path: pictures.narrow, fullPage: true });

  await stopDemo(farm);
  await page.waitForSelector('#connection.lost');
  check(/cannot be reached/.test(await page.textContent('#connection')), 'the page says when the Master is gone');
  check(errors.length === 0, `no script errors on the page${errors.length ? ': ' + errors.join('; ') : ''}`);
}

async function screenshotOnly(browser, output) {
  const farm = await startDemo();
  const { page } = await openPage(browser, farm.url, { width: 1100, height: 800 });
  // Halfway through the scene the nodes are busy and the bar is partly filled.
  await page.waitForFunction(() => {
    const bar = document.querySelector('#queue-rows .bar');
    return bar && Number(bar.getAttribute('aria-valuenow')) >= Number(bar.getAttribute('aria-valuemax')) / 3;
  }, null, { timeout: 45000 });
  await page.screenshot({ path: output, fullPage: true });
  console.log(`saved ${output}`);
}

// --- What the demo never shows ------------------------------------------------------------

const Hostile = '<img src=x onerror="window.pwned=1">shot.lws';

function scene(id, state, done, extra = {}) {
  return { id, file: `/farm/shots/${id}.lws`, name: `${id}.lws`, priority: 2, priorityName: 'normal', state,
    framesDone: done, framesTotal: 48, nodes: state === 'rendering' ? 1 : 0, secondsLeft: null, timeLeft: null,
    verified: state === 'verified', verifyTimes: 0, automaticVerify: true, owner: 'artist', added: null, ...extra };
}

// A bright base the user picked: the text must stay readable on every surface.
const BrightFarm = { name: '<b>Studio</b>', mode: 'master', transport: 'local', scenes: 5, computers: 1, rendering: 1,
  framesTotal: 240, framesLeft: 100,
  colours: { base: '#ffe680', bright: '#ffffdf', light: '#ffff9f', pale: '#fff2bf', half: '#7f7340', third: '#554c2a',
    alert: '#fae680', states: { ready: '#7fa540', rendering: '#b1a572', offline: '#4d4100', other: '#fefefe' } } };

async function fixtureChecks(browser, pictures) {
  const snapshot = () => [
    ['farm', BrightFarm],
    ['scenes', { changed: [scene(1, 'rendering', 10, { name: Hostile, file: `/farm/${Hostile}`, timeLeft: '00:01:35' }),
      scene(2, 'waiting', 0), scene(3, 'finished', 48), scene(4, 'verified', 48), scene(5, 'frames missing', 40)],
    removed: [], order: [1, 2, 3, 4, 5] }],
    ['computers', { changed: [{ number: 1, name: '<i>node</i>', state: 'Rendering frame 12', stateCode: 'rendering',
      sceneId: 1, scene: `/farm/${Hostile}`, frames: '11-12', framesRendered: 3, memory: 1024, processors: 4 }],
    removed: [], order: [1] }],
    ['events', { events: [{ number: 1, time: '2026-12-09 20:01:02', level: 1, origin: 'Master', type: 'Started', comment: '' },
      { number: 2, time: '2026-12-09 20:01:03', level: 5, origin: '<script>window.pwned=1</script>', type: 'Node', comment: Hostile }] }],
  ];
  const fake = await startFakeMaster(join(source, 'resources/web'), snapshot);
  cleanups.push(() => fake.close());
  const { page, errors } = await openPage(browser, fake.url, { width: 1280, height: 800 });
  await page.waitForSelector('#queue-rows tr.scene');

  const injected = await page.evaluate(() => ({
    pwned: window.pwned === 1,
    elements: document.querySelectorAll('main img, main b, main i, main script, header b:not([id])').length,
  }));
  check(!injected.pwned && injected.elements === 0, 'names and comments from the farm are shown as text, never as markup');
  check(await page.textContent('#queue-rows .scene-name') === Hostile && await page.textContent('#farm-name') === '<b>Studio</b>',
    'a hostile name is shown literally');
  check(await page.$eval('#queue-rows .scene-name', (name) => name.title) === `/farm/${Hostile}`, 'the scene\'s file is its tooltip');
  const states = await page.$$eval('#queue-rows tr', (rows) => rows.map((row) => row.className));
  check(new Set(states).size === 5, `each scene state has its own look (${states.join(', ')})`);
  check(await page.textContent('#queue-rows tr:nth-child(2) .left') === '—', 'an unknown time left shows as a dash');
  check(await page.$eval('#events li:first-child', (item) => !item.classList.contains('major'))
    && await page.$eval('#events li:last-child', (item) => item.classList.contains('major')),
  'the newest event comes first and major ones stand out');

  // WCAG's contrast ratio of every text against the colour actually behind it.
  const worst = await page.evaluate(() => {
    const rgb = (text) => (text.match(/[\d.]+/g) || []).map(Number);
    const lum = ([r, g, b]) => [r, g, b].map((c) => { c /= 255; return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4; })
      .reduce((sum, c, i) => sum + c * [0.2126, 0.7152, 0.0722][i], 0);
    const behind = (node) => {
      for (; node; node = node.parentElement) {
        const colour = rgb(getComputedStyle(node).backgroundColor);
        if (colour.length === 3 || (colour.length === 4 && colour[3] > 0.5)) return colour;
      }
      return [255, 255, 255];
    };
    let low = { ratio: 99 };
    for (const node of document.querySelectorAll('body *')) {
      const own = [...node.childNodes].some((child) => child.nodeType === 3 && child.textContent.trim());
      if (!own || node.getClientRects().length === 0) continue;
      const a = lum(rgb(getComputedStyle(node).color));
      const b = lum(behind(node));
      const ratio = (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
      if (ratio < low.ratio) low = { ratio, node: `${node.tagName}.${node.className} "${node.textContent.slice(0, 30)}"` };
    }
    return low;
  });
  check(worst.ratio >= 4.5, `text is readable on a bright base colour (lowest contrast ${worst.ratio.toFixed(2)} at ${worst.node})`);
  await page.screenshot({ path: pictures.bright, fullPage: true });
  await checkPhoneWidth(page, 'with long names');
  await page.screenshot({ path: pictures.brightNarrow, fullPage: true });

  fake.send('scenes', { changed: [scene(2, 'rendering', 5)], removed: [3], order: [2, 1, 4, 5] });
  await page.waitForFunction(() => document.querySelectorAll('#queue-rows tr').length === 4);
  const order = await page.$$eval('#queue-rows tr', (rows) => rows.map((row) => row.dataset.id).join(' '));
  check(order === '2 1 4 5', `a change of the queue's order and a removed scene are applied (${order})`);

  // The Master goes away and comes back with another queue: its snapshot replaces the old one.
  fake.refuseStreams = true;
  fake.dropStreams();
  await page.waitForSelector('#connection.lost');
  check(true, 'a lost stream is said at once');
  const later = () => [['scenes', { changed: [scene(7, 'waiting', 0)], removed: [], order: [7] }],
    ['computers', { changed: [], removed: [], order: [] }], ['events', { events: [] }]];
  fake.snapshot = later;
  fake.refuseStreams = false;
  await page.waitForSelector('#connection.live', { timeout: 15000 });
  await page.waitForFunction(() => document.querySelectorAll('#queue-rows tr').length === 1);
  check(await page.textContent('#queue-rows tr .scene-name') === '7.lws' && await page.$$eval('#nodes .node', (n) => n.length) === 0
    && await page.$$eval('#events li', (n) => n.length) === 0,
  'after a reconnect the new snapshot replaces the queue, the nodes and the events');
  check(errors.length === 0, `no script errors on the page${errors.length ? ': ' + errors.join('; ') : ''}`);
}

// --- Main ---------------------------------------------------------------------------------

const watchdog = setTimeout(() => {
  console.error(`FAILED: the test took longer than ${WholeTestMs / 1000} s`);
  failed = true;
  finish();
}, WholeTestMs);

let browser;
let finishing = false;
async function finish() {
  if (finishing) return;
  finishing = true;
  for (const cleanup of cleanups.reverse()) {
    try { await cleanup(); } catch (error) { console.error(`cleanup: ${error.message}`); }
  }
  try { await browser?.close(); } catch { /* already gone */ }
  clearTimeout(watchdog);
  process.exit(failed ? 1 : 0);
}
for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => { failed = true; finish(); });

try {
  browser = await chromium.launch({ executablePath: Chromium, timeout: StepMs, args: ['--no-sandbox'] });
  if (mode === 'screenshot') {
    mkdirSync(dirname(resolve(outputArgument)), { recursive: true });
    await screenshotOnly(browser, resolve(outputArgument));
  } else {
    const directory = join(build, 'browser');
    mkdirSync(directory, { recursive: true });
    await fixtureChecks(browser, { bright: join(directory, 'web-page-bright.png'), brightNarrow: join(directory, 'web-page-bright-390.png') });
    await demoFarmChecks(browser, { desktop: join(directory, 'web-page.png'), narrow: join(directory, 'web-page-390.png') });
    console.log(`screenshots in ${directory}`);
  }
} catch (error) {
  failed = true;
  console.error(`FAILED: ${error.message}`);
}
await finish();
