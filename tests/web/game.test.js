// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// The web build in Chromium or Firefox (ZQ_BROWSER), played through its page
// as a player would: the prompt and the order, the canvas, keys, gravity, the
// end of the game, the touch buttons, the page without WebGL, its two
// languages, installing and offline play; pictures are read back as the
// screen shows them.
// The native game's first frames (ZQ_REFERENCE_DIR, from the real-window
// suite) are what the browser's must match.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { kBrowser, kWidth, kHeight, kPrompt, openBrowser, openPage, openGame, enterOrder, canvasPixels } = require('./browser.js');

const kBlock = [255, 0, 255];
const kFloor = [102, 76, 255];  // 0.3 of 255 rounds to 76, as on the desktop
const kFirstPiece = ['19,9', '18,8', '18,9', '18,10'];
// Pixels a first frame may differ by from the native game's: the edges that
// the browser's software renderer and Mesa's rasterize a pixel apart (20, 471,
// 882 and 882 measured), with a little to spare.
const kNativeSlack = { 2: 50, 6: 550, 7: 950, 2147483647: 950 };
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

// Keeps gravity from coming by itself: the game's 1000 ms timer is held in
// `window.gravity`, and the test fires it (`fireGravity`). Before the order.
async function holdGravity(page) {
  await page.evaluate(() => {
    const later = window.setTimeout;
    window.gravity = [];
    window.setTimeout = (f, ms, ...rest) => (ms === 1000 ? window.gravity.push(f) : later(f, ms, ...rest));
  });
}
async function fireGravity(page) {
  await page.evaluate(() => { for (const step of window.gravity.splice(0)) step(); });
}

// Waits until the game has drawn every frame asked for (a hang shows as
// the 600 frames running out).
async function drawn(page) {
  await page.evaluate(async () => {
    for (let i = 0; !window.GLctx || GLUT.requestedAnimationFrame || i === 0; i++) {
      if (i === 600) throw new Error('the game drew no frame');
      await new Promise(requestAnimationFrame);
    }
  });
}

// The game started with `order` typed; its first frame, with gravity held.
async function firstFrame(order) {
  const page = await openGame(session);
  await holdGravity(page);
  await enterOrder(page, order);
  await drawn(page);
  const frame = await canvasPixels(page);
  const echoed = await page.$eval('#output', (e) => e.textContent);
  await page.close();
  assert.equal(echoed, `${kPrompt}\n${order}\n`, 'not the line typed');
  assert.deepEqual(blockCells(frame), [...kFirstPiece].sort(), `order ${order}: not the first frame`);
  return frame;
}

// Presses keys on the focused canvas and returns the blocks shown once the
// game has drawn them.
async function press(page, keys) {
  for (const key of keys) await page.keyboard.press(key);
  await drawn(page);
  return blockCells(await canvasPixels(page));
}

test('the page shows the program\'s prompt, takes the order and opens a 1280x860 canvas', async () => {
  const page = await openGame(session);
  assert.equal(await page.title(), 'Zembrat Quillory');
  assert.equal(await page.$eval('h1', (e) => e.textContent), 'Zembrat Quillory');
  assert.ok(await page.$eval('meta[name="description"]', (e) => e.content.length > 50));
  const help = await page.$eval('#help', (e) => e.textContent.replace(/\s+/g, ' '));
  assert.match(help, /order.*how many levels.*press Enter or OK\. Then a moves the piece left, d right, s down, and w turns it.*ends when the stack reaches the top/);
  assert.equal(await page.$eval('#output', (e) => e.textContent), `${kPrompt}\n`);
  assert.ok(await page.$eval('#canvas', (e) => e.hidden), 'no canvas before the order');
  // A path that is no UTF-8 is refused, and the server goes on serving.
  assert.equal((await fetch(`${session.url}%E0`)).status, 400);
  assert.equal((await fetch(session.url)).status, 200);
  await enterOrder(page, '2');
  assert.equal(await page.$eval('#output', (e) => e.textContent), `${kPrompt}\n2\n`);
  const canvas = await page.$eval('#canvas', (e) => [e.width, e.height, e.clientWidth, e.clientHeight]);
  assert.deepEqual(canvas, [kWidth, kHeight, kWidth, kHeight]);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas');
  await page.close();
});

