#include "turtle/present_pacer.h"

#include <gtest/gtest.h>

#include <cmath>

using turtle::PixelRect;
using turtle::PresentPacer;

namespace {

constexpr PresentPacer::Nanoseconds kMs = 1'000'000;

// A pacer on a clock the test moves by hand.
struct Paced {
  PresentPacer::Nanoseconds now = 1000 * kMs;
  PresentPacer pacer{[this] { return now; }};
};

TEST(PresentPacerTest, PresentsAtOnceThenHoldsUntilAFrameHasPassed) {
  Paced p;
  EXPECT_EQ(p.pacer.Refresh({0, 0, 2, 2}).present, (PixelRect{0, 0, 2, 2}));
  // Within the frame: held, and marked for the next ordinary paint, which shows it all.
  p.now += 5 * kMs;
  PresentPacer::Decision d = p.pacer.Refresh({10, 10, 11, 11});
  EXPECT_TRUE(d.present.Empty());
  EXPECT_EQ(d.mark, (PixelRect{10, 10, 11, 11}));
  p.now += 5 * kMs;
  d = p.pacer.Refresh({3, 20, 4, 21});
  EXPECT_TRUE(d.present.Empty());
  EXPECT_EQ(d.mark, (PixelRect{3, 10, 11, 21}));
  // An area already marked is not marked again.
  d = p.pacer.Refresh({5, 12, 6, 13});
  EXPECT_TRUE(d.present.Empty());
  EXPECT_TRUE(d.mark.Empty());
  // A frame after the first present, everything held so far goes out in one present.
  p.now += PresentPacer::kDefaultFrame - 10 * kMs;
  d = p.pacer.Refresh({50, 50, 51, 51});
  EXPECT_EQ(d.present, (PixelRect{3, 10, 51, 51}));
  EXPECT_TRUE(p.pacer.Held().Empty());
}

TEST(PresentPacerTest, FlushPresentsWhatIsHeldAndNothingChangedMeansNoPresent) {
  Paced p;
  EXPECT_TRUE(p.pacer.Refresh({}).present.Empty());
  EXPECT_TRUE(p.pacer.Flush().Empty());
  p.pacer.Refresh({0, 0, 1, 1});
  p.pacer.Refresh({7, 7, 9, 9});
  EXPECT_EQ(p.pacer.Flush(), (PixelRect{7, 7, 9, 9}));
  EXPECT_TRUE(p.pacer.Flush().Empty());
  // A flush is a present: the next refresh within the frame is held.
  p.now += 1 * kMs;
  EXPECT_TRUE(p.pacer.Refresh({1, 1, 2, 2}).present.Empty());
}

TEST(PresentPacerTest, APaintThatShowsAllThatIsHeldCountsAsAPresent) {
  Paced p;
  p.pacer.Refresh({0, 0, 1, 1});
  p.now += 1 * kMs;
  p.pacer.Refresh({4, 4, 8, 8});
  p.pacer.Painted({5, 5, 6, 6});  // an expose of part of it
  EXPECT_EQ(p.pacer.Held(), (PixelRect{4, 4, 8, 8}));
  p.now += 1 * kMs;
  p.pacer.Painted({0, 0, 100, 100});
  EXPECT_TRUE(p.pacer.Held().Empty());
  p.now += PresentPacer::kDefaultFrame - 1;
  EXPECT_TRUE(p.pacer.Refresh({1, 1, 2, 2}).present.Empty());
  p.now += 1;
  EXPECT_FALSE(p.pacer.Refresh({1, 1, 2, 2}).present.Empty());
  EXPECT_EQ(p.pacer.Paints(), 2);
  EXPECT_EQ(p.pacer.LongestGap(), 1 * kMs);
}

// An area held and marked, then each way the screen can catch up: what is still held, and what a
// refresh inside the old mark marks. What reached the screen is no longer marked, so a new change
// there is marked afresh; a paint of part of it leaves the mark standing.
TEST(PresentPacerTest, HeldAndMarkedAfterAPresentAFlushAndAPaintOfPart) {
  using Q = PresentPacer;
  struct Case {
    const char* what;
    Q::Nanoseconds wait;
    void (*catchUp)(Q&);
    PixelRect held;  // after catching up
    PixelRect mark;  // of the next refresh, {5, 5, 6, 6}
  } cases[] = {
      // clang-format off
      {"present", Q::kDefaultFrame, [](Q& q) { q.Refresh({}); }, {}, {5, 5, 6, 6}},
      {"flush", 0, [](Q& q) { q.Flush(); }, {}, {5, 5, 6, 6}},
      {"paint of all of it", 0, [](Q& q) { q.Painted({0, 0, 9, 9}); }, {}, {5, 5, 6, 6}},
      {"paint of part of it", 0, [](Q& q) { q.Painted({5, 5, 6, 6}); }, {4, 4, 8, 8}, {}},
      // clang-format on
  };
  for (const Case& c : cases) {
    Paced p;
    p.pacer.Refresh({0, 0, 1, 1});
    p.now += 1 * kMs;
    p.pacer.Refresh({4, 4, 8, 8});
    p.now += c.wait;
    c.catchUp(p.pacer);
    EXPECT_EQ(p.pacer.Held(), c.held) << c.what;
    p.now += 1 * kMs;
    const Q::Decision d = p.pacer.Refresh({5, 5, 6, 6});
    EXPECT_TRUE(d.present.Empty()) << c.what;
    EXPECT_EQ(d.mark, c.mark) << c.what;
  }
}

TEST(PresentPacerTest, FrameFollowsThePlausibleRefreshRatesOnly) {
  Paced p;
  p.pacer.SetRefreshRate(144.0);
  EXPECT_EQ(p.pacer.Frame(), std::llround(1e9 / 144.0));
  p.pacer.SetRefreshRate(0.0);  // what some screens report: never a frame that never ends
  EXPECT_EQ(p.pacer.Frame(), PresentPacer::kDefaultFrame);
}

}  // namespace
