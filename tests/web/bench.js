// Frame times of the web build in headless Chromium (software WebGL): for
// each order, the median over many frames of the display callback's
// JavaScript and WebAssembly alone, and of that plus the drawing, up to the
// point where WebGL has finished it. Figures to read, not a pass or fail.
//
//   node tests/web/bench.js [SITE] [FRAMES]
'use strict';
const path = require('path');
const { openBrowser, openGame, enterOrder } = require('./browser.js');

const orders = (process.env.ZQ_BENCH_ORDERS || '1,2,3,4,5,6,7,8,2147483647').split(',');

// One frame at a time: a key the game ignores asks for a redisplay; the
// animation frame callbacks registered before and after GLUT's own bracket
// the display callback, and a one-pixel read waits for the drawing.
async function frameTimes(page, frames) {
  return page.evaluate(async (frames) => {
    const canvas = document.getElementById('canvas');
    const gl = canvas.getContext('webgl');
    const pixel = new Uint8Array(4);
    const script = [];
    const total = [];
    for (let i = 0; i < frames; i++) {
      await new Promise((resolve) => {
        let start;
        requestAnimationFrame(() => { start = performance.now(); });
        canvas.dispatchEvent(new KeyboardEvent('keydown', { key: 'x' }));
        requestAnimationFrame(() => {
          script.push(performance.now() - start);
          gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
          total.push(performance.now() - start);
          resolve();
        });
      });
    }
    return { script, total };
  }, frames);
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

async function main() {
  const site = path.resolve(process.argv[2] || path.join(__dirname, '../../build-web/site'));
  const frames = Number(process.argv[3] || 40);
  const session = await openBrowser(site);
  try {
    console.log(`Median milliseconds a frame over ${frames} frames, 1280x860, empty board`);
    console.log('order        script+wasm   with drawing');
    for (const order of orders) {
      const page = await openGame(session);
      await enterOrder(page, order);
      await frameTimes(page, 3);  // warm up
      const { script, total } = await frameTimes(page, frames);
      console.log(`${order.padEnd(12)} ${median(script).toFixed(1).padStart(11)} ${median(total).toFixed(1).padStart(14)}`);
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
