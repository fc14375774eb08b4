// SPDX-FileCopyrightText: 2026 The Zembrat Quillory developers
// SPDX-License-Identifier: MIT
// Serves the built site (build-web/site) on the loopback address only, for
// playing and for the browser tests. Run as `node web/serve.js DIR [PORT]`;
// it prints the URL. Port 0, the default, takes any free one.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',  // the notices name people in their own scripts
  '.webmanifest': 'application/manifest+json',
};

// Starts serving `root`; resolves to the server and its URL.
function serve(root, port = 0) {
  const server = http.createServer((request, response) => {
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    } catch {
      response.writeHead(400).end();  // a path that is no UTF-8 names no file
      return;
    }
    if (name.endsWith('/')) name += 'index.html';
    const file = path.resolve(root, '.' + path.posix.normalize(name));
    if (!file.startsWith(path.resolve(root) + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-cache',
      });
      response.end(data);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      resolve({ server, url: `http://127.0.0.1:${server.address().port}/` });
    });
  });
}

module.exports = { serve };

if (require.main === module) {
  const root = path.resolve(process.argv[2] || '.');
  serve(root, Number(process.argv[3] || 0)).then(({ url }) => {
    console.log(`Serving ${root} at ${url} (Ctrl-C stops it)`);
  });
}
