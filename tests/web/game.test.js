// The web build in Chromium or Firefox (ZQ_BROWSER), played through its page
// as a player would: the prompt and the order, the canvas, keys, gravity, the
// end of the game, the touch buttons, the page without WebGL, installing and
// offline play; pictures are read back as the screen shows them.
// The native game's first frames (ZQ_REFERENCE_DIR, from the real-window
// suite) are what the browser's must match.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const path = require('path');
const { kBrowser, kWidth, kHeight, kPrompt, openBrowser, openPage, openGame, enterOrder, canvasPixels } = require('./browser.js');

const kBlock = [255, 0, 255];
const kFloor = [102, 77, 255];
const kFirstPiece = ['19,9', '18,8', '18,9', '18,10'];
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// What only Chromium's DevTools protocol can do, or only Chromium's flags.
const chromiumOnly = { skip: kBrowser !== 'chromium' && 'needs Chromium (DevTools protocol, flags or touch emulation)' };

let session;
before(async () => { session = await openBrowser(); });
after(async () => { await session?.close(); });

function pixel(frame, x, y) {
  const i = (y * frame.width + x) * 4;
  return [frame.rgba[i], frame.rgba[i + 1], frame.rgba[i + 2]];
}
const same = (a, b) => a.every((v, i) => Math.abs(v - b[i]) <= 2);

// Cells (row,col; row 0 the floor) whose centre shows the block colour.
function blockCells(frame) {
  const cells = [];
  for (let row = 0; row < 20; row++) {
    for (let col = 0; col < 20; col++) {
      if (same(pixel(frame, col * 64 + 32, kHeight - 1 - (row * 43 + 21)), kBlock)) cells.push(`${row},${col}`);
    }
  }
  return cells.sort();
}
const lowestRow = (cells) => Math.min(...cells.map((c) => Number(c.split(',')[0])));
const leftmostCol = (cells) => Math.min(...cells.map((c) => Number(c.split(',')[1])));

// How many pixels differ between two frames of the same size.
function differingPixels(a, b) {
  let count = 0;
  for (let i = 0; i < a.width * a.height; i++) {
    const p = [a.rgba[i * 4], a.rgba[i * 4 + 1], a.rgba[i * 4 + 2]];
    const q = [b.rgba[i * 4], b.rgba[i * 4 + 1], b.rgba[i * 4 + 2]];
    if (!p.every((v, k) => v === q[k])) count++;
  }
  return count;
}

// A binary PPM as written by the real-window suite, as RGBA.
function readPpm(file) {
  const data = fs.readFileSync(file);
  const [, width, height] = data.toString('latin1', 0, 32).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  const header = data.toString('latin1', 0, 32).match(/^P6\s+\d+\s+\d+\s+255\s/)[0].length;
  const rgba = Buffer.alloc(width * height * 4, 255);
  for (let i = 0; i < width * height; i++) data.copy(rgba, i * 4, header + i * 3, header + i * 3 + 3);
  return { width: Number(width), height: Number(height), rgba };
}

// The game started with `order` typed; its first frame, read before the first
// gravity step moved the piece (tried again when the machine was too slow).
async function firstFrame(order) {
  for (let attempt = 1; ; attempt++) {
    const page = await openGame(session);
    await enterOrder(page, order);
    const frame = await canvasPixels(page);
    await page.close();
    if (blockCells(frame).join() === [...kFirstPiece].sort().join() || attempt === 3) return frame;
  }
}

// Presses keys on the focused canvas and returns the blocks shown afterwards.
async function press(page, keys) {
  for (const key of keys) await page.keyboard.press(key);
  await sleep(100);
  return blockCells(await canvasPixels(page));
}

test('the page shows the program\'s prompt, takes the order and opens a 1280x860 canvas', async () => {
  const page = await openGame(session);
  assert.equal(await page.title(), 'Zembrat Quillory');
  assert.equal(await page.$eval('h1', (e) => e.textContent), 'Zembrat Quillory');
  assert.ok(await page.$eval('meta[name="description"]', (e) => e.content.length > 50));
  const help = await page.$eval('#help', (e) => e.textContent.replace(/\s+/g, ' '));
  assert.match(help, /order.*a moves the piece left, d right, s down, and w turns it.*ends when the stack reaches the top/);
  assert.equal(await page.$eval('#output', (e) => e.textContent), `${kPrompt}\n`);
  assert.ok(await page.$eval('#canvas', (e) => e.hidden), 'no canvas before the order');
  await enterOrder(page, '2');
  assert.equal(await page.$eval('#output', (e) => e.textContent), `${kPrompt}\n2\n`);
  const canvas = await page.$eval('#canvas', (e) => [e.width, e.height, e.clientWidth, e.clientHeight]);
  assert.deepEqual(canvas, [kWidth, kHeight, kWidth, kHeight]);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas');
  await page.close();
});

