// The dialogs on the real page in headless chromium: typed, clicked and
// keyed as a user would, with the result checked on the C++ side.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const http = require('node:http');
const { startHost, launchBrowser, screenshot, ctl } = require('./harness');

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { if (browser) await browser.close(); });

async function open(dialog) {
  const host = await startHost(dialog);
  const page = await browser.context.newPage();
  await page.goto(host.url);
  await page.waitForSelector('body[data-connected="1"]');
  return { host, page, async done() { await page.close(); host.stop(); } };
}

test('Manual Settings: typed values and Enter reach the C++ side; a reload keeps them', async () => {
  const { host, page, done } = await open('manual');
  try {
    assert.equal(host.mode, 0o600, 'the launch file is for its owner only');
    assert.ok(!page.url().includes(host.token), 'the token leaves the address bar');
    await page.waitForSelector(ctl(211, 1028));
    assert.equal(await page.textContent('section.win[data-resource="211"] .caption .title'), 'Manual Settings Required');
    await page.click(`${ctl(211, 1028)}`);
    await page.keyboard.type('alice');
    await page.keyboard.press('Tab');
    await page.keyboard.type('pa ss;w=rd');
    assert.equal(await page.getAttribute(ctl(211, 1029), 'type'), 'password');
    await page.waitForTimeout(100);
    await page.reload();
    await page.waitForSelector('body[data-connected="1"]');
    assert.equal(await page.inputValue(ctl(211, 1028)), 'alice', 'the open dialog and its values survive a reload');
    await page.click(ctl(211, 1030));
    await page.keyboard.type('backup.example.com');
    await screenshot(page, 'dialog-211-manual-settings');
    await page.keyboard.press('Enter');
    assert.deepEqual(await host.result, { ok: true, user: 'alice', password: 'pa ss;w=rd', server: 'backup.example.com' });
    await page.waitForSelector('section.win[data-resource="211"]', { state: 'detached' });
  } finally { await done(); }
});

test('Manual Settings: Cancel by mouse gives nothing', async () => {
  const { host, page, done } = await open('manual');
  try {
    await page.click(ctl(211, 2));
    assert.deepEqual(await host.result, { ok: false });
  } finally { await done(); }
});

test('Restore Destination: radio, message box, folder picker, OK', async () => {
  const { host, page, done } = await open('destination');
  try {
    await page.waitForSelector(ctl(525, 1072));
    assert.ok(await page.isDisabled(`${ctl(525, 1071)}`), 'folder field disabled in mode 0');
    assert.ok(!(await page.isVisible(ctl(525, 1074))) || (await page.evaluate((s) => {
      const el = document.querySelector(s);
      return el.getBoundingClientRect().top >= el.closest('.client').getBoundingClientRect().bottom;
    }, ctl(525, 1074))), 'work folder out of view');
    await screenshot(page, 'dialog-525-restore-destination');
    await page.click(`${ctl(525, 1077)} input`);
    await page.waitForFunction((s) => !document.querySelector(s).disabled, ctl(525, 1071));
    await page.click(ctl(525, 1));
    await page.waitForSelector('section.win.msgbox');
    assert.match(await page.textContent('section.win.msgbox'), /Please enter a folder where the files should be restored\./);
    await screenshot(page, 'dialog-525-message-box');
    await page.keyboard.press('Enter');
    await page.waitForSelector('section.win.msgbox', { state: 'detached' });
    await page.click(ctl(525, 1075));
    await page.waitForSelector('section.win[data-resource="9001"] .node');
    assert.match(await page.textContent(ctl(9001, 100)), /\(Z:\)/);
    await page.click(`${ctl(9001, 100)} .node .twisty`);
    await page.waitForSelector(`${ctl(9001, 100)} .node[data-open="1"]`);
    await screenshot(page, 'dialog-525-folder-picker');
    await page.fill(ctl(9001, 101), '/tmp');
    await page.click(ctl(9001, 1));
    await page.waitForSelector('section.win[data-resource="9001"]', { state: 'detached' });
    await page.waitForFunction((s) => document.querySelector(s).value === 'Z:\\tmp', ctl(525, 1071));
    await page.focus(ctl(525, 1071));
    await page.keyboard.press('Enter');
    assert.deepEqual(await host.result, { ok: true, mode: 1, restoreFolder: 'Z:\\tmp', rebuild: true, workFolder: '' });
  } finally { await done(); }
});

test('Restore Destination with a work folder: keyboard only', async () => {
  const { host, page, done } = await open('destination-work');
  try {
    await page.waitForSelector(ctl(525, 1074));
    await screenshot(page, 'dialog-525-restore-destination-work-folder');
    await page.focus(ctl(525, 1074));
    await page.keyboard.type('C:\\Work');
    await page.keyboard.press('Enter');
    assert.deepEqual(await host.result, { ok: true, mode: 0, restoreFolder: '', rebuild: true, workFolder: 'C:\\Work' });
  } finally { await done(); }
});

test('Confirm File Replace: More >> shows the bottom row; Escape answers No', async () => {
  const { host, page, done } = await open('replace');
  try {
    await page.waitForSelector(ctl(526, 1070));
    assert.match(await page.textContent(ctl(526, 1059)), /^1KB \(1,500 bytes\)$/);
    assert.match(await page.textContent(ctl(526, 1063)), /'Quarterly report\.doc'/);
    await screenshot(page, 'dialog-526-confirm-replace');
    await page.click(ctl(526, 1070));
    await page.waitForFunction((s) => document.querySelector(s).textContent === 'Hide', ctl(526, 1070));
    await screenshot(page, 'dialog-526-confirm-replace-expanded');
    await page.keyboard.press('Escape');
    assert.deepEqual(await host.result, { ok: false, result: 3, details: 1 });
  } finally { await done(); }
});

