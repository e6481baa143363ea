// A stand-in for the Master's web server: the page's files from resources/web and a stream the
// test writes itself, for what a demo farm never shows (hostile names, a bright base colour,
// every scene state, a Master that goes away).
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { join } from 'node:path';

const Files = { '/': 'index.html', '/app.js': 'app.js', '/style.css': 'style.css' };
const Types = { html: 'text/html; charset=utf-8', js: 'text/javascript; charset=utf-8', css: 'text/css; charset=utf-8' };

// Resolves to { url, send(event, data), dropStreams(), close() }; `snapshot` (a function giving
// [event, data] pairs, sent to each new stream) and `refuseStreams` may be changed on the way.
export function startFakeMaster(webDirectory, snapshot) {
  const streams = new Set();
  const fake = { snapshot, refuseStreams: false };
  const server = createServer(async (request, response) => {
    const path = new URL(request.url, 'http://x').pathname;
    if (path === '/api/stream') {
      if (fake.refuseStreams) {
        response.writeHead(503).end();
        return;
      }
      response.writeHead(200, { 'Content-Type': 'text/event-stream', 'Cache-Control': 'no-cache' });
      response.write('retry: 300\n\n');
      for (const [event, data] of fake.snapshot()) response.write(`event: ${event}\ndata: ${JSON.stringify(data)}\n\n`);
      streams.add(response);
      request.on('close', () => streams.delete(response));
      return;
    }
    const file = Files[path];
    if (!file) {
      response.writeHead(404).end();
      return;
    }
    const body = await readFile(join(webDirectory, file));
    response.writeHead(200, { 'Content-Type': Types[file.split('.').pop()] }).end(body);
  });
  fake.send = (event, data) => {
    for (const stream of streams) stream.write(`event: ${event}\ndata: ${JSON.stringify(data)}\n\n`);
  };
  fake.dropStreams = () => {
    for (const stream of streams) stream.destroy();
    streams.clear();
  };
  fake.close = () => {
    fake.dropStreams();
    server.closeAllConnections?.();
    return new Promise((resolve) => server.close(resolve));
  };
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      fake.url = `http://127.0.0.1:${server.address().port}/`;
      resolve(fake);
    });
  });
}
