// The main panel on the real page in headless chromium against a bexa-server
// listener with a demo account: logon, tree, the fetch question, the list,
// ticks in tree and list, an older version by right click, status counts.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { startHost, launchBrowser, screenshot, ctl } = require('./harness');

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { if (browser) await browser.close(); });

const panel = (id) => ctl(101, id);
const treeNode = (label) => `${panel(1029)} .node:has(> .label:text-is("${label}"))`;
const listRow = (name) => `${panel(1030)} .row:has(.cell:first-child span:text-is("${name}"))`;

test('Panel: logs on, browses a fetched volume, ticks a folder and a file, picks an older version', async () => {
  const host = await startHost('panel');
  const page = await browser.context.newPage();
  try {
    await page.goto(host.url);
    await page.waitForSelector('body[data-connected="1"]');
    await page.waitForFunction((sel) => {
      const el = document.querySelector(sel);
      return el && el.textContent.includes('Connection successful');
    }, panel(1000), { timeout: 20000 });
    assert.match(await page.textContent(panel(1051)), /Restore Files selected: 0/);

    // The tree: this computer's C: and the other computer's share.
    await page.waitForSelector(treeNode('(C:)'));
    await page.waitForSelector(treeNode('PC2'));

    // Selecting C: asks once, then fetches the list from the server.
    await page.click(`${treeNode('(C:)')} > .label`);
    await page.waitForSelector('section.win.msgbox');
    assert.match(await page.textContent('section.win.msgbox'),
      /Would you like to retrieve the list of files available for restore from the Backup Server\?/);
    await page.click('section.win.msgbox [data-ctl="6"]');
    await page.waitForSelector(listRow('Docs'));
    await page.waitForSelector(listRow('notes.txt'));

    // Into Docs: folders before files.
    await page.click(`${treeNode('(C:)')} > .twisty`);
    await page.click(`${treeNode('Docs')} > .label`);
    await page.waitForSelector(listRow('report.txt'));
    const names = await page.$$eval(`${panel(1030)} .row`, (rows) => rows
      .sort((a, b) => Number(a.dataset.i) - Number(b.dataset.i))
      .map((r) => r.querySelector('.cell span').textContent));
    assert.deepEqual(names, ['Photos', 'budget.xls', 'report.txt']);
    assert.match(await page.textContent(listRow('budget.xls')), /1KB/);

    // Tick the Photos folder in the tree and report.txt in the list.
    await page.click(`${treeNode('Docs')} > .twisty`);
    await page.click(`${treeNode('Photos')} > .chk`);
    await page.waitForFunction((sel) => document.querySelector(sel).textContent.includes(': 2'),
      panel(1051));
    await page.click(`${listRow('report.txt')} .chk`);
    await page.waitForFunction((sel) => document.querySelector(sel).textContent.includes(': 3'),
      panel(1051));
    assert.match(await page.textContent(panel(1052)), /419 Kilobytes selected/);

    // A right click offers both versions; the older one takes the newer's place.
    await page.click(listRow('report.txt'), { button: 'right' });
    await page.waitForFunction((sel) => {
      const el = document.querySelector(sel);
      return el && !el.hidden && el.offsetParent !== null;
    }, `${panel(1036)}`);
    assert.match(await page.textContent(panel(1037)), /File History \/ Versions/);
    const options = await page.$$eval(`${panel(1036)} option`, (o) => o.map((x) => x.textContent));
    assert.equal(options.length, 2);
    assert.match(options[0], /^Backup: 2\/3\/2024/);
    const select = (await page.$(`${panel(1036)} select`)) ? `${panel(1036)} select` : panel(1036);
    await page.selectOption(select, '1');
    await page.waitForFunction((sel) => document.querySelector(sel).textContent.includes('419'),
      panel(1052));
    assert.match(await page.textContent(panel(1051)), /Restore Files selected: 3/);
    await screenshot(page, 'panel-101-browse');

    // A click on a row's check box hides the version box again.
    await page.click(`${listRow('budget.xls')} .chk`);
    await page.waitForFunction((sel) => document.querySelector(sel).textContent.includes(': 4'),
      panel(1051));
    assert.match(await page.textContent(panel(1037)), /Right or double click a file/);
  } catch (e) {
    await screenshot(page, 'panel-101-failure');
    throw e;
  } finally {
    await page.close();
    host.stop();
  }
});
