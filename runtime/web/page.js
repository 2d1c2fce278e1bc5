// The page's side of the web backend (web_backend.cpp): the form's canvas, the error box's
// dialog, input on the dialog, and the line that says the program has ended. Every window's
// pixels live in wasm memory as XRGB; presenting copies the changed areas onto its canvas.
mergeInto(LibraryManager.library, {
  $tarvelPage: {
    windows: [],
    queue: [],    // input waiting for the program: [kind, window, x, y, key]
    listening: false,
    ratio: function () {
      return window.devicePixelRatio || 1;
    },
    // Centres a canvas in the page on whole device pixels, so it is never resampled.
    centre: function (win) {
      const ratio = tarvelPage.ratio();
      const canvas = win.canvas;
      canvas.style.width = canvas.width / ratio + 'px';
      canvas.style.height = canvas.height / ratio + 'px';
      if (win.dialog) {
        return;
      }
      const left = Math.max(0, Math.round((window.innerWidth * ratio - canvas.width) / 2));
      const top = Math.max(0, Math.round((window.innerHeight * ratio - canvas.height) / 2));
      canvas.style.left = left / ratio + 'px';
      canvas.style.top = top / ratio + 'px';
    },
    topDialog: function () {
      for (let id = tarvelPage.windows.length - 1; id >= 0; --id) {
        const win = tarvelPage.windows[id];
        if (win && win.dialog) {
          return id;
        }
      }
      return -1;
    },
    listen: function () {
      if (tarvelPage.listening) {
        return;
      }
      tarvelPage.listening = true;
      window.addEventListener('resize', function () {
        tarvelPage.windows.forEach(function (win) {
          if (win) {
            tarvelPage.centre(win);
          }
        });
      });
      // The keys a dialog answers: Enter, Escape and Space (1, 2, 3).
      document.addEventListener('keydown', function (event) {
        const dialog = tarvelPage.topDialog();
        const key = {'Enter': 1, 'Escape': 2, ' ': 3}[event.key] || 0;
        if (dialog < 0) {
          return;
        }
        if (key) {
          event.preventDefault();
        }
        tarvelPage.queue.push([1, dialog, 0, 0, key]);
      });
    },
  },

  // Opens a window: the page's form canvas for a form, a modal dialog holding a canvas of its
  // own for a box. Its title names it for assistive technology; a box's text is in the page
  // as text, beside its pixels. Returns its number, or -1 when no 2D canvas can be had.
  tarvel_page_open__deps: ['$tarvelPage'],
  tarvel_page_open: function (dialog, width, height, title, text) {
    tarvelPage.listen();
    const name = UTF8ToString(title);
    let canvas;
    let box = null;
    if (dialog) {
      box = document.createElement('dialog');
      box.className = 'box';
      canvas = document.createElement('canvas');
      const words = document.createElement('p');
      words.className = 'words';
      words.id = 'box-words-' + tarvelPage.windows.length;
      words.textContent = UTF8ToString(text);
      box.setAttribute('aria-label', name);
      box.setAttribute('aria-describedby', words.id);
      box.append(canvas, words);
      // Escape is the box's own key: the browser must not close the dialog by itself.
      box.addEventListener('cancel', function (event) {
        event.preventDefault();
      });
      document.body.append(box);
    } else {
      canvas = document.getElementById('form');
      document.title = name;
    }
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', name);
    canvas.width = width;
    canvas.height = height;
    const context = canvas.getContext('2d', {alpha: false});
    if (!context) {
      return -1;
    }
    const id = tarvelPage.windows.length;
    // `presents` counts the frames shown, for the tests and the benchmark.
    const win = {canvas: canvas, context: context, dialog: box, shown: false, presents: 0};
    tarvelPage.windows.push(win);
    if (box) {
      const at = function (event) {
        const scale = canvas.width / canvas.clientWidth;
        return [Math.floor(event.offsetX * scale), Math.floor(event.offsetY * scale)];
      };
      canvas.addEventListener('pointerdown', function (event) {
        tarvelPage.queue.push([2, id].concat(at(event), [0]));
      });
      canvas.addEventListener('pointerup', function (event) {
        tarvelPage.queue.push([3, id].concat(at(event), [0]));
      });
    }
    tarvelPage.centre(win);
    return id;
  },

  tarvel_page_close__deps: ['$tarvelPage'],
  tarvel_page_close: function (id) {
    const win = tarvelPage.windows[id];
    if (win && win.dialog) {
      win.dialog.close();
      win.dialog.remove();
    }
    tarvelPage.windows[id] = null;
  },

  // A window's backing store follows a new device pixel ratio: `width` x `height` pixels.
  tarvel_page_resize__deps: ['$tarvelPage'],
  tarvel_page_resize: function (id, width, height) {
    const win = tarvelPage.windows[id];
    win.canvas.width = width;
    win.canvas.height = height;
    tarvelPage.centre(win);
  },

  // Copies an area of the window's XRGB pixels onto its canvas.
  tarvel_page_put__deps: ['$tarvelPage', '$tarvelPixelImage'],
  tarvel_page_put: function (id, pixels, stride, left, top, width, height) {
    const win = tarvelPage.windows[id];
    if (width <= 0 || height <= 0) {
      return;
    }
    const image = tarvelPixelImage(win.context, pixels, stride, left, top, width, height);
    win.context.putImageData(image, left, top);
  },

  // A frame's areas have all been copied: the first frame shows the window.
  tarvel_page_presented__deps: ['$tarvelPage'],
  tarvel_page_presented: function (id) {
    const win = tarvelPage.windows[id];
    ++win.presents;
    if (!win.shown) {
      win.shown = true;
      if (win.dialog) {
        win.dialog.showModal();
      } else {
        win.canvas.hidden = false;
      }
    }
  },

  // Takes the oldest input into `out` (five ints); 0 when there is none.
  tarvel_page_take_input__deps: ['$tarvelPage'],
  tarvel_page_take_input: function (out) {
    const input = tarvelPage.queue.shift();
    if (!input) {
      return 0;
    }
    for (let i = 0; i < 5; ++i) {
      HEAP32[(out >> 2) + i] = input[i];
    }
    return 1;
  },

  tarvel_page_ratio__deps: ['$tarvelPage'],
  tarvel_page_ratio: function () {
    return tarvelPage.ratio();
  },

  // The program has ended with `status`; `reason` (or 0) says why it could not run.
  tarvel_page_ended: function (status, reason) {
    Module['ended'](status, reason ? UTF8ToString(reason) : '');
  },
});
