// A pixel buffer's rows in wasm memory (pixel_buffer.h: 0x00RRGGBB, rows `stride` bytes apart)
// as the browser's canvases take them, for the page's windows and the canvas text engine.
mergeInto(LibraryManager.library, {
  // The `width` x `height` area at (left, top) of the buffer at `pixels`, as opaque ImageData
  // made on `context`.
  $tarvelPixelImage: function (context, pixels, stride, left, top, width, height) {
    const image = context.createImageData(width, height);
    const bytes = image.data;
    for (let row = 0; row < height; ++row) {
      let from = ((pixels + (top + row) * stride) >> 2) + left;
      let to = row * width * 4;
      for (let column = 0; column < width; ++column, ++from, to += 4) {
        const pixel = HEAPU32[from];
        bytes[to] = (pixel >> 16) & 255;
        bytes[to + 1] = (pixel >> 8) & 255;
        bytes[to + 2] = pixel & 255;
        bytes[to + 3] = 255;
      }
    }
    return image;
  },
});
