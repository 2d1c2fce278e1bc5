// The built site in WebKitGTK (the engine family of Safari), through its WebDriver:
//   node webkit_test.js SITE SCREENSHOT_DIR
// The title, the canvas's size and place, red text that moves, and every request made to the
// page's own origin and answered. (Plain WebDriver cannot read the console.)
'use strict';
const {serve} = require('./lib/server');
const {decodePng} = require('./lib/png');
const {check, keepScreenshot, poll, redTextMoves} = require('./lib/checks');
const {formGeometry} = require('./lib/page_checks');
const {WebKitSession} = require('./lib/webdriver');

const [site, screenshots] = process.argv.slice(2);

(async () => {
  const server = await serve(site);
  const webkit = await WebKitSession.start();
  try {
    await webkit.go(server.origin + '/');
    await poll('the title "Form1"', async () => (await webkit.title()) === 'Form1');
    await poll('the form shown', () => webkit.run(
        'return !document.getElementById("form").hidden;'));
    const geometry = await formGeometry((f) => webkit.run('return (' + f + ')();'));
    check(Math.abs(geometry.width - 312) < 0.01 && Math.abs(geometry.height - 213) < 0.01,
        'the canvas is 312 x 213 CSS pixels: ' + JSON.stringify(geometry));
    check(Math.abs(geometry.offCentreX) <= 1 && Math.abs(geometry.offCentreY) <= 1,
        'the canvas is centred: ' + JSON.stringify(geometry));
    check(!geometry.scrolls, 'the page has nothing to scroll');
    const [first, second] = await redTextMoves(async () => decodePng(await webkit.screenshot()))
        .catch(async (error) => {
          keepScreenshot(screenshots, 'webkit', await webkit.screenshot());
          throw error;
        });
    console.log('webkit: red text at ' + JSON.stringify(first) + ' then ' +
        JSON.stringify(second));
    const requests = await webkit.run(`return performance.getEntriesByType('resource')
        .concat(performance.getEntriesByType('navigation'))
        .map((entry) => [entry.name, entry.responseStatus === undefined ? 200 : entry.responseStatus]);`);
    const away = requests.filter(([url]) => !url.startsWith(server.origin + '/'));
    check(away.length === 0, 'requests off the page\'s origin: ' + JSON.stringify(away));
    const failed = requests.filter(([, status]) => status >= 400);
    check(failed.length === 0, 'failed requests: ' + JSON.stringify(failed));
    check(requests.some(([url]) => url.endsWith('/tarvel.wasm')), 'the program was fetched');
    const said = await webkit.run('return document.getElementById("status").textContent;');
    check(said === '', 'the page says nothing of an ending: ' + said);
  } finally {
    await webkit.stop();
    server.close();
  }
})().catch((error) => {
  console.error('webkit: ' + error.message);
  process.exit(1);
});