test('the first frames at orders 2, 6, 7 and the largest match the native game\'s', async () => {
  for (const order of ['2', '6', '7', '2147483647']) {
    const native = readPpm(path.join(process.env.ZQ_REFERENCE_DIR, `order-${order}.ppm`));
    const web = await firstFrame(order);
    assert.deepEqual([web.width, web.height], [native.width, native.height]);
    const differing = differingPixels(web, native);
    console.log(`order ${order}: ${differing} of ${kWidth * kHeight} pixels differ from the native frame`);
    assert.ok(differing <= kNativeSlack[order], `${differing} pixels differ at order ${order}`);
  }
});

test('odd orders are read as the desktop reads them', async () => {
  // Each line typed draws what the order the desktop reads from it draws:
  // the fallback 6 for a line with no ASCII number first (full-width digits,
  // ideographic or no-break space, two signs), the nearest limit beyond the
  // int range (orders past 7 are drawn to level 7, below 1 as 1).
  const frames = {};
  for (const order of ['1', '2', '6', '7']) frames[order] = await firstFrame(order);
  assert.notEqual(differingPixels(frames['1'], frames['6']), 0);
  assert.notEqual(differingPixels(frames['2'], frames['6']), 0);
  const lines = { 'abc': '6', '': '6', '２': '6', '\u3000 2': '6', '\u00a02': '6', '+-2': '6',
    ' \v\f+0002x': '2', '2147483647': '7', '99999999999999999999': '7', '-5': '1', '-99999999999999999999': '1' };
  for (const [typed, order] of Object.entries(lines)) {
    assert.equal(differingPixels(await firstFrame(typed), frames[order]), 0, `${JSON.stringify(typed)} is not ${order}`);
  }
});

test('a first visit weighs at most 90,000 bytes gzip -9, the WebAssembly at most 40,000', () => {
  // The six files a browser fetches to start the game, as the benchmark
  // counts them.
  const site = process.env.ZQ_SITE || path.resolve(__dirname, '../../build-web/site');
  const gzipped = (file) => execFileSync('gzip', ['-9', '-c', path.join(site, file)]).length;
  const files = ['index.html', 'zembrat-quillory.js', 'zembrat-quillory.wasm', 'manifest.webmanifest', 'sw.js',
    'zembrat-quillory.svg'];
  const sizes = files.map(gzipped);
  const total = sizes.reduce((sum, size) => sum + size);
  console.log(`gzip -9: ${files.map((file, i) => `${file} ${sizes[i]}`).join(', ')}; in all ${total} bytes`);
  assert.ok(sizes[2] <= 40000, `the WebAssembly is ${sizes[2]} bytes`);
  assert.ok(total <= 90000, `a first visit is ${total} bytes`);
});

test('order 7 shows on later frames the picture of its first', async () => {
  // The figure past order 6 is drawn once and kept; frames after the first
  // show what was kept. Gravity is held, so that only the figure can differ.
  const page = await openGame(session);
  await holdGravity(page);
  await enterOrder(page, '7');
  await drawn(page);
  const first = await canvasPixels(page);
  const blocks = await press(page, ['x']);  // ignored by the game, but drawn again
  const later = await canvasPixels(page);
  await page.close();
  assert.deepEqual(blocks, [...kFirstPiece].sort());
  const differing = differingPixels(later, first);
  assert.equal(differing, 0, `${differing} pixels differ`);
});

// One scripted game, the same at every order: the T to the left, four bars
// laid down beside it and one stood at the right wall fill the lowest row,
// which clears. The clock is frozen, so that every new piece is a bar, and
// gravity comes when the script says ('g', all of one step in one frame).
// After every step the frame drawn over the one before must equal the same
// frame drawn whole, once the layer forgot what the canvas shows; last, the
// canvas is resized, which empties it. Returns the steps that differ, the
// vertices drawn by each kind of frame, and the blocks shown at the end.
const kFrozenSecond = 1700000002;  // the generator's first shape for this seed: the bar
const kScript = [...'aaaaaaaa', 'g'.repeat(15), 's', 's', 's',
  ...[['a', 6], ['a', 2], ['d', 2], ['d', 6]].flatMap(([key, n]) => ['w', ...key.repeat(n), 'g'.repeat(15), 's', 's', 's']),
  ...'dddddddddd', 'g'.repeat(13), 's', 's', 's', 'resize'];
