// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Lighthouse's scores for the page, as desktop and as mobile, in English and
// in Chinese, with the audits it failed. Figures to read, not a pass or fail.
//
//   node tests/web/audit.js SITE LIGHTHOUSE_PREFIX CHROMIUM
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { serve } = require('../../web/serve.js');

async function main() {
  const [site, prefix, chromium] = process.argv.slice(2);
  const lighthouse = path.join(prefix, 'node_modules/.bin/lighthouse');
  const { server, url } = await serve(path.resolve(site));
  try {
    for (const lang of ['en', 'zh']) {
      for (const preset of ['desktop', 'mobile']) {
        const report = path.join(prefix, `${preset}-${lang}.json`);
        const args = [`${url}?lang=${lang}`, '--quiet', '--output=json', `--output-path=${report}`,
          '--chrome-flags=--headless=new --no-sandbox --enable-unsafe-swiftshader'];
        if (preset === 'desktop') args.push('--preset=desktop');
        execFileSync(lighthouse, args, { env: { ...process.env, CHROME_PATH: chromium }, stdio: 'inherit' });
        const { categories, audits } = JSON.parse(fs.readFileSync(report, 'utf8'));
        const scores = Object.values(categories).map((c) => `${c.title} ${Math.round(c.score * 100)}`);
        console.log(`${preset}, ${lang}: ${scores.join(', ')}`);
        for (const audit of Object.values(audits)) {
          if (audit.score !== null && audit.score < 1 && audit.scoreDisplayMode === 'binary') {
            console.log(`  failed: ${audit.id}`);
          }
        }
      }
    }
  } finally {
    server.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
