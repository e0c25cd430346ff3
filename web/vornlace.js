// Vornlace in a web page: the desktop program's window Form1, its canvas, two boxes and four
// buttons, driven by the same core compiled to WebAssembly (vornlace-core.js, which must load
// first). The core keeps the picture, the form's controls and a stack of running sweeps; this
// script binds the controls the core names, hands it the clicks and the boxes' text, draws one
// curve per task and puts the pixels it changed on the canvas once per display frame.
//
// Between every two curves the browser gets a task boundary, where it handles pending input, so
// a click lands between curves as it does in the desktop's event pump before every curve: the
// stop button ends the running sweeps before their next curve, and a sweep button pressed during
// a sweep starts a sweep on top of it, which runs first; the one below resumes after it. The
// changed rectangle is presented from the frame callback, so the screen is at most a frame
// behind the drawing. Until the core is ready the buttons and boxes stay disabled and the
// canvas says it is loading; if the core cannot load, the page says so in the canvas's place.
// Served over HTTP, the page registers its service worker, which keeps it usable offline.
// vornlace-pixels.js, loaded before, follows the canvas's size in device pixels;
// vornlace-menu.js, loaded after, adds the canvas's menu and the Save and Copy keys.
"use strict";

{
  const form = document.getElementById("Form1");
  const picture = document.getElementById("Picture1");

  let core = null;
  let context = null;
  let image = null; // an ImageData over the core's RGBA pixels, rebuilt when they move
  const boxes = []; // [control number, input element] of every text box
  let curvePosted = false; // a task that draws the next curve is queued
  let framePending = false; // a frame callback that presents is requested
  let busy = false; // from a press that started a sweep until its last curve is on the canvas
  const curveEndsMs = []; // when the last few curves ended, to place a stop click among them
  const CURVE_ENDS_KEPT = 8;

  // What the page has done, for the console, the tests and the benchmark; the page's own state
  // lives in the variables above, and aria-busy on the canvas only reports it.
  const figures = {
    readyAtMs: 0,
    running: 0, // sweeps running now
    curvesDrawn: 0, // since the page was opened
    // The last run of sweeps: from a press that started one until nothing is left to show.
    startedAtMs: 0,
    endedAtMs: 0,
    drawingMs: 0,
    presents: 0,
    presentingMs: 0, // handing the changed pixels to the canvas, over the run
    longestPresentGapMs: 0,
    lastPresentAtMs: 0,
    // Curves that ended after the last stop click of the run, counted from the click's time
    // stamp (the curve being drawn when it came is one of them, and so is any the browser drew
    // before it handed the click over), and those drawn after the page had the click. Null
    // when the run had no stop.
    curvesAfterStop: null,
    curvesAfterStopHandled: null,
  };

  // The next curve as a task of its own: a message to ourselves is a plain new task, queued
  // behind whatever input, timers and rendering the browser has waiting. (scheduler.yield()
  // would resume ahead of all of those but input, and a sweep of thousands of curves would
  // starve them.)
  const channel = new MessageChannel();
  channel.port1.onmessage = drawNextCurve;
  function postCurve() {
    if (curvePosted) return;
    curvePosted = true;
    channel.port2.postMessage(null);
  }

  function drawNextCurve() {
    curvePosted = false;
    if (core._vl_running() === 0) return;
    const drawnBefore = core._vl_curves_drawn();
    const startMs = performance.now();
    let running = core._vl_step();
    // A pending stop ends each running sweep without drawing, so all of them end here at once.
    while (running > 0 && core._vl_stopping()) running = core._vl_step();
    figures.drawingMs += performance.now() - startMs;
    drew(drawnBefore);
  }

  // After the core drew (a curve, or a press that started a sweep): counts the curves, shows
  // them at the next frame and queues the next curve while sweeps run.
  function drew(drawnBefore) {
    noteCurves(core._vl_curves_drawn() - drawnBefore, performance.now());
    figures.running = core._vl_running();
    if (figures.running > 0) {
      requestPresent();
      postCurve();
    } else {
      finish(); // the last curves need not wait for a frame to reach the canvas
    }
  }

  function noteCurves(count, endMs) {
    if (count <= 0) return;
    figures.curvesDrawn += count;
    if (figures.curvesAfterStop !== null) {
      figures.curvesAfterStop += count;
      figures.curvesAfterStopHandled += count;
    }
    curveEndsMs.push(endMs);
    if (curveEndsMs.length > CURVE_ENDS_KEPT) curveEndsMs.shift();
  }

  function requestPresent() {
    if (framePending) return;
    framePending = true;
    requestAnimationFrame(onFrame);
  }

  function onFrame() {
    framePending = false;
    present();
  }

  // The run of sweeps is over: what they drew goes on the canvas now, and the page is idle.
  function finish() {
    present();
    if (!busy) return;
    busy = false;
    figures.endedAtMs = performance.now();
    picture.setAttribute("aria-busy", "false");
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
    const startMs = performance.now();
    const at = core._vl_take_changed() >> 2;
    const heap = core.HEAP32;
    const [left, top, right, bottom] = heap.subarray(at, at + 4);
    if (right <= left || bottom <= top) return;
    context.putImageData(rasterImage(), 0, 0, left, top, right - left, bottom - top);
    const nowMs = performance.now();
    figures.presentingMs += nowMs - startMs;
    if (busy && figures.presents > 0) {
      figures.longestPresentGapMs = Math.max(figures.longestPresentGapMs, nowMs - figures.lastPresentAtMs);
    }
    figures.presents += 1;
    figures.lastPresentAtMs = nowMs;
  }

  // Hands a box's text to the core as UTF-16 code units.
  function handOver(control, text) {
    const at = core._vl_text(control, text.length) >> 1;
    const heap = core.HEAPU16; // after the call: the core's memory may have grown
    for (let i = 0; i < text.length; i += 1) heap[at + i] = text.charCodeAt(i);
  }

  function press(control, event) {
    for (const [box, input] of boxes) handOver(box, input.value);
    const wasStopping = core._vl_stopping();
    const drawnBefore = core._vl_curves_drawn();
    const startMs = performance.now();
    const started = core._vl_press(control);
    const pressMs = performance.now() - startMs;
    if (!wasStopping && core._vl_stopping() && busy) {
      // The curves that ended after the click: the one it interrupted, if any.
      figures.curvesAfterStop = curveEndsMs.filter((endMs) => endMs > event.timeStamp).length;
      figures.curvesAfterStopHandled = 0;
    }
    if (!started) return; // a stop, or as many sweeps run as may
    if (!busy) {
      busy = true;
      Object.assign(figures, { startedAtMs: startMs, endedAtMs: 0, drawingMs: 0 });
      Object.assign(figures, { presents: 0, presentingMs: 0, longestPresentGapMs: 0 });
      Object.assign(figures, { curvesAfterStop: null, curvesAfterStopHandled: null });
      picture.setAttribute("aria-busy", "true");
    }
    figures.drawingMs += pressMs; // the clear, or a sweep that drew all it draws as it started
    drew(drawnBefore);
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

  function readText(pointer) {
    const heap = core.HEAPU8;
    let end = pointer;
    while (heap[end] !== 0) end += 1;
    return new TextDecoder().decode(heap.subarray(pointer, end));
  }

  // Every control the core names; a button's click is a press of it, whatever it does.
  function connect() {
    for (let control = 0; control < core._vl_controls(); control += 1) {
      const element = document.getElementById(readText(core._vl_control_name(control)));
      if (element instanceof HTMLButtonElement) {
        element.addEventListener("click", (event) => press(control, event));
      } else if (element instanceof HTMLInputElement) {
        boxes.push([control, element]);
      } else {
        continue;
      }
      element.disabled = false;
    }
  }

  function backgroundChannels() {
    const channels = getComputedStyle(picture).backgroundColor.match(/\d+/g) || [0, 0, 0];
    return channels.slice(0, 3).map(Number);
  }

  // What the menu script takes from the page: the picture as it stands, drawn up to now, and
  // the name the desktop would offer for it.
  const pageOfPicture = {
    ready: false,
    toBlob(callback) {
      present();
      picture.toBlob(callback, "image/png");
    },
    name: () => readText(core._vl_suggested_name()),
  };

  const status = document.getElementById("Status");
  function failed() {
    form.classList.add("failed");
    status.textContent =
      "この頁を表示できませんでした。WebAssembly を使える最新のブラウザーで開き直してください。";
  }

  function start(instance) {
    core = instance;
    context = picture.getContext("2d", { alpha: false });
    core._vl_init(picture.width, picture.height, ...backgroundChannels());
    present();
    // Ready once the canvas has its size in device pixels (browsers report it a little after
    // the page is laid out), so that no sweep starts at the starting size.
    watchDevicePixels(picture, matchRasterTo, () => {
      connect();
      status.textContent = "";
      figures.readyAtMs = performance.now();
      window.vornlace = figures;
      pageOfPicture.ready = true;
      form.dataset.ready = "true";
      // A few curves off-screen get the browser to compile the drawing code fully, so the first
      // sweep runs at full speed from its first curve.
      setTimeout(() => core._vl_warm_up(), 0);
    });
  }

  window.vornlacePicture = pageOfPicture;
  if (typeof WebAssembly !== "object" || typeof VornlaceCore !== "function") {
    failed();
  } else {
    VornlaceCore().then(start, failed);
  }
  // Installable, and offline after one visit. A page opened from disk has neither: browsers
  // refuse to read a manifest from there, and run no worker.
  if (location.protocol.startsWith("http")) {
    const manifest = document.createElement("link");
    manifest.rel = "manifest";
    manifest.href = "manifest.webmanifest";
    document.head.append(manifest);
    if ("serviceWorker" in navigator) navigator.serviceWorker.register("service-worker.js").catch(() => {});
  }
}
