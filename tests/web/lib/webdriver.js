// WebKitGTK driven through its WebDriver (WebKitWebDriver, plain W3C WebDriver over HTTP), in
// the MiniBrowser it ships, on an Xvfb of its own.
'use strict';
const {spawn} = require('child_process');
const net = require('net');
const {poll} = require('./checks');

const kMiniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const {port} = server.address();
      server.close(() => resolve(port));
    });
  });
}

// An X server of its own: resolves to [process, display] once it has said which display.
function startXvfb() {
  return new Promise((resolve, reject) => {
    const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1024x768x24', '-nolisten',
      'tcp'], {stdio: ['ignore', 'ignore', 'ignore', 'pipe']});
    let said = '';
    xvfb.on('error', reject);
    xvfb.on('exit', (code) => reject(new Error('Xvfb ended: ' + code)));
    xvfb.stdio[3].on('data', (chunk) => {
      said += chunk;
      if (said.includes('\n')) {
        resolve([xvfb, ':' + said.trim()]);
      }
    });
  });
}

class WebKitSession {
  static async start() {
    const [xvfb, display] = await startXvfb();
    const port = await freePort();
    const driver = spawn('WebKitWebDriver', ['--port=' + port],
        {stdio: 'ignore', env: Object.assign({}, process.env, {DISPLAY: display})});
    const session = new WebKitSession(xvfb, driver, 'http://127.0.0.1:' + port);
    try {
      const created = await poll('WebKitWebDriver answering', () => session.call('POST',
          '/session', {capabilities: {alwaysMatch: {
            'browserName': 'MiniBrowser',
            'webkitgtk:browserOptions': {binary: kMiniBrowser, args: ['--automation']},
          }}}).catch(() => null));
      session.id = created.sessionId;
    } catch (error) {
      session.stop();
      throw error;
    }
    return session;
  }

  constructor(xvfb, driver, address) {
    this.xvfb = xvfb;
    this.driver = driver;
    this.address = address;
  }

  async call(method, path, body) {
    const response = await fetch(this.address + path, {method,
      headers: {'Content-Type': 'application/json'},
      body: body === undefined ? undefined : JSON.stringify(body)});
    const answer = await response.json();
    if (!response.ok) {
      throw new Error(method + ' ' + path + ': ' + JSON.stringify(answer.value));
    }
    return answer.value;
  }

  go(url) {
    return this.call('POST', '/session/' + this.id + '/url', {url});
  }

  title() {
    return this.call('GET', '/session/' + this.id + '/title');
  }

  // Runs `script` (a function body) in the page and returns what it returns.
  run(script) {
    return this.call('POST', '/session/' + this.id + '/execute/sync', {script, args: []});
  }

  // The whole browser window, as PNG bytes.
  async screenshot() {
    return Buffer.from(await this.call('GET', '/session/' + this.id + '/screenshot'), 'base64');
  }

  async stop() {
    if (this.id) {
      await this.call('DELETE', '/session/' + this.id).catch(() => null);
    }
    this.driver.kill();
    this.xvfb.kill();
  }
}

module.exports = {WebKitSession};
