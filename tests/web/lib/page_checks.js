// Checks of the page itself, the same in every engine, made from inside the page.
'use strict';
const {check} = require('./checks');

// Where the form's canvas is, in CSS pixels, and what it is called.
async function formGeometry(evaluate) {
  const run = typeof evaluate === 'function' ? evaluate : (f) => evaluate.evaluate(f);
  return run(() => {
    const canvas = document.getElementById('form');
    const rect = canvas.getBoundingClientRect();
    const page = document.documentElement;
    return {
      width: rect.width,
      height: rect.height,
      offCentreX: rect.left - (window.innerWidth - rect.width) / 2,
      offCentreY: rect.top - (window.innerHeight - rect.height) / 2,
      scrolls: page.scrollWidth > window.innerWidth || page.scrollHeight > window.innerHeight,
      name: canvas.getAttribute('aria-label'),
    };
  });
}

// No error or warning on the console, no failed request, none off the page's own origin.
function cleanRun(record, origin) {
  const noisy = record.console.filter((m) => m.type === 'error' || m.type === 'warn' ||
      m.type === 'warning');
  check(noisy.length === 0, 'console errors or warnings: ' + JSON.stringify(noisy));
  check(record.errors.length === 0, 'page errors: ' + JSON.stringify(record.errors));
  check(record.failed.length === 0, 'failed requests: ' + JSON.stringify(record.failed));
  const away = record.requests.filter((url) => !url.startsWith(origin + '/'));
  check(away.length === 0, 'requests off the page\'s origin: ' + JSON.stringify(away));
}

module.exports = {formGeometry, cleanRun};
