// Text for the headless suite under node, which has no canvas: the same calls as the page's
// text (runtime/canvas/text.js), with a plain proportional block font. A space advances 0.3 em,
// a digit 0.55 em (digits line up, as in most fonts), any other character 0.3 to 0.7 em by its
// code and is drawn as a solid block from the baseline up 0.7 em; the font reaches 0.8 em above the baseline and 0.2 em below. What the
// suite checks of text (sizes that follow the font, the caption and the scale, ink inside a
// label, colours) holds for it as for any font.
mergeInto(LibraryManager.library, {
  $nodeText: {
    advance: function (code, em) {
      if (code === 32) {
        return 0.3 * em;
      }
      return code >= 48 && code <= 57 ? 0.55 * em : (0.3 + (code % 5) * 0.1) * em;
    },
    pixels: function (css) {
      const match = /([0-9.]+)px/.exec(UTF8ToString(css));
      return match ? parseFloat(match[1]) : 0;
    },
  },

  tarvel_text_start: function () {
    return 1;
  },

  tarvel_text_metrics__deps: ['$nodeText'],
  tarvel_text_metrics: function (css, out) {
    const em = nodeText.pixels(css);
    HEAPF64[out >> 3] = 0.8 * em;
    HEAPF64[(out >> 3) + 1] = 0.2 * em;
  },

  tarvel_text_width__deps: ['$nodeText'],
  tarvel_text_width: function (css, text, length) {
    const em = nodeText.pixels(css);
    let width = 0;
    for (let i = 0; i < length; ++i) {
      width += nodeText.advance(HEAPU16[(text >> 1) + i], em);
    }
    return width;
  },

  tarvel_text_draw__deps: ['$nodeText'],
  tarvel_text_draw: function (css, text, length, x, baseline, rgb, pixels, stride,
                              left, top, width, height) {
    const em = nodeText.pixels(css);
    const bottom = Math.min(baseline, top + height);
    const rise = Math.max(top, Math.round(baseline - 0.7 * em));
    let pen = x;
    for (let i = 0; i < length; ++i) {
      const code = HEAPU16[(text >> 1) + i];
      const advance = nodeText.advance(code, em);
      pen += advance;
      if (code === 32) {
        continue;
      }
      const from = Math.max(left, Math.round(pen - advance + 0.05 * em));
      const to = Math.min(left + width, Math.round(pen - 0.05 * em));
      for (let y = rise; y < bottom; ++y) {
        const row = (pixels + y * stride) >> 2;
        for (let column = from; column < to; ++column) {
          HEAPU32[row + column] = rgb & 0xFFFFFF;
        }
      }
    }
  },
});
