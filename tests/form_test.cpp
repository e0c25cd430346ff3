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

// The page's markup is written from the table: every control once, each label just before its
// box (where a screen reader reads it) and tied to it, buttons and boxes disabled until the core
// is there. Where each control stands, the browser tests check against the table in every engine.
TEST(FormTest, PageMarkupComesFromTheTable) {
  const std::string page = web::PageFromTemplate(
      "<title>{{CAPTION}}</title>\n<main id=\"{{CAPTION}}\">\n  <!-- controls -->\n</main>\n");
  EXPECT_EQ(page.find("<title>Form1</title>\n<main id=\"Form1\">\n<canvas id=\"Picture1\""), 0u)
      << page;
  EXPECT_EQ(Count(page, "<!--"), 0u);
  std::size_t last = 0;
  for (const char* id : {"Picture1", "Command1", "Label1", "Text1", "Label2", "Text2", "Command2",
                         "Command3", "Command4"}) {
    const std::size_t at = page.find("id=\"" + std::string(id) + "\"");
    ASSERT_NE(at, std::string::npos) << id;
    EXPECT_GT(at, last) << id;
    last = at;
  }
  EXPECT_NE(page.find("<label id=\"Label2\" for=\"Text2\">表示最大値</label>"), std::string::npos);
  EXPECT_EQ(Count(page, " disabled"), 6u);  // four buttons, two boxes
  EXPECT_NE(page.find("width=\"573\" height=\"413\""), std::string::npos);
  EXPECT_THROW((void)web::PageFromTemplate("<body></body>"), std::invalid_argument);
}

}  // namespace
