// Vornlace in a web page: the desktop program's window Form1, its canvas, two boxes and four
// buttons, driven by the same core compiled to WebAssembly (vornlace-core.js, which must load
// first). The core keeps the picture and a stack of running sweeps; this script feeds it the
// clicks and the boxes' text, steps it from the animation frame callback and puts the pixels
// it changed on the canvas.
//
// Each frame draws whole curves for about three quarters of the display's frame time, then
// presents the changed rectangle once, so the screen is never behind by more than a frame and
// the page keeps answering clicks between frames. A sweep button pressed while sweeps run
// starts a sweep on top of them; the innermost runs first and the one below resumes after it,
// as on the desktop. The stop button ends every running sweep before its next curve.
"use strict";

(function () {
  // The core's number for each sweep button.
  const SWEEP_OF_BUTTON = { Command1: 0, Command2: 1, Command4: 2 };
  // Curves are started until this share of a frame has passed, and only while the next one is
  // expected to end this long before the frame does; the rest is for the present and the
  // browser's own work. About three quarters: at 0.75 the waits alone make a sweep a third
  // longer than its drawing, at 0.8 a quarter, and a frame still has room to present.
  const DRAWING_SHARE = 0.8;
  const PRESENT_RESERVE = 2;
  // A display's frame time in milliseconds is taken from the intervals between frame callbacks,
  // between 240 Hz and 30 Hz; until there are any, 60 Hz.
  const SHORTEST_FRAME = 1000 / 240;
  const LONGEST_FRAME = 1000 / 30;
  const FRAMES_REMEMBERED = 16;

  const form = document.getElementById("Form1");
  const picture = document.getElementById("Picture1");
  const text1 = document.getElementById("Text1");
  const text2 = document.getElementById("Text2");

  let core = null;
  let context = null;
  let image = null; // an ImageData over the core's RGBA pixels, rebuilt when they move
  let frameRequested = false;
  let previousFrameStart = null;
  const frameIntervals = [];
  // How long the next curve may take, in milliseconds: the last curve's time, or half the
  // estimate before it if that is longer, so one slow curve (the first ones run while the
  // browser still compiles the core) holds the frames back only briefly.
  let stepEstimate = 0;

  // Figures of the last run of sweeps (from the first press until nothing is left to show),
  // for the console, the tests and the benchmark.
  const lastRun = {
    startedAt: 0,
    endedAt: 0,
    drawingMs: 0,
    presents: 0,
    longestPresentGapMs: 0,
    lastPresentAt: 0,
  };

  function frameTime() {
    if (frameIntervals.length === 0) return 1000 / 60;
    return Math.min(LONGEST_FRAME, Math.max(SHORTEST_FRAME, Math.min(...frameIntervals)));
  }

  function noteFrameStart(frameStart) {
    if (previousFrameStart !== null) {
      frameIntervals.push(frameStart - previousFrameStart);
      if (frameIntervals.length > FRAMES_REMEMBERED) frameIntervals.shift();
    }
    previousFrameStart = frameStart;
  }

  function requestFrame() {
    if (frameRequested) return;
    frameRequested = true;
    requestAnimationFrame(onFrame);
  }

  function isBusy() {
    return picture.getAttribute("aria-busy") === "true";
  }

  function setBusy(busy) {
    picture.setAttribute("aria-busy", busy ? "true" : "false");
  }

  function onFrame(frameStart) {
    frameRequested = false;
    noteFrameStart(frameStart);
    const frame = frameTime();
    const drawUntil = frameStart + DRAWING_SHARE * frame;
    const finishBy = frameStart + frame - PRESENT_RESERVE;
    let running = core._vl_running();
    let steps = 0;
    // At least one curve a frame, whatever the time; a pending stop ends the running sweeps
    // without drawing, so all of them end in this frame.
    while (running > 0) {
      if (steps > 0 && !core._vl_stopping()) {
        const now = performance.now();
        if (now >= drawUntil || now + stepEstimate > finishBy) break;
      }
      const before = performance.now();
      running = core._vl_step();
      const took = performance.now() - before;
      lastRun.drawingMs += took;
      stepEstimate = Math.max(took, stepEstimate / 2);
      steps += 1;
    }
    present();
    if (running > 0) {
      requestFrame();
    } else {
      // No frame is requested any more, so the next run's first interval is not an idle one.
      previousFrameStart = null;
      stepEstimate = 0;
      lastRun.endedAt = performance.now();
      setBusy(false);
    }
  }

  // The core's RGBA pixels as an ImageData, without copying them.
  function rasterImage() {
    const pointer = core._vl_rgba();
    const width = core._vl_width();
    const height = core._vl_height();
    const buffer = core.HEAPU8.buffer;
    if (
      image === null ||
      image.data.buffer !== buffer ||
      image.data.byteOffset !== pointer ||
      image.width !== width ||
      image.height !== height
    ) {
      image = new ImageData(new Uint8ClampedArray(buffer, pointer, width * height * 4), width, height);
    }
    return image;
  }

  // Puts what changed since the last present on the canvas.
  function present() {
    const at = core._vl_take_changed() >> 2;
    const heap = core.HEAP32;
    const left = heap[at];
    const top = heap[at + 1];
    const right = heap[at + 2];
    const bottom = heap[at + 3];
    if (right <= left || bottom <= top) return;
    context.putImageData(rasterImage(), 0, 0, left, top, right - left, bottom - top);
    const now = performance.now();
    if (lastRun.presents > 0) {
      lastRun.longestPresentGapMs = Math.max(lastRun.longestPresentGapMs, now - lastRun.lastPresentAt);
    }
    lastRun.presents += 1;
    lastRun.lastPresentAt = now;
  }

  // Hands a box's text to the core as UTF-16 code units.
  function handOver(box, text) {
    const at = core._vl_text(box, text.length) >> 1;
    const heap = core.HEAPU16; // after the call: the core's memory may have grown
    for (let i = 0; i < text.length; i += 1) heap[at + i] = text.charCodeAt(i);
  }

  function startSweep(sweep) {
    handOver(1, text1.value);
    handOver(2, text2.value);
    if (!core._vl_start(sweep)) return; // as many sweeps run as may
    if (!isBusy()) {
      Object.assign(lastRun, {
        startedAt: performance.now(),
        endedAt: 0,
        drawingMs: 0,
        presents: 0,
        longestPresentGapMs: 0,
      });
      setBusy(true);
    }
    requestFrame();
  }

  // The canvas's backing store is its size in device pixels, so one raster pixel is one device
  // pixel at any ratio or zoom; the core keeps the picture at the top-left when it changes.
  function matchRasterTo(width, height) {
    if (!(width >= 1 && height >= 1)) return; // hidden: keep the picture as it is
    if (width === core._vl_width() && height === core._vl_height()) return;
    core._vl_resize(width, height);
    picture.width = core._vl_width();
    picture.height = core._vl_height();
    present(); // the whole raster counts as changed
  }

  function observeDevicePixels() {
    const observer = new ResizeObserver((entries) => {
      const entry = entries[entries.length - 1];
      if (entry.devicePixelContentBoxSize) {
        const size = entry.devicePixelContentBoxSize[0];
        matchRasterTo(size.inlineSize, size.blockSize);
      } else {
        const size = entry.contentBoxSize[0];
        const ratio = window.devicePixelRatio;
        matchRasterTo(Math.round(size.inlineSize * ratio), Math.round(size.blockSize * ratio));
      }
    });
    try {
      observer.observe(picture, { box: "device-pixel-content-box" });
    } catch (error) {
      observer.observe(picture);
    }
  }

  // The colour the canvas shows before any sweep, as the core packs colours.
  function backgroundColorValue() {
    const channels = getComputedStyle(picture).backgroundColor.match(/\d+/g) || [0, 0, 0];
    const [red, green, blue] = channels.map(Number);
    return red + 256 * green + 65536 * blue;
  }

  function suggestedName() {
    const heap = core.HEAPU8;
    let at = core._vl_suggested_name();
    let name = "";
    while (heap[at] !== 0) name += String.fromCharCode(heap[at++]);
    return name;
  }

  // Ctrl+S (Cmd+S on a Mac) downloads the canvas as it stands, as a PNG under the name the
  // desktop offers. The browser's own context menu on the canvas also saves and copies it.
  function saveImage() {
    present(); // anything drawn since the last frame
    const name = suggestedName();
    picture.toBlob((blob) => {
      if (blob === null) return;
      const link = document.createElement("a");
      link.href = URL.createObjectURL(blob);
      link.download = name;
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }, "image/png");
  }

  function connect() {
    for (const [id, sweep] of Object.entries(SWEEP_OF_BUTTON)) {
      document.getElementById(id).addEventListener("click", () => startSweep(sweep));
    }
    document.getElementById("Command3").addEventListener("click", () => core._vl_stop());
    document.addEventListener("keydown", (event) => {
      const save = (event.ctrlKey || event.metaKey) && !event.altKey && !event.shiftKey;
      if (save && event.key.toLowerCase() === "s") {
        event.preventDefault();
        saveImage();
      }
    });
  }

  VornlaceCore().then((instance) => {
    core = instance;
    context = picture.getContext("2d", { alpha: false });
    core._vl_init(picture.width, picture.height, backgroundColorValue());
    present();
    observeDevicePixels();
    connect();
    window.vornlace = { core, lastRun, readyAt: performance.now() };
    form.dataset.ready = "true";
    // Once the page is up, a few curves off-screen get the browser to compile the drawing code
    // fully, so the first sweep runs at full speed from its first frame.
    setTimeout(() => core._vl_warm_up(), 0);
  });
})();