test('Confirm File Replace: each button by mouse', async () => {
  for (const [button, result] of [[1064, 0], [1067, 3]]) {
    const { host, page, done } = await open('replace');
    try {
      await page.click(ctl(526, button));
      assert.deepEqual(await host.result, { ok: true, result, details: 0 });
    } finally { await done(); }
  }
});

test('Progress: Cancel asks; No keeps it running, Yes cancels', async () => {
  const { host, page, done } = await open('progress');
  try {
    await page.waitForSelector(`${ctl(524, 1078)}.playing`);
    assert.equal(await page.getAttribute(ctl(524, 1078), 'data-anim'), '148');
    await page.waitForFunction((s) => /tasks remaining/.test(document.querySelector(s).textContent), ctl(524, 1082));
    await screenshot(page, 'dialog-524-progress');
    await page.click(ctl(524, 2));
    await page.waitForSelector('section.win.msgbox');
    await screenshot(page, 'dialog-524-cancel-question');
    await page.click('section.win.msgbox [data-ctl="7"]');
    await page.waitForSelector('section.win.msgbox', { state: 'detached' });
    assert.ok(await page.isVisible('section.win[data-resource="524"]'));
    await page.click(ctl(524, 2));
    await page.waitForSelector('section.win.msgbox');
    await page.keyboard.press('Enter');  // Yes is the default
    assert.deepEqual(await host.result, { cancelled: true });
  } finally { await done(); }
});

test('Status box: details toggle, flashing, OK', async () => {
  const { host, page, done } = await open('status');
  try {
    await page.waitForSelector(ctl(527, 1093));
    assert.equal(await page.textContent('section.win[data-resource="527"] .caption .title'), 'Bexa Restore Status');
    assert.ok(!(await page.isVisible(ctl(527, 2))), 'Cancel hidden');
    await page.waitForSelector('section.win[data-resource="527"].flashed', { timeout: 3000 });
    await page.waitForSelector('section.win[data-resource="527"]:not(.flashed)', { timeout: 3000 });
    await screenshot(page, 'dialog-527-status');
    await page.click(ctl(527, 1070));
    await page.waitForFunction((s) => document.querySelector(s).textContent === 'Hide', ctl(527, 1070));
    await screenshot(page, 'dialog-527-status-details');
    await page.click(ctl(527, 1));
    assert.deepEqual(await host.result, { button: 1 });
  } finally { await done(); }
});

test('Secret Key Entry: hint shown, key typed, Enter', async () => {
  const { host, page, done } = await open('secretkey');
  try {
    await page.waitForSelector(ctl(130, 1024));
    assert.equal(await page.textContent(ctl(130, 1026)), 'Hint: the name of my first cat');
    await page.keyboard.type('Felix-1999');  // the key field has the focus
    await screenshot(page, 'dialog-130-secret-key');
    await page.keyboard.press('Enter');
    assert.deepEqual(await host.result, { ok: true, key: 'Felix-1999' });
  } finally { await done(); }
});

function request(port, options) {
  return new Promise((resolve, reject) => {
    const req = http.request(Object.assign({ host: '127.0.0.1', port, method: 'GET', path: '/' }, options));
    req.on('response', (res) => { res.resume(); resolve(res.statusCode); });
    req.on('upgrade', (res, socket) => { socket.destroy(); resolve(101); });
    req.on('error', reject);
    req.end();
  });
}

test('The server refuses requests without the token, with a foreign Origin or Host', async () => {
  const host = await startHost('manual');
  try {
    const own = `127.0.0.1:${host.port}`;
    const cookie = `bexa_${host.port}=${host.token}`;
    const upgrade = { Connection: 'Upgrade', Upgrade: 'websocket', 'Sec-WebSocket-Version': '13',
      'Sec-WebSocket-Key': 'dGhlIHNhbXBsZSBub25jZQ==' };
    assert.equal(await request(host.port, { headers: { Host: own, Cookie: cookie } }), 200);
    assert.equal(await request(host.port, { headers: { Host: own } }), 403, 'no token');
    assert.equal(await request(host.port, { path: '/app.js', headers: { Host: own, Cookie: 'bexa_1=x' } }), 403);
    assert.equal(await request(host.port, { headers: { Host: own, Cookie: cookie, Origin: 'http://evil.example' } }), 403, 'foreign Origin');
    assert.equal(await request(host.port, { headers: { Host: `evil.example:${host.port}`, Cookie: cookie } }), 403, 'foreign Host');
    assert.equal(await request(host.port, { path: '/ws', headers: Object.assign({ Host: own, Origin: `http://${own}` }, upgrade) }), 403, 'upgrade without token');
    assert.equal(await request(host.port, { path: '/ws', headers: Object.assign({ Host: own, Cookie: cookie, Origin: 'http://evil.example' }, upgrade) }), 403, 'upgrade from a foreign page');
    assert.equal(await request(host.port, { path: '/ws', headers: Object.assign({ Host: own, Cookie: cookie, Origin: `http://${own}` }, upgrade) }), 101);
    assert.equal(await request(host.port, { path: '/../../etc/passwd', headers: { Host: own, Cookie: cookie } }), 404);
  } finally { host.stop(); }
});
