// The size of an element's content in device pixels, reported at once and on every change, for a
// canvas whose backing store is to have one pixel per device pixel at any ratio or zoom.
//
// The size is what the browser reports, where it agrees with the CSS size times the ratio (it
// differs by the rounding of the element's edges at most). Where the browser reports none
// (WebKit) or one that disagrees (Chromium's device emulation reports CSS pixels), it is the CSS
// size times the ratio. A change of ratio alone, with no change of CSS size (a zoom, a move to
// another screen), comes through a media query on the ratio.
"use strict";

// onSize(width, height) on every report; onFirstSize() once, after the first.
globalThis.watchDevicePixels = function watchDevicePixels(element, onSize, onFirstSize) {
  let cssSize = null;
  let deviceSize = null;
  const match = () => {
    if (cssSize === null) return;
    const ratio = window.devicePixelRatio;
    const width = Math.round(cssSize.inlineSize * ratio);
    const height = Math.round(cssSize.blockSize * ratio);
    const agrees =
      deviceSize !== null &&
      Math.abs(deviceSize.inlineSize - width) <= 1 &&
      Math.abs(deviceSize.blockSize - height) <= 1;
    if (agrees) onSize(deviceSize.inlineSize, deviceSize.blockSize);
    else onSize(width, height);
  };
  const observer = new ResizeObserver((entries) => {
    const entry = entries[entries.length - 1];
    cssSize = entry.contentBoxSize[0];
    deviceSize = entry.devicePixelContentBoxSize ? entry.devicePixelContentBoxSize[0] : null;
    match();
    if (onFirstSize) onFirstSize();
    onFirstSize = null;
  });
  try {
    observer.observe(element, { box: "device-pixel-content-box" });
  } catch (error) {
    observer.observe(element);
  }
  const watchRatio = () => {
    matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener(
      "change",
      () => {
        match(); // a stale device size disagrees, and waits for the observer's next report
        watchRatio();
      },
      { once: true },
    );
  };
  watchRatio();
};
