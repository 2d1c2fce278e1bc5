// What the browser tests look for, in any engine: red text in a screenshot, where it is and
// how crisp, and waiting for what they check.
'use strict';
const fs = require('fs');
const path = require('path');

// Red on black, as the label's text is: red only, with no green or blue.
function isRed(pixel) {
  return (pixel & 0xFF0000) !== 0 && (pixel & 0x00FFFF) === 0 && (pixel >> 16) >= 0x40;
}

// The bounding box of the red pixels, or null.
function redBox(image) {
  let box = null;
  for (let y = 0; y < image.height; ++y) {
    for (let x = 0; x < image.width; ++x) {
      if (isRed(image.at(x, y))) {
        box = box || {left: x, top: y, right: x, bottom: y};
        box.left = Math.min(box.left, x);
        box.right = Math.max(box.right, x);
        box.top = Math.min(box.top, y);
        box.bottom = Math.max(box.bottom, y);
      }
    }
  }
  return box;
}

// The share of the red text's pixels that are solid red, not half-tones: text drawn at the
// device's pixels has solid stems, text stretched from fewer pixels has few.
function solidRedShare(image) {
  let ink = 0;
  let solid = 0;
  for (const pixel of image.pixels) {
    if ((pixel & 0xFF0000) !== 0 && (pixel & 0x00FFFF) === 0) {
      ++ink;
      solid += pixel === 0xFF0000 ? 1 : 0;
    }
  }
  return ink === 0 ? 0 : solid / ink;
}

// Calls `probe` until it returns something truthy, or throws `what` after `seconds`.
async function poll(what, probe, seconds = 30) {
  const deadline = Date.now() + seconds * 1000;
  let last;
  for (;;) {
    last = await probe();
    if (last) {
      return last;
    }
    if (Date.now() > deadline) {
      throw new Error('timed out waiting: ' + what);
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

// Takes screenshots until the red text has been seen in two places; returns both boxes.
async function redTextMoves(screenshot) {
  let first = null;
  let second = null;
  await poll('red text seen in two places', async () => {
    const box = redBox(await screenshot());
    if (box && !first) {
      first = box;
    } else if (box && (box.left !== first.left || box.top !== first.top)) {
      second = box;
    }
    return second;
  });
  return [first, second];
}

// Keeps a failing check's screenshot beside the build, for a look by hand.
function keepScreenshot(directory, name, png) {
  fs.mkdirSync(directory, {recursive: true});
  fs.writeFileSync(path.join(directory, name + '.png'), png);
}

// Fails with `message` unless `condition` holds.
function check(condition, message) {
  if (!condition) {
    throw new Error(message);
  }
}

module.exports = {isRed, redBox, solidRedShare, poll, redTextMoves, keepScreenshot, check};
