// The web page's figures in the browsers (run by bench/measure-web.sh; it reports figures and
// passes or fails nothing):
//   node bench/web_figures.js SITE SECONDS
// Navigation to the first red pixel in headless Chromium; animation frames a second and frames
// drawn per animation frame in Chromium, Firefox and WebKitGTK; the Chromium renderer's main
// thread busy share against a page that only asks for animation frames.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {launch, open} = require('../tests/web/lib/browser_page');
const {serve} = require('../tests/web/lib/server');
const {poll} = require('../tests/web/lib/checks');
const {WebKitSession} = require('../tests/web/lib/webdriver');

const [site, secondsArgument] = process.argv.slice(2);
const seconds = Number(secondsArgument || 10);

function row(name, value) {
  console.log(name.padEnd(48) + ' ' + value);
}

// Counted in the page over `seconds`: animation frames, and the frames Tarvel drew.
function countFrames(milliseconds) {
  return new Promise((resolve) => {
    const form = () => tarvelPage.windows[0];
    const drawnBefore = form().presents;
    const began = performance.now();
    let frames = 0;
    const count = () => {
      ++frames;
      const elapsed = performance.now() - began;
      if (elapsed < milliseconds) {
        requestAnimationFrame(count);
      } else {
        resolve({frames, drawn: form().presents - drawnBefore, seconds: elapsed / 1000});
      }
    };
    requestAnimationFrame(count);
  });
}

function framesRow(engine, counts) {
  row(engine + ': frames a second, drawn per frame',
      (counts.frames / counts.seconds).toFixed(1) + ', ' + (counts.drawn / counts.frames).toFixed(3));
}

// Watches the form's canvas at every animation frame from the start, for its first red pixel.
function watchFirstRed() {
  const look = () => {
    const canvas = document.getElementById('form');
    if (canvas && !canvas.hidden && canvas.width > 0) {
      const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      for (let i = 0; i < pixels.length; i += 4) {
        if (pixels[i] > 128 && pixels[i + 1] === 0 && pixels[i + 2] === 0) {
          window.firstRed = performance.now();
          return;
        }
      }
    }
    requestAnimationFrame(look);
  };
  requestAnimationFrame(look);
}

async function busyShare(page) {
  const before = await page.metrics();
  await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
  const after = await page.metrics();
  return (after.TaskDuration - before.TaskDuration) / (after.Timestamp - before.Timestamp);
}

async function chromiumAndFirefox(origin, emptyOrigin) {
  for (const engine of ['chromium', 'firefox']) {
    const browser = await launch(engine);
    if (engine === 'chromium') {
      const firsts = [];
      for (let run = 0; run < 3; ++run) {
        const {page} = await open(browser, origin + '/', {before: watchFirstRed});
        firsts.push(await poll('the first red pixel', () => page.evaluate(() => window.firstRed)));
        await page.close();
      }
      row('chromium: navigation to first red pixel (ms)', firsts.map((t) => t.toFixed(0)).join(', '));
    }
    const {page} = await open(browser, origin + '/');
    await poll('frames', () => page.evaluate(() =>
      typeof tarvelPage === 'object' && tarvelPage.windows[0] && tarvelPage.windows[0].presents > 10));
    framesRow(engine, await page.evaluate(countFrames, seconds * 1000));
    if (engine === 'chromium') {
      const tarvel = await busyShare(page);
      const empty = await open(browser, emptyOrigin + '/');
      const idle = await busyShare(empty.page);
      row('chromium: renderer main thread busy, Tarvel', (100 * tarvel).toFixed(2) + ' %');
      row('chromium: the same, empty animation frame page', (100 * idle).toFixed(2) + ' %');
    }
    await browser.close();
  }
}

async function webkit(origin) {
  const session = await WebKitSession.start();
  try {
    await session.go(origin + '/');
    await poll('frames', () => session.run('return typeof tarvelPage === "object" && ' +
        '!!tarvelPage.windows[0] && tarvelPage.windows[0].presents > 10;'));
    const counts = await session.call('POST', '/session/' + session.id + '/execute/async', {
      script: 'const done = arguments[arguments.length - 1]; (' + countFrames + ')(' +
          seconds * 1000 + ').then(done);',
      args: [],
    });
    framesRow('webkit', counts);
  } finally {
    await session.stop();
  }
}

(async () => {
  // A page that only asks for animation frames, for the renderer's own share.
  const empty = fs.mkdtempSync(path.join(os.tmpdir(), 'tarvel-empty-'));
  fs.writeFileSync(path.join(empty, 'index.html'),
      '<!DOCTYPE html><title>empty</title><script src="raf.js"></script>');
  fs.writeFileSync(path.join(empty, 'raf.js'),
      'const frame = () => requestAnimationFrame(frame); requestAnimationFrame(frame);');
  const server = await serve(site);
  const emptyServer = await serve(empty);
  try {
    await chromiumAndFirefox(server.origin, emptyServer.origin);
    await webkit(server.origin);
  } finally {
    server.close();
    emptyServer.close();
    fs.rmSync(empty, {recursive: true});
  }
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
