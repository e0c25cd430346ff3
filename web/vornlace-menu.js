// The canvas's menu and the picture keys, as on the desktop: 画像を保存 downloads the canvas as it
// stands as a PNG under the name the desktop offers, 画像をコピー puts it on the clipboard. The
// menu opens on a right click, a long press on a touch screen, and Shift+F10 or the Menu key on
// the focused canvas; Escape, Tab or a tap elsewhere close it. Ctrl+S saves and Ctrl+C copies the
// picture (Cmd on a Mac), but in a text box, or with text selected, Ctrl+C copies the text.
// The picture comes from vornlace.js (window.vornlacePicture), also while a sweep draws.
"use strict";

{
  const picture = document.getElementById("Picture1");
  const menu = document.getElementById("CanvasMenu");
  const items = Array.from(menu.querySelectorAll('[role="menuitem"]'));
  const message = document.getElementById("Message");
  const LONG_PRESS_MS = 550;
  const LONG_PRESS_SLOP_PX = 10; // a finger that moves further is scrolling, not pressing
  const MESSAGE_SHOWN_MS = 5000;
  let messageTimer = 0;

  const source = () => (window.vornlacePicture && window.vornlacePicture.ready ? window.vornlacePicture : null);

  function say(text) {
    message.textContent = text;
    message.hidden = false;
    clearTimeout(messageTimer);
    messageTimer = setTimeout(() => {
      message.hidden = true;
    }, MESSAGE_SHOWN_MS);
  }

  function savePicture() {
    const page = source();
    if (page === null) return;
    const name = page.name();
    page.toBlob((blob) => {
      if (blob === null) return;
      const link = document.createElement("a");
      link.href = URL.createObjectURL(blob);
      link.download = name;
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    });
  }

  // The PNG is handed over as a promise, made while the user's gesture still counts, as the
  // stricter browsers ask.
  function copyPicture() {
    const page = source();
    if (page === null) return;
    const refused = () => say("画像をコピーできませんでした。このブラウザーでは画像のコピーが許可されていません。");
    try {
      const png = new Promise((resolve, reject) =>
        page.toBlob((blob) => (blob ? resolve(blob) : reject(new Error("no picture")))),
      );
      navigator.clipboard.write([new ClipboardItem({ "image/png": png })]).catch(refused);
    } catch (error) {
      refused(); // no clipboard for pictures at all
    }
  }

  function openMenu(clientX, clientY) {
    if (source() === null) return;
    menu.hidden = false;
    const width = menu.offsetWidth;
    const height = menu.offsetHeight;
    menu.style.left = `${Math.max(0, Math.min(clientX, window.innerWidth - width))}px`;
    menu.style.top = `${Math.max(0, Math.min(clientY, window.innerHeight - height))}px`;
    items[0].focus();
  }

  function openMenuOnCanvas() {
    const r = picture.getBoundingClientRect();
    openMenu(r.left + r.width / 2, r.top + r.height / 2);
  }

  function closeMenu(backToCanvas) {
    if (menu.hidden) return;
    menu.hidden = true;
    if (backToCanvas) picture.focus();
  }

  function onMenuKey(event) {
    const at = items.indexOf(document.activeElement);
    const moves = { ArrowDown: at + 1, ArrowUp: at - 1, Home: 0, End: items.length - 1 };
    if (event.key in moves) {
      items[(moves[event.key] + items.length) % items.length].focus();
    } else if (event.key === "Escape" || event.key === "Tab") {
      closeMenu(true);
    } else {
      return;
    }
    event.preventDefault();
  }

  function onKey(event) {
    const command = (event.ctrlKey || event.metaKey) && !event.altKey && !event.shiftKey;
    const key = event.key.toLowerCase();
    if (command && key === "s") {
      event.preventDefault();
      savePicture();
    } else if (command && key === "c") {
      const inBox = document.activeElement instanceof HTMLInputElement;
      if (inBox || String(window.getSelection()).length > 0) return;
      event.preventDefault();
      copyPicture();
    } else if (document.activeElement === picture && (key === "contextmenu" || (event.shiftKey && key === "f10"))) {
      event.preventDefault();
      openMenuOnCanvas();
    }
  }

  // A long press with a finger, for browsers that do not turn it into a contextmenu event.
  function watchLongPress() {
    let timer = 0;
    let origin = null;
    const cancel = () => {
      clearTimeout(timer);
      origin = null;
    };
    picture.addEventListener("pointerdown", (event) => {
      if (event.pointerType !== "touch") return;
      origin = [event.clientX, event.clientY];
      timer = setTimeout(() => openMenu(origin[0], origin[1]), LONG_PRESS_MS);
    });
    picture.addEventListener("pointermove", (event) => {
      if (origin && Math.hypot(event.clientX - origin[0], event.clientY - origin[1]) > LONG_PRESS_SLOP_PX) cancel();
    });
    for (const type of ["pointerup", "pointercancel", "pointerleave"]) picture.addEventListener(type, cancel);
  }

  picture.addEventListener("contextmenu", (event) => {
    event.preventDefault();
    if (event.button === 2 || event.clientX !== 0 || event.clientY !== 0) {
      openMenu(event.clientX, event.clientY);
    } else {
      openMenuOnCanvas(); // from a key, where the browser has no pointer position
    }
  });
  document.getElementById("SaveImage").addEventListener("click", () => {
    closeMenu(true);
    savePicture();
  });
  document.getElementById("CopyImage").addEventListener("click", () => {
    closeMenu(true);
    copyPicture();
  });
  menu.addEventListener("keydown", onMenuKey);
  document.addEventListener("keydown", onKey);
  document.addEventListener("pointerdown", (event) => {
    if (!menu.contains(event.target)) closeMenu(false);
  });
  watchLongPress();
}
