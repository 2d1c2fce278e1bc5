// A page of the site in a browser driven by puppeteer (Chromium or Firefox), with everything
// the page says on its console and every request it makes kept for the checks.
'use strict';
const puppeteer = require('puppeteer-core');
const {decodePng} = require('./png');

const engines = {
  chromium: {
    browser: 'chrome',
    executablePath: '/usr/bin/chromium-headless-shell',
    // As root the browser's sandbox cannot start.
    args: ['--no-sandbox'],
  },
  firefox: {browser: 'firefox', executablePath: '/usr/bin/firefox-esr', args: []},
};

async function launch(engine) {
  const {browser, executablePath, args} = engines[engine];
  return puppeteer.launch({browser, executablePath, args, headless: true});
}

// Opens `url` at `scale` device pixels per CSS pixel; `before` runs in the page before its
// own scripts (to take something away from the browser, say).
async function open(browser, url, {scale = 1, before = null} = {}) {
  const page = await browser.newPage();
  const record = {console: [], failed: [], requests: [], errors: []};
  page.on('console', (message) => record.console.push({type: message.type(), text: message.text()}));
  page.on('pageerror', (error) => record.errors.push(String(error)));
  page.on('requestfailed', (request) => record.failed.push(request.url()));
  page.on('request', (request) => record.requests.push(request.url()));
  page.on('response', (response) => {
    if (response.status() >= 400) {
      record.failed.push(response.url() + ' ' + response.status());
    }
  });
  await page.setViewport({width: 800, height: 600, deviceScaleFactor: scale});
  if (before) {
    await page.evaluateOnNewDocument(before);
  }
  await page.goto(url);
  const screenshot = async () => decodePng(Buffer.from(await page.screenshot({type: 'png'})));
  return {page, record, screenshot};
}

module.exports = {launch, open};
