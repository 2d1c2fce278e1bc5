// The built site in Chromium or Firefox, driven by puppeteer, served from 127.0.0.1:
//   node puppeteer_test.js chromium|firefox SITE FAULTY_SITE SCREENSHOT_DIR
// In both: the title, the canvas's size and place, red text that moves, and a clean console
// and network. In Chromium also: crisp text at 1.5 device pixels per CSS pixel and after a
// change from 1 to 2 while running, one frame drawn per animation frame, a hidden page drawing
// nothing but waking on its timer, the faulty build's error box, and the plain messages when
// the browser lacks a 2D canvas, WebAssembly or JavaScript.
'use strict';
const {launch, open} = require('./lib/browser_page');
const {serve} = require('./lib/server');
const {check, keepScreenshot, poll, redTextMoves, solidRedShare, redBox} = require('./lib/checks');
const {cleanRun, formGeometry} = require('./lib/page_checks');

const [engine, site, faultySite, screenshots] = process.argv.slice(2);

async function runsCleanly(browser, origin) {
  const {page, record, screenshot} = await open(browser, origin + '/index.html');
  await poll('the title "Form1"', async () => (await page.title()) === 'Form1');
  await poll('the form shown', () => page.evaluate(() => !document.getElementById('form').hidden));
  const geometry = await formGeometry(page);
  check(geometry.width === 312 && geometry.height === 213,
      'the canvas is 312 x 213 CSS pixels, not ' + geometry.width + ' x ' + geometry.height);
  check(Math.abs(geometry.offCentreX) <= 1 && Math.abs(geometry.offCentreY) <= 1,
      'the canvas is centred: ' + JSON.stringify(geometry));
  check(!geometry.scrolls, 'the page has nothing to scroll');
  check(geometry.name === 'Form1', 'the canvas is named Form1 for assistive technology');
  const [first, second] = await redTextMoves(screenshot);
  console.log(engine + ': red text at ' + JSON.stringify(first) + ' then ' + JSON.stringify(second));
  cleanRun(record, origin);
  await page.close();
}

// At `scale` device pixels per CSS pixel the text is drawn at the device's pixels, with a
// backing store of that many pixels: as measured, crisp text there is 0.34 to 0.69 solid red,
// text stretched from CSS pixels at most 0.16. The median of five screenshots decides. With
// `from`, the page starts at that scale and is moved to `scale` while it runs (as by zoom).
async function crispAt(browser, origin, scale, from = scale) {
  const {page, screenshot} = await open(browser, origin + '/', {scale: from});
  if (from !== scale) {
    await poll('the form shown', () => page.evaluate(() => !document.getElementById('form').hidden));
    await page.setViewport({width: 800, height: 600, deviceScaleFactor: scale});
    await poll('the backing store following the new ratio', () => page.evaluate((width) =>
      document.getElementById('form').width === width, Math.round(312 * scale)));
  }
  const shares = [];
  await poll('five screenshots with red text at scale ' + scale, async () => {
    const image = await screenshot();
    if (redBox(image)) {
      shares.push(solidRedShare(image));
    }
    return shares.length >= 5;
  });
  shares.sort((a, b) => a - b);
  const median = shares[2];
  if (median <= 0.25) {
    keepScreenshot(screenshots, engine + '-scale-' + scale, await page.screenshot());
  }
  check(median > 0.25, 'crisp text at scale ' + scale + ': solid red share ' + median.toFixed(2));
  const store = await page.evaluate(() => {
    const canvas = document.getElementById('form');
    return [canvas.width, canvas.height];
  });
  check(store[0] === Math.round(312 * scale),
      'the backing store follows the ratio: ' + store + ' at ' + scale);
  console.log(engine + ': solid red share ' + median.toFixed(2) + ' at scale ' + scale);
  await page.close();
}

// Over three seconds, the form is drawn once per animation frame, at the browser's pace.
async function oneFramePerAnimationFrame(browser, origin) {
  const {page} = await open(browser, origin + '/');
  await poll('the first frames', () => page.evaluate(() =>
    typeof tarvelPage === 'object' && tarvelPage.windows[0] && tarvelPage.windows[0].presents > 10));
  const counts = await page.evaluate(() => new Promise((resolve) => {
    const presents = tarvelPage.windows[0].presents;
    let frames = 0;
    const began = performance.now();
    const count = () => {
      ++frames;
      if (performance.now() - began < 3000) {
        requestAnimationFrame(count);
      } else {
        resolve({frames, drawn: tarvelPage.windows[0].presents - presents,
          seconds: (performance.now() - began) / 1000});
      }
    };
    requestAnimationFrame(count);
  }));
  console.log(engine + ': ' + JSON.stringify(counts));
  check(Math.abs(counts.drawn - counts.frames) <= 3,
      'one frame drawn per animation frame: ' + JSON.stringify(counts));
  check(counts.frames / counts.seconds > 20, 'frames come at the browser\'s pace');
  await page.close();
}