const kCleared = ['1,1', '1,19', '2,19', '3,19', '16,10', '17,10', '18,10', '19,10'];

async function playScript(page, order, largestTexture) {
  await page.evaluate((second, largest) => {
    Date.now = () => second * 1000;
    const parameter = WebGLRenderingContext.prototype.getParameter;
    WebGLRenderingContext.prototype.getParameter = function(name) {
      return name === this.MAX_TEXTURE_SIZE && largest ? largest : parameter.call(this, name);
    };
  }, kFrozenSecond, largestTexture);
  await holdGravity(page);
  await enterOrder(page, order);
  return page.evaluate(async (script) => {
    const canvas = document.getElementById('canvas');
    for (let i = 0; !window.GLctx || GLUT.requestedAnimationFrame; i++) {
      if (i === 600) throw new Error('no WebGL frame drawn');
      await new Promise(requestAnimationFrame);
    }
    const gl = GLctx;
    let vertices = 0;
    gl.drawArrays = function(mode, first, count) {
      vertices += count;
      WebGLRenderingContext.prototype.drawArrays.call(this, mode, first, count);
    };
    const read = () => {
      const rgba = new Uint32Array(gl.drawingBufferWidth * gl.drawingBufferHeight);
      gl.readPixels(0, 0, gl.drawingBufferWidth, gl.drawingBufferHeight, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(rgba.buffer));
      return { rgba, vertices };
    };
    const result = { differing: [], over: 0, whole: 0, blocks: [] };
    for (const [n, step] of script.entries()) {
      if (step === 'resize') canvas.width -= 1;
      vertices = 0;
      for (const e of step === 'resize' ? 'x' : step) {
        if (e === 'g') window.gravity.shift()();
        else canvas.dispatchEvent(new KeyboardEvent('keydown', { key: e, bubbles: true }));
      }
      do await new Promise(requestAnimationFrame); while (GLUT.requestedAnimationFrame);
      const over = read();
      GLFrames.shown = null;
      vertices = 0;
      dynCall_v(GLUT.displayFunc);  // the same frame again, at once
      const whole = read();
      let count = 0;
      for (let i = 0; i < whole.rgba.length; i++) if (over.rgba[i] !== whole.rgba[i]) count++;
      if (count) result.differing.push(`${step}: ${count}`);
      result.over += over.vertices;
      result.whole += whole.vertices;
      if (step === 'resize') break;
      if (n === script.length - 2) result.picture = whole.rgba.reduce((hash, word) => Math.imul(hash ^ word, 0x9e3779b1), 0);
      for (let cell = 0; cell < 400 && n === script.length - 2; cell++) {
        const at = (Math.floor(cell / 20) * 43 + 21) * gl.drawingBufferWidth + (cell % 20) * 64 + 32;
        if ((whole.rgba[at] & 0xffffff) === 0xff00ff) result.blocks.push(`${Math.floor(cell / 20)},${cell % 20}`);
      }
    }
    return result;
  }, kScript);
}

test('a scripted game shows after every step what a whole redraw shows', async () => {
  const pictures = [];
  for (const order of ['2', '6', '7', '2147483647']) {
    // The largest order as on a GL whose textures are at most 1024 pixels a
    // side: its figure kept in two textures must show what order 7's one does.
    const page = await openGame(session);
    const { differing, over, whole, blocks, picture } = await playScript(page, order, order === '2147483647' ? 1024 : 0);
    await page.close();
    pictures.push(picture);
    console.log(`order ${order}: frames drawn over drew ${over} vertices, drawn whole ${whole}`);
    assert.deepEqual(differing, [], `order ${order}: steps whose frame differs (step: pixels)`);
    assert.deepEqual(blocks.sort(), [...kCleared].sort(), `order ${order}: the row was not cleared`);
    assert.ok(over < whole / 4, `order ${order}: frames drawn over drew ${over} vertices, whole ones ${whole}`);
  }
  assert.equal(pictures[3], pictures[2], 'the largest order in 1024-pixel textures differs from order 7');
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
  // The game's own timer of a second, held and fired by the test.
  const page = await openGame(session);
  await holdGravity(page);
  await enterOrder(page, '2');
  const before = await press(page, []);
  for (const rows of [1, 2]) {
    assert.equal(await page.evaluate(() => window.gravity.length), 1, 'no timer of a second armed');
    await fireGravity(page);
    assert.equal(lowestRow(before) - lowestRow(await press(page, [])), rows);
  }
  await page.close();
});

