// The headless half of scripts/demo: opens the panel that bexa serves in
// headless chromium and, as a user would, picks a selection from two
// volumes of the demo computer (one of them enciphered), restores it into a
// folder and reads the summary. scripts/demo compares the files afterwards.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const { launchBrowser, screenshot, ctl } = require('./harness');

const LAUNCH_FILE = process.env.BEXA_LAUNCH_FILE;
const SECRET_KEY = process.env.BEXA_SECRET_KEY;
const RESTORE_FOLDER = process.env.BEXA_RESTORE_FOLDER || 'C:\\Restored';
const TREE = ctl(101, 1029);
const LIST = ctl(101, 1030);

function log(text) { process.stdout.write(`demo-headless: ${text}\n`); }

// The tree node whose label is text, as a locator.
function node(page, text) {
  return page.locator(`${TREE} .node`).filter({ has: page.locator('.label', { hasText: new RegExp(`^${text.replace(/[\\$.*+?()[\]{}|^]/g, '\\$&')}$`) }) }).first();
}

// Answers what the panel asks on the way: the fetch question (Yes) and the
// Secret Key Entry (the demo's key). Returns whether it answered anything.
async function answerPrompts(page) {
  if (await page.locator('section.win.msgbox').count()) {
    const text = (await page.textContent('section.win.msgbox')).trim();
    log(`message box: ${text.replace(/\s+/g, ' ').slice(0, 120)}`);
    const yes = page.locator('section.win.msgbox [data-ctl="6"]');
    if (await yes.count()) await yes.click(); else await page.locator('section.win.msgbox [data-ctl="1"]').click();
    await page.waitForTimeout(200);
    return true;
  }
  if (await page.locator(ctl(130, 1024)).count()) {
    log(`secret key asked (${(await page.textContent(ctl(130, 1026))).trim()})`);
    await page.fill(ctl(130, 1024), SECRET_KEY);
    await page.click(ctl(130, 1));
    await page.waitForTimeout(200);
    return true;
  }
  return false;
}

// Waits for fn to become true, answering prompts meanwhile.
async function until(page, what, fn, timeoutMs = 60000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    // A condition counts only while nothing modal waits for an answer.
    if (!(await answerPrompts(page))) {
      if (await fn() && !(await answerPrompts(page))) return;
      await page.waitForTimeout(150);
    }
    if (Date.now() > end) {
      await screenshot(page, 'demo-failure');
      throw new Error(`timed out waiting for ${what}`);
    }
  }
}

async function expand(page, text) {
  const n = node(page, text);
  await until(page, `tree node ${text}`, async () => (await n.count()) > 0);
  if ((await n.getAttribute('data-open')) !== '1') {
    await n.locator('.twisty').click();
    await until(page, `${text} open`, async () => (await n.getAttribute('data-open')) === '1');
  }
}

// Selects the node, which shows its list (a volume's is fetched first).
async function select(page, text) {
  const n = node(page, text);
  await until(page, `tree node ${text}`, async () => (await n.count()) > 0);
  await n.locator('.label').click();
  await until(page, `${text} selected`, async () => (await n.getAttribute('aria-selected')) === 'true');
  return n;
}

async function tick(page, text) {
  const n = await select(page, text);
  const before = await n.locator('.chk').getAttribute('class');
  await n.locator('.chk').click();
  await until(page, `${text} ticked`, async () => (await n.locator('.chk').getAttribute('class')) !== before);
}

// The page's script bridge to ProcVals: ChkVals by name from the page, and
// the door closed to a caller without the page's token.
async function checkScriptBridge(page, port) {
  const call = (member, body) => page.evaluate(async ([m, b]) => {
    const r = await fetch(`/call/ProcVals/${m}`, { method: 'POST', body: b });
    return `${r.status} ${(await r.text()).trim()}`;
  }, [member, body]);
  assert.equal(await call('ChkVals', 'lng=ENG;svr=127.0.0.1;prt=1;usr=u;pwd=p;'), '200 0');
  assert.equal(await call('chkvals', 'usr=u;pwd=p;'), '200 1', 'values missing: 1, any case of the name');
  assert.match(await call('Nothing', ''), /^404 /);
  const status = await new Promise((resolve, reject) => {
    const req = http.request({ host: '127.0.0.1', port, method: 'POST', path: '/call/ProcVals/ChkVals',
      headers: { Host: `127.0.0.1:${port}` } });
    req.on('response', (res) => { res.resume(); resolve(res.statusCode); });
    req.on('error', reject);
    req.end('lng=ENG;svr=127.0.0.1;prt=1;usr=u;pwd=p;');
  });
  assert.equal(status, 403, 'no token, no call');
  log('script bridge: ChkVals 0 and 1 through the page, 404 for an unknown member, 403 without the token');
}

async function main() {
  if (!LAUNCH_FILE || !SECRET_KEY) throw new Error('BEXA_LAUNCH_FILE and BEXA_SECRET_KEY must be set');
  const url = fs.readFileSync(LAUNCH_FILE, 'utf8').match(/url=([^"]+)"/)[1];
  const browser = await launchBrowser();
  try {
    const page = await browser.context.newPage();
    await page.goto(url);
    await page.waitForSelector('body[data-connected="1"]');
    await until(page, 'the logon', async () =>
      /Connection successful/.test((await page.textContent(ctl(101, 1000)).catch(() => '')) || ''));
    log('logged on');
    for (const step of (process.env.BEXA_DEMO_PATH || 'DEMO-PC').split('/')) await expand(page, step);
    await select(page, 'C');
    await expand(page, 'C');
    await expand(page, 'Users');
    await expand(page, 'Demo');
    await tick(page, 'Documents');
    await select(page, 'D');
    await expand(page, 'D');
    await tick(page, 'Photos');
    log(`selection: ${(await page.textContent(ctl(101, 1051))).trim()}, ${(await page.textContent(ctl(101, 1052))).trim()}`);
    await screenshot(page, 'demo-panel');
    await page.click(ctl(101, 1035));  // Restore Now
    await until(page, 'the Restore Destination dialog', async () => (await page.locator(ctl(525, 1077)).count()) > 0);
    await page.click(`${ctl(525, 1077)} input`);
    await page.waitForFunction((s) => !document.querySelector(s).disabled, ctl(525, 1071));
    await page.fill(ctl(525, 1071), RESTORE_FOLDER);
    await page.click(ctl(525, 1));
    await until(page, 'the restore summary', async () => (await page.locator(ctl(527, 1093)).count()) > 0, 120000);
    const summary = (await page.textContent('section.win[data-resource="527"]')).replace(/\s+/g, ' ').trim();
    log(`summary: ${summary}`);
    assert.match(summary, /The restore operation completed successfully\./);
    await screenshot(page, 'demo-restore-summary');
    await page.click(ctl(527, 1));
    await checkScriptBridge(page, new URL(url).port);
  } finally {
    await browser.close();
  }
}

main().then(() => log('done'), (e) => { process.stderr.write(`demo-headless: ${e.stack || e}\n`); process.exit(1); });