// The faulty build's error box, dismissed with Enter; then the page says how it ended.
async function errorBoxThenEnded(browser, origin) {
  const {page, record} = await open(browser, origin + '/');
  const words = await poll('the error box', () => page.evaluate(() => {
    const box = document.querySelector('dialog.box[open]');
    return box && box.querySelector('canvas').width > 0 && box.textContent;
  }));
  check(/run-time error in StepLabel: /.test(words), 'the box says what went wrong: ' + words);
  const line = record.console.find((message) => message.type === 'error');
  check(line && line.text.startsWith('Tarvel: run-time error in StepLabel: '),
      'the report goes to the console first: ' + JSON.stringify(record.console));
  const before = await page.evaluate(() => document.getElementById('status').textContent);
  check(before === '', 'nothing said of an end while the box is up');
  await page.keyboard.press('Enter');
  const said = await poll('the page saying it ended', () => page.evaluate(() =>
    !document.querySelector('dialog.box') && document.getElementById('status').textContent));
  check(said === 'Tarvel has ended with status 1.', 'the page says: ' + said);
  await page.close();
}

// A hidden page is given no animation frames and may only set timers, as a hidden tab; here
// the page is made to look hidden (its visibility, and its frames held back) to see that it
// draws nothing then, still wakes on its timer, and draws again once shown.
function pretendHidden() {
  let hidden = false;
  let timers = 0;
  const held = [];
  const request = window.requestAnimationFrame.bind(window);
  const setTimer = window.setTimeout.bind(window);
  Object.defineProperty(Document.prototype, 'hidden', {get: () => hidden, configurable: true});
  Object.defineProperty(Document.prototype, 'visibilityState',
      {get: () => (hidden ? 'hidden' : 'visible'), configurable: true});
  window.requestAnimationFrame = (callback) => (hidden ? held.push(callback) : request(callback));
  window.setTimeout = (...args) => {
    timers += hidden ? 1 : 0;
    return setTimer(...args);
  };
  window.pretend = {
    timers: () => timers,
    show: (shown) => {
      hidden = !shown;
      document.dispatchEvent(new Event('visibilitychange'));
      while (shown && held.length) {
        request(held.shift());
      }
    },
  };
}

async function hiddenThenShown(browser, origin) {
  const {page, record} = await open(browser, origin + '/', {before: pretendHidden});
  const presents = () => page.evaluate(() => tarvelPage.windows[0].presents);
  await poll('the first frames', () => page.evaluate(() =>
    typeof tarvelPage === 'object' && tarvelPage.windows[0] && tarvelPage.windows[0].presents > 10));
  await page.evaluate(() => pretend.show(false));
  // A frame asked for before the page was hidden may still come; none after.
  await poll('a timer set while hidden', () => page.evaluate(() => pretend.timers() >= 1));
  const hiddenAt = await presents();
  await poll('more timers set while hidden', () => page.evaluate(() => pretend.timers() >= 4));
  check((await presents()) === hiddenAt, 'nothing is drawn while the page is hidden');
  await page.evaluate(() => pretend.show(true));
  await poll('drawing again once shown', async () => (await presents()) > hiddenAt + 10);
  cleanRun(record, origin);
  await page.close();
}

// Without JavaScript the page says what it needs.
async function noScript(browser, origin) {
  const page = await browser.newPage();
  await page.setJavaScriptEnabled(false);
  await page.goto(origin + '/');
  const said = await page.evaluate(() => document.body.innerText);
  check(/JavaScript turned off/.test(said), 'without JavaScript the page says: ' + said);
  await page.close();
}

// Without a 2D canvas or WebAssembly, or with WebAssembly refused, the page says so, with
// status 2.
async function platformFailures(browser, origin) {
  const lacks = {
    'no 2D canvas': () => {
      HTMLCanvasElement.prototype.getContext = () => null;
    },
    'no WebAssembly': () => {
      delete window.WebAssembly;
    },
    'WebAssembly refused': () => {
      const refuse = () => Promise.reject(new WebAssembly.CompileError('refused'));
      WebAssembly.instantiate = refuse;
      WebAssembly.instantiateStreaming = refuse;
    },
  };
  for (const [what, before] of Object.entries(lacks)) {
    const {page, record} = await open(browser, origin + '/', {before});
    const said = await poll('the page saying it cannot run (' + what + ')', () =>
      page.evaluate(() => document.getElementById('status').textContent));
    check(/^Tarvel cannot run in this browser: .+\. It has ended with status 2\.$/.test(said),
        what + ': the page says ' + said);
    check(record.console.some((message) => message.type === 'error'),
        what + ': the console says so too');
    console.log(engine + ', ' + what + ': ' + said);
    await page.close();
  }
}

(async () => {
  const server = await serve(site);
  const faulty = await serve(faultySite);
  const browser = await launch(engine);
  try {
    await runsCleanly(browser, server.origin);
    if (engine === 'chromium') {
      await crispAt(browser, server.origin, 1.5);
      await crispAt(browser, server.origin, 2, 1);
      await oneFramePerAnimationFrame(browser, server.origin);
      await hiddenThenShown(browser, server.origin);
      await errorBoxThenEnded(browser, faulty.origin);
      await platformFailures(browser, server.origin);
      await noScript(browser, server.origin);
    }
  } finally {
    await browser.close();
    server.close();
    faulty.close();
  }
})().catch((error) => {
  console.error(engine + ': ' + error.message);
  process.exit(1);
});