test('game over: the page says the stack reached the top, keeps the last frame and offers a new game', async () => {
  // s stacks the pieces up to the top; the gravity step that then finds no
  // room ends the game. The test fires each step once every frame asked for
  // is drawn, so that the last frame shows the stack as it ended (a real
  // timer could end the game between a landing and the frame of the next
  // piece).
  const page = await openGame(session);
  await holdGravity(page);
  await enterOrder(page, '1');
  const canvasTop = await page.$eval('#canvas', (e) => e.getBoundingClientRect().top);
  for (let i = 0; i < 600 && await page.$eval('#ended', (e) => e.hidden); i++) {
    await page.keyboard.press('s');
    await drawn(page);
    await fireGravity(page);
  }
  assert.equal(await page.$eval('#ended-text', (e) => e.textContent), 'Game over: the stack reached the top.');
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

test('a WebGL context refused to the game itself brings the same message', async () => {
  const page = await openGame(session);
  await holdGravity(page);
  await page.evaluate(() => {
    const get = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function(...args) { return this.id === 'canvas' ? null : get.apply(this, args); };
  });
  await page.type('#order', '2');
  await page.keyboard.press('Enter');
  await page.waitForSelector('#no-webgl:not([hidden])');
  assert.deepEqual(await page.$$eval('#console, #canvas', (all) => all.map((e) => e.hidden)), [true, true]);
  await fireGravity(page);  // whatever gravity was armed, without a context
  assert.deepEqual(page.errors, []);
  await page.close();
});

// What the page says and names, shown or not, with the game ended both ways
// (the endings are written only then); the program's output aside.
const pageWords = (page) => page.evaluate(() => {
  const endings = [1, 3].map((status) => { onExit(status); return document.getElementById('ended-text').textContent; });
  const body = document.body.cloneNode(true);
  body.querySelectorAll('script, noscript, #output').forEach((e) => e.remove());
  const labels = [...document.querySelectorAll('[aria-label]')].map((e) => e.getAttribute('aria-label'));
  return [document.documentElement.lang, document.querySelector('meta[name="description"]').content,
    body.textContent, ...labels, ...endings].join(' ').replace(/\s+/g, ' ');
});

test('the page speaks the first of the browser\'s languages it has, Chinese or English; a link switches', async () => {
  // The suite's browser puts English before Chinese. The English texts are
  // also the markup's, what a page without scripts shows.
  const english = await openGame(session);
  const [shown, markup] = await english.evaluate(async () => {
    const markup = new DOMParser().parseFromString(await (await fetch('./')).text(), 'text/html');
    return [document, markup].map((doc) => [...doc.querySelectorAll('[data-text], [aria-label], meta[name="description"]')]
      .map((e) => (e.getAttribute('aria-label') ?? e.content ?? e.innerHTML).replace(/\s+/g, ' ').trim()));
  });
  assert.deepEqual(shown, markup);
  const words = await pageWords(english);
  assert.match(words, /^en Zembrat Quillory, a falling-block.* OK The game ended unexpectedly \(exit status 3\)\. New game .*Game over: the stack reached the top\. The game ended/);
  assert.deepEqual(words.match(/\p{Script=Han}+/gu), ['中文']);
  // The licences link opens the notices as UTF-8 text, musl's names intact.
  assert.deepEqual(await english.$eval('#licences', async (link) => {
    const response = await fetch(link.href);
    return [response.headers.get('content-type'), (await response.text()).includes('Timo Teräs')];
  }), ['text/plain; charset=utf-8', true]);
  await english.close();
  const chinese = await openBrowser(undefined, [], ['fr-FR', 'zh-TW', 'en-US']);
  try {
    const page = await openGame(chinese);
    assert.equal(await page.$$eval('#help kbd', (keys) => keys.map((e) => e.textContent).join('')), 'adsw');
    const words = await pageWords(page);
    assert.match(words, /^zh-CN Zembrat Quillory 是一款.*按回车键或“确定”开始。然后按 a 左移、d 右移、s 下移、w 旋转。.* 确定 游戏意外结束（退出状态 3）。 再来一局 .*游戏结束：方块堆到顶了。 游戏意外结束/);
    assert.doesNotMatch(words.replace(/zh-CN|Zembrat Quillory|English|WebGL/g, ''), /[a-z]{2}/i, 'English left');
    assert.equal(await page.$eval('#licences', (e) => e.textContent), '开源许可');
    await Promise.all([page.waitForNavigation(), page.click('#language')]);
    await page.waitForSelector('#order-form:not([hidden])');
    assert.deepEqual(await page.$eval('#language', (e) => [document.documentElement.lang, e.textContent, e.search]),
      ['en', '中文', '?lang=zh']);
    assert.match(await page.$eval('#help', (e) => e.textContent), /^Type the order/);
  } finally {
    await chinese.close();
  }
});

test('the page installs as an app and plays offline after one visit, in either language', chromiumOnly, async () => {
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
  // Offline, the worker too: its own fetches would reach the server.
  const worker = await (await session.browser.waitForTarget((t) => t.type() === 'service_worker')).createCDPSession();
  await worker.send('Network.enable');
  const offline = (offline) => Promise.all([page.setOfflineMode(offline),
    worker.send('Network.emulateNetworkConditions', { offline, latency: 0, downloadThroughput: -1, uploadThroughput: -1 })]);
  await offline(true);
  try {
    await Promise.all([page.waitForNavigation(), page.click('#language')]);
    await page.waitForSelector('#order-form:not([hidden])', { timeout: 20000 });
    assert.deepEqual(await page.evaluate(() => [location.search, document.documentElement.lang]), ['?lang=zh', 'zh-CN']);
    await enterOrder(page, '2');
    assert.equal((await press(page, [])).length, 4, 'no frame drawn offline');
  } finally {
    await offline(false);
  }
  await page.close();
});

test('on a touch-first phone or tablet the game fills the screen, within its safe area, without scrolling', chromiumOnly, async () => {
  // The share of the screen the canvas takes at least, and the safe-area
  // insets of a phone with a notch, which emulation has only when told.
  for (const [width, height, least, insets] of [[390, 844, 0.25, { top: 47, bottom: 34 }],
    [844, 390, 0.6, { left: 47, right: 47, bottom: 21 }], [1024, 768, 0.55, { top: 24, bottom: 20 }]]) {
    const page = await openGame(session, { width, height, hasTouch: true, isMobile: true, deviceScaleFactor: 2 });
    await enterOrder(page, '1');
    const shown = async ({ top = 0, right = 0, bottom = 0, left = 0 }) => {
      const [scroll, ...boxes] = await page.evaluate(() => [[document.scrollingElement.scrollWidth, document.scrollingElement.scrollHeight],
        ...[...document.querySelectorAll('#console, #canvas, #touch-keys button')].filter((e) => e.checkVisibility())
          .map((e) => e.getBoundingClientRect().toJSON())]);
      assert.deepEqual(scroll, [width, height], 'the page scrolls');
      const outside = boxes.filter((b) => b.left < left || b.top < top || b.right > width - right + 0.01 || b.bottom > height - bottom + 0.01);
      assert.deepEqual(outside, [], `${width}x${height}, insets ${JSON.stringify(insets)}`);
      return boxes;
    };
    const [canvas, ...buttons] = await shown({});
    const share = canvas.width * canvas.height / width / height;
    console.log(`${width}x${height}: the canvas takes ${(share * 100).toFixed(1)} % of the screen`);
    assert.ok(buttons.length === 4 && share >= least, `${width}x${height}: ${buttons.length} buttons, ${share}`);
    await (await page.createCDPSession()).send('Emulation.setSafeAreaInsetsOverride', { insets });
    await shown(insets);
    await page.evaluate(() => Module.onExit(1));  // the end of the game, with "New game"
    assert.equal((await shown(insets)).length, 2, 'the end of the game and the canvas');
    await page.close();
  }
});

test('a held touch button repeats as a held key: once, after 500 ms again, then every 30 ms', chromiumOnly, async () => {
  const page = await openGame(session, { width: 844, height: 390, hasTouch: true, isMobile: true });
  await enterOrder(page, '1');
  // The page's clock, moved on by the test (gravity stops); typedIn(ms)
  // returns the keys the buttons typed meanwhile.
  await page.evaluate(() => {
    const timers = [];
    let now = 0;
    window.setTimeout = (f, ms) => (ms === 1000 ? 0 : timers.push({ at: now + ms, f }));
    window.clearTimeout = (id) => { if (timers[id - 1]) timers[id - 1].f = null; };
    const typed = [];
    addEventListener('keydown', (event) => typed.push(event.key), true);
    window.typedIn = (ms) => {
      const end = now + ms;
      for (let due; (due = timers.filter((t) => t.f && t.at <= end).sort((a, b) => a.at - b.at)[0]); due.f = null) {
        now = due.at;
        due.f();
      }
      now = end;
      return typed.splice(0).join('');
    };
  });
  const typedIn = (ms) => page.evaluate((ms) => window.typedIn(ms), ms);
  const fingers = await page.$$eval('#touch-keys button', (all) => all.map((e) => e.getBoundingClientRect())
    .map((box, id) => ({ x: box.x + box.width / 2, y: box.y + box.height / 2, id })));
  const client = await page.createCDPSession();
  const touch = (type, ...keys) => client.send('Input.dispatchTouchEvent', { type, touchPoints: keys.map((k) => fingers['adsw'.indexOf(k)]) });
  await touch('touchStart', 'a');
  await touch('touchEnd');
  assert.equal(await typedIn(2000), 'a', 'a tap');
  await touch('touchStart', 'd');
  assert.equal(await typedIn(499), 'd', 'held, before the first delay');
  assert.equal(await typedIn(301), 'd'.repeat(11), 'held 800 ms');
  await touch('touchEnd');
  assert.equal(await typedIn(2000), '', 'lifted');
  // Two fingers: the one down last repeats; lifting it leaves the first silent.
  await touch('touchStart', 'a');
  assert.equal(await typedIn(560), 'aaaa');
  await touch('touchStart', 'a', 's');
  assert.equal(await typedIn(590), 'sssss', 'a second finger');
  await touch('touchEnd', 's');
  assert.equal(await typedIn(2000), '', 'the second lifted, the first still down');
  await page.close();
});

test('a lost WebGL context, once restored, shows the game where it went on, drawn whole', async () => {
  for (const order of ['2', '7']) {
    const page = await openGame(session);
    await holdGravity(page);
    await enterOrder(page, order);
    const start = await press(page, []);
    await page.evaluate(async () => {
      const canvas = document.getElementById('canvas');
      const context = GLctx.getExtension('WEBGL_lose_context');
      const frame = () => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
      const event = (name) => new Promise((resolve) => canvas.addEventListener(name, resolve, { once: true }));
      await Promise.all([event('webglcontextlost'), context.loseContext()]);
      canvas.dispatchEvent(new KeyboardEvent('keydown', { key: 'a', bubbles: true }));
      window.gravity.shift()();
      await frame();  // drawn on the lost context: nothing
      await Promise.all([event('webglcontextrestored'), context.restoreContext()]);
    });
    await drawn(page);
    const shown = await canvasPixels(page);
    // The same frame drawn whole by the game as if it had kept nothing.
    await page.evaluate(() => { Module._contextRestored(); GLFrames.shown = null; dynCall_v(GLUT.displayFunc); });
    assert.equal(differingPixels(shown, await canvasPixels(page)), 0, `order ${order}: pixels unlike a whole redraw`);
    const moved = blockCells(shown);
    assert.deepEqual([lowestRow(moved), leftmostCol(moved)], [lowestRow(start) - 1, leftmostCol(start) - 1], `order ${order}`);
    assert.equal(leftmostCol(await press(page, ['d'])), leftmostCol(start), `order ${order}: a key after the restore`);
    assert.deepEqual(page.errors, []);
    await page.close();
  }
});
