// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Frame times of the web build in headless Chromium (software WebGL): for
// each order, the median over many frames of the display callback's
// JavaScript and WebAssembly alone, and of that plus the drawing, up to the
// point where WebGL has finished it. Two kinds of frame: the piece moving a
// column, as most frames are, which the layer draws over the frame before;
// and the whole picture drawn again, as on the first frame. Figures to read,
// not a pass or fail. Before them, every file of the site, raw and gzip -9,
// and the weight of a first visit.
//
//   node tests/web/bench.js [SITE] [FRAMES]
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { openBrowser, openGame, enterOrder } = require('./browser.js');

const orders = (process.env.ZQ_BENCH_ORDERS || '1,2,3,4,5,6,7,8,2147483647').split(',');

// One frame at a time: a key press asks for a redisplay; the animation frame
// callbacks registered before and after GLUT's own bracket the display
// callback, and a one-pixel read waits for the drawing. Moving frames press
// a and d in turn; whole frames press a key the game ignores after making
// the layer forget the picture on the canvas.
async function frameTimes(page, frames, whole) {
  return page.evaluate(async (frames, whole) => {
    const canvas = document.getElementById('canvas');
    const gl = GLctx;  // the game's own: a context asked for here first would lack the kept buffer
    const pixel = new Uint8Array(4);
    const script = [];
    const total = [];
    for (let i = 0; i < frames; i++) {
      await new Promise((resolve) => {
        let start;
        requestAnimationFrame(() => { start = performance.now(); });
        if (whole) GLFrames.shown = null;
        const key = whole ? 'x' : i % 2 ? 'd' : 'a';
        canvas.dispatchEvent(new KeyboardEvent('keydown', { key }));
        requestAnimationFrame(() => {
          script.push(performance.now() - start);
          gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
          total.push(performance.now() - start);
          resolve();
        });
      });
    }
    return { script, total };
  }, frames, whole);
}

// The six files a browser fetches to show the page and start the game (the
// service worker then keeps the PNG icons too, for the installed app).
const kFirstVisit = ['index.html', 'zembrat-quillory.js', 'zembrat-quillory.wasm',
  'manifest.webmanifest', 'sw.js', 'zembrat-quillory.svg'];

function printSizes(site) {
  let total = 0;
  console.log(`${'file (* first visit)'.padEnd(24)} ${'bytes'.padStart(9)} ${'gzip -9'.padStart(9)}`);
  for (const file of fs.readdirSync(site).sort()) {
    const raw = fs.statSync(path.join(site, file)).size;
    const packed = execFileSync('gzip', ['-9', '-c', path.join(site, file)]).length;
    const first = kFirstVisit.includes(file);
    if (first) total += packed;
    console.log(`${first ? '*' : ' '} ${file.padEnd(22)} ${String(raw).padStart(9)} ${String(packed).padStart(9)}`);
  }
  console.log(`${'first visit'.padEnd(24)} ${''.padStart(9)} ${String(total).padStart(9)}\n`);
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

async function main() {
  const site = path.resolve(process.argv[2] || path.join(__dirname, '../../build-web/site'));
  const frames = Number(process.argv[3] || 40);
  printSizes(site);
  const session = await openBrowser(site);
  try {
    console.log(`Median milliseconds a frame over ${frames} frames, 1280x860, empty board`);
    console.log('             piece moving              whole picture');
    console.log('order        script+wasm  with drawing  script+wasm  with drawing');
    for (const order of orders) {
      const page = await openGame(session);
      await enterOrder(page, order);
      const figures = [];
      for (const whole of [false, true]) {
        await frameTimes(page, 3, whole);  // warm up
        const { script, total } = await frameTimes(page, frames, whole);
        figures.push(median(script).toFixed(1).padStart(11), median(total).toFixed(1).padStart(13));
      }
      console.log(`${order.padEnd(12)} ${figures.join(' ')}`);
      await page.close();
    }
  } finally {
    await session.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
