// Starts the dialog host and the browser for the browser tests.
'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const HOST = process.env.BEXA_DIALOG_HOST;
const ARTIFACTS = process.env.BEXA_ARTIFACTS || path.join(__dirname, '..', '..', 'test-artifacts');

// Starts the host for one dialog. Resolves when it listens; `result` is the
// promise of what the dialog returned.
async function startHost(dialog) {
  if (!HOST) throw new Error('BEXA_DIALOG_HOST is not set');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'bexa-e2e-'));
  const launchFile = path.join(dir, 'open.html');
  const proc = spawn(HOST, [dialog, launchFile], {
    stdio: ['ignore', 'pipe', 'inherit'],
    env: Object.assign({}, process.env, { BEXA_HOME: dir }),
  });
  let out = '';
  let resolveResult;
  const result = new Promise((r) => { resolveResult = r; });
  const ready = new Promise((resolve, reject) => {
    proc.stdout.on('data', (d) => {
      out += d;
      const m = out.match(/READY (\d+)/);
      if (m) resolve(Number(m[1]));
      const r = out.match(/RESULT (.*)\n/);
      if (r) resolveResult(JSON.parse(r[1]));
    });
    proc.on('exit', (code) => reject(new Error(`host ended with ${code}`)));
  });
  const port = await ready;
  const html = fs.readFileSync(launchFile, 'utf8');
  const mode = fs.statSync(launchFile).mode & 0o777;
  const url = html.match(/url=([^"]+)"/)[1];
  const token = new URL(url).searchParams.get('t');
  return {
    proc, port, url, token, mode, result,
    stop() { if (proc.exitCode === null) proc.kill('SIGTERM'); fs.rmSync(dir, { recursive: true, force: true }); },
  };
}

async function launchBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'bexa-profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    viewport: { width: 900, height: 640 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  return { context, close: async () => { await context.close(); fs.rmSync(profile, { recursive: true, force: true }); } };
}

async function screenshot(page, name) {
  fs.mkdirSync(ARTIFACTS, { recursive: true });
  await page.waitForTimeout(250);  // let transitions settle
  await page.screenshot({ path: path.join(ARTIFACTS, `${name}.png`) });
}

// The control of the newest window made from a template.
function ctl(resource, id) {
  return `section.win[data-resource="${resource}"] [data-ctl="${id}"]`;
}

module.exports = { startHost, launchBrowser, screenshot, ctl };
