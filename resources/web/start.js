// Starts Tarvel in its page: checks that the browser can run it, then loads the program. Any
// way it cannot run is said in the page and on the console, never left as a blank page.
'use strict';
(function () {
  const status = document.getElementById('status');

  // Says in the page that the program has ended, with its status, and why if it could not run.
  function ended(code, reason) {
    status.textContent = reason
      ? 'Tarvel cannot run in this browser: ' + reason + '. It has ended with status ' + code + '.'
      : 'Tarvel has ended with status ' + code + '.';
  }

  function fail(reason) {
    console.error('Tarvel: ' + reason);
    ended(2, reason);
  }

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    fail('it runs no WebAssembly');
    return;
  }
  window.Module = {
    print: function (text) {
      console.log(text);
    },
    // The program's error lines, as it writes them on stderr elsewhere.
    printErr: function (text) {
      console.error(text);
    },
    ended: ended,
    onAbort: function () {
      ended(2, 'its WebAssembly could not start');
    },
  };
  const program = document.createElement('script');
  program.src = 'tarvel.js';
  program.onerror = function () {
    fail('its program could not be loaded');
  };
  document.body.append(program);
})();
