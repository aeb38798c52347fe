// A static server for the browser tests and the measurements: what any static host does
// (types, gzip for text and WebAssembly when asked, conditional requests), on 127.0.0.1.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

const kTypes = {
  '.html': 'text/html; charset=utf-8', '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8', '.json': 'application/json',
  '.wasm': 'application/wasm', '.gz': 'application/gzip', '.png': 'image/png',
};
const kCompressed = new Set(['.html', '.css', '.js', '.json', '.wasm']);

// Serve(root) -> {url, sent, close}: sent lists every response as {path, status, bytes},
// bytes being the body as sent (compressed where it was).
export function Serve(root) {
  const sent = [];
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://localhost');
    let file = path.join(root, path.normalize(decodeURIComponent(url.pathname)).replace(/^(\.\.[/\\])+/, ''));
    if (!file.startsWith(root)) file = root;
    if (fs.existsSync(file) && fs.statSync(file).isDirectory()) file = path.join(file, 'index.html');
    if (!fs.existsSync(file)) {
      sent.push({ path: url.pathname, status: 404, bytes: 9 });
      response.writeHead(404).end('not found');
      return;
    }
    const stat = fs.statSync(file);
    const modified = stat.mtime.toUTCString();
    if (request.headers['if-modified-since'] === modified) {
      sent.push({ path: url.pathname, status: 304, bytes: 0 });
      response.writeHead(304).end();
      return;
    }
    const extension = path.extname(file);
    const headers = { 'Content-Type': kTypes[extension] ?? 'application/octet-stream',
      'Last-Modified': modified, 'Cache-Control': 'no-cache' };
    const gzip = kCompressed.has(extension) && /\bgzip\b/.test(request.headers['accept-encoding'] ?? '');
    if (gzip) {
      const body = zlib.gzipSync(fs.readFileSync(file), { level: 9 });
      sent.push({ path: url.pathname, status: 200, bytes: body.length });
      response.writeHead(200, { ...headers, 'Content-Encoding': 'gzip', 'Content-Length': body.length });
      response.end(request.method === 'HEAD' ? undefined : body);
      return;
    }
    sent.push({ path: url.pathname, status: 200, bytes: stat.size });
    response.writeHead(200, { ...headers, 'Content-Length': stat.size });
    if (request.method === 'HEAD') response.end();
    else fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => resolve({
      url: `http://127.0.0.1:${server.address().port}/`,
      sent,
      close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); }),
    }));
  });
}

// Run alone: serve a folder until stopped (node tests/web/server.mjs build/web).
if (import.meta.url === `file://${process.argv[1]}`) {
  const served = await Serve(path.resolve(process.argv[2] ?? 'build/web'));
  console.log(served.url);
}
