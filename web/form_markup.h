#pragma once
// The web page's view of Form1, written from the form's table at build time: the controls'
// markup (ids, captions, starting texts, the canvas's size and name, labels tied to their
// boxes), the stylesheet that puts each at its rectangle, and the table as JSON for the tests
// that drive the page and the window from outside. Plain C++; make_form_files writes them out.

#include <string>
#include <string_view>

namespace web {

// index.html from its template: the line holding kControlsMarker becomes every control of the
// form, each label just before its box (the order a screen reader reads), the buttons and boxes
// disabled until the page's script has its core; every kCaptionMarker becomes the window's
// caption.
inline constexpr std::string_view kControlsMarker = "<!-- controls -->";
inline constexpr std::string_view kCaptionMarker = "{{CAPTION}}";
[[nodiscard]] std::string PageFromTemplate(std::string_view pageTemplate);

// The page's layout: where the viewport holds the window's whole client area, every control at
// its rectangle in CSS pixels with the window's caption size, as on the desktop (elements of the
// class over-canvas stand on the canvas's rectangle); elsewhere the hand-written rules of
// `compactCss`. Both may use the custom properties --canvas-width and --canvas-height, the
// canvas's logical size as plain numbers.
[[nodiscard]] std::string FormStylesheet(std::string_view compactCss);

// The table as JSON: caption, client size, canvas border, caption size, and per control its
// name, kind, rectangle, text, what a press does, the sweep it runs and the box a label names.
[[nodiscard]] std::string FormJson();

}  // namespace web