test('the first frames at orders 2 and 6 match the native game\'s', async () => {
  for (const order of ['2', '6']) {
    const native = readPpm(path.join(process.env.ZQ_REFERENCE_DIR, `order-${order}.ppm`));
    const web = await firstFrame(order);
    assert.deepEqual([web.width, web.height], [native.width, native.height]);
    const differing = differingPixels(web, native);
    console.log(`order ${order}: ${differing} of ${kWidth * kHeight} pixels differ from the native frame`);
    assert.ok(differing <= kWidth * kHeight * 0.001, `${differing} pixels differ at order ${order}`);
  }
});

test('odd orders are read as the desktop reads them', async () => {
  const six = await firstFrame('6');
  for (const typed of ['abc', '']) assert.equal(differingPixels(await firstFrame(typed), six), 0, `"${typed}"`);
  // Beyond the int range: the nearest limit, drawn to level 7 like order 7.
  assert.equal(differingPixels(await firstFrame('2147483647'), await firstFrame('7')), 0);
  assert.equal(differingPixels(await firstFrame('-5'), await firstFrame('1')), 0);
  assert.notEqual(differingPixels(await firstFrame('1'), six), 0);
});

test('order 7 shows on later frames the picture of its first', async () => {
  // The figure past order 6 is drawn once and kept; frames after the first
  // show what was kept. Tried again when the first shot came before the
  // first frame or gravity moved the piece between the two.
  const start = [...kFirstPiece].sort().join();
  for (let attempt = 1; ; attempt++) {
    const page = await openGame(session);
    await enterOrder(page, '7');
    const first = await canvasPixels(page);
    await page.keyboard.press('x');  // ignored by the game, but drawn again
    await sleep(100);
    const later = await canvasPixels(page);
    await page.close();
    const blocks = [blockCells(first).join(), blockCells(later).join()];
    if ((blocks[0] === start && blocks[1] === start) || attempt === 3) {
      const differing = differingPixels(later, first);
      assert.equal(differing, 0, `${differing} pixels differ; blocks ${blocks[0]} then ${blocks[1]}`);
      return;
    }
  }
});

