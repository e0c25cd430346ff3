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
      return "<button id=\"" + id + "\" type=\"button\">" + Html(c.text) + "</button>\n";
    case form::Kind::TextBox:
      return "<input id=\"" + id + "\" type=\"text\" value=\"" + Html(c.text) +
             "\" autocomplete=\"off\" spellcheck=\"false\">\n";
    case form::Kind::Label:
      return "<label id=\"" + id + "\" for=\"" + Html(c.buddy) + "\">" + Html(c.text) +
             "</label>\n";
  }
  return {};
}

std::string FormMarkup() {
  std::string markup = "<main id=\"" + Html(form::kCaption) + "\">\n";
  for (const form::Control& c : form::Controls()) {
    if (!c.buddy.empty()) continue;  // written with its box
    for (const form::Control& label : form::Controls()) {
      if (label.buddy == c.name) markup += ControlMarkup(label);
    }
    markup += ControlMarkup(c);
  }
  return markup + "</main>\n";
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
  const std::size_t marker = pageTemplate.find(kFormMarker);
  if (marker == std::string_view::npos) throw std::invalid_argument("no form marker");
  const std::size_t lineStart = pageTemplate.rfind('\n', marker) + 1;  // npos + 1 is 0
  const std::size_t lineEnd = pageTemplate.find('\n', marker);
  std::string page = std::string(pageTemplate.substr(0, lineStart)) + FormMarkup() +
                     std::string(pageTemplate.substr(
                         lineEnd == std::string_view::npos ? pageTemplate.size() : lineEnd + 1));
  const std::string caption = Html(form::kCaption);
  for (std::size_t at; (at = page.find("@CAPTION@")) != std::string::npos;) {
    page.replace(at, 9, caption);
  }
  return page;
}

std::string FormStylesheet() {
  std::string css =
      "/* Form1's layout, written from the form's table: the window's client area, with every\n"
      "   control at its fixed rectangle in CSS pixels, borders included. */\n";
  css += "#" + std::string(form::kCaption) + " { width: " + Pixels(form::kClientWidth) +
         "; height: " + Pixels(form::kClientHeight) +
         "; font-size: " + Pixels(form::kCaptionPixels) + "; }\n";
  for (const form::Control& c : form::Controls()) {
    css += "#" + std::string(c.name) + " { left: " + Pixels(c.rect.left) +
           "; top: " + Pixels(c.rect.top) + "; width: " + Pixels(c.rect.width) +
           "; height: " + Pixels(c.rect.height) + ";";
    if (c.kind == form::Kind::Canvas) css += " border-width: " + Pixels(form::kCanvasBorder) + ";";
    css += " }\n";
  }
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
