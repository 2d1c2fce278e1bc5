// The browser's own text, for the text engine (text_engine.cpp): a canvas measures and draws
// with the same font, so a label fits what is drawn. Drawing goes through a scratch canvas:
// the area to draw is copied in from the window's pixels in wasm memory, the text is drawn
// over it (blending its antialiased edges with what is there), and the area is copied back.
mergeInto(LibraryManager.library, {
  $tarvelText: {
    context: null,
    // The scratch canvas's 2D context, at least `width` x `height`; null without a 2D canvas.
    scratch: function (width, height) {
      if (!tarvelText.context) {
        const canvas = typeof document !== 'undefined' ? document.createElement('canvas')
          : typeof OffscreenCanvas !== 'undefined' ? new OffscreenCanvas(1, 1) : null;
        // Read back on every draw: the browser keeps such a canvas in ordinary memory.
        tarvelText.context = canvas ? canvas.getContext('2d', {willReadFrequently: true}) : null;
        if (!tarvelText.context) {
          return null;
        }
      }
      const canvas = tarvelText.context.canvas;
      if (canvas.width < width || canvas.height < height) {
        canvas.width = Math.max(canvas.width, width);
        canvas.height = Math.max(canvas.height, height);
      }
      return tarvelText.context;
    },
    string: function (text, length) {
      let result = '';
      for (let i = 0; i < length; ++i) {
        result += String.fromCharCode(HEAPU16[(text >> 1) + i]);
      }
      return result;
    },
  },

  tarvel_text_start__deps: ['$tarvelText'],
  tarvel_text_start: function () {
    return tarvelText.scratch(1, 1) ? 1 : 0;
  },

  // Writes the font's ascent and descent above and below the baseline, in pixels.
  tarvel_text_metrics__deps: ['$tarvelText'],
  tarvel_text_metrics: function (css, out) {
    const context = tarvelText.scratch(1, 1);
    context.font = UTF8ToString(css);
    const metrics = context.measureText('Hg');
    HEAPF64[out >> 3] = metrics.fontBoundingBoxAscent;
    HEAPF64[(out >> 3) + 1] = metrics.fontBoundingBoxDescent;
  },

  tarvel_text_width__deps: ['$tarvelText'],
  tarvel_text_width: function (css, text, length) {
    const context = tarvelText.scratch(1, 1);
    context.font = UTF8ToString(css);
    return context.measureText(tarvelText.string(text, length)).width;
  },

  // Draws `text` with its baseline's left end at (x, baseline) in `rgb`, onto the XRGB pixels
  // at `pixels` (rows `stride` bytes apart), nothing of it outside the area given.
  tarvel_text_draw__deps: ['$tarvelText', '$tarvelPixelImage'],
  tarvel_text_draw: function (css, text, length, x, baseline, rgb, pixels, stride,
                              left, top, width, height) {
    const context = tarvelText.scratch(width, height);
    const image = tarvelPixelImage(context, pixels, stride, left, top, width, height);
    context.putImageData(image, 0, 0);
    context.font = UTF8ToString(css);
    context.fillStyle = 'rgb(' + ((rgb >> 16) & 255) + ',' + ((rgb >> 8) & 255) + ',' +
        (rgb & 255) + ')';
    context.textBaseline = 'alphabetic';
    context.fillText(tarvelText.string(text, length), x - left, baseline - top);
    const drawn = context.getImageData(0, 0, width, height).data;
    for (let row = 0; row < height; ++row) {
      let to = ((pixels + (top + row) * stride) >> 2) + left;
      let from = row * width * 4;
      for (let column = 0; column < width; ++column, ++to, from += 4) {
        HEAPU32[to] = (drawn[from] << 16) | (drawn[from + 1] << 8) | drawn[from + 2];
      }
    }
  },
});
