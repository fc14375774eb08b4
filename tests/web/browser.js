// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// What the browser tests and the benchmark share: the built site served on
// the loopback address, the browser (ZQ_BROWSER: Debian's Chromium headless
// with its software WebGL, or Firefox ESR in a window on the X server that
// DISPLAY names, since headless it has no WebGL), a fresh page per game, and
// the canvas read back as the screen shows it.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { serve } = require('../../web/serve.js');

const kWidth = 1280;
const kHeight = 860;
const kPrompt = '请输入阶数。';

const kBrowser = process.env.ZQ_BROWSER || 'chromium';

// Serves the site and starts the browser, Chromium with `args` added to its
// flags, set to prefer `languages` in that order: unless told otherwise one
// the page lacks, then English before Chinese. `close` ends both.
async function openBrowser(site = process.env.ZQ_SITE || path.resolve(__dirname, '../../build-web/site'), args = [],
  languages = ['de-DE', 'en-GB', 'zh-CN']) {
  const { server, url } = await serve(site);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `zq-${kBrowser}-`));
  const browser = kBrowser === 'firefox'
    ? await puppeteer.launch({
      browser: 'firefox',
      executablePath: process.env.ZQ_FIREFOX || '/usr/bin/firefox-esr',
      headless: false,
      userDataDir: profile,
      extraPrefsFirefox: { 'webgl.force-enabled': true, 'browser.shell.checkDefaultBrowser': false,
                           'intl.accept_languages': languages.join(', ') },
    })
    : await puppeteer.launch({
      executablePath: process.env.ZQ_CHROMIUM || '/usr/bin/chromium',
      headless: true,
      args: ['--headless', '--no-sandbox', '--enable-unsafe-swiftshader',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--no-first-run', `--user-data-dir=${profile}`, `--accept-lang=${languages.join(',')}`, ...args],
    });
  return {
    browser,
    url,
    close: async () => {
      await browser.close();
      server.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A new page, loaded, in a window big enough for the whole canvas unless
// told otherwise. The page's errors and the console's are printed and kept
// in `page.errors`.
async function openPage(session, viewport = { width: 1400, height: 1100 }) {
  const page = await session.browser.newPage();
  page.errors = [];
  const note = (text) => { console.error(text); page.errors.push(text); };
  page.on('pageerror', (error) => note(`page error: ${error.message}`));
  page.on('console', (message) => message.type() === 'error' && note(`console error: ${message.text()}`));
  await page.setViewport(viewport);
  await page.goto(session.url);
  return page;
}

// A new page with the prompt shown.
async function openGame(session, viewport) {
  const page = await openPage(session, viewport);
  await page.waitForSelector('#order-form:not([hidden])', { timeout: 20000 });
  return page;
}

// Types the order (any text) into the page's field and presses Enter.
async function enterOrder(page, text) {
  await page.type('#order', text);
  await page.keyboard.press('Enter');
  await page.waitForSelector('#canvas:not([hidden])');
}

// The canvas as the screen shows it: { width, height, rgba } with (0, 0) at
// the top left.
async function canvasPixels(page) {
  const box = await (await page.$('#canvas')).boundingBox();
  const png = await page.screenshot({ clip: box, encoding: 'base64' });
  const rgba = await page.evaluate(async (png) => {
    const blob = await (await fetch(`data:image/png;base64,${png}`)).blob();
    const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    const data = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    let text = '';
    for (let i = 0; i < data.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    }
    return btoa(text);
  }, png);
  return { width: Math.round(box.width), height: Math.round(box.height), rgba: Buffer.from(rgba, 'base64') };
}

module.exports = { kBrowser, kWidth, kHeight, kPrompt, openBrowser, openPage, openGame, enterOrder, canvasPixels };
