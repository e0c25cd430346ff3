#include "form/form.h"

#include <gtest/gtest.h>

#include <string>

#include "web/form_markup.h"

namespace {

using form::Kind;
using form::Press;

// The window's layout restated on purpose, rectangle by rectangle, as the one independent
// check of the table every front end builds from (logical pixels, 15 twips each).
TEST(FormTest, TableHoldsEveryControlInTabOrder) {
  struct Row {
    const char* name;
    Kind kind;
    form::Rect rect;
    const char* text;
    Press press;
    const sweeps::SweepPlan* sweep;
  } rows[] = {
      {"Picture1", Kind::Canvas, {16, 8, 577, 417}, "描画領域", Press::Nothing, nullptr},
      {"Command1", Kind::Button, {640, 8, 73, 25}, "描画", Press::Sweep, &sweeps::kDrawSweep},
      {"Text1", Kind::TextBox, {680, 40, 41, 25}, "60", Press::Nothing, nullptr},
      {"Label1", Kind::Label, {608, 48, 73, 17}, "形式1最大値", Press::Nothing, nullptr},
      {"Text2", Kind::TextBox, {680, 72, 41, 25}, "90", Press::Nothing, nullptr},
      {"Label2", Kind::Label, {608, 80, 73, 17}, "表示最大値", Press::Nothing, nullptr},
      {"Command2",
       Kind::Button,
       {632, 120, 81, 25},
       "形式\uFF12",
       Press::Sweep,
       &sweeps::kStyle2Sweep},
      {"Command3", Kind::Button, {632, 184, 81, 25}, "描画中止", Press::Stop, nullptr},
      {"Command4", Kind::Button, {632, 152, 81, 25}, "形式3", Press::Sweep, &sweeps::kStyle3Sweep},
  };
  ASSERT_EQ(form::Controls().size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const form::Control& c = form::Controls()[i];
    const Row& row = rows[i];
    EXPECT_EQ(c.name, row.name);
    EXPECT_EQ(c.kind, row.kind) << row.name;
    EXPECT_EQ(c.rect, row.rect) << row.name;
    EXPECT_EQ(c.text, row.text) << row.name;
    EXPECT_EQ(c.press, row.press) << row.name;
    EXPECT_EQ(c.sweep, row.sweep) << row.name;
    EXPECT_EQ(form::IndexOf(c), i);
    EXPECT_EQ(&form::ControlNamed(row.name), &c);
    if (row.sweep != nullptr) {
      EXPECT_EQ(&form::ButtonFor(*row.sweep), &c);
    }
  }
  EXPECT_EQ(form::kCaption, "Form1");
  EXPECT_EQ(form::kClientWidth, 799);
  EXPECT_EQ(form::kClientHeight, 460);
  // Inside its border the picture box holds exactly the sweeps' canvas.
  EXPECT_EQ(form::ControlNamed("Picture1").rect.width - 2 * form::kCanvasBorder, 573);
  EXPECT_EQ(&form::Style1MaxBox(), &form::ControlNamed("Text1"));
  EXPECT_EQ(&form::SweepMaxBox(), &form::ControlNamed("Text2"));
  EXPECT_THROW((void)form::ControlNamed("Command5"), std::out_of_range);
}

// Each label stands left of its box, bottoms level, and reaches one pixel into the box.
TEST(FormTest, LabelsReachOnePixelIntoTheBoxTheyName) {
  int labels = 0;
  for (const form::Control& label : form::Controls()) {
    if (label.kind != Kind::Label) continue;
    ++labels;
    const form::Control& box = form::ControlNamed(label.buddy);
    EXPECT_EQ(box.kind, Kind::TextBox) << label.name;
    EXPECT_EQ(label.rect.left + label.rect.width, box.rect.left + 1) << label.name;
    EXPECT_EQ(label.rect.top + label.rect.height, box.rect.top + box.rect.height) << label.name;
    EXPECT_FALSE(label.TakesFocus());
  }
  EXPECT_EQ(labels, 2);
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The page is written from the table: every control once, each label just before its box and
// tied to it, buttons and boxes disabled until the core is there, the canvas's backing store the
// sweeps' canvas; the stylesheet puts every rectangle under the desktop's media query and the
// compact rules under its negation.
TEST(FormTest, PageMarkupAndStylesheetComeFromTheTable) {
  const std::string page = web::PageFromTemplate(
      "<title>{{CAPTION}}</title>\n<main id=\"{{CAPTION}}\">\n  <!-- controls -->\n</main>\n");
  EXPECT_EQ(page.find("<title>Form1</title>\n<main id=\"Form1\">\n<canvas id=\"Picture1\""), 0u)
      << page;
  EXPECT_NE(page.find("</button>\n</main>\n"), std::string::npos) << page;
  EXPECT_EQ(Count(page, "<!--"), 0u);
  std::size_t last = 0;
  for (const char* id : {"Picture1", "Command1", "Label1", "Text1", "Label2", "Text2", "Command2",
                         "Command3", "Command4"}) {
    const std::size_t at = page.find("id=\"" + std::string(id) + "\"");
    ASSERT_NE(at, std::string::npos) << id;
    EXPECT_GT(at, last) << id;
    EXPECT_EQ(Count(page, "id=\"" + std::string(id) + "\""), 1u) << id;
    last = at;
  }
  EXPECT_NE(page.find("<label id=\"Label2\" for=\"Text2\">表示最大値</label>"), std::string::npos);
  EXPECT_NE(page.find("<input id=\"Text1\" type=\"text\" value=\"60\""), std::string::npos);
  EXPECT_NE(page.find("<button id=\"Command3\" type=\"button\" disabled>描画中止</button>"),
            std::string::npos);
  EXPECT_EQ(Count(page, " disabled"), 6u);  // four buttons, two boxes
  EXPECT_NE(page.find("width=\"573\" height=\"413\""), std::string::npos);
  EXPECT_NE(page.find("aria-label=\"描画領域\""), std::string::npos);
  EXPECT_THROW((void)web::PageFromTemplate("<body></body>"), std::invalid_argument);

  const std::string css = web::FormStylesheet("#Form1 { display: grid; }\n");
  const std::size_t desktop = css.find("@media (min-width: 799px) and (min-height: 460px) {\n");
  const std::size_t compact = css.find(
      "@media not all and (min-width: 799px) and (min-height: 460px) {\n"
      "#Form1 { display: grid; }\n}\n");
  ASSERT_NE(desktop, std::string::npos) << css;
  ASSERT_NE(compact, std::string::npos) << css;
  EXPECT_NE(css.find(":root { --canvas-width: 573; --canvas-height: 413; }"), std::string::npos);
  const std::string inDesktop = css.substr(desktop, compact - desktop);
  EXPECT_NE(inDesktop.find("#Form1 { position: relative; width: 799px; height: 460px; "
                           "font-size: 12px; }"),
            std::string::npos);
  EXPECT_NE(inDesktop.find("#Command3 { left: 632px; top: 184px; width: 81px; height: 25px; }"),
            std::string::npos);
  EXPECT_NE(inDesktop.find("#Picture1, #Form1 > .over-canvas { left: 16px; top: 8px; "
                           "width: 577px; height: 417px; }"),
            std::string::npos);
  EXPECT_NE(inDesktop.find("#Picture1 { border-width: 2px; }"), std::string::npos);
  EXPECT_NE(inDesktop.find("#Label1 { line-height: 17px; }"), std::string::npos);
  EXPECT_EQ(Count(inDesktop, "left: "), form::Controls().size());

  const std::string json = web::FormJson();
  EXPECT_NE(
      json.find("{\"name\": \"Command4\", \"kind\": \"button\", \"rect\": [632, 152, 81, 25], "
                "\"text\": \"形式3\", \"press\": \"sweep\", \"sweep\": \"style3\", "
                "\"buddy\": null}"),
      std::string::npos)
      << json;
}

}  // namespace
