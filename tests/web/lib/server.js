// A static file server on 127.0.0.1 for the built site, as any static host would serve it:
// python's http.server, which serves .wasm as application/wasm.
'use strict';
const {spawn} = require('child_process');

// Serves `directory`; resolves to {origin, close} once it listens.
function serve(directory) {
  return new Promise((resolve, reject) => {
    const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1',
      '--directory', directory, '0'], {stdio: ['ignore', 'pipe', 'ignore']});
    let said = '';
    server.on('error', reject);
    server.on('exit', (code) => reject(new Error('the file server ended: ' + code)));
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const port = /port (\d+)/.exec(said);
      if (port) {
        resolve({
          origin: 'http://127.0.0.1:' + port[1],
          close: () => server.kill(),
        });
      }
    });
  });
}

module.exports = {serve};
