#include "web/page.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "form/form.h"
#include "sweeps/sweeps.h"

namespace {

constexpr turtle::ColorValue kGrey = turtle::PackColor(239, 239, 239);

std::size_t Numbered(std::string_view name) { return form::IndexOf(form::ControlNamed(name)); }

// How many pixels of the page's RGBA image differ from its raster, converted by hand.
int RgbaMismatches(const web::Page& page, const turtle::Raster& raster) {
  int mismatches = 0;
  const std::uint8_t* rgba = page.Rgba();
  for (int y = 0; y < raster.Height(); ++y) {
    for (int x = 0; x < raster.Width(); ++x) {
      const std::uint32_t p = raster.Pixel(x, y);
      const std::uint8_t* q = rgba + 4 * (static_cast<std::size_t>(y) * raster.Width() + x);
      mismatches += q[0] != ((p >> 16) & 0xff) || q[1] != ((p >> 8) & 0xff) || q[2] != (p & 0xff) ||
                    q[3] != 0xff;
    }
  }
  return mismatches;
}

// The raster the page draws on, rebuilt by running the same steps on a canvas of its own: the
// page keeps its canvas to itself.
struct Twin {
  turtle::Canvas canvas;
  turtle::Turtle turtle{canvas};
  sweeps::SweepState state;
  sweeps::SweepStack stack{{canvas, turtle, state, [] { return 60.0; }, [] { return 3.0; }, {}}};
  Twin(int width, int height) : canvas(width, height, kGrey) {}
};

TEST(WebPageTest, ChangedPixelsReachTheImageWithRedFirst) {
  web::Page page(sweeps::kCanvasWidth, sweeps::kCanvasHeight, kGrey);
  Twin twin(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
  *page.Text(Numbered("Text2")) = u"3";
  const turtle::PixelRect whole{0, 0, sweeps::kCanvasWidth, sweeps::kCanvasHeight};
  EXPECT_EQ(page.TakeChanged(), whole);  // the first present shows the background
  EXPECT_EQ(RgbaMismatches(page, twin.canvas.Image()), 0);

  // Cls, then a curve whose refresh points take the changed area before the present does.
  ASSERT_TRUE(page.Press(Numbered("Command2")));
  ASSERT_TRUE(twin.stack.Start(sweeps::kStyle2Sweep));
  page.Step();
  twin.stack.Step();
  EXPECT_EQ(page.TakeChanged(), whole);
  EXPECT_EQ(RgbaMismatches(page, twin.canvas.Image()), 0);
  EXPECT_TRUE(page.TakeChanged().Empty());

  // One more curve: a part of the canvas, and only what it covers is brought up to date.
  page.Step();
  twin.stack.Step();
  const turtle::PixelRect changed = page.TakeChanged();
  EXPECT_FALSE(changed.Empty());
  EXPECT_LT(changed.Width() * changed.Height(), whole.Width() * whole.Height());
  EXPECT_EQ(RgbaMismatches(page, twin.canvas.Image()), 0);
}

TEST(WebPageTest, ResizeKeepsThePictureWithinBoundsAndShowsItWhole) {
  struct Case {
    int width, height, expectedWidth, expectedHeight;
  } cases[] = {
      {1146, 826, 1146, 826},
      {0, -3, 1, 1},
      {web::kMaxRaster.width + 1, 2, web::kMaxRaster.width, 2},
      {3, web::kMaxRaster.height + 1, 3, web::kMaxRaster.height},
  };
  for (const Case& c : cases) {
    web::Page page(sweeps::kCanvasWidth, sweeps::kCanvasHeight, kGrey);
    Twin twin(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
    *page.Text(Numbered("Text2")) = u"3";
    page.Start(sweeps::kStyle3Sweep);
    twin.stack.Start(sweeps::kStyle3Sweep);
    page.Step();
    twin.stack.Step();
    page.TakeChanged();
    page.Resize(c.width, c.height);
    twin.canvas.Resize(c.expectedWidth, c.expectedHeight);
    EXPECT_EQ(page.Width(), c.expectedWidth) << c.width;
    EXPECT_EQ(page.Height(), c.expectedHeight) << c.height;
    EXPECT_EQ(page.TakeChanged(), (turtle::PixelRect{0, 0, c.expectedWidth, c.expectedHeight}));
    EXPECT_EQ(RgbaMismatches(page, twin.canvas.Image()), 0) << c.width;
  }
}

// The script presses controls by number: each does what its button does on the desktop, boxes
// take text, and nothing else does anything.
TEST(WebPageTest, ControlsArePressedAndFilledByTheirNumbers) {
  web::Page page(8, 6, kGrey);
  EXPECT_EQ(page.Text(Numbered("Command1")), nullptr);
  EXPECT_EQ(page.Text(form::Controls().size()), nullptr);
  EXPECT_EQ(*page.Text(Numbered("Text1")), u"60");
  *page.Text(Numbered("Text1")) = u"2";  // style 1 up to 2°: the draw sweep reads both boxes
  *page.Text(Numbered("Text2")) = u"1";
  EXPECT_FALSE(page.Press(Numbered("Picture1")));
  EXPECT_FALSE(page.Press(form::Controls().size()));
  EXPECT_EQ(page.RunningSweeps(), 0);
  ASSERT_TRUE(page.Press(Numbered("Command1")));
  page.Step();
  EXPECT_EQ(page.CurvesDrawn(), 1u);
  EXPECT_EQ(page.SuggestedName(), "vornlace-draw-1.png");
  EXPECT_FALSE(page.Press(Numbered("Command3")));
  EXPECT_TRUE(page.Stopping());
  page.Step();
  EXPECT_EQ(page.RunningSweeps(), 0);
  EXPECT_EQ(page.CurvesDrawn(), 1u);  // the stop came before the next curve
  ASSERT_TRUE(page.Press(Numbered("Command4")));
  EXPECT_FALSE(page.Stopping());
  while (page.RunningSweeps() > 0) page.Step();
  EXPECT_EQ(page.CurvesDrawn(), 3u);  // 1° and 0°, no closing curve
  // A sweep with no pass draws its closing curve as it starts, and leaves nothing running.
  *page.Text(Numbered("Text2")) = u"-5";
  EXPECT_TRUE(page.Press(Numbered("Command1")));
  EXPECT_EQ(page.RunningSweeps(), 0);
  EXPECT_EQ(page.CurvesDrawn(), 4u);
}

}  // namespace