test('frames drawn over the one before show what a whole redraw shows', async () => {
  // The piece moves, turns and lands; the last frame, drawn over the ones
  // before, must equal the same frame drawn whole after the layer forgot
  // what the canvas shows. Both are read from the drawing buffer a frame
  // apart, so that gravity seldom comes between; tried again when it did.
  const bothFrames = (page) => page.evaluate(async () => {
    const canvas = document.getElementById('canvas');
    const gl = canvas.getContext('webgl');
    const read = () => {
      const rgba = new Uint8Array(canvas.width * canvas.height * 4);
      gl.readPixels(0, 0, canvas.width, canvas.height, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
      let text = '';
      for (let i = 0; i < rgba.length; i += 0x8000) text += String.fromCharCode.apply(null, rgba.subarray(i, i + 0x8000));
      return btoa(text);
    };
    const drawnOver = read();
    GL11.shown = null;
    canvas.dispatchEvent(new KeyboardEvent('keydown', { key: 'x' }));  // ignored, but drawn again
    await new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
    return [drawnOver, read()];
  });
  // Rows bottom up, as GL reads them; blockCells wants them top down.
  const frame = (base64) => {
    const bottomUp = Buffer.from(base64, 'base64');
    const rgba = Buffer.alloc(bottomUp.length);
    for (let y = 0; y < kHeight; y++) bottomUp.copy(rgba, (kHeight - 1 - y) * kWidth * 4, y * kWidth * 4, (y + 1) * kWidth * 4);
    return { width: kWidth, height: kHeight, rgba };
  };
  for (const order of ['6', '7']) {
    for (let attempt = 1; ; attempt++) {
      const page = await openGame(session);
      await enterOrder(page, order);
      await press(page, ['a', 'a', 'w', 'd', ...'s'.repeat(20), 'd', 'd', 'w', 's', 's']);
      const [drawnOver, whole] = (await bothFrames(page)).map(frame);
      await page.close();
      const blocks = [blockCells(drawnOver).join(), blockCells(whole).join()];
      if (blocks[0] === blocks[1] || attempt === 3) {
        assert.equal(blocks[0], blocks[1], `order ${order}: gravity kept moving the piece`);
        assert.ok(blockCells(whole).length > 4, `order ${order}: no piece landed`);
        assert.equal(differingPixels(drawnOver, whole), 0, `order ${order}`);
        break;
      }
    }
  }
});

test('a, d, s and w act; capitals from Shift or Caps Lock do nothing', async () => {
  const page = await openGame(session);
  await enterOrder(page, '2');
  const start = await press(page, []);
  assert.equal(leftmostCol(await press(page, ['a'])), leftmostCol(start) - 1);
  assert.equal(leftmostCol(await press(page, ['d', 'd'])), leftmostCol(start) + 1);
  // Shift+a and an A typed with Caps Lock on (no Shift) reach the game as A.
  await page.keyboard.down('Shift');
  await page.keyboard.press('KeyA');
  await page.keyboard.up('Shift');
  await page.keyboard.press('A');
  assert.equal(leftmostCol(await press(page, [])), leftmostCol(start) + 1, 'a capital A moved the piece');
  const before = await press(page, []);
  const after = await press(page, ['s', 's', 's']);
  assert.ok(lowestRow(before) - lowestRow(after) >= 3, `s: ${before} -> ${after}`);
  const turned = await press(page, ['w']);
  assert.notDeepEqual(turned.map((c) => c.replace(/^\d+/, '')), after.map((c) => c.replace(/^\d+/, '')));
  // The game keeps the keys it uses and those that would scroll the page;
  // the browser keeps the rest, and Ctrl, Alt or Meta with a letter moves
  // nothing (sent as events: the real ones would close the tab or reload).
  const kept = (keys) => page.evaluate((keys) => keys.map(
    (key) => !document.body.dispatchEvent(new KeyboardEvent('keydown', { bubbles: true, cancelable: true, ...key }))), keys);
  const letters = [...'addsssssw'].map((key) => ({ key }));
  assert.deepEqual(await kept([' ', 'ArrowDown', 'PageDown', 'End', 'a'].map((key) => ({ key }))), [true, true, true, true, true]);
  const shape = (cells) => cells.map((c) => `${Number(c.split(',')[0]) - lowestRow(cells)},${c.split(',')[1]}`).sort().join();
  const unmoved = await press(page, []);
  const browsers = [...['Tab', 'F5', 'F11', 'F12', 'Escape', 'x'].map((key) => ({ key })),
    ...letters.map((key) => ({ ...key, ctrlKey: true })), { key: 'a', altKey: true }, { key: 'd', metaKey: true }];
  assert.deepEqual(await kept(browsers), browsers.map(() => false));
  const still = await press(page, []);
  assert.equal(shape(still), shape(unmoved), 'Ctrl, Alt or Meta with a letter moved the piece');
  assert.ok(lowestRow(unmoved) - lowestRow(still) <= 1, `Ctrl+s: ${unmoved} -> ${still}`);
  // Tab leaves the canvas, and the keys still reach the game from wherever
  // the focus is on the page, as after a click on its margin.
  await page.keyboard.press('Tab');
  assert.notEqual(await page.evaluate(() => document.activeElement.id), 'canvas');
  assert.equal(leftmostCol(await press(page, ['a'])), leftmostCol(still) - 1);
  await page.mouse.click(5, 500);
  assert.equal(leftmostCol(await press(page, ['d', 'd'])), leftmostCol(still) + 1);
  await page.close();
});

test('gravity lowers the piece a row a second', async () => {
  const page = await openGame(session);
  await enterOrder(page, '2');
  const before = await press(page, []);
  await sleep(3000);
  const fallen = lowestRow(before) - lowestRow(await press(page, []));
  assert.ok(fallen >= 2 && fallen <= 4, `fell ${fallen} rows in 3 s`);
  await page.close();
});

test('game over: status 1 on the page, the last frame kept, and a new game', async () => {
  const page = await openGame(session);
  await enterOrder(page, '1');
  const canvasTop = await page.$eval('#canvas', (e) => e.getBoundingClientRect().top);
  for (let i = 0; i < 600 && await page.$eval('#ended', (e) => e.hidden); i++) {
    await page.keyboard.press('s');
    await sleep(20);
  }
  assert.match(await page.$eval('#ended-text', (e) => e.textContent), /^Game over\b.*exit status 1\b/);
  assert.equal(await page.$eval('#canvas', (e) => e.getBoundingClientRect().top), canvasTop, 'the canvas moved');
  assert.deepEqual(page.errors, []);
  const last = await canvasPixels(page);
  assert.deepEqual([last.width, last.height], [kWidth, kHeight]);
  assert.ok(same(pixel(last, 10 * 64 + 32, kHeight - 22), kFloor), 'the floor is gone');
  assert.ok(blockCells(last).some((c) => Number(c.split(',')[0]) >= 17), 'no stack near the top');
  await Promise.all([page.waitForNavigation(), page.click('#new-game')]);
  await page.waitForSelector('#order-form:not([hidden])');
  assert.equal(await page.$eval('#output', (e) => e.textContent), `${kPrompt}\n`);
  await page.close();
});

test('a small window shows the canvas smaller; touch buttons type a, d, s and w', chromiumOnly, async () => {
  const page = await openGame(session, { width: 700, height: 600, hasTouch: true, isMobile: true });
  const buttonsShown = () => page.$eval('#touch-keys', (e) => getComputedStyle(e).display !== 'none');
  assert.equal(await buttonsShown(), false, 'touch buttons before a game');
  await enterOrder(page, '2');
  const names = [];
  for (const button of await page.$$('#touch-keys button')) names.push((await page.accessibility.snapshot({ root: button })).name);
  assert.deepEqual(names, ['← a left', '→ d right', '↓ s down', '↻ w turn']);
  assert.equal(await buttonsShown(), true, 'no touch buttons in a game');
  const shown = await page.$eval('#canvas', (e) => [e.width, e.height, e.clientWidth, e.clientHeight]);
  assert.deepEqual(shown.slice(0, 2), [kWidth, kHeight]);
  assert.ok(shown[2] < 700 && Math.abs(shown[2] / shown[3] - kWidth / kHeight) < 0.02, `${shown}`);
  await page.setViewport({ width: 1400, height: 1100, hasTouch: true, isMobile: true });
  const start = await press(page, []);
  await page.tap('#touch-keys [data-key="a"]');
  await page.tap('#touch-keys [data-key="a"]');
  await page.tap('#touch-keys [data-key="d"]');
  assert.equal(leftmostCol(await press(page, [])), leftmostCol(start) - 1);
  await page.close();
});

test('without WebGL the page says so, and what to try', chromiumOnly, async () => {
  const bare = await openBrowser(undefined, ['--disable-webgl', '--disable-3d-apis']);
  try {
    const page = await openPage(bare);
    await page.waitForSelector('#no-webgl:not([hidden])');
    assert.match(await page.$eval('#no-webgl', (e) => e.textContent), /needs WebGL.*another browser.*hardware acceleration/s);
    assert.ok(await page.$eval('#canvas', (e) => e.hidden));
    assert.deepEqual(page.errors, []);
  } finally {
    await bare.close();
  }
});

test('the page installs as an app and plays offline after one visit', chromiumOnly, async () => {
  const page = await openGame(session);
  assert.ok(await page.evaluate(() => Promise.race([navigator.serviceWorker.ready.then(() => true),
    new Promise((resolve) => setTimeout(resolve, 10000, false))])), 'no service worker');
  const client = await page.createCDPSession();
  assert.deepEqual((await client.send('Page.getAppManifest')).errors, []);
  assert.deepEqual((await client.send('Page.getInstallabilityErrors')).installabilityErrors, []);
  const icons = await page.evaluate(async () => Promise.all(JSON.parse(await (await fetch('manifest.webmanifest')).text())
    .icons.filter((icon) => icon.type === 'image/png')
    .map(async (icon) => `${icon.sizes} ${icon.purpose}: ${(await createImageBitmap(await (await fetch(icon.src)).blob())).width}`)));
  assert.deepEqual(icons, ['192x192 any: 192', '512x512 any: 512', '512x512 maskable: 512']);
  await page.setOfflineMode(true);
  await page.reload();
  await page.waitForSelector('#order-form:not([hidden])', { timeout: 20000 });
  await enterOrder(page, '2');
  await sleep(300);
  assert.equal(blockCells(await canvasPixels(page)).length, 4, 'no frame drawn offline');
  await page.close();
});
