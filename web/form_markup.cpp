#include "web/form_markup.h"

#include <stdexcept>

#include "form/form.h"

namespace web {

namespace {

std::string Escaped(std::string_view text, bool json) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += json ? "&" : "&amp;";
        break;
      case '<':
        out += json ? "<" : "&lt;";
        break;
      case '"':
        out += json ? "\\\"" : "&quot;";
        break;
      case '\\':
        out += json ? "\\\\" : "\\";
        break;
      default:
        out += c;
    }
  }
  return out;
}
std::string Html(std::string_view text) { return Escaped(text, false); }
std::string Json(std::string_view text) { return '"' + Escaped(text, true) + '"'; }

std::string ControlMarkup(const form::Control& c) {
  const std::string id = Html(c.name);
  switch (c.kind) {
    case form::Kind::Canvas:
      return "<canvas id=\"" + id + "\" width=\"" +
             std::to_string(c.rect.width - 2 * form::kCanvasBorder) + "\" height=\"" +
             std::to_string(c.rect.height - 2 * form::kCanvasBorder) +
             "\" tabindex=\"0\" role=\"img\" aria-label=\"" + Html(c.text) +
             "\" aria-busy=\"false\"></canvas>\n";
    case form::Kind::Button:
      return "<button id=\"" + id + "\" type=\"button\" disabled>" + Html(c.text) + "</button>\n";
    case form::Kind::TextBox:
      return "<input id=\"" + id + "\" type=\"text\" value=\"" + Html(c.text) +
             "\" autocomplete=\"off\" spellcheck=\"false\" disabled>\n";
    case form::Kind::Label:
      return "<label id=\"" + id + "\" for=\"" + Html(c.buddy) + "\">" + Html(c.text) +
             "</label>\n";
  }
  return {};
}

std::string ControlsMarkup() {
  std::string markup;
  for (const form::Control& c : form::Controls()) {
    if (!c.buddy.empty()) continue;  // written with its box
    for (const form::Control& label : form::Controls()) {
      if (label.buddy == c.name) markup += ControlMarkup(label);
    }
    markup += ControlMarkup(c);
  }
  return markup;
}

std::string Pixels(int n) { return std::to_string(n) + "px"; }

std::string_view KindName(form::Kind kind) {
  switch (kind) {
    case form::Kind::Canvas:
      return "canvas";
    case form::Kind::Button:
      return "button";
    case form::Kind::TextBox:
      return "textbox";
    case form::Kind::Label:
      return "label";
  }
  return {};
}

std::string_view PressName(form::Press press) {
  switch (press) {
    case form::Press::Sweep:
      return "sweep";
    case form::Press::Stop:
      return "stop";
    case form::Press::Nothing:
      break;
  }
  return "nothing";
}

}  // namespace

std::string PageFromTemplate(std::string_view pageTemplate) {
  const std::size_t marker = pageTemplate.find(kControlsMarker);
  if (marker == std::string_view::npos) throw std::invalid_argument("no controls marker");
  const std::size_t lineStart = pageTemplate.rfind('\n', marker) + 1;  // npos + 1 is 0
  const std::size_t lineEnd = pageTemplate.find('\n', marker);
  std::string page = std::string(pageTemplate.substr(0, lineStart)) + ControlsMarkup() +
                     std::string(pageTemplate.substr(
                         lineEnd == std::string_view::npos ? pageTemplate.size() : lineEnd + 1));
  const std::string caption = Html(form::kCaption);
  for (std::size_t at; (at = page.find(kCaptionMarker)) != std::string::npos;) {
    page.replace(at, kCaptionMarker.size(), caption);
  }
  return page;
}

std::string FormStylesheet(std::string_view compactCss) {
  const std::string desktop = "(min-width: " + Pixels(form::kClientWidth) +
                              ") and (min-height: " + Pixels(form::kClientHeight) + ")";
  const std::string canvas = "#" + std::string(form::ControlNamed("Picture1").name);
  std::string css =
      "/* The page's layout, written from the form's table. Where the viewport holds the\n"
      "   window's client area, every control stands at its fixed rectangle in CSS pixels,\n"
      "   borders included; elsewhere the compact layout follows. */\n";
  css += ":root { --canvas-width: " + std::to_string(sweeps::kCanvasWidth) +
         "; --canvas-height: " + std::to_string(sweeps::kCanvasHeight) + "; }\n\n";
  css += "@media " + desktop + " {\n";
  css += "#" + std::string(form::kCaption) +
         " { position: relative; width: " + Pixels(form::kClientWidth) +
         "; height: " + Pixels(form::kClientHeight) +
         "; font-size: " + Pixels(form::kCaptionPixels) + "; }\n";
  css += "#" + std::string(form::kCaption) + " > * { position: absolute; }\n";
  for (const form::Control& c : form::Controls()) {
    const std::string selector = "#" + std::string(c.name);
    css += (selector == canvas ? selector + ", #" + std::string(form::kCaption) + " > .over-canvas"
                               : selector) +
           " { left: " + Pixels(c.rect.left) + "; top: " + Pixels(c.rect.top) +
           "; width: " + Pixels(c.rect.width) + "; height: " + Pixels(c.rect.height) + "; }\n";
  }
  css += canvas + " { border-width: " + Pixels(form::kCanvasBorder) + "; }\n";
  for (const form::Control& c : form::Controls()) {
    if (c.kind == form::Kind::Label) {
      css += "#" + std::string(c.name) + " { line-height: " + Pixels(c.rect.height) + "; }\n";
    }
  }
  css += "}\n\n@media not all and " + desktop + " {\n" + std::string(compactCss) + "}\n";
  return css;
}

std::string FormJson() {
  std::string json =
      "{\"caption\": " + Json(form::kCaption) + ", \"client\": [" +
      std::to_string(form::kClientWidth) + ", " + std::to_string(form::kClientHeight) +
      "], \"canvasBorder\": " + std::to_string(form::kCanvasBorder) +
      ", \"captionPixels\": " + std::to_string(form::kCaptionPixels) + ", \"controls\": [";
  const char* separator = "\n  ";
  for (const form::Control& c : form::Controls()) {
    json += separator;
    separator = ",\n  ";
    json += "{\"name\": " + Json(c.name) + ", \"kind\": " + Json(KindName(c.kind)) +
            ", \"rect\": [" + std::to_string(c.rect.left) + ", " + std::to_string(c.rect.top) +
            ", " + std::to_string(c.rect.width) + ", " + std::to_string(c.rect.height) +
            "], \"text\": " + Json(c.text) + ", \"press\": " + Json(PressName(c.press)) +
            ", \"sweep\": " + (c.sweep != nullptr ? Json(c.sweep->name) : "null") +
            ", \"buddy\": " + (c.buddy.empty() ? "null" : Json(c.buddy)) + "}";
  }
  return json + "\n]}\n";
}

}  // namespace web
