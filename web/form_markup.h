#pragma once
// The web page's view of Form1, written from the form's table at build time: the controls'
// markup (ids, captions, starting texts, the canvas's size and name, labels tied to their
// boxes), the stylesheet that puts each at its rectangle, and the table as JSON for the tests
// that drive the page and the window from outside. Plain C++; make_form_files writes them out.

#include <string>
#include <string_view>

namespace web {

// index.html from its template: the line holding kFormMarker becomes the form's <main> element
// with every control, each label just before its box (the order a screen reader reads), and
// every "@CAPTION@" the window's caption.
inline constexpr std::string_view kFormMarker = "<!-- Form1 -->";
[[nodiscard]] std::string PageFromTemplate(std::string_view pageTemplate);

// The rules that lay the form out as the desktop window is: the client area's size, the
// caption size, and each control's rectangle in CSS pixels.
[[nodiscard]] std::string FormStylesheet();

// The table as JSON: caption, client size, canvas border, caption size, and per control its
// name, kind, rectangle, text, what a press does, the sweep it runs and the box a label names.
[[nodiscard]] std::string FormJson();

}  // namespace web
